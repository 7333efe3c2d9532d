// MVE_MergePixel: the merge core's rules on one pixel held in variables.
#include "core/merge_pixel.h"

#include <algorithm>

#include "core/alpha_modes.h"
#include "core/blend_modes.h"
#include "core/core_state.h"
#include "core/guard.h"
#include "core/merge_modes.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

using u32 = std::uint32_t;

u32 channel16(int v) noexcept
{
    return static_cast<u32>(std::clamp(v, 0, 65535));
}

}  // namespace

void merge_pixel(int& dR, int& dG, int& dB, int& dA, int sR, int sG, int sB, int sA, int mode, int level,
                 bool lockAlpha, std::uint16_t alphaLayerOpacity) noexcept
{
    u32 a = channel16(sA);
    if (a == 0 && !is_alpha_mode(mode)) return;
    u32 r = channel16(sR), g = channel16(sG), b = channel16(sB);
    // The alpha-mode step first, then the level (only when below 255).
    const int blend = alpha_mode_step(mode, r, g, b, a, alphaLayerOpacity);
    if (level < 255) a = (static_cast<u32>(std::max(level, 0) + 1) * a) >> 8;
    u32 out[4] = {r, g, b, a};
    if (channel16(dA) == 0) {
        // The mode after the alpha step decides, so 40 and 41 (as 28) empty the pixel.
        if (blend_needs_destination(blend) || a == 0) out[0] = out[1] = out[2] = out[3] = 0;
    } else if (a == 0) {
        return;
    } else if (!(blend == kNormal && a > 0xFEFF)) {
        const u32 s[4] = {r, g, b, a};
        const u32 d[4] = {channel16(dR), channel16(dG), channel16(dB), channel16(dA)};
        blend_float16(blend, s, d, out);
    }
    dR = static_cast<int>(out[0]);
    dG = static_cast<int>(out[1]);
    dB = static_cast<int>(out[2]);
    if (!lockAlpha) dA = static_cast<int>(out[3]);
}

namespace core {

void merge_pixel_variables(const CoreState& e, int* dR, int* dG, int* dB, int* dA, int sR, int sG, int sB,
                           int sA, int mode, int level, int lockAlpha) noexcept
{
    if (!dR || !dG || !dB || !dA) return;
    merge_pixel(*dR, *dG, *dB, *dA, sR, sG, sB, sA, mode, level, lockAlpha != 0, e.layers.alphaLayerOpacity);
}

}  // namespace core

}  // namespace mve

using namespace mve;

extern "C" MVE_API void MVE_MergePixel(int* dR, int* dG, int* dB, int* dA, int sR, int sG, int sB, int sA,
                                       int mode, int level, int lockAlpha)
{
    guarded("MVE_MergePixel Excpt", [&] {
        core::merge_pixel_variables(core_state(), dR, dG, dB, dA, sR, sG, sB, sA, mode, level, lockAlpha);
    });
}
