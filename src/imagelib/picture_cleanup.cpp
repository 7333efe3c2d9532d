// Despeckle and deinterlace (see picture_cleanup.h).
#include "imagelib/picture_cleanup.h"

#include <cstdlib>

#include "core/parallel.h"
#include "imagelib/rank_filters.h"

namespace mve::il {

int despeckle(std::uint8_t* rgba, std::uint8_t* scratch, int width, int height, int tolerance) noexcept
{
    if (!rgba || !scratch || width <= 0 || height <= 0) return 0;
    if (!median_filter(rgba, scratch, width, height, 1)) return 0;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::size_t start = static_cast<std::size_t>(y) * width * 4;
        std::uint8_t* p = rgba + start;
        const std::uint8_t* m = scratch + start;
        for (int x = 0; x < width; ++x, p += 4, m += 4)
            for (int c = 0; c < 3; ++c)
                if (std::abs(p[c] - m[c]) > tolerance) p[c] = m[c];
    });
    return 1;
}

int deinterlace(std::uint8_t* rgba, int width, int height, bool evenRows) noexcept
{
    if (!rgba || width <= 0 || height <= 0) return 0;
    if (height == 1) return 1;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // Rebuilt rows read only kept rows, so rows are independent.
    const int first = evenRows ? 0 : 1, count = (height - first + 1) / 2;
    for_each_row(0, count, static_cast<double>(width) * cost::kSimple, [&](int k) {
        const int y = first + 2 * k;
        std::uint8_t* out = rgba + y * rowBytes;
        const std::uint8_t* above = y > 0 ? out - rowBytes : out + rowBytes;
        const std::uint8_t* below = y + 1 < height ? out + rowBytes : above;
        for (std::size_t i = 0; i < rowBytes; i += 4)
            for (int c = 0; c < 3; ++c) out[i + c] = static_cast<std::uint8_t>((above[i + c] + below[i + c] + 1) / 2);
    });
    return 1;
}

}  // namespace mve::il
