// The bilateral filter: a blur that keeps edges.
#pragma once

#include <cstdint>

namespace mve::il {

// Edge-keeping blur of interleaved 8-bit pictures of 1 to 4 bytes per pixel.
// Each output pixel is the weighted mean of the pixels within radius
// r = min(ceil(2 * sigmaSpatial), 16) (inside the picture), each weighted by
//     exp(-(dx^2 + dy^2) / (2 sigmaSpatial^2)) * exp(-d^2 / (2 sigmaRange^2))
// where d is the mean absolute difference of the colour channels (the first
// three, or the one channel of a grey picture) from the centre pixel. Every
// channel, alpha included, takes the same weights, so neighbours across a
// strong edge barely count. Rounded to the nearest byte. Non-zero on
// success; 0 for bad arguments or non-positive sigmas (dst untouched).
int bilateral_filter(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                     std::uint8_t* dst, int dstRowBytes, double sigmaSpatial, double sigmaRange) noexcept;

}  // namespace mve::il
