// The batch kernel of the merge core's packed float stage, templated on the
// lane type: blend16 (core/merge_formulas.h) on V::kWidth pixels at once,
// the same operations in the same order.
//
// Like simd_float_stage.h, only templates over the lane type live here: the
// AVX2 source includes it under a target switch.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "core/merge_float_batch.h"
#include "core/merge_formulas.h"
#include "core/simd_float_stage.h"

namespace mve::simd {

// Result alpha as the colour division uses it (formulas::result_alpha).
template <int M, class V>
inline V result_alpha_lanes(V sa, V da)
{
    constexpr formulas::AlphaRule rule = formulas::alpha_rule(M);
    if constexpr (rule == formulas::AlphaRule::Union) return sa + da * (V::splat(1.0) - sa);
    if constexpr (rule == formulas::AlphaRule::Sum) return min_of(sa + da, V::splat(1.0));
    if constexpr (rule == formulas::AlphaRule::Dest) return da;
}

// Blends V::kWidth pixels whose channels are the first lanes of ch[0..7]
// (source r, g, b, a, then destination r, g, b, a; 16-bit values) and
// writes their colours (16-bit) to out[0..2].
template <int M, class V>
[[gnu::always_inline]] inline void blend_group(const std::uint32_t* const ch[8], std::uint32_t* const out[3])
{
    const V invAlpha = V::splat(formulas::kInv65535), invColour = V::splat(formulas::kInv65280);
    PixelLanes<V> p;
    p.sa = V::from_u32(ch[3]) * invAlpha;
    p.da = V::from_u32(ch[7]) * invAlpha;
    for (int c = 0; c < 3; ++c) {
        p.s[c] = V::from_u32(ch[c]) * invColour;
        p.sc[c] = p.s[c] * p.sa;
        p.dc[c] = V::from_u32(ch[4 + c]) * invColour * p.da;
    }
    V rc[3];
    blend_lanes<formulas::formula_of(M)>(p, rc);
    // One division; a zero alpha leaves black. Colours clamp to [0, 65280] and truncate.
    const V ar = result_alpha_lanes<M>(p.sa, p.da);
    const V zero = V::zero(), top = V::splat(65280.0);
    const V scale = select(less(zero, ar), top / ar, zero);
    for (int c = 0; c < 3; ++c) min_of(max_zero(rc[c] * scale), top).truncate_to(out[c]);
}

template <int M, class V>
void blend_batch(FloatBatch& b)
{
    const int n = b.count;
    // The last register is filled with copies of the last pixel; their results are dropped.
    for (int k = n; k % V::kWidth != 0; ++k) {
        b.r[k] = b.r[n - 1], b.g[k] = b.g[n - 1], b.b[k] = b.b[n - 1], b.a[k] = b.a[n - 1];
        b.dr[k] = b.dr[n - 1], b.dg[k] = b.dg[n - 1], b.db[k] = b.db[n - 1], b.da[k] = b.da[n - 1];
        b.dst[k] = b.dst[n - 1];
    }
    for (int i = 0; i < n; i += V::kWidth) {
        alignas(32) std::uint32_t out[3][4];
        const std::uint32_t* const ch[8] = {b.r + i,  b.g + i,  b.b + i,  b.a + i,
                                            b.dr + i, b.dg + i, b.db + i, b.da + i};
        std::uint32_t* const outs[3] = {out[0], out[1], out[2]};
        blend_group<M, V>(ch, outs);
        const int lanes = n - i < V::kWidth ? n - i : V::kWidth;
        for (int k = 0; k < lanes; ++k) {
            std::uint16_t* d = b.dst[i + k];
            const std::uint32_t alpha = formulas::result_alpha16<M>(b.a[i + k], b.da[i + k]);
            d[0] = static_cast<std::uint16_t>(out[0][k]);
            d[1] = static_cast<std::uint16_t>(out[1][k]);
            d[2] = static_cast<std::uint16_t>(out[2][k]);
            if (!b.lockAlpha) d[3] = static_cast<std::uint16_t>(alpha);
        }
    }
}

// Four neighbouring RGBA64 pixels in two SSE2 registers, sorted into
// channels and back. Templated on the lane type only so that each
// instruction level compiles its own copy (see the note at the top).
template <class V>
struct Quad {
    // p0 = pixels 0 and 1, p1 = pixels 2 and 3 -> c[k][i] = channel k of pixel i.
    static void split(__m128i p0, __m128i p1, std::uint32_t c[4][4])
    {
        const __m128i t0 = _mm_unpacklo_epi16(p0, p1), t1 = _mm_unpackhi_epi16(p0, p1);
        const __m128i rg = _mm_unpacklo_epi16(t0, t1), ba = _mm_unpackhi_epi16(t0, t1);
        const __m128i zero = _mm_setzero_si128();
        _mm_store_si128(reinterpret_cast<__m128i*>(c[0]), _mm_unpacklo_epi16(rg, zero));
        _mm_store_si128(reinterpret_cast<__m128i*>(c[1]), _mm_unpackhi_epi16(rg, zero));
        _mm_store_si128(reinterpret_cast<__m128i*>(c[2]), _mm_unpacklo_epi16(ba, zero));
        _mm_store_si128(reinterpret_cast<__m128i*>(c[3]), _mm_unpackhi_epi16(ba, zero));
    }
    // Four 32-bit values read as two halves: the SSE2 kernels write them
    // that way, and a load spanning two separate stores stalls.
    static __m128i load_halves(const std::uint32_t* p)
    {
        return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 2)));
    }
    // Two rows of 32-bit values 0..65535 packed to 16 bits (SSE2 has only
    // the signed saturating pack, hence the shift by 32768 and back).
    static __m128i pack16(const std::uint32_t* lo, const std::uint32_t* hi)
    {
        const __m128i bias = _mm_set1_epi32(32768);
        const __m128i a = _mm_sub_epi32(load_halves(lo), bias);
        const __m128i b = _mm_sub_epi32(load_halves(hi), bias);
        return _mm_xor_si128(_mm_packs_epi32(a, b), _mm_set1_epi16(static_cast<short>(0x8000)));
    }
    // The inverse of split: four pixels stored at d[0..15].
    static void join(const std::uint32_t c[4][4], std::uint16_t* d)
    {
        const __m128i rg = pack16(c[0], c[1]), ba = pack16(c[2], c[3]);
        const __m128i t0 = _mm_unpacklo_epi16(rg, ba), t1 = _mm_unpackhi_epi16(rg, ba);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi16(t0, t1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi16(t0, t1));
    }
    // Whether all four pixels go to the float stage as they are: no source
    // or destination alpha is 0 and, under the Normal rule, no source alpha
    // is above 0xFEFF (its high byte 0xFF). Alphas are 16-bit words 3 and 7.
    template <bool NormalRule>
    static bool blendable(__m128i s0, __m128i s1, __m128i d0, __m128i d1)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i empty =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(s0, zero), _mm_cmpeq_epi16(s1, zero)),
                         _mm_or_si128(_mm_cmpeq_epi16(d0, zero), _mm_cmpeq_epi16(d1, zero)));
        int refused = _mm_movemask_epi8(empty) & 0xC0C0;
        if constexpr (NormalRule) {
            const __m128i ones = _mm_cmpeq_epi8(zero, zero);
            const __m128i full = _mm_or_si128(_mm_cmpeq_epi8(s0, ones), _mm_cmpeq_epi8(s1, ones));
            refused |= _mm_movemask_epi8(full) & 0x8080;
        }
        return refused == 0;
    }
};

