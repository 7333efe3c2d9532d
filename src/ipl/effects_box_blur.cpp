// "Box Blur": three rounds of a vertical then a horizontal box pass of radius
// r = trunc(P1 * 100 + 1). Every pass sets each channel to the integer mean
// of the 2r + 1 samples centred on it along the pass:
//   out = trunc(sum / count), count = samples inside the image (cut border)
//   or 2r + 1 (I3 = 1: samples wrap with a period of size - 1).
// Running sums make every pass O(1) per pixel whatever the radius. Vertical
// passes sweep bands of whole rows (so memory is read in order), and hand
// each row straight to the horizontal pass while it is in cache; bands and
// rows run on the worker threads. Results do not depend on the number of
// threads: every output byte is written by one iteration, from exact sums.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

#include "core/memory.h"
#include "core/parallel.h"
#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// Windows up to this many samples divide by a float reciprocal: with
// q = trunc((sum + 0.5) * (1 / count)) the rounding error stays below
// 0.5 / count, so q equals the integer quotient exactly (checked by a test).
constexpr int kFloatDivideLimit = 4096;
// Keeps 255 * (2r + 1) inside 32 bits.
constexpr int kMaxRadius = 1 << 20;

// Index of sample j of a line of n samples when the window wraps with period
// n - 1: one before the first is n - 2, one after the last is 1.
inline int wrap_index(int j, int n) noexcept
{
    if (j >= 0 && j < n) return j;
    const int period = n - 1;
    if (period <= 0) return 0;
    const int m = j % period;
    return m < 0 ? m + period : m;
}

struct Geometry {
    int width, height, r;
    bool wrap;
    std::size_t stride() const noexcept { return static_cast<std::size_t>(width) * 4; }
};

// Samples inside the image of the window centred on i in a line of n.
inline int cut_count(int i, int r, int n) noexcept { return std::min(n - 1, i + r) - std::max(0, i - r) + 1; }

// Per-thread scratch: the window sums of a vertical pass and the padded line
// of a horizontal pass.
struct Scratch {
    std::vector<int> sums;
    std::vector<std::uint8_t> pad;
};

// Vertical pass over rows [y0, y1) of `in`: window sums of every byte column
// of the whole row, started afresh at y0 so that bands of rows can run on
// different threads (integer sums give the same rows wherever a band starts).
// Row y is written to target(y), then finished(y) is called.
template <class Target, class Finished>
void vertical_band(const std::uint8_t* in, const Geometry& g, int y0, int y1, int* sum, Target target,
                   Finished finished)
{
    const int H = g.height, r = g.r, n = g.width * 4;
    const std::size_t stride = g.stride();
    // Row j of the window, or null for a row outside the image (cut border).
    auto row = [&](int j) -> const std::uint8_t* {
        if (j >= 0 && j < H) return in + static_cast<std::size_t>(j) * stride;
        return g.wrap ? in + static_cast<std::size_t>(wrap_index(j, H)) * stride : nullptr;
    };
    std::fill(sum, sum + n, 0);
    for (int j = y0 - r; j <= y0 + r; ++j)
        if (const std::uint8_t* p = row(j))
            for (int k = 0; k < n; ++k) sum[k] += p[k];
    const int full = 2 * r + 1;
    const float invFull = 1.0f / static_cast<float>(full);
    for (int y = y0; y < y1; ++y) {
        const int count = g.wrap ? full : cut_count(y, r, H);
        const float inv = count == full ? invFull : 1.0f / static_cast<float>(count);
        std::uint8_t* o = target(y);
        const std::uint8_t* add = row(y + r + 1);
        const std::uint8_t* sub = row(y - r);
        if (count <= kFloatDivideLimit && add && sub) {
            // Inside the image: one sweep writes the row and moves the window.
            for (int k = 0; k < n; ++k) {
                o[k] = static_cast<std::uint8_t>((static_cast<float>(sum[k]) + 0.5f) * inv);
                sum[k] += add[k] - sub[k];
            }
        } else {
            if (count <= kFloatDivideLimit)
                for (int k = 0; k < n; ++k)
                    o[k] = static_cast<std::uint8_t>((static_cast<float>(sum[k]) + 0.5f) * inv);
            else
                for (int k = 0; k < n; ++k) o[k] = static_cast<std::uint8_t>(sum[k] / count);
            if (add)
                for (int k = 0; k < n; ++k) sum[k] += add[k];
            if (sub)
                for (int k = 0; k < n; ++k) sum[k] -= sub[k];
        }
        finished(y);
    }
}

