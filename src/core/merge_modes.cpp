// Run-time dispatched forms of the float stage for single pixels (the view
// renderer, MVE_MergePixel, tests). The merge core instantiates the same
// templates per mode instead of dispatching per pixel.
#include "core/merge_modes.h"

#include "core/merge_formulas.h"

namespace mve {

namespace {

using namespace formulas;

// Calls fn.template operator()<M>() for the mode's formula family.
template <class Fn>
auto dispatch(int mode, Fn&& fn)
{
    switch (mode) {
#define MVE_MODE(n) \
    case n:         \
        return fn.template operator()<n>();
        MVE_MODE(1)
        MVE_MODE(2) MVE_MODE(3) MVE_MODE(4) MVE_MODE(5) MVE_MODE(6) MVE_MODE(7) MVE_MODE(8) MVE_MODE(9)
            MVE_MODE(10) MVE_MODE(11) MVE_MODE(12) MVE_MODE(13) MVE_MODE(14) MVE_MODE(15) MVE_MODE(18)
                MVE_MODE(19) MVE_MODE(20) MVE_MODE(21) MVE_MODE(22) MVE_MODE(23) MVE_MODE(24) MVE_MODE(25)
                    MVE_MODE(26) MVE_MODE(27) MVE_MODE(28) MVE_MODE(29)
#undef MVE_MODE
                        default : return fn.template operator()<0>();
    }
}

}  // namespace

FloatPixel blend_float(int mode, const FloatPixel& src, const FloatPixel& dst) noexcept
{
    return dispatch(mode, [&]<int M>() { return blend_straight<M>(src, dst); });
}

void blend_float16(int mode, const std::uint32_t s[4], const std::uint32_t d[4],
                   std::uint32_t out[4]) noexcept
{
    const std::uint16_t d16[4] = {static_cast<std::uint16_t>(d[0]), static_cast<std::uint16_t>(d[1]),
                                  static_cast<std::uint16_t>(d[2]), static_cast<std::uint16_t>(d[3])};
    dispatch(mode, [&]<int M>() { blend16<M>(s[0], s[1], s[2], s[3], d16, out); });
}

}  // namespace mve
