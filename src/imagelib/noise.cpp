// Noise by inverse-CDF tables (see noise.h): each 15-bit draw k of the
// engine's generator picks the distribution's quantile at (k + 0.5) / 32768,
// scaled once per call into whole-level offsets, so a pixel costs a
// generator step and a table read per channel.
#include "imagelib/noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/parallel.h"
#include "core/random.h"

namespace mve::il {

namespace {

constexpr int kDraws = 32768;
constexpr double kPi = 3.14159265358979323846;

using Quantiles = std::array<float, kDraws>;

// The standard normal quantile of p by bisection on erfc (once per process).
double normal_quantile(double p) noexcept
{
    double lo = -9, hi = 9;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

double quantile(NoiseKind kind, double p) noexcept
{
    switch (kind) {
        case NoiseKind::Gaussian:
            return normal_quantile(p);
        case NoiseKind::Uniform:
            return 2 * p - 1;
        case NoiseKind::NegativeExponential:
            return -std::log(1 - p) - 1;
        case NoiseKind::Rayleigh:
            return std::sqrt(-2 * std::log(1 - p)) - std::sqrt(kPi / 2);
    }
    return 0;
}

Quantiles make_quantiles(NoiseKind kind) noexcept
{
    Quantiles q;
    for (int k = 0; k < kDraws; ++k) q[k] = static_cast<float>(quantile(kind, (k + 0.5) / kDraws));
    return q;
}

const Quantiles& quantiles(NoiseKind kind) noexcept
{
    static const Quantiles gaussian = make_quantiles(NoiseKind::Gaussian);
    static const Quantiles uniform = make_quantiles(NoiseKind::Uniform);
    static const Quantiles exponential = make_quantiles(NoiseKind::NegativeExponential);
    static const Quantiles rayleigh = make_quantiles(NoiseKind::Rayleigh);
    switch (kind) {
        case NoiseKind::Uniform:
            return uniform;
        case NoiseKind::NegativeExponential:
            return exponential;
        case NoiseKind::Rayleigh:
            return rayleigh;
        case NoiseKind::Gaussian:
            break;
    }
    return gaussian;
}

std::uint8_t add(std::uint8_t c, int offset) noexcept
{
    return static_cast<std::uint8_t>(std::clamp(c + offset, 0, 255));
}

}  // namespace

int add_noise(NoiseKind kind, std::uint8_t* picture, int width, int height, int bpp, int rowBytes, int amount,
              int channels, std::uint32_t seed) noexcept
{
    if (!picture || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || rowBytes < width * bpp) return 0;
    if (amount <= 0) return 1;
    // Offsets beyond +-256 all clamp alike, so the scale can be capped there.
    const double scale = std::min(amount / 100.0, 1e6);
    std::vector<int> offset;
    try {
        offset.resize(kDraws);
    } catch (...) {
        return 0;
    }
    const Quantiles& q = quantiles(kind);
    for (int k = 0; k < kDraws; ++k)
        offset[k] = static_cast<int>(std::clamp(std::floor(scale * q[k] + 0.5), -256.0, 256.0));
    const int* table = offset.data();
    for_each_plane_row(width, height, cost::kBlend, [&](int y) {
        CrtRandom rng;
        rng.seed(seed * 2654435761u + static_cast<std::uint32_t>(y) * 40503u + 1u);
        std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) {
            if (channels == 0) {
                const int n = table[rng.next()];
                for (int c = 0; c < 3; ++c) p[c] = add(p[c], n);
            } else {
                for (int c = 0; c < 3; ++c) p[c] = add(p[c], table[rng.next()]);
            }
        }
    });
    return 1;
}

int add_gaussian_noise(std::uint8_t* picture, int width, int height, int bpp, int rowBytes, int amount,
                       int channels, std::uint32_t seed) noexcept
{
    return add_noise(NoiseKind::Gaussian, picture, width, height, bpp, rowBytes, amount, channels, seed);
}

}  // namespace mve::il
