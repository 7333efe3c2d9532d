// Separable Gaussian blur (see gaussian_blur.h).
//
// Below sigma 8 the sampled kernel runs in fixed point (gaussian_fixed.h).
// From 8 on, the recursive filter: both passes work on a padded line of floats: the samples of a few rows
// side by side (or of a strip of columns) with the edge sample repeated on either side, so the filters
// (gaussian_lines.h) need no edge cases inside and have several independent lanes per sample to keep vector
// registers busy. The row pass keeps its result as 16-bit fixed point (value * 256) for the column pass; the
// column pass filters strips a few dozen pixels wide, whose lines of floats stay in cache. Rows and strips
// are independent, so both passes run on the worker threads and give the same result on any number of them.
#include "imagelib/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/parallel.h"
#include "imagelib/gaussian_fixed.h"
#include "imagelib/gaussian_lines.h"

namespace mve::il {

namespace {

constexpr double kRecursiveFrom = 8.0;  // sigma from which the recursive filter runs
constexpr int kStripPixels = 128;       // width of a column strip
constexpr int kRowGroup = 8;            // rows filtered side by side in the row pass
static_assert(kStripPixels * 4 <= gauss::kMaxLanes && kRowGroup * 4 <= gauss::kMaxLanes);
static_assert(3 * kRecursiveFrom <= gauss::kMaxFixedRadius);  // the fixed-point kernel's radius fits

// The recursive filter's coefficients (Young and van Vliet, 1995), divided by
// b0: w[n] = B x[n] + c1 w[n-1] + c2 w[n-2] + c3 w[n-3], run forward and then
// backward.
gauss::Recursive recursive_for(double sigma) noexcept
{
    const double q =
        sigma >= 2.5 ? 0.98711 * sigma - 0.96330 : 3.97156 - 4.14554 * std::sqrt(1 - 0.26891 * sigma);
    const double q2 = q * q, q3 = q2 * q;
    const double b0 = 1.57825 + 2.44413 * q + 1.4281 * q2 + 0.422205 * q3;
    const double b1 = 2.44413 * q + 2.85619 * q2 + 1.26661 * q3;
    const double b2 = -(1.4281 * q2 + 1.26661 * q3);
    const double b3 = 0.422205 * q3;
    // B from the rounded feedback coefficients, so that the filter's gain at
    // zero frequency, B / (1 - c1 - c2 - c3), is 1 for the floats it runs on.
    const float c1 = static_cast<float>(b1 / b0), c2 = static_cast<float>(b2 / b0), c3 = static_cast<float>(b3 / b0);
    const double sum = static_cast<double>(c1) + c2 + c3;
    return {static_cast<float>(1 - sum), c1, c2, c3};
}

// The recursive blur: its coefficients, its padding and the per-thread lines.
struct Blur {
    gauss::Recursive coeffs{};
    int pad = 0;  // edge samples added on each side of a line

    explicit Blur(double sigma)
        : coeffs(recursive_for(sigma)), pad(static_cast<int>(std::ceil(3 * sigma)) + 3)
    {
    }

    // Filters a padded line of n + 2 * pad samples of k floats; returns where
    // the n results start.
    const float* run(float* line, int n, int k) const noexcept
    {
        gauss::recursive_line(line, n + 2 * pad, k, coeffs);
        return line + static_cast<std::size_t>(pad) * k;
    }
};

// Per-thread scratch: the line, the kernel's output and the fixed-point row group.
struct Scratch {
    std::vector<float> floats;
    std::vector<std::uint16_t> fixed;
};

// Rows of src into the 16-bit fixed-point plane `mid` (width * C values a
// row), kRowGroup rows side by side in one line so that the filter has
// several independent lanes to work on.
template <int C>
void row_pass(const Blur& blur, const std::uint8_t* src, int width, int height, int srcRowBytes,
              std::uint16_t* mid, std::vector<Scratch>& scratch)
{
    const int padded = width + 2 * blur.pad;
    const int groups = (height + kRowGroup - 1) / kRowGroup;
    for_each_row(0, groups, static_cast<double>(width) * kRowGroup * cost::kFilter, [&](int group) {
        Scratch& s = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()];
        const int y0 = group * kRowGroup;
        const int rows = std::min(kRowGroup, height - y0);
        const int k = rows * C;  // floats per sample
        float* line = s.floats.data();
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* in = src + static_cast<std::size_t>(y0 + r) * srcRowBytes;
            for (int x = 0; x < padded; ++x) {
                const std::uint8_t* p = in + std::clamp(x - blur.pad, 0, width - 1) * C;
                float* l = line + static_cast<std::size_t>(x) * k + r * C;
                for (int c = 0; c < C; ++c) l[c] = p[c];
            }
        }
        const float* out = blur.run(line, width, k);
        std::uint16_t* fixed = s.fixed.data();
        gauss::to_fixed(out, fixed, width * k);
        for (int r = 0; r < rows; ++r) {
            std::uint16_t* m = mid + static_cast<std::size_t>(y0 + r) * width * C;
            const std::uint16_t* f = fixed + r * C;
            for (int x = 0; x < width; ++x, m += C, f += k) std::memcpy(m, f, C * sizeof(std::uint16_t));
        }
    });
}

