// The batch kernel of the merge core's packed float stage, templated on the
// lane type: blend16 (core/merge_formulas.h) on V::kWidth pixels at once,
// the same operations in the same order.
//
// Like simd_float_stage.h, only templates over the lane type live here: the
// AVX2 source includes it under a target switch.
#pragma once

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

// Blends lanes [i, i + V::kWidth) of the batch into `out` (colours, 16-bit).
template <int M, class V>
[[gnu::always_inline]] inline void blend_group(const FloatBatch& b, int i, std::uint32_t out[3][4])
{
    const std::uint32_t* dest[4] = {b.dr + i, b.dg + i, b.db + i, b.da + i};
    const V invAlpha = V::splat(formulas::kInv65535), invColour = V::splat(formulas::kInv65280);
    PixelLanes<V> p;
    p.sa = V::from_u32(b.a + i) * invAlpha;
    p.da = V::from_u32(dest[3]) * invAlpha;
    const std::uint32_t* src[3] = {b.r + i, b.g + i, b.b + i};
    for (int c = 0; c < 3; ++c) {
        p.s[c] = V::from_u32(src[c]) * invColour;
        p.sc[c] = p.s[c] * p.sa;
        p.dc[c] = V::from_u32(dest[c]) * invColour * p.da;
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
        blend_group<M, V>(b, i, out);
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

// The kernel of a mode for lane type V, or null when its formula has no packed form.
template <class V>
FloatBatchKernel kernel_for(int mode)
{
    return dispatch_formula_mode(mode, []<int M>() -> FloatBatchKernel {
        if constexpr (mve::has_packed_form(formulas::formula_of(M)))
            return &blend_batch<M, V>;
        else
            return nullptr;
    });
}

}  // namespace mve::simd
