// AVX2 instantiations of the packed float stage: four pixels per register.
// Only the code below the target switch is compiled for AVX2, and every
// function it instantiates is templated on a lane type private to this file,
// so no AVX2 code can stand in for a shared inline function elsewhere. The
// switch names AVX2 alone, not FMA, so no multiply-add can be fused.
// Called only after the processor said it has AVX2 (merge_float_batch.cpp).
#include <immintrin.h>

#include <cstdint>

#include "core/blend_modes.h"
#include "core/merge_float_batch.h"
#include "core/merge_formulas.h"

#include "core/avx2_code_begin.h"

#include "core/merge_float_batch_kernel.h"
#include "core/simd_float_stage.h"

namespace mve {

namespace {

// The AVX2 counterpart of simd::Lanes2 (see core/simd_lanes.h for the semantics).
struct Lanes4 {
    static constexpr int kWidth = 4;
    __m256d v;

    static Lanes4 splat(double x) noexcept { return {_mm256_set1_pd(x)}; }
    static Lanes4 zero() noexcept { return {_mm256_setzero_pd()}; }
    static Lanes4 from_u32(const std::uint32_t* p) noexcept
    {
        return {_mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))};
    }
    __m128 to_floats() const noexcept { return _mm256_cvtpd_ps(v); }
    static Lanes4 from_floats(__m128 f) noexcept { return {_mm256_cvtps_pd(f)}; }
    void truncate_to(std::uint32_t* p) const noexcept
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v));
    }
};

inline Lanes4 operator+(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_add_pd(a.v, b.v)};
}
inline Lanes4 operator-(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_sub_pd(a.v, b.v)};
}
inline Lanes4 operator*(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_mul_pd(a.v, b.v)};
}
inline Lanes4 operator/(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_div_pd(a.v, b.v)};
}
inline Lanes4 sqrt(Lanes4 a) noexcept
{
    return {_mm256_sqrt_pd(a.v)};
}
inline Lanes4 min_of(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_min_pd(b.v, a.v)};
}
inline Lanes4 max_zero(Lanes4 a) noexcept
{
    return {_mm256_max_pd(a.v, _mm256_setzero_pd())};
}
inline Lanes4 abs(Lanes4 a) noexcept
{
    return {_mm256_andnot_pd(_mm256_set1_pd(-0.0), a.v)};
}
inline Lanes4 less(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)};
}
inline Lanes4 less_equal(Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_cmp_pd(a.v, b.v, _CMP_LE_OQ)};
}
inline Lanes4 select(Lanes4 mask, Lanes4 a, Lanes4 b) noexcept
{
    return {_mm256_blendv_pd(b.v, a.v, mask.v)};
}

}  // namespace

namespace simd_detail {

FloatKernels avx2_kernels(int mode)
{
    return simd::kernels_for<Lanes4>(mode);
}

}  // namespace simd_detail

}  // namespace mve

#include "core/avx2_code_end.h"
