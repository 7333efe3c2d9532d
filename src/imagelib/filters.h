// Filters of the image-library layer.
#pragma once

#include <cstdint>

namespace mve {

// Blurs one 8-bit channel (width * height bytes, packed rows) from `in` into
// `out`. Strength 100 is a radius of about 3 pixels; the result approximates a
// Gaussian by three box passes. Returns non-zero on success.
int blur_gray8(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength) noexcept;

}  // namespace mve

namespace mve::il {

// Gaussian blur (ImageMagick's, radius and sigma in pixels) of a packed RGBA64
// plane in place. False when ImageMagick cannot run it (the plane is then unchanged
// or, after a failed export, partly written).
bool magick_gaussian_blur_rgba64(std::uint16_t* pixels, int width, int height, double radius,
                                 double sigma) noexcept;

}  // namespace mve::il
