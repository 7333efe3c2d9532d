// Painterly effects of RGB24 pictures (see artistic.h).
#include "imagelib/artistic.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/parallel.h"
#include "core/random.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/noise_patterns.h"
#include "imagelib/rank_filters.h"

namespace mve::il {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool bad(const std::uint8_t* src, const std::uint8_t* dst, int width, int height) noexcept
{
    return !src || !dst || src == dst || width <= 0 || height <= 0;
}

std::size_t at(int x, int y, int width)
{
    return (static_cast<std::size_t>(y) * width + x) * 3;
}

int luma(const std::uint8_t* p)
{
    return (77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8;
}

std::uint8_t to_byte(double v)
{
    return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : v + 0.5);
}

// A Gaussian-blurred copy of an RGB24 picture (empty when it cannot be made).
std::vector<std::uint8_t> blurred_copy(const std::uint8_t* src, int width, int height, double sigma)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 3);
    if (!gaussian_blur(src, width, height, 3, width * 3, out.data(), width * 3, sigma)) out.clear();
    return out;
}

// The window histogram of one oil-paint row: per brightness band the pixel
// count and the channel sums.
struct BandHistogram {
    int count[256] = {};
    long long sum[256][3] = {};

    void column(const std::uint8_t* src, const std::uint8_t* bands, int width, int x, int y0, int y1,
                int sign)
    {
        for (int y = y0; y <= y1; ++y) {
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            const int b = bands[k];
            const std::uint8_t* p = src + k * 3;
            count[b] += sign;
            sum[b][0] += sign * p[0];
            sum[b][1] += sign * p[1];
            sum[b][2] += sign * p[2];
        }
    }
    void write_mode(std::uint8_t* out, int levels) const
    {
        int best = 0;
        for (int b = 1; b < levels; ++b)
            if (count[b] > count[best]) best = b;
        const long long n = count[best];
        for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((sum[best][c] + n / 2) / n);
    }
};

}  // namespace

void rgb24_to_rgba32(const std::uint8_t* rgb, std::uint8_t* rgba, std::size_t pixels) noexcept
{
    for (std::size_t k = 0; k < pixels; ++k, rgb += 3, rgba += 4) {
        rgba[0] = rgb[0];
        rgba[1] = rgb[1];
        rgba[2] = rgb[2];
        rgba[3] = 255;
    }
}

void rgba32_to_rgb24(const std::uint8_t* rgba, std::uint8_t* rgb, std::size_t pixels) noexcept
{
    for (std::size_t k = 0; k < pixels; ++k, rgb += 3, rgba += 4) {
        rgb[0] = rgba[0];
        rgb[1] = rgba[1];
        rgb[2] = rgba[2];
    }
}

