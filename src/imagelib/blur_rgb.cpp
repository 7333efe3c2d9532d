// The "blur more" blur: the engine's Gaussian (imagelib/gaussian_blur.h) of
// sigma radius / 2, mixed with the original by a strength.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/transforms.h"

namespace mve::il {

int blur_image(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int bpp, int srcRowBytes,
               int dstRowBytes, int radius, double strength, int /*flags*/) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || radius < 0 ||
        srcRowBytes < width * bpp || dstRowBytes < width * bpp)
        return 0;
    try {
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        std::vector<std::uint8_t> blurred(row * height);
        if (!gaussian_blur(src, width, height, bpp, srcRowBytes, blurred.data(), static_cast<int>(row), radius / 2.0))
            return 0;
        const float mix = static_cast<float>(std::clamp(strength, 0.0, 1.0));
        for_each_plane_row(width * bpp, height, cost::kSimple, [&](int y) {
            const std::uint8_t* orig = src + static_cast<std::size_t>(y) * srcRowBytes;
            const std::uint8_t* b = &blurred[y * row];
            std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
            // original + strength * (blurred - original)
            for (std::size_t i = 0; i < row; ++i) {
                const float v = orig[i] + mix * (static_cast<float>(b[i]) - orig[i]);
                out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5f);
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
