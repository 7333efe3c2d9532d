// Run-time dispatched forms of the float stage for single pixels (the view
// renderer, MVE_MergePixel, tests). The merge core instantiates the same
// templates per mode instead of dispatching per pixel.
#include "core/merge_modes.h"

#include "core/merge_formulas.h"

namespace mve {

namespace {

using namespace formulas;

}  // namespace

FloatPixel blend_float(int mode, const FloatPixel& src, const FloatPixel& dst) noexcept
{
    return dispatch_formula_mode(mode, [&]<int M>() { return blend_straight<M>(src, dst); });
}

void blend_float16(int mode, const std::uint32_t s[4], const std::uint32_t d[4],
                   std::uint32_t out[4]) noexcept
{
    const std::uint16_t d16[4] = {static_cast<std::uint16_t>(d[0]), static_cast<std::uint16_t>(d[1]),
                                  static_cast<std::uint16_t>(d[2]), static_cast<std::uint16_t>(d[3])};
    dispatch_formula_mode(mode, [&]<int M>() { blend16<M>(s[0], s[1], s[2], s[3], d16, out); });
}

}  // namespace mve
