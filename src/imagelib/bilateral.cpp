// The bilateral filter (see bilateral.h): a direct sum over the window with
// tabled weights, rows on the worker threads.
#include "imagelib/bilateral.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/parallel.h"

namespace mve::il {

namespace {

constexpr int kMaxRadius = 16;

}  // namespace

int bilateral_filter(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                     int dstRowBytes, double sigmaSpatial, double sigmaRange) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || srcRowBytes < width * bpp ||
        dstRowBytes < width * bpp || !(sigmaSpatial > 0) || !(sigmaRange > 0) || !std::isfinite(sigmaSpatial) ||
        !std::isfinite(sigmaRange))
        return 0;
    try {
        const int r = static_cast<int>(std::min(std::ceil(2 * sigmaSpatial), static_cast<double>(kMaxRadius)));
        const int side = 2 * r + 1;
        std::vector<float> spatial(static_cast<std::size_t>(side) * side), range(256);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                spatial[static_cast<std::size_t>(dy + r) * side + dx + r] =
                    static_cast<float>(std::exp(-(dx * dx + dy * dy) / (2 * sigmaSpatial * sigmaSpatial)));
        for (int d = 0; d < 256; ++d) range[d] = static_cast<float>(std::exp(-d * d / (2 * sigmaRange * sigmaRange)));
        const int colours = std::min(bpp, 3);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * bpp * height);
        for_each_plane_row(width, height, cost::kFilter * side * side / 4, [&](int y) {
            const int y0 = std::max(0, y - r), y1 = std::min(height - 1, y + r);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* c = src + static_cast<std::size_t>(y) * srcRowBytes + x * bpp;
                const int x0 = std::max(0, x - r), x1 = std::min(width - 1, x + r);
                float sum[4] = {0, 0, 0, 0}, weights = 0;
                for (int yy = y0; yy <= y1; ++yy) {
                    const std::uint8_t* row = src + static_cast<std::size_t>(yy) * srcRowBytes;
                    const float* sw = &spatial[static_cast<std::size_t>(yy - y + r) * side];
                    for (int xx = x0; xx <= x1; ++xx) {
                        const std::uint8_t* p = row + xx * bpp;
                        int d = 0;
                        for (int k = 0; k < colours; ++k) d += std::abs(p[k] - c[k]);
                        const float wgt = sw[xx - x + r] * range[d / colours];
                        weights += wgt;
                        for (int k = 0; k < bpp; ++k) sum[k] += wgt * p[k];
                    }
                }
                std::uint8_t* o = &out[(static_cast<std::size_t>(y) * width + x) * bpp];
                for (int k = 0; k < bpp; ++k) o[k] = static_cast<std::uint8_t>(std::min(255.0f, sum[k] / weights + 0.5f));
            }
        });
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        for (int y = 0; y < height; ++y)
            std::copy_n(&out[y * row], row, dst + static_cast<std::size_t>(y) * dstRowBytes);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
