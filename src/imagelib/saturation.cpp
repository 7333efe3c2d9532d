// Linear-RGB saturation scaling about each pixel's luma.
#include "imagelib/saturation.h"

#include <cmath>

#include "core/parallel.h"

namespace mve::il {

namespace {

inline std::uint8_t scaled_channel(double grey, int c, double factor)
{
    const double v = std::floor(grey + factor * (c - grey) + 0.5);
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

int modify_saturation(std::uint8_t* picture, int width, int height, int bpp, int rowBytes,
                      double factor) noexcept
{
    if (!picture || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || rowBytes < width * bpp ||
        !std::isfinite(factor))
        return 0;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) {
            const int r = p[0], g = p[1], b = p[2];
            const double grey = 0.299 * r + 0.587 * g + 0.114 * b;
            p[0] = scaled_channel(grey, r, factor);
            p[1] = scaled_channel(grey, g, factor);
            p[2] = scaled_channel(grey, b, factor);
        }
    });
    return 1;
}

}  // namespace mve::il
