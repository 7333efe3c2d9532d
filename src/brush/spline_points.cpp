// Spline points (see spline_points.h).
#include "brush/spline_points.h"

#include <cmath>
#include <limits>

#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve::brush {

namespace {

double as_unsigned(std::int32_t v) noexcept
{
    return static_cast<double>(static_cast<std::uint32_t>(v));
}

// Truncation toward zero into int32; out-of-range values saturate instead of
// overflowing the conversion.
std::int32_t truncate_to_int(double v) noexcept
{
    const double t = std::trunc(v);
    if (!(t > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (t >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(t);
}

std::int32_t point(const SplineState& s, const std::array<double, kSplinePoints>& values,
                   std::uint32_t i) noexcept
{
    // No curve yet: reading "the last point" would index before the array.
    if (s.count <= 0) return 0;
    const std::uint32_t last = static_cast<std::uint32_t>(s.count) - 1;
    return truncate_to_int(values[i < static_cast<std::uint32_t>(s.count) ? i : last]);
}

}  // namespace

void calc_spline3(SplineState& s, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t x2, std::int32_t y2) noexcept
{
    s.controlX = {as_unsigned(x0), as_unsigned(x1), as_unsigned(x2)};
    s.controlY = {as_unsigned(y0), as_unsigned(y1), as_unsigned(y2)};
    const double cx = 2 * s.controlX[1] - (s.controlX[0] + s.controlX[2]) / 2;
    const double cy = 2 * s.controlY[1] - (s.controlY[0] + s.controlY[2]) / 2;
    for (int i = 0; i < kSplinePoints; ++i) {
        const double t = static_cast<double>(i) / (kSplinePoints - 1), u = 1 - t;
        s.x[i] = u * u * s.controlX[0] + 2 * t * u * cx + t * t * s.controlX[2];
        s.y[i] = u * u * s.controlY[0] + 2 * t * u * cy + t * t * s.controlY[2];
    }
    // The ends are the controls exactly, whatever rounding did above.
    s.x[0] = s.controlX[0], s.y[0] = s.controlY[0];
    s.x[kSplinePoints - 1] = s.controlX[2], s.y[kSplinePoints - 1] = s.controlY[2];
    s.count = kSplinePoints;
}

std::int32_t spline_x(const SplineState& s, std::uint32_t i) noexcept
{
    return point(s, s.x, i);
}
std::int32_t spline_y(const SplineState& s, std::uint32_t i) noexcept
{
    return point(s, s.y, i);
}

}  // namespace mve::brush

using namespace mve;

extern "C" {

MVE_API void MVE_CalcSpline3(int x0, int y0, int x1, int y1, int x2, int y2, int /*reserved*/)
{
    brush::calc_spline3(engine().spline, x0, y0, x1, y1, x2, y2);
}

MVE_API int MVE_GetSplinePointCount(void)
{
    return engine().spline.count;
}
MVE_API int MVE_GetSplinePointX(unsigned int index)
{
    return brush::spline_x(engine().spline, index);
}
MVE_API int MVE_GetSplinePointY(unsigned int index)
{
    return brush::spline_y(engine().spline, index);
}

}  // extern "C"
