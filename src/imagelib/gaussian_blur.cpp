// Separable Gaussian blur (see gaussian_blur.h).
//
// Both passes work on a padded line of floats: the samples of one row (or of
// a strip of columns) with the edge sample repeated on either side, so the
// filters need no edge cases inside. The row pass keeps its result as 16-bit
// fixed point (value * 256) for the column pass; the column pass filters
// strips a few dozen pixels wide, whose lines of floats stay in cache and
// whose inner loops run across the strip, where the compiler vectorises them.
// Rows and strips are independent, so both passes run on the worker threads
// and give the same result on any number of them.
#include "imagelib/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "core/memory.h"
#include "core/parallel.h"

namespace mve::il {

namespace {

constexpr double kRecursiveFrom = 3.0;  // sigma from which the recursive filter runs
constexpr int kStripPixels = 32;        // width of a column strip
constexpr int kMaxLineChannels = kStripPixels * 4;  // floats per sample of a line, at most

// The recursive filter's coefficients (Young and van Vliet, 1995), divided by
// b0: w[n] = B x[n] + c1 w[n-1] + c2 w[n-2] + c3 w[n-3], run forward and then
// backward.
struct Recursive {
    float B, c1, c2, c3;
};

Recursive recursive_for(double sigma) noexcept
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

// A line of n samples of K floats each, filtered in place forward then
// backward. The forward run starts in the steady state of its first sample,
// the backward run in that of the forward run's last output. The filter runs
// on the samples less the first one: its poles lie close to 1 for large
// sigma, which magnifies rounding in proportion to the values filtered, and
// this way a flat line is exactly zero throughout and comes back unchanged.
template <class KT>
void recursive_line(float* v, int n, KT K, const Recursive& c) noexcept
{
    const int k = K;
    float base[kMaxLineChannels];
    for (int j = 0; j < k; ++j) base[j] = v[j];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < k; ++j) v[static_cast<std::size_t>(i) * k + j] -= base[j];
    for (int i = 0; i < n; ++i) {
        float* w = v + static_cast<std::size_t>(i) * k;
        const float* w1 = i >= 1 ? w - k : v;
        const float* w2 = i >= 2 ? w - 2 * k : v;
        const float* w3 = i >= 3 ? w - 3 * k : v;
        for (int j = 0; j < k; ++j) w[j] = c.B * w[j] + c.c1 * w1[j] + c.c2 * w2[j] + c.c3 * w3[j];
    }
    float* last = v + static_cast<std::size_t>(n - 1) * k;
    for (int i = n - 1; i >= 0; --i) {
        float* w = v + static_cast<std::size_t>(i) * k;
        const float* w1 = i <= n - 2 ? w + k : last;
        const float* w2 = i <= n - 3 ? w + 2 * k : last;
        const float* w3 = i <= n - 4 ? w + 3 * k : last;
        for (int j = 0; j < k; ++j) w[j] = c.B * w[j] + c.c1 * w1[j] + c.c2 * w2[j] + c.c3 * w3[j];
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < k; ++j) v[static_cast<std::size_t>(i) * k + j] += base[j];
}

// out[i] = sum over t of taps[t] * in[i + t] for n outputs; `in` holds
// n + taps - 1 samples of K floats.
template <class KT>
void convolve_line(const float* in, float* out, int n, KT K, const std::vector<float>& taps) noexcept
{
    const int k = K;
    const int count = static_cast<int>(taps.size());
    for (int i = 0; i < n; ++i) {
        float* o = out + static_cast<std::size_t>(i) * k;
        for (int j = 0; j < k; ++j) o[j] = 0;
        for (int t = 0; t < count; ++t) {
            const float* s = in + static_cast<std::size_t>(i + t) * k;
            const float tap = taps[static_cast<std::size_t>(t)];
            for (int j = 0; j < k; ++j) o[j] += tap * s[j];
        }
    }
}

// One blur: the filter, its padding and the per-thread lines.
struct Blur {
    bool recursive = false;
    Recursive coeffs{};
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

