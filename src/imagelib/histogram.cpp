// Brightness histogram (see histogram.h).
#include "imagelib/histogram.h"

#include <algorithm>
#include <cstring>

namespace mve::il {

int brightness_histogram(const std::uint8_t* picture, int width, int height, int bpp, int rowBytes,
                         std::uint32_t counts[256]) noexcept
{
    if (!picture || !counts || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || rowBytes < width * bpp)
        return 0;
    std::fill_n(counts, 256, 0u);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) ++counts[bpp >= 3 ? (p[0] + p[1] + p[2]) / 3 : p[0]];
    }
    return 1;
}

void visible_histograms(const std::uint8_t* rgba, int width, int height, Histograms& h) noexcept
{
    std::memset(&h, 0, sizeof h);
    if (!rgba || width <= 0 || height <= 0) return;
    const std::size_t n = static_cast<std::size_t>(width) * height;
    for (std::size_t k = 0; k < n; ++k, rgba += 4) {
        if (rgba[3] == 0) continue;
        ++h.brightness[(rgba[0] + rgba[1] + rgba[2]) / 3];
        for (int c = 0; c < 3; ++c) ++h.channel[c][rgba[c]];
        ++h.visible;
    }
}

}  // namespace mve::il
