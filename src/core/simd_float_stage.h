// The float stage's per-mode formulas on packed doubles: the same operations
// in the same order as the scalar formulas (core/merge_formulas.h), so every
// lane rounds exactly as the scalar stage does and the results are
// bit-identical. Branches become both sides computed and a lane select; a
// side whose lanes are thrown away may hold an infinity, never a value that
// is kept.
//
// Templates only, over a lane type V (core/simd_lanes.h for SSE2; the AVX2
// instantiation defines its own): the merge core runs them with one pixel
// per lane, the view renderer with the colour channels of one pixel in lanes.
//
// Keep this header free of non-template code: the AVX2 source includes it
// under a target switch, and anything not templated on its own lane type
// would be compiled twice for different processors.
#pragma once

#include <cstdint>

#include "core/blend_modes.h"
#include "core/simd_hsl_stage.h"

namespace mve::simd {

// Rc = Sc + Dc (1 - Sa).
template <class V>
inline V normal_rule(V sc, V dc, V invSa)
{
    return sc + dc * invSa;
}

// rest = Sc (1 - Da) + Dc (1 - Sa).
template <class V>
inline V rest_rule(V sc, V dc, V invSa, V invDa)
{
    return sc * invDa + dc * invSa;
}

// Rc = Sc Dc + rest.
template <class V>
inline V multiply_rule(V sc, V dc, V invSa, V invDa)
{
    return sc * dc + rest_rule(sc, dc, invSa, invDa);
}

// One lane per pixel: straight and premultiplied source, premultiplied
// destination, both alphas.
template <class V>
struct PixelLanes {
    V s[3], sc[3], dc[3];
    V sa, da;
};

// The luminance shift of 20 and 21: L = mean of Dc, k = |L - 0.5| (x 1.75) Sa.
template <int M, class V>
inline void colour_shift(const PixelLanes<V>& p, V rc[3])
{
    const V L = (p.dc[0] + p.dc[1] + p.dc[2]) * V::splat(0.33333334);
    const V half = V::splat(0.5);
    V k = abs(L - half);
    if constexpr (M == kHardColor) k = k * V::splat(1.75);
    k = k * p.sa;
    const V dark = less(L, half), invSa = V::splat(1.0) - p.sa;
    for (int i = 0; i < 3; ++i) rc[i] = select(dark, p.sc[i] - k, p.sc[i] + k) + p.dc[i] * invSa;
}

// Texturize and Texturize2: T = mean straight source, d = Dc / Da.
template <int M, class V>
inline void texturize(const PixelLanes<V>& p, V rc[3])
{
    const V zero = V::zero(), one = V::splat(1.0), half = V::splat(0.5), gain = V::splat(1.75);
    const V T = (p.s[0] + p.s[1] + p.s[2]) / V::splat(3.0);
    const V inv = select(less(zero, p.da), one / p.da, zero);
    const V d[3] = {p.dc[0] * inv, p.dc[1] * inv, p.dc[2] * inv};
    if constexpr (M == kTexturize) {
        const V L = (d[0] + d[1] + d[2]) * V::splat(0.33333334) + (T - half) * p.sa;
        for (int i = 0; i < 3; ++i) rc[i] = d[i] + (L - half) * gain * p.sa;
    } else {
        for (int i = 0; i < 3; ++i) rc[i] = d[i] + (T - half) * gain * p.sa;
    }
}

// Soft Light: m = Dc / Da and three branches on 2 Sc < Sa and 8 Dc <= Da.
template <class V>
inline V soft_light(V sc, V dc, V sa, V da)
{
    const V zero = V::zero(), one = V::splat(1.0), two = V::splat(2.0), eight = V::splat(8.0);
    const V m = select(less(zero, da), dc / da, zero);
    const V t = two * sc - sa;
    const V dark = dc * (t * (one - m) + sa);
    const V low = dc * (sa + t * (one - m) * (V::splat(3.0) - eight * m));
    const V high = dc * sa + t * (sqrt(m) * da - dc);
    return select(less(two * sc, sa), dark, select(less_equal(eight * dc, da), low, high));
}

// Premultiplied result of formula M for one channel (the separable modes).
template <int M, class V>
inline V separable(V sc, V dc, V sa, V da, V invSa, V invDa)
{
    const V two = V::splat(2.0);
    if constexpr (M == kNormal) return normal_rule(sc, dc, invSa);
    if constexpr (M == kMultiply) return multiply_rule(sc, dc, invSa, invDa);
    if constexpr (M == kScreen) return sc + dc - sc * dc;
    if constexpr (M == kDarken || M == kLighten) {
        const V under = dc + sc * invDa, over = normal_rule(sc, dc, invSa);
        const V cond = M == kDarken ? less_equal(dc * sa, sc * da) : less_equal(sc * da, dc * sa);
        return select(cond, under, over);
    }
    if constexpr (M == kDifference) return sc + dc - two * min_of(sc * da, dc * sa);
    if constexpr (M == kNegation) return sc * da + dc * sa - two * sc * dc + rest_rule(sc, dc, invSa, invDa);
    if constexpr (M == kOverlay || M == kHardLight) {
        const V cond = M == kOverlay ? less(two * dc, da) : less(two * sc, sa);
        const V r = select(cond, two * sc * dc, sa * da - two * (da - dc) * (sa - sc));
        return r + rest_rule(sc, dc, invSa, invDa);
    }
    if constexpr (M == kSoftLight) return soft_light(sc, dc, sa, da) + rest_rule(sc, dc, invSa, invDa);
    if constexpr (M == kDodge) {
        const V full = sa * da;
        const V r = select(less_equal(full, sc * da + dc * sa), full, dc * sa / (V::splat(1.0) - sc / sa));
        return r + rest_rule(sc, dc, invSa, invDa);
    }
    if constexpr (M == kBurn) {
        const V zero = V::zero();
        const V t = sc * da + dc * sa - sa * da;
        const V r = select(less_equal(t, zero), zero, select(less(zero, sc), t * sa / sc, two));
        return r + rest_rule(sc, dc, invSa, invDa);
    }
    if constexpr (M == kAnd || M == kOr || M == kXor) {
        // x = trunc(Sc Sa 65535), y = trunc(Dc 65535) (both at most 65791),
        // Rc = (x op y) / 65535; the integers pass through memory.
        const V full = V::splat(65535.0);
        alignas(32) std::uint32_t x[4], y[4];
        (sc * sa * full).truncate_to(x);
        (dc * full).truncate_to(y);
        for (int k = 0; k < V::kWidth; ++k)
            x[k] = M == kAnd ? (x[k] & y[k]) : M == kOr ? (x[k] | y[k]) : (x[k] ^ y[k]);
        return V::from_u32(x) / full;
    }
    if constexpr (M == kAdd) return sc + dc;
    if constexpr (M == kSubtract) return sc + dc - sa * da;
    if constexpr (M == kTexturize3) return dc;
}

// Premultiplied result of formula M on pixel lanes.
template <int M, class V>
inline void blend_lanes(const PixelLanes<V>& p, V rc[3])
{
    if constexpr (M == kColor || M == kHardColor) {
        colour_shift<M>(p, rc);
    } else if constexpr (M == kTexturize || M == kTexturize2) {
        texturize<M>(p, rc);
    } else if constexpr (M >= kColorize && M <= kHslColor) {
        hsl_blend_lanes<M>(p.s, p.dc, p.sa, rc);
    } else {
        const V one = V::splat(1.0);
        const V invSa = one - p.sa, invDa = one - p.da;
        for (int i = 0; i < 3; ++i) rc[i] = separable<M>(p.sc[i], p.dc[i], p.sa, p.da, invSa, invDa);
    }
}

}  // namespace mve::simd
