// The HSL modes of the float stage (Colorize, Hue, Saturation, Luminosity,
// Color) on packed lanes. The colour models run in single precision, as
// rgb_to_hsl_f and hsl_to_rgb_f do (core/colour_models.cpp): every float
// operation of theirs is done here in the same order on four float lanes
// (one SSE register), of which the first V::kWidth carry pixels; branches
// become both sides and a select. So the results are bit-identical to the
// scalar stage, including the conversions double -> float -> double.
//
// Templates only, over the double lane type V (see core/simd_float_stage.h
// for why). V supplies to_floats() and from_floats().
#pragma once

#include <emmintrin.h>

#include "core/blend_modes.h"

namespace mve::simd {

namespace hsl_lanes {

// mask ? a : b per lane.
template <class V>
inline __m128 pick(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

template <class V>
inline __m128 splat(float x)
{
    return _mm_set1_ps(x);
}

// Hue, saturation (0..1) and lightness of one lane per pixel, h in degrees.
template <class V>
struct Hsl {
    __m128 h, s, l;
};

// (max + min) / 2 of the channels.
template <class V>
inline __m128 lightness(const __m128 c[3])
{
    const __m128 mx = _mm_max_ps(_mm_max_ps(c[0], c[1]), c[2]);
    const __m128 mn = _mm_min_ps(_mm_min_ps(c[0], c[1]), c[2]);
    return _mm_div_ps(_mm_add_ps(mx, mn), splat<V>(2.0f));
}

// rgb_to_hsl_f on lanes: a grey (delta 0) has hue and saturation 0.
template <class V>
inline Hsl<V> rgb_to_hsl(const __m128 c[3])
{
    const __m128 r = c[0], g = c[1], b = c[2];
    const __m128 mx = _mm_max_ps(_mm_max_ps(r, g), b), mn = _mm_min_ps(_mm_min_ps(r, g), b);
    const __m128 delta = _mm_sub_ps(mx, mn), zero = _mm_setzero_ps(), one = splat<V>(1.0f);
    Hsl<V> out;
    out.l = _mm_div_ps(_mm_add_ps(mx, mn), splat<V>(2.0f));
    const __m128 sDark = _mm_div_ps(delta, _mm_add_ps(mx, mn));
    const __m128 sLight = _mm_div_ps(delta, _mm_sub_ps(_mm_sub_ps(splat<V>(2.0f), mx), mn));
    const __m128 s = pick<V>(_mm_cmplt_ps(out.l, splat<V>(0.5f)), sDark, sLight);
    // dX = (sixth of (max - X) + delta / 2) / delta; a sixth is x * 0.16666667f.
    const __m128 halfDelta = _mm_div_ps(delta, splat<V>(2.0f)), sixth = splat<V>(0.16666667f);
    auto dist = [&](__m128 x) {
        return _mm_div_ps(_mm_add_ps(_mm_mul_ps(_mm_sub_ps(mx, x), sixth), halfDelta), delta);
    };
    const __m128 dR = dist(r), dG = dist(g), dB = dist(b);
    const __m128 hR = _mm_sub_ps(dB, dG);
    const __m128 hG = _mm_sub_ps(_mm_add_ps(dR, splat<V>(1.0f / 3.0f)), dB);
    const __m128 hB = _mm_sub_ps(_mm_add_ps(dG, splat<V>(2.0f / 3.0f)), dR);
    __m128 h = pick<V>(_mm_cmpeq_ps(r, mx), hR, pick<V>(_mm_cmpeq_ps(g, mx), hG, hB));
    h = pick<V>(_mm_cmplt_ps(h, zero), _mm_add_ps(h, one), h);
    h = pick<V>(_mm_cmpgt_ps(h, one), _mm_sub_ps(h, one), h);
    h = _mm_mul_ps(h, splat<V>(360.0f));
    const __m128 grey = _mm_cmpeq_ps(delta, zero);
    out.h = _mm_andnot_ps(grey, h);
    out.s = _mm_andnot_ps(grey, s);
    return out;
}

// One channel of hsl_to_rgb_f from the hue shifted for it.
template <class V>
inline __m128 hue_channel(__m128 lo, __m128 hi, __m128 h)
{
    const __m128 full = splat<V>(360.0f), sixty = splat<V>(60.0f);
    h = pick<V>(_mm_cmpgt_ps(h, full), _mm_sub_ps(h, full), h);
    h = pick<V>(_mm_cmplt_ps(h, _mm_setzero_ps()), _mm_add_ps(h, full), h);
    const __m128 span = _mm_sub_ps(hi, lo);
    const __m128 rising = _mm_add_ps(lo, _mm_div_ps(_mm_mul_ps(span, h), sixty));
    const __m128 falling =
        _mm_add_ps(lo, _mm_div_ps(_mm_mul_ps(span, _mm_sub_ps(splat<V>(240.0f), h)), sixty));
    const __m128 tail = pick<V>(_mm_cmplt_ps(h, splat<V>(240.0f)), falling, lo);
    const __m128 top = pick<V>(_mm_cmplt_ps(h, splat<V>(180.0f)), hi, tail);
    return pick<V>(_mm_cmplt_ps(h, sixty), rising, top);
}

// hsl_to_rgb_f on lanes: saturation 0 gives the grey l.
template <class V>
inline void hsl_to_rgb(__m128 h, __m128 s, __m128 l, __m128 c[3])
{
    const __m128 one = splat<V>(1.0f), third = splat<V>(120.0f);
    const __m128 hiDark = _mm_mul_ps(l, _mm_add_ps(one, s));
    const __m128 hiLight = _mm_sub_ps(_mm_add_ps(l, s), _mm_mul_ps(l, s));
    const __m128 hi = pick<V>(_mm_cmplt_ps(l, splat<V>(0.5f)), hiDark, hiLight);
    const __m128 lo = _mm_sub_ps(_mm_mul_ps(splat<V>(2.0f), l), hi);
    const __m128 grey = _mm_cmpeq_ps(s, _mm_setzero_ps());
    c[0] = pick<V>(grey, l, hue_channel<V>(lo, hi, _mm_add_ps(h, third)));
    c[1] = pick<V>(grey, l, hue_channel<V>(lo, hi, h));
    c[2] = pick<V>(grey, l, hue_channel<V>(lo, hi, _mm_sub_ps(h, third)));
}

}  // namespace hsl_lanes

// Modes 22..26 on pixel lanes: a colour c from the HSL of the straight
// source s and the premultiplied destination dc, then Rc = Dc (1 - Sa) + c Sa.
template <int M, class V>
inline void hsl_blend_lanes(const V s[3], const V dc[3], V sa, V rc[3])
{
    using namespace hsl_lanes;
    const __m128 src[3] = {s[0].to_floats(), s[1].to_floats(), s[2].to_floats()};
    const __m128 dst[3] = {dc[0].to_floats(), dc[1].to_floats(), dc[2].to_floats()};
    __m128 c[3];
    if constexpr (M == kColorize) {
        // Grey of the premultiplied destination (in double); the HSL lightness of a grey is the grey.
        const Hsl<V> from = rgb_to_hsl<V>(src);
        const V grey = (V::splat(3.0) * dc[0] + V::splat(4.0) * dc[1] + dc[2]) / V::splat(8.0);
        hsl_to_rgb<V>(from.h, from.s, grey.to_floats(), c);
    } else if constexpr (M == kHslColor) {
        const Hsl<V> from = rgb_to_hsl<V>(src);
        hsl_to_rgb<V>(from.h, from.s, lightness<V>(dst), c);
    } else if constexpr (M == kHslLum) {
        const Hsl<V> under = rgb_to_hsl<V>(dst);
        hsl_to_rgb<V>(under.h, under.s, lightness<V>(src), c);
    } else {
        const Hsl<V> from = rgb_to_hsl<V>(src), under = rgb_to_hsl<V>(dst);
        if constexpr (M == kHslHue) hsl_to_rgb<V>(from.h, under.s, under.l, c);
        if constexpr (M == kHslSat) hsl_to_rgb<V>(under.h, from.s, under.l, c);
    }
    const V invSa = V::splat(1.0) - sa;
    for (int i = 0; i < 3; ++i) rc[i] = dc[i] * invSa + V::from_floats(c[i]) * sa;
}

}  // namespace mve::simd
