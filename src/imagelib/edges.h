// Edge effects of RGB24 pictures (packed rows of width * 3 bytes): the Canny
// edge detector, emboss and the bevelled frame. src and dst are different
// buffers; non-zero on success, 0 for bad arguments or when a work buffer
// cannot be allocated.
#pragma once

#include <cstdint>

namespace mve::il {

// Canny edges, white (255) on black in all three channels:
//  1. grey = luma (77 R + 150 G + 29 B + 128) / 256, blurred by a Gaussian
//     of `sigma` (0: not blurred);
//  2. Sobel gradients gx, gy (edge pixels repeated), magnitude
//     m = sqrt(gx^2 + gy^2) / 4, so a step from 0 to 255 gives 255;
//  3. non-maximum suppression: m survives when it is greater than its
//     neighbour behind and at least its neighbour ahead along the gradient
//     direction (rounded to 0, 45, 90 or 135 degrees), so a ridge of two
//     equal pixels keeps exactly one;
//  4. hysteresis: survivors with m >= high (and m > 0) are edges, and so are
//     survivors with m >= low joined to an edge through 8-neighbours.
int canny_edges_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double sigma,
                      double low, double high) noexcept;

// Emboss: a grey relief lit from `angleDegrees` (0 from the right, 90 from
// above): 128 + depth * (grey ahead - grey behind) one pixel along the light,
// into all three channels; flat areas become mid grey.
int emboss_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double angleDegrees,
                 double depth) noexcept;

// Bevel: the picture raised like a button by a frame `size` pixels wide.
// Frame pixels nearer the top or left edge are lit (c + strength (255 - c)),
// those nearer the bottom or right edge shaded (c (1 - strength)); at equal
// distances top and left win. strength 0..1; the inside is unchanged.
int bevel_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int size,
                double strength) noexcept;

}  // namespace mve::il
