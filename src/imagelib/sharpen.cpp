// Unsharp masking on top of the Gaussian blur, and the 3 x 3 sharpen.
#include "imagelib/sharpen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/transforms.h"

namespace mve::il {

namespace {

// v rounded half up and clamped to a byte.
inline std::uint8_t round_clamp(double v)
{
    v = std::floor(v + 0.5);
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// o + amount * (o - b) where |o - b| > threshold, else o; rounded half up and clamped.
inline std::uint8_t sharpen_channel(int o, int b, double amount, int threshold)
{
    const int d = o - b;
    if (std::abs(d) <= threshold) return static_cast<std::uint8_t>(o);
    return round_clamp(o + amount * d);
}

// Adds the scaled difference between the picture and its blur (packed
// rows of width * bpp bytes) back to the picture.
void add_back_detail(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes,
                     const std::uint8_t* blurred, std::uint8_t* dst, int dstRowBytes, double amount,
                     int threshold)
{
    const std::size_t row = static_cast<std::size_t>(width) * bpp;
    for_each_plane_row(width, height, cost::kBlend, [&](int y) {
        const std::uint8_t* o = src + static_cast<std::size_t>(y) * srcRowBytes;
        const std::uint8_t* b = &blurred[y * row];
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
        for (int x = 0; x < width; ++x) {
            const int i = x * bpp;
            const std::uint8_t r = sharpen_channel(o[i], b[i], amount, threshold);
            const std::uint8_t g = sharpen_channel(o[i + 1], b[i + 1], amount, threshold);
            const std::uint8_t bl = sharpen_channel(o[i + 2], b[i + 2], amount, threshold);
            if (bpp == 4) out[i + 3] = o[i + 3];
            out[i] = r;
            out[i + 1] = g;
            out[i + 2] = bl;
        }
    });
}

bool bad_sharpen_arguments(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes,
                           const std::uint8_t* dst, int dstRowBytes, double amount, int threshold)
{
    return !src || !dst || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || srcRowBytes < width * bpp ||
           dstRowBytes < width * bpp || threshold < 0 || threshold > 255 || !(amount >= 0);
}

}  // namespace

int unsharp_mask(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                 int dstRowBytes, double amount, int radius, int threshold) noexcept
{
    if (bad_sharpen_arguments(src, width, height, bpp, srcRowBytes, dst, dstRowBytes, amount, threshold) ||
        radius < 0)
        return 0;
    try {
        // The blur goes to a packed scratch picture, so src may equal dst.
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        std::vector<std::uint8_t> blurred(row * height);
        if (!blur_image(src, width, height, blurred.data(), bpp, srcRowBytes, static_cast<int>(row), radius,
                        1.0, 0))
            return 0;
        add_back_detail(src, width, height, bpp, srcRowBytes, blurred.data(), dst, dstRowBytes, amount,
                        threshold);
        return 1;
    } catch (...) {
        return 0;
    }
}

int unsharp_mask_sigma(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes,
                       std::uint8_t* dst, int dstRowBytes, double amount, double sigma,
                       int threshold) noexcept
{
    if (bad_sharpen_arguments(src, width, height, bpp, srcRowBytes, dst, dstRowBytes, amount, threshold) ||
        !(sigma >= 0))
        return 0;
    try {
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        std::vector<std::uint8_t> blurred(row * height);
        if (!gaussian_blur(src, width, height, bpp, srcRowBytes, blurred.data(), static_cast<int>(row),
                           std::min(sigma, 1000.0)))
            return 0;
        add_back_detail(src, width, height, bpp, srcRowBytes, blurred.data(), dst, dstRowBytes, amount,
                        threshold);
        return 1;
    } catch (...) {
        return 0;
    }
}

int sharpen_3x3(const std::uint8_t* src, int width, int height, int bpp, std::uint8_t* dst,
                double amount) noexcept
{
    const int row = width * bpp;
    if (bad_sharpen_arguments(src, width, height, bpp, row, dst, row, amount, 0) || src == dst) return 0;
    amount = std::min(amount, 1000.0);
    const auto at = [&](int x, int y, int c) {
        return static_cast<int>(src[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * row +
                                    std::clamp(x, 0, width - 1) * bpp + c]);
    };
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bpp; ++c) {
                const std::size_t k = static_cast<std::size_t>(y) * row + x * bpp + c;
                if (c == 3) {
                    dst[k] = src[k];
                    continue;
                }
                int ring = 0;
                for (int j = -1; j <= 1; ++j)
                    for (int i = -1; i <= 1; ++i)
                        if (i || j) ring += at(x + i, y + j, c);
                dst[k] = round_clamp(src[k] + amount * (src[k] - ring / 8.0));
            }
    });
    return 1;
}

int sharpen_image(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                  int dstRowBytes, int level, int radius) noexcept
{
    if (level < 0) return 0;
    return unsharp_mask(src, width, height, bpp, srcRowBytes, dst, dstRowBytes, level / 10.0, radius, 0);
}

}  // namespace mve::il
