// The quadrilateral warp: one four-cornered region of a picture mapped onto
// another by a perspective (projective) mapping.
#pragma once

#include <cstdint>

namespace mve::il {

struct QuadCorner {
    double x, y;
};
// Corners in the order top-left, top-right, bottom-right, bottom-left, in
// pixel coordinates (pixel (x, y) has its centre at (x, y)).
using Quad = QuadCorner[4];

// For every destination pixel inside `to`, the projective mapping that takes
// `to` onto `from` (corner to corner) gives a source position, and the pixel
// becomes the source sampled there bilinearly (neighbours beyond the picture
// repeat its edge). Positions more than half a pixel outside the source, and
// destination pixels outside `to`, are left as they are. 1 to 4 bytes per
// pixel; src and dst must not overlap. Rows on the worker threads. Non-zero
// on success; 0 for bad arguments or a quadrilateral with no area (dst
// untouched).
int polygon_warp(const std::uint8_t* src, int srcWidth, int srcHeight, int srcRowBytes, std::uint8_t* dst,
                 int dstWidth, int dstHeight, int dstRowBytes, int bytesPerPixel, const Quad& from,
                 const Quad& to) noexcept;

}  // namespace mve::il
