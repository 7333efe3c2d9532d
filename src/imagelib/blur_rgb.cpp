// Gaussian blur of interleaved 8-bit pixels, separable, edges repeated, mixed
// with the original by a strength (the "blur more" tool).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/transforms.h"

namespace mve::il {

namespace {

std::vector<float> gaussian_taps(int radius)
{
    const double sigma = radius / 2.0;
    std::vector<float> taps(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0;
    for (int k = -radius; k <= radius; ++k)
        sum += taps[k + radius] = static_cast<float>(std::exp(-static_cast<double>(k) * k / (2 * sigma * sigma)));
    for (float& t : taps) t = static_cast<float>(t / sum);
    return taps;
}

}  // namespace

int blur_image(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int bpp, int srcRowBytes,
               int dstRowBytes, int radius, double strength, int /*flags*/) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || radius < 0 ||
        srcRowBytes < width * bpp || dstRowBytes < width * bpp)
        return 0;
    // Past the image's longer side every tap beyond it repeats the edge: the
    // radius is bounded there (and by kMaxBlurRadius), so the work stays
    // proportional to the picture whatever amount the caller asks for.
    radius = std::min({radius, std::max(width, height), kMaxBlurRadius});
    try {
        const std::size_t row = static_cast<std::size_t>(width) * bpp;
        if (radius == 0) {
            for (int y = 0; y < height; ++y)
                std::memmove(dst + static_cast<std::size_t>(y) * dstRowBytes, src + static_cast<std::size_t>(y) * srcRowBytes, row);
            return 1;
        }
        const std::vector<float> taps = gaussian_taps(radius);
        const float mix = static_cast<float>(strength < 0 ? 0 : strength > 1 ? 1 : strength);
        std::vector<float> across(row * height);  // horizontal pass result
        for_each_plane_row(width, height, cost::kFilter, [&](int y) {
            const std::uint8_t* in = src + static_cast<std::size_t>(y) * srcRowBytes;
            float* out = &across[y * row];
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < bpp; ++c) {
                    float acc = 0;
                    for (int k = -radius; k <= radius; ++k) {
                        const int sx = std::min(width - 1, std::max(0, x + k));
                        acc += taps[k + radius] * in[sx * bpp + c];
                    }
                    out[x * bpp + c] = acc;
                }
        });
        std::vector<std::uint8_t> result(row * height);
        for_each_plane_row(width, height, cost::kFilter, [&](int y) {
            const std::uint8_t* orig = src + static_cast<std::size_t>(y) * srcRowBytes;
            std::uint8_t* out = &result[y * row];
            for (std::size_t i = 0; i < row; ++i) {
                float acc = 0;
                for (int k = -radius; k <= radius; ++k) {
                    const int sy = std::min(height - 1, std::max(0, y + k));
                    acc += taps[k + radius] * across[sy * row + i];
                }
                // original + strength * (blurred - original)
                const float v = orig[i] + mix * (acc - orig[i]);
                out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5f);
            }
        });
        for (int y = 0; y < height; ++y)
            std::memcpy(dst + static_cast<std::size_t>(y) * dstRowBytes, &result[y * row], row);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