// Runs band(y0, y1, scratch) over bands of rows on the worker threads: a few
// bands per thread, each tall enough that starting its window sums (2r + 1
// rows) stays a small part of its work.
template <class Band>
void for_each_band(const Geometry& g, std::vector<Scratch>& scratch, Band band)
{
    const int threads = thread_count();
    const int rows = std::max(4 * (2 * g.r + 1), (g.height + 4 * threads - 1) / (4 * threads));
    const int bands = (g.height + rows - 1) / rows;
    for_each_row(0, bands, static_cast<double>(rows) * g.width * 2 * cost::kSimple, [&](int b) {
        band(b * rows, std::min(g.height, (b + 1) * rows),
             scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()]);
    });
}

// The wrap margins of a padded line whose row is in place: r + 1 pixels on
// each side taken from the row with the wrap period.
void wrap_margins(std::uint8_t* pad, const Geometry& g)
{
    const int W = g.width, r = g.r;
    const std::uint8_t* row = pad + static_cast<std::size_t>(r) * 4;
    for (int j = -r; j < 0; ++j) std::memcpy(pad + (j + r) * 4, row + wrap_index(j, W) * 4, 4);
    for (int j = W; j <= W + r; ++j) std::memcpy(pad + (j + r) * 4, row + wrap_index(j, W) * 4, 4);
}

// One row of a horizontal pass. `pad` holds the row's pixels at index r..r+W-1
// with r + 1 pixels on each side: zeros (cut) or the wrapped samples.
void horizontal_row(const std::uint8_t* pad, std::uint8_t* out, const Geometry& g)
{
    const int W = g.width, r = g.r, full = 2 * r + 1;
    int s[4] = {0, 0, 0, 0};
    for (int j = 0; j <= 2 * r; ++j)
        for (int c = 0; c < 4; ++c) s[c] += pad[j * 4 + c];
    const float invFull = 1.0f / static_cast<float>(full);
    auto count_at = [&](int x) { return g.wrap ? full : cut_count(x, r, W); };
    if (full > kFloatDivideLimit) {  // very wide windows: exact integer division
        for (int x = 0; x < W; ++x) {
            const int count = count_at(x);
            for (int c = 0; c < 4; ++c) {
                out[x * 4 + c] = static_cast<std::uint8_t>(s[c] / count);
                s[c] += pad[(x + full) * 4 + c] - pad[x * 4 + c];
            }
        }
        return;
    }
#if defined(__SSE4_1__)
    __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128 half = _mm_set1_ps(0.5f);
    for (int x = 0; x < W; ++x) {
        const int count = count_at(x);
        const __m128 inv = _mm_set1_ps(count == full ? invFull : 1.0f / static_cast<float>(count));
        __m128i q = _mm_cvttps_epi32(_mm_mul_ps(_mm_add_ps(_mm_cvtepi32_ps(sum), half), inv));
        q = _mm_packus_epi16(_mm_packus_epi32(q, q), q);
        const int packed = _mm_cvtsi128_si32(q);
        std::memcpy(out + x * 4, &packed, 4);
        int addBytes, subBytes;
        std::memcpy(&addBytes, pad + (x + full) * 4, 4);
        std::memcpy(&subBytes, pad + x * 4, 4);
        const __m128i add = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(addBytes));
        const __m128i sub = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(subBytes));
        sum = _mm_add_epi32(sum, _mm_sub_epi32(add, sub));
    }
#else
    for (int x = 0; x < W; ++x) {
        const int count = count_at(x);
        const float inv = count == full ? invFull : 1.0f / static_cast<float>(count);
        for (int c = 0; c < 4; ++c) {
            out[x * 4 + c] = static_cast<std::uint8_t>((static_cast<float>(s[c]) + 0.5f) * inv);
            s[c] += pad[(x + full) * 4 + c] - pad[x * 4 + c];
        }
    }
#endif
}

