// Separable 16-bit resize: a horizontal pass into an intermediate of 16-bit
// rows, then a vertical pass. Scalar on purpose: image brushes are
// at most a few hundred pixels wide, and the 8-bit SIMD paths do not apply.
#include "imagelib/resample16.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/parallel.h"
#include "imagelib/resample_kernels.h"
#include "imagelib/resampling.h"

namespace mve::il {

namespace {

constexpr std::int64_t kRound = 1 << (kWeightBits - 1);

inline std::uint16_t clamp16(std::int64_t acc)
{
    acc >>= kWeightBits;
    return static_cast<std::uint16_t>(acc < 0 ? 0 : acc > 65535 ? 65535 : acc);
}

const std::uint16_t* row_at(const std::uint16_t* base, int rowBytes, int y)
{
    return reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const std::uint8_t*>(base) +
                                                  static_cast<std::size_t>(y) * rowBytes);
}

std::uint16_t* row_at(std::uint16_t* base, int rowBytes, int y)
{
    return reinterpret_cast<std::uint16_t*>(reinterpret_cast<std::uint8_t*>(base) + static_cast<std::size_t>(y) * rowBytes);
}

// Horizontal pass over `rows` rows: out[x] = sum of the taps of in around x.
void horizontal(const std::uint16_t* in, int inRowBytes, std::uint16_t* out, int outRowBytes, int outWidth, int rows,
                int channels, const WeightTable& t)
{
    for_each_plane_row(outWidth, rows, cost::kFilter, [&](int y) {
        const std::uint16_t* s = row_at(in, inRowBytes, y);
        std::uint16_t* d = row_at(out, outRowBytes, y);
        for (int x = 0; x < outWidth; ++x) {
            const std::int16_t* w = &t.weights[static_cast<std::size_t>(x) * t.taps];
            const std::uint16_t* p = s + static_cast<std::size_t>(t.first[x]) * channels;
            for (int c = 0; c < channels; ++c) {
                std::int64_t acc = kRound;
                for (int k = 0; k < t.taps; ++k) acc += static_cast<std::int64_t>(w[k]) * p[k * channels + c];
                d[x * channels + c] = clamp16(acc);
            }
        }
    });
}

// Vertical pass: output row y mixes the input rows first[y] .. first[y] + taps.
void vertical(const std::uint16_t* in, int inRowBytes, std::uint16_t* out, int outRowBytes, int outHeight,
              int values, const WeightTable& t)
{
    for_each_plane_row(values, outHeight, cost::kFilter, [&](int y) {
        const std::int16_t* w = &t.weights[static_cast<std::size_t>(y) * t.taps];
        std::uint16_t* d = row_at(out, outRowBytes, y);
        for (int i = 0; i < values; ++i) {
            std::int64_t acc = kRound;
            for (int k = 0; k < t.taps; ++k) acc += static_cast<std::int64_t>(w[k]) * row_at(in, inRowBytes, t.first[y] + k)[i];
            d[i] = clamp16(acc);
        }
    });
}

void copy_rows(const std::uint16_t* in, int inRowBytes, std::uint16_t* out, int outRowBytes, int rows)
{
    const std::size_t bytes = static_cast<std::size_t>(std::min(inRowBytes, outRowBytes));
    for (int y = 0; y < rows; ++y) std::memcpy(row_at(out, outRowBytes, y), row_at(in, inRowBytes, y), bytes);
}

void nearest(const std::uint16_t* src, int width, int height, int srcRowBytes, std::uint16_t* dst, int newWidth,
             int newHeight, int dstRowBytes, int channels)
{
    for (int y = 0; y < newHeight; ++y) {
        const int sy = std::min(height - 1, static_cast<int>((y + 0.5) * height / newHeight));
        const std::uint16_t* s = row_at(src, srcRowBytes, sy);
        std::uint16_t* d = row_at(dst, dstRowBytes, y);
        for (int x = 0; x < newWidth; ++x) {
            const int sx = std::min(width - 1, static_cast<int>((x + 0.5) * width / newWidth));
            std::memcpy(d + x * channels, s + sx * channels, sizeof(std::uint16_t) * channels);
        }
    }
}

}  // namespace

int resize_image16(const std::uint16_t* src, int width, int height, int srcRowBytes, std::uint16_t* dst,
                   int newWidth, int newHeight, int dstRowBytes, int channels, int code) noexcept
{
    if (!src || !dst || width < 1 || height < 1 || newWidth < 1 || newHeight < 1 || channels < 1 || channels > 4)
        return 0;
    if (srcRowBytes < width * channels * 2 || dstRowBytes < newWidth * channels * 2) return 0;
    try {
        if (code == kFilterNearest) {
            nearest(src, width, height, srcRowBytes, dst, newWidth, newHeight, dstRowBytes, channels);
            return 1;
        }
        const Kernel& kernel = kernel_for(code);
        const bool area = code == kFilterAreaAverage;
        // Width first into a newWidth x height intermediate, then height. A
        // side that keeps its size is copied, since smoothing kernels would
        // blur it even at scale 1.
        const int midRowBytes = newWidth * channels * 2;
        std::vector<std::uint16_t> mid(static_cast<std::size_t>(newWidth) * channels * height);
        if (newWidth == width)
            copy_rows(src, srcRowBytes, mid.data(), midRowBytes, height);
        else
            horizontal(src, srcRowBytes, mid.data(), midRowBytes, newWidth, height, channels,
                       make_weights(width, newWidth, kernel, area));
        if (newHeight == height)
            copy_rows(mid.data(), midRowBytes, dst, dstRowBytes, height);
        else
            vertical(mid.data(), midRowBytes, dst, dstRowBytes, newHeight, newWidth * channels,
                     make_weights(height, newHeight, kernel, area));
        return 1;
    } catch (...) {
        return 0;  // a weight table or the intermediate could not be allocated
    }
}

}  // namespace mve::il
