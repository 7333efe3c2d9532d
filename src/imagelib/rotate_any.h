// Rotation of 4-byte pixel blocks by any angle about the centre, into a block
// large enough to hold the whole turned picture; the corners it uncovers are
// transparent (all bytes 0).
#pragma once

#include <cstdint>

namespace mve::il {

// Size of the box that holds a width x height picture turned by `radians`:
// ceil(w |cos| + h |sin|) by ceil(w |sin| + h |cos|), at least 1 x 1.
void rotated_pixel_size(int width, int height, double radians, int* outWidth, int* outHeight) noexcept;

// Turns src counter-clockwise on screen by `radians` about its centre into
// dst (outWidth x outHeight, centres aligned). smooth: bilinear between the
// four nearest pixels (pixels outside the source count as 0, so callers
// premultiply first); otherwise the nearest pixel. Quarter turns are exact.
// Non-zero on success; 0 for null buffers or sizes below 1.
int rotate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                 int outWidth, int outHeight, int dstRowBytes, double radians, bool smooth) noexcept;

}  // namespace mve::il
