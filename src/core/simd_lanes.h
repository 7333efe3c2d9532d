// Two doubles in one SSE2 register, with the operations the packed float
// stages use (core/simd_float_stage.h). Each operation rounds every lane as
// its scalar form does; nothing here fuses a multiply with an add.
//
// Comparisons give a lane mask (all bits set where true) held in the same
// type, which `select` consumes.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace mve::simd {

struct Lanes2 {
    static constexpr int kWidth = 2;
    __m128d v;

    static Lanes2 splat(double x) noexcept { return {_mm_set1_pd(x)}; }
    static Lanes2 zero() noexcept { return {_mm_setzero_pd()}; }
    // Two 16-bit values held in 32-bit integers, converted exactly.
    static Lanes2 from_u32(const std::uint32_t* p) noexcept
    {
        return {_mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))};
    }
    // The lanes rounded to float (the first two of four; the others 0), and back.
    __m128 to_floats() const noexcept { return _mm_cvtpd_ps(v); }
    static Lanes2 from_floats(__m128 f) noexcept { return {_mm_cvtps_pd(f)}; }
    // Lanes holding values in [0, 65791], truncated towards zero.
    void truncate_to(std::uint32_t* p) const noexcept
    {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_cvttpd_epi32(v));
    }
};

inline Lanes2 operator+(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_add_pd(a.v, b.v)};
}
inline Lanes2 operator-(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_sub_pd(a.v, b.v)};
}
inline Lanes2 operator*(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_mul_pd(a.v, b.v)};
}
inline Lanes2 operator/(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_div_pd(a.v, b.v)};
}
inline Lanes2 sqrt(Lanes2 a) noexcept
{
    return {_mm_sqrt_pd(a.v)};
}
// std::min(a, b) lane by lane: b < a ? b : a (MINPD returns its second operand unless the first is less).
inline Lanes2 min_of(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_min_pd(b.v, a.v)};
}
// a > 0 ? a : 0, also for a NaN (MAXPD returns its second operand then).
inline Lanes2 max_zero(Lanes2 a) noexcept
{
    return {_mm_max_pd(a.v, _mm_setzero_pd())};
}
// Clears the sign bit.
inline Lanes2 abs(Lanes2 a) noexcept
{
    return {_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)};
}
inline Lanes2 less(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_cmplt_pd(a.v, b.v)};
}
inline Lanes2 less_equal(Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_cmple_pd(a.v, b.v)};
}
// mask ? a : b per lane.
inline Lanes2 select(Lanes2 mask, Lanes2 a, Lanes2 b) noexcept
{
    return {_mm_or_pd(_mm_and_pd(mask.v, a.v), _mm_andnot_pd(mask.v, b.v))};
}

}  // namespace mve::simd