// Horizontal pass; `in` may equal `out` because each row is first copied into
// its padded line. With `copy`, each row of `in` is also copied there.
void horizontal_pass(const std::uint8_t* in, std::uint8_t* out, const Geometry& g,
                     std::vector<Scratch>& scratch, std::uint8_t* copy = nullptr)
{
    const std::size_t stride = g.stride();
    for_each_row(0, g.height, g.width * cost::kSimple, [&](int y) {
        std::uint8_t* pad = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()].pad.data();
        const std::size_t at = static_cast<std::size_t>(y) * stride;
        std::memcpy(pad + static_cast<std::size_t>(g.r) * 4, in + at, stride);
        if (copy) std::memcpy(copy + at, in + at, stride);
        if (g.wrap) wrap_margins(pad, g);  // cut: the margins stay zero and the count shrinks instead
        horizontal_row(pad, out + at, g);
    });
}

// One round (in != out): the vertical pass of `in`, each of its rows going
// straight into the padded line of the horizontal pass, which writes `out`.
// The vertical result never leaves the cache.
void fused_round(const std::uint8_t* in, std::uint8_t* out, const Geometry& g, std::vector<Scratch>& scratch)
{
    for_each_band(g, scratch, [&](int y0, int y1, Scratch& s) {
        std::uint8_t* pad = s.pad.data();
        std::uint8_t* line = pad + static_cast<std::size_t>(g.r) * 4;
        vertical_band(
            in, g, y0, y1, s.sums.data(), [&](int) { return line; },
            [&](int y) {
                if (g.wrap) wrap_margins(pad, g);
                horizontal_row(pad, out + static_cast<std::size_t>(y) * g.stride(), g);
            });
    });
}

// The vertical pass alone (in != out).
void vertical_pass(const std::uint8_t* in, std::uint8_t* out, const Geometry& g,
                   std::vector<Scratch>& scratch)
{
    for_each_band(g, scratch, [&](int y0, int y1, Scratch& s) {
        vertical_band(
            in, g, y0, y1, s.sums.data(),
            [&](int y) { return out + static_cast<std::size_t>(y) * g.stride(); }, [](int) {});
    });
}

}  // namespace

void box_blur_buffers(std::uint8_t* src, std::uint8_t* dst, int width, int height, int r, bool wrap,
                      bool readDestination)
{
    if (!src || !dst || src == dst || width <= 0 || height <= 0) return;
    const Geometry g{width, height, std::clamp(r, 0, kMaxRadius), wrap};
    std::vector<Scratch> scratch(static_cast<std::size_t>(thread_count()));
    for (Scratch& s : scratch) {
        s.sums.assign(g.stride(), 0);
        s.pad.assign((static_cast<std::size_t>(width) + 2 * static_cast<std::size_t>(g.r) + 1) * 4, 0);
    }
    // The last round's vertical pass runs alone: its result must be kept.
    if (readDestination) {
        // Reading the destination: rounds alternate between the two buffers
        // and the fifth pass lands in the source by itself.
        fused_round(dst, src, g, scratch);
        fused_round(src, dst, g, scratch);
        vertical_pass(dst, src, g, scratch);
        horizontal_pass(src, dst, g, scratch);
        return;
    }
    fused_round(src, dst, g, scratch);
    fused_round(dst, src, g, scratch);
    vertical_pass(src, dst, g, scratch);
    // The source keeps the fifth pass, as a copy before the last pass leaves it.
    horizontal_pass(dst, dst, g, scratch, src);
}

void box_blur(EffectRun& run)
{
    EffectBlock& b = run.b;
    const int r = static_cast<int>(std::clamp(b.P[1] * 100.0 + 1.0, 0.0, static_cast<double>(kMaxRadius)));
    const bool wrap = b.I[3] == 1;
    if (b.src != b.dst) {
        box_blur_buffers(b.src, b.dst, b.width, b.height, r, wrap, b.singleBuffer != 0);
        return;
    }
    // One buffer for both: blur through a temporary source.
    Plane8 temp;
    if (!temp.allocate(static_cast<std::size_t>(b.stride) * b.height)) return;
    box_blur_buffers(temp.data(), b.dst, b.width, b.height, r, wrap, true);
}

}  // namespace mve::ipl
