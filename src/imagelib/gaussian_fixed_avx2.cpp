// AVX2 instantiations of the fixed-point Gaussian loops: sixteen 16-bit
// values a register. Only the code below the target switch is compiled for
// AVX2, and the loops are instantiated on a lane type private to this file.
// Called only after the processor said it has AVX2 (gaussian_fixed.cpp).
#include <immintrin.h>

#include <cstdint>

#include "imagelib/gaussian_fixed.h"

#include "core/avx2_code_begin.h"

#include "imagelib/gaussian_fixed_loops.h"

namespace mve::il::gauss {

namespace {

struct Lanes16 {
    using V = __m256i;
    static constexpr int kCount = 16;
    static V bytes(const std::uint8_t* p) noexcept
    {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static V words(const std::int16_t* p) noexcept
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static V add16(V a, V b) noexcept { return _mm256_add_epi16(a, b); }
    static V zero() noexcept { return _mm256_setzero_si256(); }
    static V set32(std::int32_t v) noexcept { return _mm256_set1_epi32(v); }
    // The unpacks and packs work within each 128-bit half, so lo and hi hold
    // values 0-3 and 8-11, 4-7 and 12-15, and packing them restores the order.
    static void madd(V& lo, V& hi, V a, V b, V taps) noexcept
    {
        lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), taps));
        hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), taps));
    }
    static void store_words(std::int16_t* h, V lo, V hi) noexcept
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(h),
                            _mm256_packs_epi32(_mm256_srai_epi32(lo, 8), _mm256_srai_epi32(hi, 8)));
    }
    static void store_bytes(std::uint8_t* out, V lo, V hi) noexcept
    {
        const V words = _mm256_packs_epi32(_mm256_srai_epi32(lo, 20), _mm256_srai_epi32(hi, 20));
        const __m128i bytes =
            _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
    }
};

}  // namespace

int fixed_row_avx2(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept
{
    return row_loop<Lanes16>(p, C, k, h, n);
}

int fixed_column_avx2(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out,
                      int n) noexcept
{
    return column_loop<Lanes16>(rows, k, out, n);
}

}  // namespace mve::il::gauss

#include "core/avx2_code_end.h"
