// Colour halftone (see halftone.h).
#include "imagelib/halftone.h"

#include <cmath>

#include "core/parallel.h"

namespace mve::il {

int halftone_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cellSize,
                   double angleDegrees) noexcept
{
    if (!src || !dst || src == dst || width <= 0 || height <= 0 || !(cellSize >= 2) ||
        !std::isfinite(angleDegrees))
        return 0;
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kScreenTurn[3] = {15, 75, 45};
    double cosA[3], sinA[3];
    for (int c = 0; c < 3; ++c) {
        const double a = (angleDegrees + kScreenTurn[c]) * kPi / 180;
        cosA[c] = std::cos(a);
        sinA[c] = std::sin(a);
    }
    const double inv = 1 / cellSize;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t k = (static_cast<std::size_t>(y) * width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                // The pixel centre in the turned screen's cell units, relative to its cell's centre.
                const double u = ((x + 0.5) * cosA[c] + (y + 0.5) * sinA[c]) * inv;
                const double v = (-(x + 0.5) * sinA[c] + (y + 0.5) * cosA[c]) * inv;
                const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
                const double ink = 1 - src[k + c] / 255.0;
                bool inked;
                if (ink < 0.5) {
                    inked = kPi * (du * du + dv * dv) < ink;
                } else {
                    const double cu = 0.5 - std::abs(du), cv = 0.5 - std::abs(dv);
                    inked = !(kPi * (cu * cu + cv * cv) < 1 - ink);
                }
                dst[k + c] = inked ? 0 : 255;
            }
        }
    });
    return 1;
}

}  // namespace mve::il
