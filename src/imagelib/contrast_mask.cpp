// Contrast masking (see contrast_mask.h).
#include "imagelib/contrast_mask.h"

#include <cmath>
#include <vector>

#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"

namespace mve::il {

int contrast_mask(std::uint8_t* picture, int width, int height, int bpp, int rowBytes, double sigma,
                  double strength) noexcept
{
    if (!picture || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || rowBytes < width * bpp ||
        !std::isfinite(sigma) || !std::isfinite(strength))
        return 0;
    try {
        const std::size_t n = static_cast<std::size_t>(width) * height;
        std::vector<std::uint8_t> grey(n), blurred(n);
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            const std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
            std::uint8_t* g = &grey[static_cast<std::size_t>(y) * width];
            for (int x = 0; x < width; ++x, p += bpp) g[x] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
        });
        if (!gaussian_blur(grey.data(), width, height, 1, width, blurred.data(), width, sigma)) return 0;
        const float k = static_cast<float>(strength);
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
            const std::uint8_t* b = &blurred[static_cast<std::size_t>(y) * width];
            for (int x = 0; x < width; ++x, p += bpp) {
                const float m = (255 - b[x]) / 255.0f;
                for (int c = 0; c < 3; ++c) {
                    const float a = p[c] / 255.0f;
                    const float s = (1 - 2 * m) * a * a + 2 * m * a;
                    const float v = p[c] + k * (255.0f * s - p[c]);
                    p[c] = static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5f));
                }
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
