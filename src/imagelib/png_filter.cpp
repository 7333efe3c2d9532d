// PNG row filters. Filtering reads only the source rows, so every byte is
// independent: the SSE2 path does 16 bytes at a time and gives exactly the
// bytes of the scalar loops, which stay as the reference (and run whenever
// fast paths are off). Unfiltering depends on the pixel just decoded to the
// left and stays scalar, but for Up.
#include "imagelib/png_filter.h"

#include <emmintrin.h>

#include <cstring>

#include "core/runtime.h"

namespace mve::il {

namespace {

// ---- scalar reference ----

void filter_scalar(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                   std::uint8_t* out) noexcept
{
    const std::size_t b = static_cast<std::size_t>(bpp);
    for (std::size_t i = 0; i < n; ++i) {
        const int left = i >= b ? row[i - b] : 0;
        const int aboveLeft = i >= b ? above[i - b] : 0;
        int predicted = 0;
        switch (type) {
            case kPngFilterSub: predicted = left; break;
            case kPngFilterUp: predicted = above[i]; break;
            case kPngFilterAverage: predicted = (left + above[i]) >> 1; break;
            case kPngFilterPaeth: predicted = paeth_predictor(left, above[i], aboveLeft); break;
            default: break;
        }
        out[i] = static_cast<std::uint8_t>(row[i] - predicted);
    }
}

// Sum of the residuals read as signed bytes, made positive.
std::uint64_t cost_scalar(const std::uint8_t* residuals, std::size_t n) noexcept
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += residuals[i] < 128 ? residuals[i] : 256 - residuals[i];
    return sum;
}

// ---- SSE2 shortcut ----

__m128i load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Paeth predictions of 8 pixels' bytes held in 16-bit lanes. With
// p = a + b - c: |p - a| = |b - c|, |p - b| = |a - c|, |p - c| = |a + b - 2c|.
__m128i paeth8(__m128i a, __m128i b, __m128i c)
{
    const __m128i zero = _mm_setzero_si128();
    auto abs16 = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    const __m128i pa = abs16(_mm_sub_epi16(b, c));
    const __m128i pb = abs16(_mm_sub_epi16(a, c));
    const __m128i pc = abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
    const __m128i least = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
    const __m128i takeA = _mm_cmpeq_epi16(pa, least);
    const __m128i takeB = _mm_andnot_si128(takeA, _mm_cmpeq_epi16(pb, least));
    const __m128i takeC = _mm_andnot_si128(_mm_or_si128(takeA, takeB), _mm_set1_epi16(-1));
    return _mm_or_si128(_mm_or_si128(_mm_and_si128(takeA, a), _mm_and_si128(takeB, b)), _mm_and_si128(takeC, c));
}

__m128i predict16(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t i, std::size_t b)
{
    const __m128i left = load(row + i - b);
    const __m128i up = load(above + i);
    switch (type) {
        case kPngFilterSub: return left;
        case kPngFilterUp: return up;
        case kPngFilterAverage: {
            // _mm_avg_epu8 rounds up; the format's average rounds down.
            const __m128i rounding = _mm_and_si128(_mm_xor_si128(left, up), _mm_set1_epi8(1));
            return _mm_sub_epi8(_mm_avg_epu8(left, up), rounding);
        }
        case kPngFilterPaeth: {
            const __m128i zero = _mm_setzero_si128();
            const __m128i upLeft = load(above + i - b);
            const __m128i lo = paeth8(_mm_unpacklo_epi8(left, zero), _mm_unpacklo_epi8(up, zero),
                                      _mm_unpacklo_epi8(upLeft, zero));
            const __m128i hi = paeth8(_mm_unpackhi_epi8(left, zero), _mm_unpackhi_epi8(up, zero),
                                      _mm_unpackhi_epi8(upLeft, zero));
            return _mm_packus_epi16(lo, hi);
        }
        default: return _mm_setzero_si128();
    }
}

// The scalar cost with 16 bytes at a time: min(v, -v) as unsigned bytes is
// the absolute value of v read as signed, and psadbw adds them up.
std::uint64_t cost_sse2(const std::uint8_t* residuals, std::size_t n) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    __m128i sums = zero;
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i r = load(residuals + i);
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_min_epu8(r, _mm_sub_epi8(zero, r)), zero));
    }
    const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums));
    const auto high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    return low + high + cost_scalar(residuals + i, n - i);
}

