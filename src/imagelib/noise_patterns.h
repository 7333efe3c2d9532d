// Generated noise pictures: random colour, gradient ("Perlin") noise and its
// turbulence. Every generator draws from the engine's C-runtime style
// generator seeded from one seed, so a seed gives the same picture on every
// run and with any number of threads.
#pragma once

#include <array>
#include <cstdint>

namespace mve::il {

// Two-dimensional gradient noise: a pseudo-random unit gradient at every
// integer lattice point, the dot products with the offsets to the four
// surrounding points blended with the quintic fade 6t^5 - 15t^4 + 10t^3.
// Zero on every lattice point, within about [-1, 1] between them.
class GradientNoise {
public:
    explicit GradientNoise(std::uint32_t seed) noexcept;
    double at(double x, double y) const noexcept;

private:
    std::array<std::uint8_t, 512> perm_{};  // a shuffle of 0..255, repeated
};

// A well-mixed 32-bit hash of an integer lattice cell, a salt and a seed:
// the same for the same inputs, unrelated for neighbouring cells. Rows
// seed their own generator with it (cell (0, y)), which keeps the rows of
// generated noise from repeating each other's pattern.
std::uint32_t cell_hash(int cx, int cy, int salt, std::uint32_t seed) noexcept;
// The hash as a value in [0, 1) (used to place features per cell).
double cell_random(int cx, int cy, int salt, std::uint32_t seed) noexcept;

// The pixel's grey level of fractal gradient noise: `octaves` layers, each of
// twice the frequency and half the weight of the one before, the first with
// lattice cells of `cellSize` pixels. Plain noise maps the sum s (scaled to
// about [-1, 1]) to 128 + 127 s; turbulence sums |noise| instead, which
// draws bright veins along the zero lines, mapped to 255 * s.
enum class NoiseKind { Plain, Turbulence };

// Writes that grey level into the three colour channels of every pixel of
// an RGB24 picture (rows width * 3 bytes). Non-zero on success; 0 for bad
// arguments (cellSize < 1, octaves outside 1..12).
int fractal_noise_rgb24(std::uint8_t* rgb, int width, int height, double cellSize, int octaves,
                        NoiseKind kind, std::uint32_t seed) noexcept;

// Coloured noise over an RGB24 picture: each channel of each pixel moves
// towards an independent uniform random level by amount 0..1
// (out = c + amount * (n - c), rounded); amount 1 leaves pure noise.
int colour_noise_rgb24(std::uint8_t* rgb, int width, int height, double amount, std::uint32_t seed) noexcept;

}  // namespace mve::il
