// Rank and statistical window filters of the image library on packed RGBA32
// pictures (rows of width * 4 bytes). Windows are (2r + 1) x (2r + 1) pixels
// with the edge pixels repeated outside the picture; every channel, alpha
// included, is filtered on its own. A radius beyond the picture is clamped
// to its larger side. Non-zero on success; src and dst may be the same buffer.
#pragma once

#include <cstdint>

namespace mve::il {

// The median of each window (the value of rank n / 2 among its n values).
// A sliding histogram per row: moving one pixel right removes one column
// and adds one (2 (2r + 1) updates), and the median moves from its last
// position by the few bins the counts require, so the cost grows with r, not r^2.
int median_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
// The largest / smallest value of each window.
int maximum_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
int minimum_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
// Geometric mean exp(sum(ln v) / n), 0 when the window holds a 0; rounded.
int geometric_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
// Harmonic mean n / sum(1 / v), 0 when the window holds a 0; rounded.
int harmonic_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;

// Local histogram enhancement ("HDRI"): with M and D the mean and standard
// deviation of the whole picture's luminance, and m and d those of the
// window around a pixel, a pixel whose surroundings are dark (m <= k0 * M)
// and of low but not flat contrast (k1 * D <= d <= k2 * D) has its colour
// multiplied by `gain` (clamped to 255); other pixels and alpha stay.
struct LocalEnhancement {
    long long radius = 3;
    double gain = 4.0, k0 = 0.4, k1 = 0.02, k2 = 0.4;
};
int local_histogram_enhancement(const std::uint8_t* src, std::uint8_t* dst, int width, int height,
                                const LocalEnhancement& e) noexcept;

}  // namespace mve::il