void filter_sse2(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                 std::uint8_t* out) noexcept
{
    const std::size_t b = static_cast<std::size_t>(bpp);
    // The first pixel has no left neighbour: the scalar loop does it, and the
    // tail shorter than a vector.
    const std::size_t head = b < n ? b : n;
    filter_scalar(type, row, above, head, bpp, out);
    std::size_t i = head;
    for (; i + 16 <= n; i += 16) store(out + i, _mm_sub_epi8(load(row + i), predict16(type, row, above, i, b)));
    for (; i < n; ++i) {
        const int left = row[i - b], up = above[i];
        const int predicted = type == kPngFilterSub       ? left
                              : type == kPngFilterUp      ? up
                              : type == kPngFilterAverage ? (left + up) >> 1
                                                          : paeth_predictor(left, up, above[i - b]);
        out[i] = static_cast<std::uint8_t>(row[i] - predicted);
    }
}

std::uint64_t cost(const std::uint8_t* residuals, std::size_t n) noexcept
{
    return fast_paths_enabled() ? cost_sse2(residuals, n) : cost_scalar(residuals, n);
}

std::uint64_t filter_and_cost(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                              std::uint8_t* out) noexcept
{
    if (fast_paths_enabled())
        filter_sse2(type, row, above, n, bpp, out);
    else
        filter_scalar(type, row, above, n, bpp, out);
    return cost(out, n);
}

}  // namespace

void png_filter_row(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                    std::uint8_t* out) noexcept
{
    if (type == kPngFilterNone) {
        std::memcpy(out, row, n);
        return;
    }
    if (fast_paths_enabled())
        filter_sse2(type, row, above, n, bpp, out);
    else
        filter_scalar(type, row, above, n, bpp, out);
}

namespace {

bool unfilter_scalar(int type, std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp) noexcept
{
    const std::size_t b = static_cast<std::size_t>(bpp);
    switch (type) {
        case kPngFilterNone: return true;
        case kPngFilterSub:
            for (std::size_t i = b; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - b]);
            return true;
        case kPngFilterUp:
            for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
            return true;
        case kPngFilterAverage:
            for (std::size_t i = 0; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + (((i >= b ? row[i - b] : 0) + above[i]) >> 1));
            return true;
        case kPngFilterPaeth:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= b ? row[i - b] : 0;
                const int upLeft = i >= b ? above[i - b] : 0;
                row[i] = static_cast<std::uint8_t>(row[i] + paeth_predictor(left, above[i], upLeft));
            }
            return true;
        default: return false;
    }
}

// Up has no chain from pixel to pixel and goes 16 bytes at a time. (Sub,
// Average and Paeth keep the scalar loops: a one-pixel-at-a-time SSE2 form
// measured slower than what the compiler makes of them.)
void unfilter_up_sse2(std::uint8_t* row, const std::uint8_t* above, std::size_t n) noexcept
{
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) store(row + i, _mm_add_epi8(load(row + i), load(above + i)));
    for (; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
}

}  // namespace

bool png_unfilter_row(int type, std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp) noexcept
{
    if (type == kPngFilterUp && fast_paths_enabled()) {
        unfilter_up_sse2(row, above, n);
        return true;
    }
    return unfilter_scalar(type, row, above, n, bpp);
}

int png_filter_row_best(const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                        std::uint8_t* out, std::uint8_t* scratch) noexcept
{
    int best = kPngFilterNone;
    std::uint64_t bestCost = cost(row, n);
    for (int type = kPngFilterSub; type <= kPngFilterPaeth; ++type) {
        std::uint8_t* residuals = scratch + static_cast<std::size_t>(type - 1) * n;
        const std::uint64_t typeCost = filter_and_cost(type, row, above, n, bpp, residuals);
        if (typeCost < bestCost) bestCost = typeCost, best = type;
    }
    out[0] = static_cast<std::uint8_t>(best);
    std::memcpy(out + 1, best == kPngFilterNone ? row : scratch + static_cast<std::size_t>(best - 1) * n, n);
    return best;
}

}  // namespace mve::il
