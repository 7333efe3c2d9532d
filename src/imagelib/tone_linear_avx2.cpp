// The row pass of the straight-line tone maps, eight pixels a step in AVX2.
// Compiled for AVX2 alone and called only when the processor has it.
#include <immintrin.h>

#include <cstring>

#include "imagelib/tone_linear.h"

#include "core/avx2_code_begin.h"

namespace mve::il::tone_line_detail {

namespace {

// Two pixels (8 bytes at p) as eight floats, mapped and truncated to int32.
inline __m256i map_two_pixels(const std::uint8_t* p, __m256 scale, __m256 offset) noexcept
{
    const __m256i bytes = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    __m256 v = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(bytes), scale), offset);
    v = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(v);
}

// Eight pixels at p mapped in place.
inline void map_eight_pixels(std::uint8_t* p, __m256 scale, __m256 offset) noexcept
{
    const __m256i a = map_two_pixels(p, scale, offset), b = map_two_pixels(p + 8, scale, offset);
    const __m256i c = map_two_pixels(p + 16, scale, offset), d = map_two_pixels(p + 24, scale, offset);
    // The packs work within 128-bit halves: the low half ends up holding
    // pixels 0, 2, 4, 6 and the high half 1, 3, 5, 7; one lane shuffle puts
    // them back in order.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(a, b), _mm256_packus_epi32(c, d));
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_permutevar8x32_epi32(bytes, order));
}

}  // namespace

void map_row_avx2(std::uint8_t* row, int width, const Coefficients& c) noexcept
{
    // Two pixels per register: the coefficients repeat every four lanes.
    const __m256 scale = _mm256_setr_ps(c.scale[0], c.scale[1], c.scale[2], c.scale[3], c.scale[0],
                                        c.scale[1], c.scale[2], c.scale[3]);
    const __m256 offset = _mm256_setr_ps(c.offset[0], c.offset[1], c.offset[2], c.offset[3], c.offset[0],
                                         c.offset[1], c.offset[2], c.offset[3]);
    int x = 0;
    for (; x + 8 <= width; x += 8) map_eight_pixels(row + x * 4, scale, offset);
    if (x < width) {
        // The last pixels through a copy, so the same arithmetic maps them.
        std::uint8_t tail[32] = {};
        const std::size_t bytes = static_cast<std::size_t>(width - x) * 4;
        std::memcpy(tail, row + x * 4, bytes);
        map_eight_pixels(tail, scale, offset);
        std::memcpy(row + x * 4, tail, bytes);
    }
}

}  // namespace mve::il::tone_line_detail

#include "core/avx2_code_end.h"
