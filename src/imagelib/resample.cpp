// Separable resize: one horizontal and one vertical pass over 8-bit rows
// with 14-bit fixed-point weights. Each output channel is
//   clamp((sum_i w_i * s_i + 2^13) >> 14, 0, 255).
// The passes run in the order that costs fewer multiplications; the
// intermediate picture is 8-bit like the input. SSE4.1 paths handle the
// common RGBA32 horizontal pass and every vertical pass (which works on
// bytes regardless of the pixel size); the scalar loops are the reference.
#include <smmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/resample_kernels.h"
#include "imagelib/resampling.h"

namespace mve::il {

namespace {

constexpr int kRound = 1 << (kWeightBits - 1);

inline std::uint8_t clamp8(int v)
{
    v >>= kWeightBits;
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Horizontal pass, any pixel size: out[x] = sum of taps of in around x.
void horizontal_row_scalar(const std::uint8_t* in, std::uint8_t* out, int outWidth, int channels,
                           const WeightTable& t)
{
    for (int x = 0; x < outWidth; ++x) {
        const std::int16_t* w = &t.weights[static_cast<std::size_t>(x) * t.taps];
        const std::uint8_t* s = in + static_cast<std::size_t>(t.first[x]) * channels;
        for (int c = 0; c < channels; ++c) {
            int acc = kRound;
            for (int k = 0; k < t.taps; ++k) acc += w[k] * s[k * channels + c];
            out[x * channels + c] = clamp8(acc);
        }
    }
}

// (w[k], w[k+1]) as one 32-bit lane repeated four times: the pmaddwd operand
// for a pair of taps.
inline __m128i weight_pair(const std::int16_t* w, int k)
{
    return _mm_set1_epi32(static_cast<int>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(w[k + 1])) << 16) |
                                           static_cast<std::uint16_t>(w[k])));
}

// The pair operands of every output of a table, taps / 2 per output (the
// table's taps are even whenever the input allows).
std::vector<__m128i> weight_pairs(const WeightTable& t)
{
    const int pairs = t.taps / 2;
    std::vector<__m128i> out(static_cast<std::size_t>(t.first.size()) * pairs);
    for (std::size_t o = 0; o < t.first.size(); ++o)
        for (int p = 0; p < pairs; ++p) out[o * pairs + p] = weight_pair(&t.weights[o * t.taps], 2 * p);
    return out;
}

// RGBA32 horizontal pass, four taps per step (then a pair) with pmaddwd. The byte shuffle
// turns pixels p0..p3 into r0 r1 g0 g1 b0 b1 a0 a1 | r2 r3 g2 g3 ... so one
// multiply-add per pixel pair against (w0, w1) gives the four channel sums.
void horizontal_row_rgba(const std::uint8_t* in, std::uint8_t* out, int outWidth, const WeightTable& t,
                         const std::vector<__m128i>& pairs)
{
    const __m128i order = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kRound);
    const int taps = t.taps, perOutput = taps / 2, quads = taps / 4 * 4;
    for (int x = 0; x < outWidth; ++x) {
        // Through data(): a one-pixel input has a single tap and no pairs at all.
        const std::int16_t* w = t.weights.data() + static_cast<std::size_t>(x) * taps;
        const __m128i* wp = pairs.data() + static_cast<std::size_t>(x) * perOutput;
        const std::uint8_t* s = in + static_cast<std::size_t>(t.first[x]) * 4;
        __m128i acc0 = round, acc1 = _mm_setzero_si128();
        int k = 0;
        for (; k < quads; k += 4) {
            const __m128i px = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k * 4)), order);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(px, zero), wp[k / 2]));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(px, zero), wp[k / 2 + 1]));
        }
        if (k + 2 <= taps) {  // a last pair
            const __m128i px = _mm_shuffle_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + k * 4)), order);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(px, zero), wp[k / 2]));
            k += 2;
        }
        for (; k < taps; ++k) {  // short inputs only: an odd tap count
            int one;
            std::memcpy(&one, s + k * 4, 4);
            acc0 = _mm_add_epi32(acc0, _mm_mullo_epi32(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(one)), _mm_set1_epi32(w[k])));
        }
        __m128i acc = _mm_srai_epi32(_mm_add_epi32(acc0, acc1), kWeightBits);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(acc, acc), acc);
        const int value = _mm_cvtsi128_si32(packed);
        std::memcpy(out + x * 4, &value, 4);
    }
}

