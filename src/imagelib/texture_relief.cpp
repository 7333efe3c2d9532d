// Texture relief: emboss and bump lighting of a picture by a texture's grey.
#include "imagelib/texture_relief.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/parallel.h"
#include "imagelib/displacement.h"

namespace mve::il {

namespace {

std::vector<std::uint8_t> heights(const std::uint8_t* texture, int width, int height)
{
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
    image_to_grey8(texture, width, height, 4, width * 4, grey.data(), width, 0);
    return grey;
}

bool valid(const void* a, const void* b, int width, int height)
{
    return a && b && width > 0 && height > 0;
}

}  // namespace

int emboss_by_texture(std::uint8_t* rgb, const std::uint8_t* texture, int width, int height,
                      double depth) noexcept
{
    if (!valid(rgb, texture, width, height) || !std::isfinite(depth)) return 0;
    try {
        const std::vector<std::uint8_t> h = heights(texture, width, height);
        auto at = [&](int x, int y) {
            return h[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width +
                     std::clamp(x, 0, width - 1)];
        };
        for_each_plane_row(width, height, cost::kSimple * 3, [&](int y) {
            std::uint8_t* p = rgb + static_cast<std::size_t>(y) * width * 3;
            for (int x = 0; x < width; ++x, p += 3) {
                const long shift = std::lround(depth * (at(x - 1, y - 1) - at(x + 1, y + 1)));
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(std::clamp(p[c] + shift, 0L, 255L));
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

int light_by_texture(std::uint8_t* rgba, const std::uint8_t* texture, int width, int height, double depth,
                     double angleDegrees) noexcept
{
    if (!valid(rgba, texture, width, height) || !std::isfinite(depth) || !std::isfinite(angleDegrees))
        return 0;
    try {
        const std::vector<std::uint8_t> h = heights(texture, width, height);
        auto at = [&](int x, int y) {
            return h[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width +
                     std::clamp(x, 0, width - 1)] /
                   255.0;
        };
        const double a = std::fmod(angleDegrees, 360.0) * 3.14159265358979323846 / 180.0;
        const double lz = std::sqrt(0.5), lx = std::cos(a) * lz, ly = -std::sin(a) * lz;  // 45 degrees up
        for_each_plane_row(width, height, cost::kFilter, [&](int y) {
            std::uint8_t* p = rgba + static_cast<std::size_t>(y) * width * 4;
            for (int x = 0; x < width; ++x, p += 4) {
                const double nx = -depth * (at(x + 1, y) - at(x - 1, y)) / 2;
                const double ny = -depth * (at(x, y + 1) - at(x, y - 1)) / 2;
                const double n = std::sqrt(nx * nx + ny * ny + 1);
                const double f = std::max(0.0, nx * lx + ny * ly + lz) / (n * lz);
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(std::clamp(std::lround(p[c] * f), 0L, 255L));
            }
        });
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
