// The float stage of the merge core: the per-mode formulas on premultiplied
// colour. Shared by the merge core, MVE_MergePixel and the view renderer.
//
// Contract: colours are on the 65280 scale (1.0 = 65280 = 0xFF00, so a 16-bit
// 0xFFFF is slightly above 1.0), alphas on the 65535 scale (1.0 = 65535).
// Sc = s * Sa and Dc = d * Da are the premultiplied colours. Each mode gives
// a premultiplied result Rc and a result alpha; the stage clamps the alpha to
// [0, 1], divides once by it and clamps each colour to [0, 1].
#pragma once

#include <cstdint>

namespace mve {

// Straight colour (r, g, b on the 65280 scale) with alpha (65535 scale).
struct FloatPixel {
    double r = 0, g = 0, b = 0, a = 0;
};

// Blends straight `src` over straight `dst` with blend mode `mode` (the mode
// after the alpha-mode step: 0..30; 16, 17, 30, 31 and anything above 30 blend
// as Normal, so pass 28 for 40 and 41). Returns the straight, clamped result;
// a result alpha of 0 gives all zero. This is the scalar reference of every
// mode formula; the merge core runs the same formulas per mode family.
FloatPixel blend_float(int mode, const FloatPixel& src, const FloatPixel& dst) noexcept;

// The 16-bit form: source (s, a) and destination (d, dA) as stored values;
// result colours = clamped colour x 65280 truncated, alpha x 65535 truncated.
void blend_float16(int mode, const std::uint32_t s[4], const std::uint32_t d[4], std::uint32_t out[4]) noexcept;

}  // namespace mve
