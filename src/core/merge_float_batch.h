// The merge core's packed float stage, several pixels at a time (two per
// SSE2 register, four per AVX2 register). Runs of pixels that go to the
// float stage untouched are blended straight from the planes by a run
// kernel; other pixels are queued after the row loop's integer steps and a
// batch kernel blends the queue and writes it back. Every pixel's result is
// bit-identical to formulas::blend16 on it.
//
// The kernel is chosen once per merge: by mode, by the fast-path switch,
// and by the widest vector level the processor has and the ceiling allows
// (below).
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "core/blend_modes.h"

namespace mve {

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

// Blends neighbouring pixels in place straight from the planes, four at a
// time, for as long as every pixel of the next four goes to the float stage
// as it is (source and destination alphas not 0, and under the Normal rule
// the source not opaque): src and dst point at the first pixel, count
// pixels follow. Returns how many it blended, a multiple of four; the caller
// takes the pixel there through the general steps.
using FloatRunKernel = int (*)(const std::uint16_t* src, std::uint16_t* dst, int count, bool lockAlpha);

// The two packed forms of one mode.
struct FloatKernels {
    FloatBatchKernel batch = nullptr;
    FloatRunKernel run = nullptr;
};

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

// Blends what is left in the batch.
inline void flush(FloatBatch& batch, FloatBatchKernel kernel)
{
    if (batch.count > 0) kernel(batch);
    batch.count = 0;
}

// The packed kernels for blend mode `mode` (as the merge core dispatches it:
// the mode number, or 0 for the modes that blend as Normal), or nulls when
// the scalar stage must run: fast paths off or the scalar level forced.
FloatKernels float_kernels(int mode);

inline FloatBatchKernel float_batch_kernel(int mode)
{
    return float_kernels(mode).batch;
}

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
// Per level, the kernels of a mode or nulls (merge_float_batch.cpp, _avx2.cpp).
FloatKernels sse2_kernels(int mode);
FloatKernels avx2_kernels(int mode);
}  // namespace simd_detail

}  // namespace mve
