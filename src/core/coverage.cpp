// Row minimums for the coverage checks, eight (sixteen) values at a time.
#include "core/coverage.h"

#include <smmintrin.h>

namespace mve {

std::uint16_t lowest_value(const std::uint16_t* v, int n) noexcept
{
    __m128i low8 = _mm_set1_epi16(-1);
    int i = 0;
    for (; i + 8 <= n; i += 8)
        low8 = _mm_min_epu16(low8, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i)));
    std::uint16_t low = static_cast<std::uint16_t>(_mm_extract_epi16(_mm_minpos_epu16(low8), 0));
    for (; i < n; ++i) low = std::min(low, v[i]);
    return low;
}
std::uint8_t lowest_value(const std::uint8_t* v, int n) noexcept
{
    __m128i low16 = _mm_set1_epi8(-1);
    int i = 0;
    for (; i + 16 <= n; i += 16)
        low16 = _mm_min_epu8(low16, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i)));
    // Widened to words, the sixteen bytes fold into one minimum.
    const __m128i words = _mm_min_epu16(_mm_unpacklo_epi8(low16, _mm_setzero_si128()),
                                        _mm_unpackhi_epi8(low16, _mm_setzero_si128()));
    std::uint8_t low = static_cast<std::uint8_t>(_mm_extract_epi16(_mm_minpos_epu16(words), 0));
    for (; i < n; ++i) low = std::min(low, v[i]);
    return low;
}

bool mask_fully_open(CoreState& e) noexcept
{
    MaskState& m = e.mask;
    const int w = e.canvas.width, h = e.canvas.height;
    if (w <= 0 || h <= 0 || !m.plane || m.plane.size() < static_cast<std::size_t>(w) * h) return false;
    if (m.checkedGeneration != m.plane.generation()) {
        bool open = true;
        for (int y = 0; y < h && open; ++y)
            open = lowest_value(m.plane.data() + static_cast<std::size_t>(y) * w, w) >= 0xFF00;
        m.checkedGeneration = m.plane.generation();
        m.checkedOpen = open;
    }
    return m.checkedOpen;
}

}  // namespace mve
