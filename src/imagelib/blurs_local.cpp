// Window means, the mosaic, the midpoint filter and the adaptive unsharp mask.
#include <cmath>
#include <new>

#include "imagelib/blurs.h"
#include "imagelib/rank_filters.h"
#include "imagelib/transforms.h"
#include "imagelib/window_ops.h"

namespace mve::il {

namespace {

// Integer luminance 0..255 of an RGB triple (weights 77, 150, 29 of 256).
inline int luma(const std::uint8_t* p) { return (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8; }

// Rounded window mean: (sum + n / 2) / n for n = (2r + 1)^2.
void box_mean(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int r)
{
    const std::int64_t n = static_cast<std::int64_t>(2 * r + 1) * (2 * r + 1);
    win::window_sums<4>(src, width, height, r, [](const std::uint8_t* p, int k) { return std::int64_t{p[k]}; },
                        [&](int y, const std::int64_t* sums) {
                            std::uint8_t* out = dst + static_cast<std::size_t>(y) * width * 4;
                            for (int i = 0; i < width * 4; ++i)
                                out[i] = static_cast<std::uint8_t>((sums[i] + n / 2) / n);
                        });
}

// `passes` window means of radius r, ping-ponging through one spare buffer.
int repeated_mean(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int r, long long passes)
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    const int count = static_cast<int>(std::clamp<long long>(passes, 1, 100));
    r = win::window_radius(r, width, height);
    try {
        std::vector<std::uint8_t> a(src, src + win::pixel_count(width, height) * 4), b(a.size());
        for (int i = 0; i < count; ++i) {
            box_mean(a.data(), b.data(), width, height, r);
            a.swap(b);
        }
        std::memcpy(dst, a.data(), a.size());
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace

int arithmetic_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        const win::StableSource in(src, dst, width, height);
        box_mean(in.pixels, dst, width, height, win::window_radius(radius, width, height));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int blur_3x3(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long passes) noexcept
{
    return repeated_mean(src, dst, width, height, 1, passes);
}

int blur_more(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long passes) noexcept
{
    return repeated_mean(src, dst, width, height, 2, passes);
}

int mosaic_image(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long block) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    const int b = static_cast<int>(std::clamp<long long>(block, 1, std::max(width, height)));
    const int blockRows = (height + b - 1) / b;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    // Each block reads its own pixels before writing them, so in place is safe.
    for_each_row(0, blockRows, static_cast<double>(b) * width * cost::kSimple, [&](int by) {
        const int y0 = by * b, y1 = std::min(height, y0 + b);
        for (int x0 = 0; x0 < width; x0 += b) {
            const int x1 = std::min(width, x0 + b);
            std::int64_t sum[4] = {};
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    for (int c = 0; c < 4; ++c) sum[c] += src[y * stride + x * 4 + c];
            const std::int64_t n = static_cast<std::int64_t>(y1 - y0) * (x1 - x0);
            std::uint8_t mean[4];
            for (int c = 0; c < 4; ++c) mean[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) std::memcpy(dst + y * stride + x * 4, mean, 4);
        }
    });
    return 1;
}

int midpoint_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        std::vector<std::uint8_t> hi(win::pixel_count(width, height) * 4), lo(hi.size());
        if (!maximum_filter(src, hi.data(), width, height, radius) ||
            !minimum_filter(src, lo.data(), width, height, radius))
            return 0;
        for (std::size_t i = 0; i < hi.size(); ++i) dst[i] = static_cast<std::uint8_t>((hi[i] + lo[i] + 1) / 2);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int adaptive_unsharp_mask(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double amount,
                          int radius, int threshold) noexcept
{
    if (!win::valid_rgba(src, dst, width, height) || !std::isfinite(amount)) return 0;
    try {
        std::vector<std::uint8_t> blurred(win::pixel_count(width, height) * 4);
        const int r = std::max(1, win::window_radius(radius, width, height));
        if (!blur_image(src, width, height, blurred.data(), 4, width * 4, width * 4, r, 1.0, 0)) return 0;
        const float k = static_cast<float>(std::clamp(amount, -100.0, 100.0));
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            const std::size_t row = static_cast<std::size_t>(y) * width * 4;
            const std::uint8_t* s = src + row;
            const std::uint8_t* b = blurred.data() + row;
            std::uint8_t* d = dst + row;
            for (int x = 0; x < width; ++x, s += 4, b += 4, d += 4) {
                const int diff = std::abs(luma(s) - luma(b));
                const float w = threshold <= 0 ? 1.0f : std::min(1.0f, static_cast<float>(diff) / threshold);
                for (int c = 0; c < 3; ++c) {
                    const float v = s[c] + k * w * static_cast<float>(s[c] - b[c]);
                    d[c] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
                }
                d[3] = s[3];
            }
        });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace mve::il
