// Unsharp masking on top of the Gaussian blur of blur_rgb.cpp.
#include "imagelib/sharpen.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/transforms.h"

namespace mve::il {

namespace {

// o + amount * (o - b) where |o - b| > threshold, else o; rounded half up and clamped.
inline std::uint8_t sharpen_channel(int o, int b, double amount, int threshold)
{
    const int d = o - b;
    if (std::abs(d) <= threshold) return static_cast<std::uint8_t>(o);
    const double v = std::floor(o + amount * d + 0.5);
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

int unsharp_mask(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                 int dstRowBytes, double amount, int radius, int threshold) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || srcRowBytes < width * bpp ||
        dstRowBytes < width * bpp || radius < 0 || threshold < 0 || threshold > 255 || !(amount >= 0))
        return 0;
    try {
        // The blur goes to a packed scratch picture, so src may equal dst.
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        std::vector<std::uint8_t> blurred(row * height);
        if (!blur_image(src, width, height, blurred.data(), bpp, srcRowBytes, static_cast<int>(row), radius,
                        1.0, 0))
            return 0;
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
        return 1;
    } catch (...) {
        return 0;
    }
}

int sharpen_image(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                  int dstRowBytes, int level, int radius) noexcept
{
    if (level < 0) return 0;
    return unsharp_mask(src, width, height, bpp, srcRowBytes, dst, dstRowBytes, level / 10.0, radius, 0);
}

}  // namespace mve::il