// Blends neighbouring pixels in place, four at a time straight from the
// planes, for as long as whole groups of four go to the float stage;
// returns how many were blended (a multiple of four, at most `count`).
template <int M, class V>
int blend_run(const std::uint16_t* s, std::uint16_t* d, int count, bool lockAlpha)
{
    using Q = Quad<V>;
    constexpr bool normalRule = formulas::formula_of(M) == kNormal;
    int x = 0;
    for (; x + 4 <= count; x += 4, s += 16, d += 16) {
        const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
        const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 8));
        if (!Q::template blendable<normalRule>(s0, s1, d0, d1)) break;
        alignas(16) std::uint32_t src[4][4], dst[4][4], out[4][4];
        Q::split(s0, s1, src);
        Q::split(d0, d1, dst);
        for (int i = 0; i < 4; i += V::kWidth) {
            const std::uint32_t* const ch[8] = {src[0] + i, src[1] + i, src[2] + i, src[3] + i,
                                                dst[0] + i, dst[1] + i, dst[2] + i, dst[3] + i};
            std::uint32_t* const outs[3] = {out[0] + i, out[1] + i, out[2] + i};
            blend_group<M, V>(ch, outs);
        }
        for (int k = 0; k < 4; ++k)
            out[3][k] = lockAlpha ? dst[3][k] : formulas::result_alpha16<M>(src[3][k], dst[3][k]);
        Q::join(out, d);
    }
    return x;
}

// The kernels of a mode for lane type V.
template <class V>
FloatKernels kernels_for(int mode)
{
    return dispatch_formula_mode(mode, []<int M>() -> FloatKernels {
        return {&blend_batch<M, V>, &blend_run<M, V>};
    });
}

}  // namespace mve::simd
