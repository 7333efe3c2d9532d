// Noise added to pictures.
#pragma once

#include <cstdint>

namespace mve::il {

// The distributions of the added noise. Each is shifted to mean 0 so noise
// changes texture, not overall brightness; `amount / 100` is its scale d.
enum class NoiseKind {
    Gaussian,             // normal, standard deviation d
    Uniform,              // even over -d..d
    NegativeExponential,  // d * (E - 1), E exponential of mean 1: many small darkenings, rare bright spikes
    Rayleigh,             // d * (R - sqrt(pi / 2)), R Rayleigh of scale 1
};

// Adds noise in place to the colour channels of an interleaved 8-bit picture
// of 3 or 4 bytes per pixel (the fourth, alpha, is kept): each value c
// becomes clamp(c + round(n), 0, 255), n drawn from the distribution.
// channels 0 adds one n per pixel to R, G and B alike (grey noise); any
// other value draws n for each channel (coloured noise). Draws are 15-bit
// values of the engine's C-runtime style generator, seeded per row from
// `seed` and the row, each mapped to the distribution's quantile at its
// centre (an inverse-CDF table), so a seed gives the same noise on every
// run and any number of threads. Amount 0 changes nothing. Non-zero on
// success; 0 for bad arguments (picture untouched).
int add_noise(NoiseKind kind, std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes,
              int amount, int channels, std::uint32_t seed) noexcept;

// add_noise with Gaussian noise (standard deviation amount / 100).
int add_gaussian_noise(std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes,
                       int amount, int channels, std::uint32_t seed) noexcept;

}  // namespace mve::il
