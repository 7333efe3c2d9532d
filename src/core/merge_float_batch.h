// Batches of pixels for the merge core's packed float stage. The row loops
// do the integer steps pixel by pixel and queue the pixels that reach the
// float stage; a kernel then blends the queue several pixels at a time
// (two per SSE2 register, four per AVX2 register) and writes them back.
// Every pixel's result is bit-identical to formulas::blend16 on it.
//
// The kernel is chosen once per merge: by mode (the bitwise and HSL
// formulas have no packed form), by the fast-path switch, and by the widest
// vector level the processor has and the ceiling allows (below).
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "core/blend_modes.h"

namespace mve {

// Whether a blend formula has a packed form. The bitwise modes (truncations
// to integers) and the HSL modes (single-precision colour models) stay scalar.
constexpr bool has_packed_form(int formula)
{
    return !(formula == kAnd || formula == kOr || formula == kXor ||
             (formula >= kColorize && formula <= kHslColor));
}

struct FloatBatch {
    static constexpr int kSize = 64;
    static constexpr int kPad = 4;  // room to fill the last register with copies
    int count = 0;
    bool lockAlpha = false;
    // The source after the integer steps (16-bit values), the destination
    // pixel's values (read when queued, while in cache) and where it goes.
    alignas(32) std::uint32_t r[kSize + kPad], g[kSize + kPad], b[kSize + kPad], a[kSize + kPad];
    alignas(32) std::uint32_t dr[kSize + kPad], dg[kSize + kPad], db[kSize + kPad], da[kSize + kPad];
    std::uint16_t* dst[kSize + kPad];
};

using FloatBatchKernel = void (*)(FloatBatch&);

// Queues one pixel; runs the kernel when the batch is full.
inline void queue_pixel(FloatBatch& batch, FloatBatchKernel kernel, std::uint32_t r, std::uint32_t g,
                        std::uint32_t b, std::uint32_t a, std::uint16_t* dst)
{
    const int i = batch.count;
    batch.r[i] = r, batch.g[i] = g, batch.b[i] = b, batch.a[i] = a, batch.dst[i] = dst;
    batch.dr[i] = dst[0], batch.dg[i] = dst[1], batch.db[i] = dst[2], batch.da[i] = dst[3];
    if (++batch.count == FloatBatch::kSize) {
        kernel(batch);
        batch.count = 0;
    }
}

// Queues four neighbouring pixels: source s[0..15], destination d[0..15].
// The channels are sorted into the batch's arrays in registers (a 4 x 4
// transpose of 16-bit values) instead of value by value.
inline void queue_four(FloatBatch& batch, FloatBatchKernel kernel, const std::uint16_t* s, std::uint16_t* d)
{
    if (batch.count > FloatBatch::kSize - 4) {
        kernel(batch);
        batch.count = 0;
    }
    const int i = batch.count;
    auto sort = [i](const std::uint16_t* p, std::uint32_t* c0, std::uint32_t* c1, std::uint32_t* c2,
                    std::uint32_t* c3) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
        const __m128i t0 = _mm_unpacklo_epi16(lo, hi), t1 = _mm_unpackhi_epi16(lo, hi);
        const __m128i rg = _mm_unpacklo_epi16(t0, t1), ba = _mm_unpackhi_epi16(t0, t1);
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(c0 + i), _mm_unpacklo_epi16(rg, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(c1 + i), _mm_unpackhi_epi16(rg, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(c2 + i), _mm_unpacklo_epi16(ba, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(c3 + i), _mm_unpackhi_epi16(ba, zero));
    };
    sort(s, batch.r, batch.g, batch.b, batch.a);
    sort(d, batch.dr, batch.dg, batch.db, batch.da);
    for (int k = 0; k < 4; ++k) batch.dst[i + k] = d + 4 * k;
    batch.count += 4;
    if (batch.count == FloatBatch::kSize) {
        kernel(batch);
        batch.count = 0;
    }
}

// Blends what is left in the batch.
inline void flush(FloatBatch& batch, FloatBatchKernel kernel)
{
    if (batch.count > 0) kernel(batch);
    batch.count = 0;
}

// The packed kernel for blend mode `mode` (as the merge core dispatches it:
// the mode number, or 0 for the modes that blend as Normal), or null when
// the scalar stage must run: fast paths off, no packed form, or the scalar
// level forced.
FloatBatchKernel float_batch_kernel(int mode);

// Vector instruction levels of the packed float stage, narrowest first.
enum class SimdLevel : int { Scalar, Sse2, Avx2 };

// The widest level the kernels may use. It starts from MVE_SIMD_LEVEL
// ("scalar" or "sse2" cap it, so an AVX2 machine runs the SSE2 kernels too);
// tests lower it and put it back.
void set_simd_ceiling(SimdLevel level) noexcept;
SimdLevel simd_ceiling() noexcept;

// The level in force: the processor's widest, lowered by the ceiling.
SimdLevel simd_level_in_force() noexcept;

namespace simd_detail {
// Per level, the kernel of a mode or null (merge_float_batch_sse2.cpp, _avx2.cpp).
FloatBatchKernel sse2_kernel(int mode);
FloatBatchKernel avx2_kernel(int mode);
}  // namespace simd_detail

}  // namespace mve
