// Any-angle rotation by inverse mapping: each destination pixel centre is
// turned back into the source and sampled there.
#include "imagelib/rotate_any.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/parallel.h"

namespace mve::il {

namespace {

// Values this close to a whole number are taken as whole, so that quarter
// turns and their multiples land exactly on source pixels.
constexpr double kSnap = 1e-6;

double snapped(double v) noexcept
{
    const double r = std::round(v);
    return std::fabs(v - r) < kSnap ? r : v;
}

}  // namespace

void rotated_pixel_size(int width, int height, double radians, int* outWidth, int* outHeight) noexcept
{
    const double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
    const double w = width * c + height * s, h = width * s + height * c;
    if (outWidth) *outWidth = std::max(1, static_cast<int>(std::ceil(w - kSnap)));
    if (outHeight) *outHeight = std::max(1, static_cast<int>(std::ceil(h - kSnap)));
}

int rotate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                 int outWidth, int outHeight, int dstRowBytes, double radians, bool smooth) noexcept
{
    if (!src || !dst || width < 1 || height < 1 || outWidth < 1 || outHeight < 1) return 0;
    if (srcRowBytes < width * 4 || dstRowBytes < outWidth * 4) return 0;
    const double c = std::cos(radians), s = std::sin(radians);
    const double outCx = outWidth / 2.0, outCy = outHeight / 2.0, cx = width / 2.0, cy = height / 2.0;
    auto texel = [&](int x, int y) -> const std::uint8_t* {
        if (x < 0 || y < 0 || x >= width || y >= height) return nullptr;
        return src + static_cast<std::size_t>(y) * srcRowBytes + static_cast<std::size_t>(x) * 4;
    };
    for_each_row(0, outHeight, outWidth * cost::kFilter, [&](int y) {
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
        const double dy = y + 0.5 - outCy;
        for (int x = 0; x < outWidth; ++x, out += 4) {
            const double dx = x + 0.5 - outCx;
            // Screen y grows downward: a counter-clockwise turn by a maps
            // (u, v) to (u cos a + v sin a, -u sin a + v cos a); this is its inverse.
            const double u = snapped(dx * c - dy * s + cx - 0.5), v = snapped(dx * s + dy * c + cy - 0.5);
            if (!smooth) {
                const std::uint8_t* p =
                    texel(static_cast<int>(std::floor(u + 0.5)), static_cast<int>(std::floor(v + 0.5)));
                if (p)
                    std::memcpy(out, p, 4);
                else
                    std::memset(out, 0, 4);
                continue;
            }
            const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
            const double fx = u - x0, fy = v - y0;
            const std::uint8_t* q[4] = {texel(x0, y0), texel(x0 + 1, y0), texel(x0, y0 + 1),
                                        texel(x0 + 1, y0 + 1)};
            const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            for (int ch = 0; ch < 4; ++ch) {
                double sum = 0;
                for (int k = 0; k < 4; ++k)
                    if (q[k]) sum += w[k] * q[k][ch];
                out[ch] = static_cast<std::uint8_t>(std::clamp(sum + 0.5, 0.0, 255.0));
            }
        }
    });
    return 1;
}

}  // namespace mve::il