    // Filters a padded line of n + 2 * pad samples; the n results start at out.
    template <class KT>
    const float* run(float* line, float* spare, int n, KT K) const noexcept
    {
        if (recursive) {
            recursive_line(line, n + 2 * pad, K, coeffs);
            return line + static_cast<std::size_t>(pad) * static_cast<int>(K);
        }
        convolve_line(line, spare, n, K, taps);
        return spare;
    }
};

std::uint8_t to_byte(float v) noexcept
{
    return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5f));
}

std::uint16_t to_fixed(float v) noexcept
{
    const float s = v * 256.0f;
    return static_cast<std::uint16_t>(s <= 0 ? 0 : s >= 65535 ? 65535 : static_cast<int>(s + 0.5f));
}

// Rows of src into the 16-bit fixed-point plane `mid` (width * C values a row).
template <int C>
void row_pass(const Blur& blur, const std::uint8_t* src, int width, int height, int srcRowBytes,
              std::uint16_t* mid, std::vector<std::vector<float>>& scratch)
{
    const int padded = width + 2 * blur.pad;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        std::vector<float>& s = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()];
        float* line = s.data();
        float* spare = line + static_cast<std::size_t>(padded) * C;
        const std::uint8_t* in = src + static_cast<std::size_t>(y) * srcRowBytes;
        for (int x = 0; x < padded; ++x) {
            const int sx = std::clamp(x - blur.pad, 0, width - 1);
            for (int c = 0; c < C; ++c) line[x * C + c] = in[sx * C + c];
        }
        const float* out = blur.run(line, spare, width, std::integral_constant<int, C>{});
        std::uint16_t* m = mid + static_cast<std::size_t>(y) * width * C;
        for (int i = 0; i < width * C; ++i) m[i] = to_fixed(out[i]);
    });
}

// Columns of `mid` into dst, a strip of kStripPixels columns at a time.
void column_pass(const Blur& blur, const std::uint16_t* mid, int width, int height, int channels,
                 std::uint8_t* dst, int dstRowBytes, std::vector<std::vector<float>>& scratch)
{
    const int strips = (width + kStripPixels - 1) / kStripPixels;
    const int padded = height + 2 * blur.pad;
    const std::size_t rowValues = static_cast<std::size_t>(width) * channels;
    for_each_row(0, strips, static_cast<double>(kStripPixels) * height * cost::kFilter, [&](int strip) {
        const int x0 = strip * kStripPixels;
        const int k = (std::min(width, x0 + kStripPixels) - x0) * channels;  // floats per sample
        std::vector<float>& s = scratch[static_cast<std::size_t>(worker_slot()) % scratch.size()];
        float* line = s.data();
        float* spare = line + static_cast<std::size_t>(padded) * k;
        for (int y = 0; y < padded; ++y) {
            const std::uint16_t* in =
                mid + static_cast<std::size_t>(std::clamp(y - blur.pad, 0, height - 1)) * rowValues +
                static_cast<std::size_t>(x0) * channels;
            float* l = line + static_cast<std::size_t>(y) * k;
            for (int j = 0; j < k; ++j) l[j] = in[j] * (1.0f / 256.0f);
        }
        const float* out = blur.run(line, spare, height, k);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* o =
                dst + static_cast<std::size_t>(y) * dstRowBytes + static_cast<std::size_t>(x0) * channels;
            const float* r = out + static_cast<std::size_t>(y) * k;
            for (int j = 0; j < k; ++j) o[j] = to_byte(r[j]);
        }
    });
}

template <int C>
void blur_channels(const Blur& blur, const std::uint8_t* src, int width, int height, int srcRowBytes,
                   std::uint8_t* dst, int dstRowBytes, std::uint16_t* mid)
{
    // One line and one spare (for the kernel's output) per thread, sized for
    // the longer of a padded row and a padded strip.
    const std::size_t rowFloats = static_cast<std::size_t>(width + 2 * blur.pad) * C * 2;
    const std::size_t stripFloats = static_cast<std::size_t>(height + 2 * blur.pad) * kStripPixels * C * 2;
    std::vector<std::vector<float>> scratch(static_cast<std::size_t>(thread_count()));
    for (auto& s : scratch) s.resize(std::max(rowFloats, stripFloats));
    row_pass<C>(blur, src, width, height, srcRowBytes, mid, scratch);
    column_pass(blur, mid, width, height, C, dst, dstRowBytes, scratch);
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
