// The Gaussian blur's fixed-point path (see gaussian_fixed.h).
#include "imagelib/gaussian_fixed.h"

#include <smmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/merge_float_batch.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/gaussian_fixed_loops.h"

namespace mve::il::gauss {

namespace {

// Eight 16-bit values a register (SSE4.1).
struct Lanes8 {
    using V = __m128i;
    static constexpr int kCount = 8;
    static V bytes(const std::uint8_t* p) noexcept
    {
        return _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static V words(const std::int16_t* p) noexcept
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static V add16(V a, V b) noexcept { return _mm_add_epi16(a, b); }
    static V zero() noexcept { return _mm_setzero_si128(); }
    static V set32(std::int32_t v) noexcept { return _mm_set1_epi32(v); }
    static void madd(V& lo, V& hi, V a, V b, V taps) noexcept
    {
        lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), taps));
        hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), taps));
    }
    static void store_words(std::int16_t* h, V lo, V hi) noexcept
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(h),
                         _mm_packs_epi32(_mm_srai_epi32(lo, 8), _mm_srai_epi32(hi, 8)));
    }
    static void store_bytes(std::uint8_t* out, V lo, V hi) noexcept
    {
        const V words = _mm_packs_epi32(_mm_srai_epi32(lo, 20), _mm_srai_epi32(hi, 20));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
    }
};

bool use_avx2() noexcept
{
    return simd_level_in_force() == SimdLevel::Avx2;
}

}  // namespace

FixedKernel fixed_kernel(double sigma) noexcept
{
    FixedKernel k;
    k.radius = std::clamp(static_cast<int>(std::ceil(3 * sigma)), 0, kMaxFixedRadius);
    double weights[kMaxFixedRadius + 1];
    double sum = 0;
    for (int m = 0; m <= k.radius; ++m) {
        weights[m] = std::exp(-m * m / (2 * sigma * sigma));
        sum += m == 0 ? weights[m] : 2 * weights[m];
    }
    std::int32_t outer = 0;
    for (int m = 1; m <= k.radius; ++m) {
        k.taps[m] = static_cast<std::int32_t>(std::lround(weights[m] / sum * kTapOne));
        outer += 2 * k.taps[m];
    }
    k.taps[0] = kTapOne - outer;
    return k;
}

