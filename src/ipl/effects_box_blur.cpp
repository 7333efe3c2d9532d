// "Box Blur": three rounds of a vertical then a horizontal box pass of radius
// r = trunc(P1 * 100 + 1). Every pass sets each channel to the integer mean
// of the 2r + 1 samples centred on it along the pass:
//   out = trunc(sum / count), count = samples inside the image (cut border)
//   or 2r + 1 (I3 = 1: samples wrap with a period of size - 1).
// Running sums make every pass O(1) per pixel whatever the radius. Vertical
// passes work on strips of byte columns, horizontal passes on rows; both run
// on the worker threads when large enough. Results do not depend on the
// number of threads: every output byte is written by one iteration.
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
// Byte columns per strip of a vertical pass.
constexpr int kStrip = 256;

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

// Vertical pass over byte columns c0..c1 of `in` into `out` (in != out).
void vertical_strip(const std::uint8_t* in, std::uint8_t* out, const Geometry& g, int c0, int c1)
{
    const int H = g.height, r = g.r, n = c1 - c0;
    const std::size_t stride = g.stride();
    int sum[kStrip] = {};
    // Row j of the window, or null for a row outside the image (cut border).
    auto row = [&](int j) -> const std::uint8_t* {
        if (j >= 0 && j < H) return in + static_cast<std::size_t>(j) * stride + c0;
        return g.wrap ? in + static_cast<std::size_t>(wrap_index(j, H)) * stride + c0 : nullptr;
    };
    for (int j = -r; j <= r; ++j)
        if (const std::uint8_t* p = row(j))
            for (int k = 0; k < n; ++k) sum[k] += p[k];
    const int full = 2 * r + 1;
    const float invFull = 1.0f / static_cast<float>(full);
    for (int y = 0; y < H; ++y) {
        const int count = g.wrap ? full : cut_count(y, r, H);
        const float inv = count == full ? invFull : 1.0f / static_cast<float>(count);
        std::uint8_t* o = out + static_cast<std::size_t>(y) * stride + c0;
        const std::uint8_t* add = row(y + r + 1);
        const std::uint8_t* sub = row(y - r);
        if (count <= kFloatDivideLimit && add && sub) {
            // Inside the image: one sweep writes the row and moves the window.
            for (int k = 0; k < n; ++k) {
                o[k] = static_cast<std::uint8_t>((static_cast<float>(sum[k]) + 0.5f) * inv);
                sum[k] += add[k] - sub[k];
            }
            continue;
        }
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
}

void vertical_pass(const std::uint8_t* in, std::uint8_t* out, const Geometry& g)
{
    const int columns = g.width * 4;
    const int strips = (columns + kStrip - 1) / kStrip;
    for_each_row(0, strips, double(kStrip) / 4 * g.height * cost::kSimple,
                 [&](int s) { vertical_strip(in, out, g, s * kStrip, std::min(columns, (s + 1) * kStrip)); });
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
// its padded line.
void horizontal_pass(const std::uint8_t* in, std::uint8_t* out, const Geometry& g,
                     std::vector<std::vector<std::uint8_t>>& lines)
{
    const int W = g.width, r = g.r;
    const std::size_t padPixels = static_cast<std::size_t>(W) + 2 * static_cast<std::size_t>(r) + 1;
    for (auto& line : lines) line.assign(padPixels * 4, 0);
    for_each_row(0, g.height, g.width * cost::kSimple, [&](int y) {
        std::uint8_t* pad = lines[static_cast<std::size_t>(worker_slot()) % lines.size()].data();
        const std::uint8_t* src = in + static_cast<std::size_t>(y) * g.stride();
        std::memcpy(pad + static_cast<std::size_t>(r) * 4, src, g.stride());
        if (g.wrap) {
            for (int j = -r; j < 0; ++j) std::memcpy(pad + (j + r) * 4, src + wrap_index(j, W) * 4, 4);
            for (int j = W; j <= W + r; ++j) std::memcpy(pad + (j + r) * 4, src + wrap_index(j, W) * 4, 4);
        }  // cut: the margins stay zero and the count shrinks instead
        horizontal_row(pad, out + static_cast<std::size_t>(y) * g.stride(), g);
    });
}

}  // namespace

void box_blur_buffers(std::uint8_t* src, std::uint8_t* dst, int width, int height, int r, bool wrap,
                      bool readDestination)
{
    if (!src || !dst || src == dst || width <= 0 || height <= 0) return;
    const Geometry g{width, height, std::clamp(r, 0, kMaxRadius), wrap};
    std::vector<std::vector<std::uint8_t>> lines(static_cast<std::size_t>(thread_count()));
    if (readDestination) {
        // Reading the destination: passes alternate between the two buffers
        // and the fifth lands in the source by itself.
        vertical_pass(dst, src, g);
        horizontal_pass(src, src, g, lines);
        vertical_pass(src, dst, g);
        horizontal_pass(dst, dst, g, lines);
        vertical_pass(dst, src, g);
        horizontal_pass(src, dst, g, lines);
        return;
    }
    vertical_pass(src, dst, g);
    horizontal_pass(dst, dst, g, lines);
    vertical_pass(dst, src, g);
    horizontal_pass(src, src, g, lines);
    vertical_pass(src, dst, g);
    // The source holds the fifth pass, as the copy before the last pass leaves it.
    const std::size_t stride = g.stride();
    for_each_row(0, height, width * cost::kCopy, [&](int y) {
        std::memcpy(src + static_cast<std::size_t>(y) * stride, dst + static_cast<std::size_t>(y) * stride,
                    stride);
    });
    horizontal_pass(dst, dst, g, lines);
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
