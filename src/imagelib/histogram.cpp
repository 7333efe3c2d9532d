// Brightness histogram (see histogram.h).
#include "imagelib/histogram.h"

#include <algorithm>

namespace mve::il {

int brightness_histogram(const std::uint8_t* picture, int width, int height, int bpp, int rowBytes,
                         std::uint32_t counts[256]) noexcept
{
    if (!picture || !counts || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || rowBytes < width * bpp) return 0;
    std::fill_n(counts, 256, 0u);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) ++counts[bpp >= 3 ? (p[0] + p[1] + p[2]) / 3 : p[0]];
    }
    return 1;
}

}  // namespace mve::il
