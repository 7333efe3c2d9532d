// Choice of the packed float stage's kernel, and its SSE2 instantiations
// (SSE2 is part of every x86-64 processor). The AVX2 ones are in
// merge_float_batch_avx2.cpp, compiled for that processor level alone.
#include "core/merge_float_batch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/merge_float_batch_kernel.h"
#include "core/runtime.h"
#include "core/simd_lanes.h"

namespace mve {

namespace simd_detail {

FloatKernels sse2_kernels(int mode)
{
    return simd::kernels_for<simd::Lanes2>(mode);
}

}  // namespace simd_detail

namespace {

SimdLevel ceiling_from_environment() noexcept
{
    const char* v = std::getenv("MVE_SIMD_LEVEL");
    if (v && std::strcmp(v, "scalar") == 0) return SimdLevel::Scalar;
    if (v && std::strcmp(v, "sse2") == 0) return SimdLevel::Sse2;
    return SimdLevel::Avx2;
}

// Process state beside the fast-path switch (core/runtime.h), read once per merge.
std::atomic<SimdLevel>& ceiling() noexcept
{
    static std::atomic<SimdLevel> level{ceiling_from_environment()};
    return level;
}

// The processor is asked once; the answer never changes.
SimdLevel processor_level()
{
    static const SimdLevel level = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
    }();
    return level;
}

}  // namespace

void set_simd_ceiling(SimdLevel level) noexcept
{
    ceiling().store(level);
}

SimdLevel simd_ceiling() noexcept
{
    return ceiling().load();
}

SimdLevel simd_level_in_force() noexcept
{
    const SimdLevel cap = simd_ceiling(), cpu = processor_level();
    return static_cast<int>(cap) < static_cast<int>(cpu) ? cap : cpu;
}

FloatKernels float_kernels(int mode)
{
    if (!fast_paths_enabled()) return {};
    switch (simd_level_in_force()) {
        case SimdLevel::Avx2:
            return simd_detail::avx2_kernels(mode);
        case SimdLevel::Sse2:
            return simd_detail::sse2_kernels(mode);
        case SimdLevel::Scalar:
            break;
    }
    return {};
}

}  // namespace mve