// Columns of `mid` into dst, a strip of kStripPixels columns at a time.
void column_pass(const Blur& blur, const std::uint16_t* mid, int width, int height, int channels,
                 std::uint8_t* dst, int dstRowBytes, std::vector<Scratch>& scratch)
{
    const int strips = (width + kStripPixels - 1) / kStripPixels;
    const int padded = height + 2 * blur.pad;
    const std::size_t rowValues = static_cast<std::size_t>(width) * channels;
    for_each_row(0, strips, static_cast<double>(kStripPixels) * height * cost::kFilter, [&](int strip) {
        const int x0 = strip * kStripPixels;
        const int k = (std::min(width, x0 + kStripPixels) - x0) * channels;  // floats per sample
        float* line = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()].floats.data();
        for (int y = 0; y < padded; ++y) {
            const std::uint16_t* in =
                mid + static_cast<std::size_t>(std::clamp(y - blur.pad, 0, height - 1)) * rowValues +
                static_cast<std::size_t>(x0) * channels;
            float* l = line + static_cast<std::size_t>(y) * k;
            for (int j = 0; j < k; ++j) l[j] = in[j] * (1.0f / 256.0f);
        }
        const float* out = blur.run(line, height, k);
        for (int y = 0; y < height; ++y)
            gauss::to_bytes(out + static_cast<std::size_t>(y) * k,
                            dst + static_cast<std::size_t>(y) * dstRowBytes + static_cast<std::size_t>(x0) * channels,
                            k);
    });
}

template <int C>
void blur_channels(const Blur& blur, const std::uint8_t* src, int width, int height, int srcRowBytes,
                   std::uint8_t* dst, int dstRowBytes, std::uint16_t* mid)
{
    // One line per thread, sized for the longer of a padded row group and a
    // padded strip.
    const std::size_t rowFloats = static_cast<std::size_t>(width + 2 * blur.pad) * kRowGroup * C;
    const std::size_t stripFloats = static_cast<std::size_t>(height + 2 * blur.pad) * kStripPixels * C;
    std::vector<Scratch> scratch(static_cast<std::size_t>(thread_count()));
    for (auto& s : scratch) {
        s.floats.resize(std::max(rowFloats, stripFloats));
        s.fixed.resize(static_cast<std::size_t>(width) * kRowGroup * C);
    }
    row_pass<C>(blur, src, width, height, srcRowBytes, mid, scratch);
    column_pass(blur, mid, width, height, C, dst, dstRowBytes, scratch);
}

bool overlap(const std::uint8_t* a, int aRowBytes, const std::uint8_t* b, int bRowBytes, int height,
             std::size_t rowBytes) noexcept
{
    const auto end = [&](const std::uint8_t* p, int stride) {
        return p + static_cast<std::size_t>(height - 1) * stride + rowBytes;
    };
    return a < end(b, bRowBytes) && b < end(a, aRowBytes);
}

// The fixed-point blur writes rows while later bands still read theirs, so a
// source that shares memory with the destination is copied first.
int fixed_point_blur(const std::uint8_t* src, int width, int height, int channels, int srcRowBytes,
                     std::uint8_t* dst, int dstRowBytes, double sigma)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    Plane8 copy;
    if (overlap(src, srcRowBytes, dst, dstRowBytes, height, rowBytes)) {
        if (!copy.allocate(rowBytes * static_cast<std::size_t>(height))) return 0;
        for_each_row(0, height, static_cast<double>(width) * cost::kCopy, [&](int y) {
            std::memcpy(copy.data() + y * rowBytes, src + static_cast<std::size_t>(y) * srcRowBytes,
                        rowBytes);
        });
        src = copy.data();
        srcRowBytes = static_cast<int>(rowBytes);
    }
    gauss::fixed_blur(src, width, height, channels, srcRowBytes, dst, dstRowBytes,
                      gauss::fixed_kernel(sigma));
    return 1;
}

}  // namespace

int gaussian_blur(const std::uint8_t* src, int width, int height, int channels, int srcRowBytes,
                  std::uint8_t* dst, int dstRowBytes, double sigma) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || channels < 1 || channels > 4 ||
        srcRowBytes < width * channels || dstRowBytes < width * channels || !std::isfinite(sigma))
        return 0;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    if (sigma <= 0) {
        for (int y = 0; y < height; ++y)
            std::memmove(dst + static_cast<std::size_t>(y) * dstRowBytes,
                         src + static_cast<std::size_t>(y) * srcRowBytes, rowBytes);
        return 1;
    }
    // Beyond the larger side a wider Gaussian changes the picture no further
    // than towards its mean; the cap keeps the padding bounded.
    sigma = std::min(sigma, static_cast<double>(std::max(width, height)));
    try {
        if (sigma < kRecursiveFrom)
            return fixed_point_blur(src, width, height, channels, srcRowBytes, dst, dstRowBytes, sigma);
        const Blur blur(sigma);
        Plane16 mid;
        if (!mid.allocate(rowBytes * static_cast<std::size_t>(height))) return 0;
        switch (channels) {
            case 1:
                blur_channels<1>(blur, src, width, height, srcRowBytes, dst, dstRowBytes, mid.data());
                break;
            case 2:
                blur_channels<2>(blur, src, width, height, srcRowBytes, dst, dstRowBytes, mid.data());
                break;
            case 3:
                blur_channels<3>(blur, src, width, height, srcRowBytes, dst, dstRowBytes, mid.data());
                break;
            default:
                blur_channels<4>(blur, src, width, height, srcRowBytes, dst, dstRowBytes, mid.data());
                break;
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
