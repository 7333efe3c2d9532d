// Paint mix modes: how a dab's paint S combines with the canvas colour D.
//
// Fixed-point contract: every channel is a 16-bit value held in a 32-bit
// integer (0..65535); all arithmetic is integer with shifts except code 42,
// which works in floating point. The codes are those of MVE_SetMixMode; they
// are not the layer blend modes. Codes 32 and 33 are alpha-aware and handled
// by the dab's compose step; this file gives the per-channel blend B of the
// codes 34 and above, shared by the dab rasteriser and the blend-buffer mix.
#pragma once

#include <array>
#include <cstdint>

#include "brush/brush_state.h"

namespace mve {

using Rgb32 = std::array<std::uint32_t, 3>;

// What a blend needs besides S and D.
struct PaintMixInputs {
    int code = 0;
    std::array<Rgb32, 4> banks{};  // colour banks 0..3
    Rgb32 brush{};                 // the brush colour itself (code 425)
    int shift = 0;                 // (int)((t - 127) / 127 * 16), code 295
};

struct PaintMixResult {
    Rgb32 b{};
    bool keepDestination = false;  // B = D and Ra = Da, no strength blend
    bool lerp = false;             // the strength blend with t applies
};

// L = (Sr + Sg + Sb) / 3 and the weighted luminance (3R + 4G + B) >> 3.
inline std::uint32_t mean_of(const Rgb32& c) { return (c[0] + c[1] + c[2]) / 3; }
inline std::uint32_t weighted_luma(const Rgb32& c) { return (3 * c[0] + 4 * c[1] + c[2]) >> 3; }

// The inputs as the brush settings give them.
inline PaintMixInputs paint_mix_inputs(const BrushSettings& brush)
{
    PaintMixInputs in;
    in.code = brush.mixMode;
    for (int k = 0; k < 4; ++k) in.banks[k] = {brush.bankR[k], brush.bankG[k], brush.bankB[k]};
    in.brush = {brush.color[0], brush.color[1], brush.color[2]};
    in.shift = brush.mixLevel16;
    return in;
}

// Blend B of a code 34 or above (code 340's alpha and grey are the caller's).
// Codes without an entry give B = S with no strength blend.
PaintMixResult paint_mix(const PaintMixInputs& in, const Rgb32& S, const Rgb32& D);

// True for the codes the table defines (34..48, 249..262, 295, 340, 387, 388, 425).
bool paint_mix_has_entry(int code);

// The strength blend of the modes marked for it, t = mix level 0..256:
// B = (((S * (256 - t)) >> 4) + ((B * t) >> 4)) >> 4.
inline std::uint32_t strength_lerp(std::uint32_t s, std::uint32_t b, int t)
{
    return (((s * static_cast<std::uint32_t>(256 - t)) >> 4) + ((b * static_cast<std::uint32_t>(t)) >> 4)) >> 4;
}

}  // namespace mve