// Vertical pass for one output row of `bytes` bytes: row(k) is tap k's
// source row. 16 bytes per step, two source rows per multiply-add.
void vertical_row(const std::uint8_t* base, std::size_t stride, const std::int16_t* w, int taps, std::uint8_t* out,
                  std::size_t bytes)
{
    auto row = [&](int k) { return base + static_cast<std::size_t>(k) * stride; };
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kRound);
    // Pair operands prepared once per row when there are few taps.
    __m128i cache[32];
    const bool cached = taps / 2 <= 32;
    if (cached)
        for (int k = 0; k + 1 < taps; k += 2) cache[k / 2] = weight_pair(w, k);
    std::size_t x = 0;
    for (; x + 16 <= bytes; x += 16) {
        __m128i a0 = round, a1 = round, a2 = round, a3 = round;
        int k = 0;
        for (; k + 1 < taps; k += 2) {
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row(k) + x));
            const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row(k + 1) + x));
            const __m128i wk = cached ? cache[k / 2] : weight_pair(w, k);
            const __m128i lo = _mm_unpacklo_epi8(r0, r1), hi = _mm_unpackhi_epi8(r0, r1);
            a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wk));
            a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wk));
            a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wk));
            a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wk));
        }
        if (k < taps) {
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row(k) + x));
            const __m128i wk = _mm_set1_epi32(static_cast<std::uint16_t>(w[k]));  // (w, 0) pairs
            const __m128i lo = _mm_unpacklo_epi8(r0, zero), hi = _mm_unpackhi_epi8(r0, zero);
            a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi16(lo, zero), wk));
            a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi16(lo, zero), wk));
            a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi16(hi, zero), wk));
            a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi16(hi, zero), wk));
        }
        const __m128i s01 = _mm_packs_epi32(_mm_srai_epi32(a0, kWeightBits), _mm_srai_epi32(a1, kWeightBits));
        const __m128i s23 = _mm_packs_epi32(_mm_srai_epi32(a2, kWeightBits), _mm_srai_epi32(a3, kWeightBits));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(s01, s23));
    }
    for (; x < bytes; ++x) {
        int acc = kRound;
        for (int k = 0; k < taps; ++k) acc += w[k] * row(k)[x];
        out[x] = clamp8(acc);
    }
}

void horizontal_pass(const std::uint8_t* in, int inRowBytes, std::uint8_t* out, int outRowBytes, int outWidth,
                     int rows, int channels, const WeightTable& t)
{
    std::vector<__m128i> pairs;
    if (channels == 4) pairs = weight_pairs(t);
    for_each_plane_row(outWidth, rows, cost::kFilter, [&](int y) {
        const std::uint8_t* s = in + static_cast<std::size_t>(y) * inRowBytes;
        std::uint8_t* d = out + static_cast<std::size_t>(y) * outRowBytes;
        if (channels == 4)
            horizontal_row_rgba(s, d, outWidth, t, pairs);
        else
            horizontal_row_scalar(s, d, outWidth, channels, t);
    });
}

void vertical_pass(const std::uint8_t* in, int inRowBytes, std::uint8_t* out, int outRowBytes, int outHeight,
                   std::size_t rowBytes, const WeightTable& t)
{
    for_each_plane_row(static_cast<int>(rowBytes / 4 + 1), outHeight, cost::kFilter, [&](int y) {
        vertical_row(in + static_cast<std::size_t>(t.first[y]) * inRowBytes, static_cast<std::size_t>(inRowBytes),
                     &t.weights[static_cast<std::size_t>(y) * t.taps], t.taps,
                     out + static_cast<std::size_t>(y) * outRowBytes, rowBytes);
    });
}

// Copies rows of `bytes` bytes (a pass that does not change the size).
void copy_rows(const std::uint8_t* in, int inRowBytes, std::uint8_t* out, int outRowBytes, int rows,
               std::size_t bytes)
{
    for (int y = 0; y < rows; ++y)
        std::memcpy(out + static_cast<std::size_t>(y) * outRowBytes, in + static_cast<std::size_t>(y) * inRowBytes, bytes);
}