void fixed_row_reference(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept
{
    for (int j = 0; j < n; ++j) {
        std::int32_t sum = k.taps[0] * p[j];
        for (int m = 1; m <= k.radius; ++m) sum += k.taps[m] * (p[j - m * C] + p[j + m * C]);
        h[j] = static_cast<std::int16_t>((sum + 128) >> 8);
    }
}

void fixed_row(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept
{
    int j = 0;
    if (fast_paths_enabled())
        j = use_avx2() ? fixed_row_avx2(p, C, k, h, n) : row_loop<Lanes8>(p, C, k, h, n);
    fixed_row_reference(p + j, C, k, h + j, n - j);
}

void fixed_column_reference(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out,
                            int n) noexcept
{
    const int r = k.radius;
    for (int j = 0; j < n; ++j) {
        std::int32_t sum = k.taps[0] * rows[r][j];
        for (int m = 1; m <= r; ++m) sum += k.taps[m] * (rows[r - m][j] + rows[r + m][j]);
        out[j] = static_cast<std::uint8_t>(std::clamp((sum + (1 << 19)) >> 20, 0, 255));
    }
}

void fixed_column(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out, int n) noexcept
{
    int j = 0;
    if (fast_paths_enabled())
        j = use_avx2() ? fixed_column_avx2(rows, k, out, n) : column_loop<Lanes8>(rows, k, out, n);
    if (j < n) {
        const std::int16_t* rest[2 * kMaxFixedRadius + 1];
        for (int t = 0; t <= 2 * k.radius; ++t) rest[t] = rows[t] + j;
        fixed_column_reference(rest, k, out + j, n - j);
    }
}

namespace {

constexpr int kTilePixels = 512;  // pixels across a tile: its ring of rows stays in cache

// The row pass of row `in` over the pixels [p0, p1) of a tile into h, through
// `line`: the tile's pixels with r more on either side, pixels beyond the
// picture's edges repeating the edge pixel.
void tile_row(const std::uint8_t* in, int width, int p0, int p1, int C, const FixedKernel& k,
              std::uint8_t* line, std::int16_t* h, int values)
{
    const int r = k.radius;
    const int from = std::max(0, p0 - r), to = std::min(width, p1 + r);
    std::uint8_t* at = line;
    for (int p = p0 - r; p < from; ++p, at += C) std::memcpy(at, in, C);
    std::memcpy(at, in + static_cast<std::size_t>(from) * C, static_cast<std::size_t>(to - from) * C);
    at += static_cast<std::size_t>(to - from) * C;
    for (int p = to; p < p1 + r; ++p, at += C)
        std::memcpy(at, in + static_cast<std::size_t>(width - 1) * C, C);
    fixed_row(line + static_cast<std::size_t>(r) * C, C, k, h, values);
}

}  // namespace

void fixed_blur(const std::uint8_t* src, int width, int height, int C, int srcRowBytes, std::uint8_t* dst,
                int dstRowBytes, const FixedKernel& k)
{
    const int r = k.radius, slots = 2 * r + 1;
    const int tilePixels = std::min(width, kTilePixels);
    const int tiles = (width + tilePixels - 1) / tilePixels;
    // Ring rows are rounded up to whole groups of sixteen values, so that the
    // row pass needs no tail; the line has room for what it reads past them.
    const std::size_t rowValues = static_cast<std::size_t>((tilePixels * C + 15) & ~15);
    const std::size_t lineBytes = rowValues + 2 * static_cast<std::size_t>(r) * C;
    // Ring rows a few cache lines more apart than their length: rows a power
    // of two apart would all fall into the same cache sets.
    const std::size_t rowStride = rowValues + 32;
    // A tile of a band repeats the row pass of the 2r rows above it: bands
    // tall enough to keep that small, and enough of them to share out.
    const int bandRows = std::max(128, (height + 2 * thread_count() - 1) / (2 * thread_count()));
    const int bands = (height + bandRows - 1) / bandRows;
    struct Scratch {
        std::vector<std::uint8_t> line;
        std::vector<std::int16_t> ring;
    };
    std::vector<Scratch> scratch(static_cast<std::size_t>(thread_count()));
    for (Scratch& s : scratch) {
        s.line.assign(lineBytes, 0);
        s.ring.assign(rowStride * slots, 0);
    }
    const double itemNs = static_cast<double>(bandRows) * tilePixels * (r + 1) * cost::kSimple;
    for_each_row(0, bands * tiles, itemNs, [&](int item) {
        Scratch& s = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()];
        const int band = item / tiles, tile = item % tiles;
        const int p0 = tile * tilePixels, p1 = std::min(width, p0 + tilePixels);
        const int y0 = band * bandRows, y1 = std::min(height, y0 + bandRows);
        const auto slot = [&](int v) {
            return s.ring.data() + static_cast<std::size_t>((v % slots + slots) % slots) * rowStride;
        };
        // Row pass of row v (edge rows repeated above and below) into its slot.
        const auto fill = [&](int v) {
            const std::uint8_t* in =
                src + static_cast<std::size_t>(std::clamp(v, 0, height - 1)) * srcRowBytes;
            tile_row(in, width, p0, p1, C, k, s.line.data(), slot(v), static_cast<int>(rowValues));
        };
        for (int v = y0 - r; v < y0 + r; ++v) fill(v);
        const std::int16_t* rows[2 * kMaxFixedRadius + 1];
        for (int y = y0; y < y1; ++y) {
            fill(y + r);
            for (int t = 0; t < slots; ++t) rows[t] = slot(y - r + t);
            fixed_column(rows, k,
                         dst + static_cast<std::size_t>(y) * dstRowBytes + static_cast<std::size_t>(p0) * C,
                         (p1 - p0) * C);
        }
    });
}

}  // namespace mve::il::gauss
