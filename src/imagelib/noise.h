// Noise added to pictures.
#pragma once

#include <cstdint>

namespace mve::il {

// Adds Gaussian noise in place to the colour channels of an interleaved
// 8-bit picture of 3 or 4 bytes per pixel (the fourth, alpha, is kept): each
// value c becomes clamp(round(c + n), 0, 255) with n normally distributed,
// mean 0 and standard deviation amount / 100 levels. channels 0 adds one n
// per pixel to R, G and B alike (grey noise); any other value draws n for
// each channel (coloured noise). The values come from the C-runtime style
// generator seeded per row from `seed` and the row, so a seed gives the same
// noise on every run and any number of threads. Non-zero on success; 0 for
// bad arguments (picture untouched).
int add_gaussian_noise(std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes, int amount,
                       int channels, std::uint32_t seed) noexcept;

}  // namespace mve::il
