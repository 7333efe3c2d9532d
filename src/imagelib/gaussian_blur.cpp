// Separable Gaussian blur (see gaussian_blur.h).
//
// Both passes work on a padded line of floats: the samples of a few rows side
// by side (or of a strip of columns) with the edge sample repeated on either
// side, so the filters (gaussian_lines.h) need no edge cases inside and have
// several independent lanes per sample to keep vector registers busy. The row
// pass keeps its result as 16-bit fixed point (value * 256) for the column
// pass; the column pass filters strips a few dozen pixels wide, whose lines of
// floats stay in cache.
// Rows and strips are independent, so both passes run on the worker threads
// and give the same result on any number of them.
#include "imagelib/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "core/parallel.h"
#include "imagelib/gaussian_lines.h"

namespace mve::il {

namespace {

constexpr double kRecursiveFrom = 3.0;  // sigma from which the recursive filter runs
constexpr int kStripPixels = 128;       // width of a column strip
constexpr int kRowGroup = 8;            // rows filtered side by side in the row pass
static_assert(kStripPixels * 4 <= gauss::kMaxLanes && kRowGroup * 4 <= gauss::kMaxLanes);
static_assert(2 * 9 + 1 <= gauss::kMaxTaps);  // the sampled kernel's radius is at most ceil(3 * 3)

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

// The sampled kernel exp(-k^2 / 2 sigma^2), k = -r..r, r = ceil(3 sigma), summing to 1.
std::vector<float> sampled_kernel(double sigma)
{
    const int r = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> taps(static_cast<std::size_t>(2 * r + 1));
    double sum = 0;
    for (int k = -r; k <= r; ++k)
        sum += taps[static_cast<std::size_t>(k + r)] =
            static_cast<float>(std::exp(-k * k / (2 * sigma * sigma)));
    for (float& t : taps) t = static_cast<float>(t / sum);
    return taps;
}

// One blur: the filter, its padding and the per-thread lines.
struct Blur {
    bool recursive = false;
    gauss::Recursive coeffs{};
    std::vector<float> taps;
    int pad = 0;  // edge samples added on each side of a line

    explicit Blur(double sigma)
    {
        recursive = sigma >= kRecursiveFrom;
        if (recursive) {
            coeffs = recursive_for(sigma);
            pad = static_cast<int>(std::ceil(3 * sigma)) + 3;
        } else {
            taps = sampled_kernel(sigma);
            pad = static_cast<int>(taps.size() / 2);
        }
    }

    // Filters a padded line of n + 2 * pad samples of k floats; returns where
    // the n results start.
    const float* run(float* line, float* spare, int n, int k) const noexcept
    {
        if (recursive) {
            gauss::recursive_line(line, n + 2 * pad, k, coeffs);
            return line + static_cast<std::size_t>(pad) * k;
        }
        gauss::convolve_line(line, spare, n, k, taps.data(), static_cast<int>(taps.size()));
        return spare;
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
        float* spare = line + static_cast<std::size_t>(padded) * k;
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* in = src + static_cast<std::size_t>(y0 + r) * srcRowBytes;
            for (int x = 0; x < padded; ++x) {
                const std::uint8_t* p = in + std::clamp(x - blur.pad, 0, width - 1) * C;
                float* l = line + static_cast<std::size_t>(x) * k + r * C;
                for (int c = 0; c < C; ++c) l[c] = p[c];
            }
        }
        const float* out = blur.run(line, spare, width, k);
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
        float* spare = line + static_cast<std::size_t>(padded) * k;
        for (int y = 0; y < padded; ++y) {
            const std::uint16_t* in =
                mid + static_cast<std::size_t>(std::clamp(y - blur.pad, 0, height - 1)) * rowValues +
                static_cast<std::size_t>(x0) * channels;
            float* l = line + static_cast<std::size_t>(y) * k;
            for (int j = 0; j < k; ++j) l[j] = in[j] * (1.0f / 256.0f);
        }
        const float* out = blur.run(line, spare, height, k);
        for (int y = 0; y < height; ++y)
            gauss::to_bytes(out + static_cast<std::size_t>(y) * k,
                            dst + static_cast<std::size_t>(y) * dstRowBytes + static_cast<std::size_t>(x0) * channels,
                            k);
    });
}

// The sampled kernel down the columns, one output row at a time from whole
// rows of `mid` (edge rows repeated): no line to fill, every access along a row.
void column_rows_pass(const Blur& blur, const std::uint16_t* mid, int width, int height, int channels,
                      std::uint8_t* dst, int dstRowBytes)
{
    const int count = static_cast<int>(blur.taps.size());
    float taps[gauss::kMaxTaps];
    for (int t = 0; t < count; ++t) taps[t] = blur.taps[static_cast<std::size_t>(t)] * (1.0f / 256.0f);
    const std::size_t rowValues = static_cast<std::size_t>(width) * channels;
    for_each_row(0, height, static_cast<double>(width) * count * cost::kSimple, [&](int y) {
        const std::uint16_t* rows[gauss::kMaxTaps];
        for (int t = 0; t < count; ++t)
            rows[t] = mid + static_cast<std::size_t>(std::clamp(y + t - blur.pad, 0, height - 1)) * rowValues;
        gauss::convolve_rows(rows, taps, count, dst + static_cast<std::size_t>(y) * dstRowBytes,
                             static_cast<int>(rowValues));
    });
}

template <int C>
void blur_channels(const Blur& blur, const std::uint8_t* src, int width, int height, int srcRowBytes,
                   std::uint8_t* dst, int dstRowBytes, std::uint16_t* mid)
{
    // One line and one spare (for the kernel's output) per thread, sized for
    // the longer of a padded row and a padded strip.
    const std::size_t rowFloats = static_cast<std::size_t>(width + 2 * blur.pad) * kRowGroup * C * 2;
    const std::size_t stripFloats =
        blur.recursive ? static_cast<std::size_t>(height + 2 * blur.pad) * kStripPixels * C : 0;
    std::vector<Scratch> scratch(static_cast<std::size_t>(thread_count()));
    for (auto& s : scratch) {
        s.floats.resize(std::max(rowFloats, stripFloats));
        s.fixed.resize(static_cast<std::size_t>(width) * kRowGroup * C);
    }
    row_pass<C>(blur, src, width, height, srcRowBytes, mid, scratch);
    if (blur.recursive)
        column_pass(blur, mid, width, height, C, dst, dstRowBytes, scratch);
    else
        column_rows_pass(blur, mid, width, height, C, dst, dstRowBytes);
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
