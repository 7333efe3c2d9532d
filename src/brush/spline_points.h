// A smooth curve through three control points for the host's curve tools.
//
// The curve is the quadratic
//   B(t) = (1-t)^2 P0 + 2t(1-t) C + t^2 P2,   C = 2 P1 - (P0 + P2) / 2,
// sampled at t = i / 99 for i = 0..99. It starts at P0, ends at P2 and passes
// through P1 at t = 1/2 (B(1/2) = (P0 + 2C + P2) / 4 = P1), so it interpolates
// all three controls, with a tangent at P1 parallel to P2 - P0.
#pragma once

#include <cstdint>

#include "brush/spline_state.h"

namespace mve::brush {

// Controls are unsigned 32-bit values: a negative argument enters as
// value + 4294967296.
void calc_spline3(SplineState& s, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t x2, std::int32_t y2) noexcept;

// Point i (the last point for i at or past the count) truncated toward zero;
// values beyond the int32 range saturate. 0 while no curve has been made.
std::int32_t spline_x(const SplineState& s, std::uint32_t i) noexcept;
std::int32_t spline_y(const SplineState& s, std::uint32_t i) noexcept;

}  // namespace mve::brush
