// The view's float stage for the two rules most pixels take: Normal (and
// every mode that blends as Normal) and Multiply, with the four channels of a
// pixel in two SSE2 double pairs.
//
// Every operation is the one formulas::blend_straight performs, in the same
// order and the same precision (float products of the 16-bit values, double
// blending, one division by the result alpha, clamps to [0, 1], rounding
// back to float; the Normal and Multiply rules are the merge core's packed
// ones, core/simd_float_stage.h), so the results are bit-identical to the scalar stage: a
// packed SSE2 operation rounds each lane exactly as its scalar form does, and
// no multiply-add is ever fused.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "core/simd_float_stage.h"
#include "core/simd_lanes.h"

namespace mve {

enum class VectorRule { kNormal, kMultiply };

// dst: the composite as floats (colour on the 65280 scale, alpha on 65535),
// replaced by the result. R, G, B, A: the straight 16-bit source.
template <VectorRule Rule>
inline void combine_vector(float dst[4], std::uint32_t R, std::uint32_t G, std::uint32_t B,
                           std::uint32_t A) noexcept
{
    // Source as floats: s = R / 65280, Sa = A / 65535, each a float product.
    const __m128 unitF = _mm_setr_ps(1.0f / 65280.0f, 1.0f / 65280.0f, 1.0f / 65280.0f, 1.0f / 65535.0f);
    const __m128 srcF = _mm_mul_ps(_mm_cvtepi32_ps(_mm_setr_epi32(static_cast<int>(R), static_cast<int>(G),
                                                                  static_cast<int>(B), static_cast<int>(A))),
                                   unitF);
    const __m128 dstF = _mm_loadu_ps(dst);
    const __m128d sRG = _mm_cvtps_pd(srcF), sBA = _mm_cvtps_pd(_mm_movehl_ps(srcF, srcF));
    const __m128d dRG = _mm_cvtps_pd(dstF), dBA = _mm_cvtps_pd(_mm_movehl_ps(dstF, dstF));
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d sa = _mm_unpackhi_pd(sBA, sBA), da = _mm_unpackhi_pd(dBA, dBA);
    const __m128d invSa = _mm_sub_pd(one, sa);
    // Sc = s Sa, Dc = d Da.
    const __m128d scRG = _mm_mul_pd(sRG, sa), scBA = _mm_mul_pd(sBA, sa);
    const __m128d dcRG = _mm_mul_pd(dRG, da), dcBA = _mm_mul_pd(dBA, da);
    // The packed rules shared with the merge core, on channel pairs.
    using simd::Lanes2;
    const Lanes2 invSaL{invSa};
    Lanes2 rRG, rBA;
    if constexpr (Rule == VectorRule::kNormal) {
        rRG = simd::normal_rule(Lanes2{scRG}, Lanes2{dcRG}, invSaL);
        rBA = simd::normal_rule(Lanes2{scBA}, Lanes2{dcBA}, invSaL);
    } else {
        const Lanes2 invDaL{_mm_sub_pd(one, da)};
        rRG = simd::multiply_rule(Lanes2{scRG}, Lanes2{dcRG}, invSaL, invDaL);
        rBA = simd::multiply_rule(Lanes2{scBA}, Lanes2{dcBA}, invSaL, invDaL);
    }
    // Union alpha Sa + Da (1 - Sa), clamped to [0, 1]; nothing left is black.
    double ar = _mm_cvtsd_f64(_mm_add_sd(sa, _mm_mul_sd(da, invSa)));
    ar = ar < 0 ? 0 : (ar > 1 ? 1 : ar);
    if (!(ar > 0)) {
        _mm_storeu_ps(dst, _mm_setzero_ps());
        return;
    }
    const __m128d inv = _mm_set1_pd(1 / ar);
    // Each colour Rc / alpha clamped to [0, 1]; max(v, 0) also turns a NaN into 0.
    const __m128d zero = _mm_setzero_pd();
    const __m128d cRG = _mm_min_pd(_mm_max_pd(_mm_mul_pd(rRG.v, inv), zero), one);
    const __m128d cBA = _mm_min_pd(_mm_max_pd(_mm_mul_pd(rBA.v, inv), zero), one);
    const __m128 out = _mm_movelh_ps(_mm_cvtpd_ps(cRG), _mm_cvtpd_ps(cBA));
    _mm_storeu_ps(dst, out);
    dst[3] = static_cast<float>(ar);
}

// The Normal rule under an opaque source. Sa = 65535 x (1 / 65535) is exactly
// 1 in float, so 1 - Sa = 0, Rc = s x 1 + Dc x 0 = s, the union alpha is 1 and
// the division is by 1: the result is the clamped source, whatever the
// composite was.
static_assert(65535.0f * (1.0f / 65535.0f) == 1.0f, "an opaque source alpha must be exactly 1");
inline void replace_by_opaque(float dst[4], std::uint32_t R, std::uint32_t G, std::uint32_t B) noexcept
{
    const __m128 unit = _mm_setr_ps(1.0f / 65280.0f, 1.0f / 65280.0f, 1.0f / 65280.0f, 0.0f);
    const __m128 s = _mm_mul_ps(
        _mm_cvtepi32_ps(_mm_setr_epi32(static_cast<int>(R), static_cast<int>(G), static_cast<int>(B), 0)),
        unit);
    // Colours above 65280 are above 1 and clamp to it.
    _mm_storeu_ps(dst, _mm_min_ps(_mm_set1_ps(1.0f), s));
    dst[3] = 1.0f;
}

}  // namespace mve
