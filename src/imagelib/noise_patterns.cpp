// Generated noise pictures (see noise_patterns.h).
#include "imagelib/noise_patterns.h"

#include <algorithm>
#include <cmath>

#include "core/parallel.h"
#include "core/random.h"

namespace mve::il {

namespace {

double fade(double t) noexcept
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// One of eight unit-ish gradients chosen by the hash, dotted with (x, y).
double gradient(int hash, double x, double y) noexcept
{
    switch (hash & 7) {
        case 0:
            return x + y;
        case 1:
            return -x + y;
        case 2:
            return x - y;
        case 3:
            return -x - y;
        case 4:
            return x;
        case 5:
            return -x;
        case 6:
            return y;
        default:
            return -y;
    }
}

bool bad_picture(const std::uint8_t* rgb, int width, int height) noexcept
{
    return !rgb || width <= 0 || height <= 0;
}

}  // namespace

GradientNoise::GradientNoise(std::uint32_t seed) noexcept
{
    CrtRandom rng;
    rng.seed(seed);
    for (int k = 0; k < 256; ++k) perm_[k] = static_cast<std::uint8_t>(k);
    for (int k = 255; k > 0; --k) std::swap(perm_[k], perm_[rng.next() % (k + 1)]);
    for (int k = 0; k < 256; ++k) perm_[256 + k] = perm_[k];
}

double GradientNoise::at(double x, double y) const noexcept
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(static_cast<long long>(fx) & 255),
              iy = static_cast<int>(static_cast<long long>(fy) & 255);
    x -= fx;
    y -= fy;
    const double u = fade(x), v = fade(y);
    const int a = perm_[ix] + iy, b = perm_[ix + 1] + iy;
    const double n00 = gradient(perm_[a], x, y), n10 = gradient(perm_[b], x - 1, y);
    const double n01 = gradient(perm_[a + 1], x, y - 1), n11 = gradient(perm_[b + 1], x - 1, y - 1);
    const double top = n00 + u * (n10 - n00), bottom = n01 + u * (n11 - n01);
    return top + v * (bottom - top);
}

std::uint32_t cell_hash(int cx, int cy, int salt, std::uint32_t seed) noexcept
{
    std::uint32_t h = seed ^ 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(cx) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(cy) * 0xC2B2AE35u;
    h ^= static_cast<std::uint32_t>(salt) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double cell_random(int cx, int cy, int salt, std::uint32_t seed) noexcept
{
    return (cell_hash(cx, cy, salt, seed) >> 8) / 16777216.0;
}

int fractal_noise_rgb24(std::uint8_t* rgb, int width, int height, double cellSize, int octaves,
                        NoiseKind kind, std::uint32_t seed) noexcept
{
    if (bad_picture(rgb, width, height) || !(cellSize >= 1) || octaves < 1 || octaves > 12) return 0;
    const GradientNoise noise(seed);
    double total = 0;
    for (int o = 0; o < octaves; ++o) total += std::ldexp(1.0, -o);
    for_each_plane_row(width, height, cost::kFilter * octaves, [&](int y) {
        std::uint8_t* p = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, p += 3) {
            double sum = 0, frequency = 1 / cellSize, weight = 1;
            for (int o = 0; o < octaves; ++o, frequency *= 2, weight /= 2) {
                const double n = noise.at(x * frequency, y * frequency);
                sum += weight * (kind == NoiseKind::Plain ? n : std::abs(n));
            }
            // Gradient noise rarely leaves [-0.7, 0.7]: stretch it to the full range.
            const double s = sum / total * 1.4;
            const double level = kind == NoiseKind::Plain ? 128 + 127 * s : 255 * s;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(std::clamp(level + 0.5, 0.0, 255.0));
        }
    });
    return 1;
}

int colour_noise_rgb24(std::uint8_t* rgb, int width, int height, double amount, std::uint32_t seed) noexcept
{
    if (bad_picture(rgb, width, height) || !(amount >= 0)) return 0;
    const int mix = static_cast<int>(std::min(amount, 1.0) * 256 + 0.5);  // 0..256
    for_each_plane_row(width, height, cost::kSimple * 3, [&](int y) {
        CrtRandom rng;
        rng.seed(cell_hash(0, y, 1, seed));
        std::uint8_t* p = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int k = 0; k < width * 3; ++k) {
            const int n = rng.next() & 255;
            p[k] = static_cast<std::uint8_t>(p[k] + (((n - p[k]) * mix + 128) >> 8));
        }
    });
    return 1;
}

}  // namespace mve::il