int oil_paint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int radius,
                    int levels) noexcept
{
    if (bad(src, dst, width, height) || radius < 0 || levels < 2 || levels > 256) return 0;
    radius = std::min(radius, std::max(width, height));
    try {
        std::vector<std::uint8_t> bands(static_cast<std::size_t>(width) * height);
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = src + at(x, y, width);
                bands[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint8_t>((p[0] + p[1] + p[2]) * levels / 768);
            }
        });
        const double rowNs = width * (cost::kSimple * (2 * radius + 1) + levels * 0.3);
        for_each_row(0, height, rowNs, [&](int y) {
            const int y0 = std::max(0, y - radius), y1 = std::min(height - 1, y + radius);
            BandHistogram h;
            for (int x = 0; x <= std::min(radius, width - 1); ++x)
                h.column(src, bands.data(), width, x, y0, y1, 1);
            for (int x = 0; x < width; ++x) {
                if (x > 0) {
                    if (x + radius < width) h.column(src, bands.data(), width, x + radius, y0, y1, 1);
                    if (x - radius - 1 >= 0) h.column(src, bands.data(), width, x - radius - 1, y0, y1, -1);
                }
                h.write_mode(dst + at(x, y, width), levels);
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int stipple_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double density,
                  std::uint32_t seed) noexcept
{
    if (bad(src, dst, width, height) || !(density >= 0)) return 0;
    const double scale = std::min(density, 64.0) / 255.0;
    for_each_plane_row(width, height, cost::kSimple * 2, [&](int y) {
        CrtRandom rng;
        rng.seed(cell_hash(0, y, 2, seed));
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = src + at(x, y, width);
            std::uint8_t* q = dst + at(x, y, width);
            const double chance = (255 - luma(p)) * scale;
            const bool dot = rng.next() < chance * 32768.0;
            for (int c = 0; c < 3; ++c) q[c] = dot ? static_cast<std::uint8_t>(p[c] * 6 / 10) : 255;
        }
    });
    return 1;
}

int watercolor_tint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double softness,
                          double wash, double edge) noexcept
{
    if (bad(src, dst, width, height) || !(softness >= 0) || !(wash >= 0) || !(edge >= 0)) return 0;
    try {
        const std::vector<std::uint8_t> soft = blurred_copy(src, width, height, std::min(softness, 100.0));
        if (soft.empty()) return 0;
        wash = std::min(wash, 1.0);
        const auto lum = [&](int x, int y) {
            return luma(&soft[at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1), width)]);
        };
        for_each_plane_row(width, height, cost::kFilter, [&](int y) {
            for (int x = 0; x < width; ++x) {
                const double gx = (lum(x + 1, y) - lum(x - 1, y)) * 0.5,
                             gy = (lum(x, y + 1) - lum(x, y - 1)) * 0.5;
                const double rim = 1 - std::min(edge * std::sqrt(gx * gx + gy * gy) / 255, 0.6);
                const std::uint8_t* s = &soft[at(x, y, width)];
                std::uint8_t* q = dst + at(x, y, width);
                for (int c = 0; c < 3; ++c) q[c] = to_byte((s[c] + wash * (255 - s[c])) * rim);
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int gauzy_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double spread,
                double amount) noexcept
{
    if (bad(src, dst, width, height) || !(spread >= 0) || !(amount >= 0)) return 0;
    try {
        const std::vector<std::uint8_t> glow = blurred_copy(src, width, height, std::min(spread, 200.0));
        if (glow.empty()) return 0;
        amount = std::min(amount, 1.0);
        for_each_plane_row(width * 3, height, cost::kSimple, [&](int y) {
            const std::size_t row = static_cast<std::size_t>(y) * width * 3;
            for (int k = 0; k < width * 3; ++k) {
                const int o = src[row + k], b = glow[row + k];
                const double screen = 255 - (255 - o) * (255 - b) / 255.0;
                dst[row + k] = to_byte(o + amount * (screen - o));
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int crackle_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cellSize,
                  double crackWidth, double depth, std::uint32_t seed) noexcept
{
    if (bad(src, dst, width, height) || !(cellSize >= 2) || !(crackWidth > 0) || !(depth >= 0)) return 0;
    cellSize = std::min(cellSize, 4096.0);
    depth = std::min(depth, 1.0);
    for_each_plane_row(width, height, cost::kFilter * 2, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const int cx = static_cast<int>(x / cellSize), cy = static_cast<int>(y / cellSize);
            double f1 = 1e300, f2 = 1e300;
            for (int j = cy - 1; j <= cy + 1; ++j)
                for (int i = cx - 1; i <= cx + 1; ++i) {
                    const double px = (i + cell_random(i, j, 0, seed)) * cellSize;
                    const double py = (j + cell_random(i, j, 1, seed)) * cellSize;
                    const double d = std::hypot(px - x, py - y);
                    if (d < f1) {
                        f2 = f1;
                        f1 = d;
                    } else if (d < f2) {
                        f2 = d;
                    }
                }
            const double t = std::min((f2 - f1) / crackWidth, 1.0);
            const double shade = 1 - depth * (1 - t);
            const std::uint8_t* p = src + at(x, y, width);
            std::uint8_t* q = dst + at(x, y, width);
            for (int c = 0; c < 3; ++c) q[c] = to_byte(p[c] * shade);
        }
    });
    return 1;
}

int fingerprint_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double spacing,
                      std::uint32_t seed) noexcept
{
    if (bad(src, dst, width, height) || !(spacing >= 1)) return 0;
    spacing = std::min(spacing, 1000.0);
    const GradientNoise noise(seed);
    const double cx = width * 0.5, cy = height * 0.55, warpCell = spacing * 6;
    for_each_plane_row(width, height, cost::kFilter * 2, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const double warp = noise.at(x / warpCell, y / warpCell) * spacing * 3;
            const double dist = std::hypot(x - cx, (y - cy) * 1.25);
            const double ridge =
                0.5 - 0.5 * std::cos(2 * kPi * (dist + warp) / spacing);  // 1 on a ridge line
            const std::uint8_t* p = src + at(x, y, width);
            const double darkness = 1 - luma(p) / 255.0;
            const double threshold = 1 - (0.15 + 0.7 * darkness);
            const double ink = std::clamp((ridge - threshold) / 0.15, 0.0, 1.0);
            std::uint8_t* q = dst + at(x, y, width);
            for (int c = 0; c < 3; ++c) {
                const double paper = p[c] + 0.7 * (255 - p[c]), dark = p[c] * 0.35;
                q[c] = to_byte(paper + ink * (dark - paper));
            }
        }
    });
    return 1;
}

int dust_and_scratches_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int radius,
                             int threshold) noexcept
{
    if (bad(src, dst, width, height) || radius < 0 || threshold < 0) return 0;
    try {
        const std::size_t pixels = static_cast<std::size_t>(width) * height;
        std::vector<std::uint8_t> rgba(pixels * 4), median(pixels * 4);
        rgb24_to_rgba32(src, rgba.data(), pixels);
        if (!median_filter(rgba.data(), median.data(), width, height, radius)) return 0;
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            for (int x = 0; x < width; ++x) {
                const std::size_t k = static_cast<std::size_t>(y) * width + x;
                const std::uint8_t* p = src + k * 3;
                const std::uint8_t* m = &median[k * 4];
                const bool speck = std::abs(p[0] - m[0]) > threshold || std::abs(p[1] - m[1]) > threshold ||
                                   std::abs(p[2] - m[2]) > threshold;
                for (int c = 0; c < 3; ++c) dst[k * 3 + c] = speck ? m[c] : p[c];
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
