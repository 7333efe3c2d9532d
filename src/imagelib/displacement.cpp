// The bump-map transform: a central-difference gradient of a grey map
// offsets each destination pixel's source position.
#include "imagelib/displacement.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/parallel.h"
#include "imagelib/transforms.h"

namespace mve::il {

namespace {

struct BumpMap {
    std::vector<std::uint8_t> grey;
    int width = 0, height = 0;

    // The map at integer (x, y), its edge repeated.
    int at(int x, int y) const
    {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return grey[static_cast<std::size_t>(y) * width + x];
    }
};

int nearest(double v)
{
    // Positions far outside the picture are clamped by the map read anyway.
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return static_cast<int>(std::floor(v + 0.5));
}

}  // namespace

int image_to_grey8(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes,
                   std::uint8_t* grey, int greyRowBytes, int /*flags*/) noexcept
{
    if (!src || !grey || width <= 0 || height <= 0 || (bpp != 1 && bpp != 3 && bpp != 4) ||
        srcRowBytes < width * bpp || greyRowBytes < width)
        return 0;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::uint8_t* p = src + static_cast<std::size_t>(y) * srcRowBytes;
        std::uint8_t* out = grey + static_cast<std::size_t>(y) * greyRowBytes;
        for (int x = 0; x < width; ++x, p += bpp)
            out[x] = bpp == 1
                         ? p[0]
                         : static_cast<std::uint8_t>((299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000);
    });
    return 1;
}

int add_bump_map_displacement_transform(int width, int height, float strength, const std::uint8_t* map,
                                        int mapWidth, int mapHeight) noexcept
{
    if (width <= 0 || height <= 0 || !map || mapWidth <= 0 || mapHeight <= 0 || !std::isfinite(strength))
        return 0;
    try {
        auto bump = std::make_shared<BumpMap>();
        bump->grey.assign(map, map + static_cast<std::size_t>(mapWidth) * mapHeight);
        bump->width = mapWidth;
        bump->height = mapHeight;
        const double k = strength / 255.0;
        return add_transform(
            [bump, k](double& x, double& y) {
                const int mx = nearest(x), my = nearest(y);
                const int gx = bump->at(mx + 1, my) - bump->at(mx - 1, my);
                const int gy = bump->at(mx, my + 1) - bump->at(mx, my - 1);
                x += k * gx;
                y += k * gy;
                return true;
            },
            kEdgeExtend);
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
