// Edge effects of RGB24 pictures (see edges.h).
#include "imagelib/edges.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"

namespace mve::il {

namespace {

bool bad(const std::uint8_t* src, const std::uint8_t* dst, int width, int height) noexcept
{
    return !src || !dst || src == dst || width <= 0 || height <= 0;
}

std::uint8_t to_byte(double v)
{
    return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : v + 0.5);
}

// The luma plane of an RGB24 picture.
std::vector<std::uint8_t> grey_plane(const std::uint8_t* src, int width, int height)
{
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            const std::uint8_t* p = src + k * 3;
            grey[k] = static_cast<std::uint8_t>((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
        }
    });
    return grey;
}

// Sobel magnitudes and directions (0: horizontal gradient, 1: 45 degrees
// down-right, 2: vertical, 3: 135 degrees) of a grey plane.
void sobel(const std::vector<std::uint8_t>& g, int width, int height, std::vector<float>& mag,
           std::vector<std::uint8_t>& dir)
{
    const auto px = [&](int x, int y) {
        return static_cast<int>(
            g[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width + std::clamp(x, 0, width - 1)]);
    };
    // tan(22.5 degrees) and tan(67.5 degrees) split the four directions.
    constexpr double kTan22 = 0.41421356237, kTan67 = 2.41421356237;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const int gx = px(x + 1, y - 1) + 2 * px(x + 1, y) + px(x + 1, y + 1) - px(x - 1, y - 1) -
                           2 * px(x - 1, y) - px(x - 1, y + 1);
            const int gy = px(x - 1, y + 1) + 2 * px(x, y + 1) + px(x + 1, y + 1) - px(x - 1, y - 1) -
                           2 * px(x, y - 1) - px(x + 1, y - 1);
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            mag[k] = static_cast<float>(
                std::sqrt(static_cast<double>(gx) * gx + static_cast<double>(gy) * gy) / 4);
            const double ax = std::abs(gx), ay = std::abs(gy);
            dir[k] = ay <= ax * kTan22 ? 0 : ay >= ax * kTan67 ? 2 : (gx > 0) == (gy > 0) ? 1 : 3;
        }
    });
}

// Non-maximum suppression: the magnitudes of the pixels that are the
// crest of their gradient, 0 elsewhere.
std::vector<float> thin(const std::vector<float>& mag, const std::vector<std::uint8_t>& dir, int width,
                        int height)
{
    static constexpr int kStep[4][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}};
    std::vector<float> crest(mag.size(), 0.0f);
    const auto m = [&](int x, int y) {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f
                                                           : mag[static_cast<std::size_t>(y) * width + x];
    };
    for_each_plane_row(width, height, cost::kSimple * 2, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t k = static_cast<std::size_t>(y) * width + x;
            const int dx = kStep[dir[k]][0], dy = kStep[dir[k]][1];
            if (mag[k] > m(x - dx, y - dy) && mag[k] >= m(x + dx, y + dy)) crest[k] = mag[k];
        }
    });
    return crest;
}

}  // namespace

int canny_edges_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double sigma,
                      double low, double high) noexcept
{
    if (bad(src, dst, width, height) || !(sigma >= 0) || !(low >= 0) || !(high >= 0)) return 0;
    try {
        std::vector<std::uint8_t> grey = grey_plane(src, width, height);
        if (sigma > 0 &&
            !gaussian_blur(grey.data(), width, height, 1, width, grey.data(), width, std::min(sigma, 100.0)))
            return 0;
        const std::size_t n = grey.size();
        std::vector<float> mag(n);
        std::vector<std::uint8_t> dir(n);
        sobel(grey, width, height, mag, dir);
        const std::vector<float> crest = thin(mag, dir, width, height);
        // Hysteresis: grow from the strong crests through the weak ones.
        low = std::min(low, high);
        std::vector<std::uint8_t> edge(n, 0);
        std::vector<std::size_t> stack;
        for (std::size_t k = 0; k < n; ++k)
            if (crest[k] > 0 && crest[k] >= high) {
                edge[k] = 255;
                stack.push_back(k);
            }
        while (!stack.empty()) {
            const std::size_t k = stack.back();
            stack.pop_back();
            const int x = static_cast<int>(k % width), y = static_cast<int>(k / width);
            for (int j = std::max(0, y - 1); j <= std::min(height - 1, y + 1); ++j)
                for (int i = std::max(0, x - 1); i <= std::min(width - 1, x + 1); ++i) {
                    const std::size_t q = static_cast<std::size_t>(j) * width + i;
                    if (!edge[q] && crest[q] > 0 && crest[q] >= low) {
                        edge[q] = 255;
                        stack.push_back(q);
                    }
                }
        }
        for_each_plane_row(width, height, cost::kCopy, [&](int y) {
            for (int x = 0; x < width; ++x) {
                const std::size_t k = static_cast<std::size_t>(y) * width + x;
                dst[k * 3] = dst[k * 3 + 1] = dst[k * 3 + 2] = edge[k];
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int emboss_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double angleDegrees,
                 double depth) noexcept
{
    if (bad(src, dst, width, height) || !std::isfinite(angleDegrees) || !(depth >= 0)) return 0;
    try {
        const std::vector<std::uint8_t> grey = grey_plane(src, width, height);
        const double a = angleDegrees * 3.14159265358979323846 / 180;
        const int dx = static_cast<int>(std::lround(std::cos(a))),
                  dy = static_cast<int>(-std::lround(std::sin(a)));
        depth = std::min(depth, 1000.0);
        const auto g = [&](int x, int y) {
            return static_cast<int>(grey[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width +
                                         std::clamp(x, 0, width - 1)]);
        };
        for_each_plane_row(width, height, cost::kSimple * 2, [&](int y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t v = to_byte(128 + depth * (g(x + dx, y + dy) - g(x - dx, y - dy)));
                std::uint8_t* q = dst + (static_cast<std::size_t>(y) * width + x) * 3;
                q[0] = q[1] = q[2] = v;
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int bevel_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int size,
                double strength) noexcept
{
    if (bad(src, dst, width, height) || size < 0 || !(strength >= 0)) return 0;
    strength = std::min(strength, 1.0);
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const int lit = std::min(x, y), shaded = std::min(width - 1 - x, height - 1 - y);
            const std::size_t k = (static_cast<std::size_t>(y) * width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                const int v = src[k + c];
                if (std::min(lit, shaded) >= size)
                    dst[k + c] = static_cast<std::uint8_t>(v);
                else if (lit <= shaded)
                    dst[k + c] = to_byte(v + strength * (255 - v));
                else
                    dst[k + c] = to_byte(v * (1 - strength));
            }
        }
    });
    return 1;
}

}  // namespace mve::il