void nearest(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
             int newHeight, int dstRowBytes, int channels)
{
    std::vector<int> column(static_cast<std::size_t>(newWidth));
    for (int x = 0; x < newWidth; ++x)
        column[x] = std::min(width - 1, static_cast<int>((x + 0.5) * width / newWidth));
    for_each_plane_row(newWidth, newHeight, cost::kCopy, [&](int y) {
        const int sy = std::min(height - 1, static_cast<int>((y + 0.5) * height / newHeight));
        const std::uint8_t* s = src + static_cast<std::size_t>(sy) * srcRowBytes;
        std::uint8_t* d = dst + static_cast<std::size_t>(y) * dstRowBytes;
        for (int x = 0; x < newWidth; ++x) std::memcpy(d + x * channels, s + column[x] * channels, channels);
    });
}

bool valid(const std::uint8_t* src, int width, int height, int srcRowBytes, const std::uint8_t* dst, int newWidth,
           int newHeight, int dstRowBytes, int channels)
{
    return src && dst && width > 0 && height > 0 && newWidth > 0 && newHeight > 0 && channels >= 1 &&
           channels <= 4 && srcRowBytes >= width * channels && dstRowBytes >= newWidth * channels;
}

// The separable resize with a kernel or with area weights.
bool convolve(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
              int newHeight, int dstRowBytes, int channels, const Kernel& kernel, bool area)
{
    const bool doH = newWidth != width, doV = newHeight != height;
    if (!doH && !doV) {
        copy_rows(src, srcRowBytes, dst, dstRowBytes, height, static_cast<std::size_t>(width) * channels);
        return true;
    }
    WeightTable wx, wy;
    if (doH) wx = make_weights(width, newWidth, kernel, area, channels == 4 ? 2 : 1);
    if (doV) wy = make_weights(height, newHeight, kernel, area, 2);
    const std::size_t outRow = static_cast<std::size_t>(newWidth) * channels;
    if (!doV) {
        horizontal_pass(src, srcRowBytes, dst, dstRowBytes, newWidth, height, channels, wx);
        return true;
    }
    if (!doH) {
        vertical_pass(src, srcRowBytes, dst, dstRowBytes, newHeight, outRow, wy);
        return true;
    }
    // Horizontal first costs height*newWidth*tx + newWidth*newHeight*ty taps,
    // vertical first width*newHeight*ty + newWidth*newHeight*tx.
    const double hFirst = double(height) * newWidth * wx.taps + double(newWidth) * newHeight * wy.taps;
    const double vFirst = double(width) * newHeight * wy.taps + double(newWidth) * newHeight * wx.taps;
    if (hFirst <= vFirst) {
        std::vector<std::uint8_t> mid(outRow * height);
        horizontal_pass(src, srcRowBytes, mid.data(), static_cast<int>(outRow), newWidth, height, channels, wx);
        vertical_pass(mid.data(), static_cast<int>(outRow), dst, dstRowBytes, newHeight, outRow, wy);
    } else {
        const std::size_t midRow = static_cast<std::size_t>(width) * channels;
        std::vector<std::uint8_t> mid(midRow * newHeight);
        vertical_pass(src, srcRowBytes, mid.data(), static_cast<int>(midRow), newHeight, midRow, wy);
        horizontal_pass(mid.data(), static_cast<int>(midRow), dst, dstRowBytes, newWidth, newHeight, channels, wx);
    }
    return true;
}

}  // namespace

int resize_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
                 int newHeight, int dstRowBytes, int bytesPerPixel, int code, int /*flags*/) noexcept
{
    if (!valid(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel)) return 0;
    try {
        if (code == kFilterNearest) {
            nearest(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel);
            return 1;
        }
        return convolve(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel,
                        kernel_for(code), code == kFilterAreaAverage)
                   ? 1
                   : 0;
    } catch (...) {
        return 0;  // a weight table or intermediate picture that could not be allocated
    }
}

int resize_image_default(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                         int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept
{
    return resize_image(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel,
                        kFilterBicubic, 0);
}

int simple_resample_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                          int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept
{
    return resize_image(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel,
                        kFilterNearest, 0);
}

int decimate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
                   int newHeight, int dstRowBytes, int bytesPerPixel, int /*flags*/) noexcept
{
    return resize_image(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel,
                        kFilterAreaAverage, 0);
}

int resize_image_bicubic(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                         int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept
{
    return resize_image(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, bytesPerPixel,
                        kFilterBicubic, 0);
}

}  // namespace mve::il
