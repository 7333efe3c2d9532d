// Median, maximum and minimum, geometric and harmonic means, and the local
// histogram enhancement.
#include <array>
#include <cmath>
#include <new>

#include "imagelib/rank_filters.h"
#include "imagelib/window_ops.h"

namespace mve::il {

namespace {

// ---- median: one sliding histogram per channel along each row ----

struct ChannelHistogram {
    std::array<std::int32_t, 256> count{};
    int median = 0;  // current median candidate
    int below = 0;   // values < median in the window

    void add(int v)
    {
        ++count[v];
        below += v < median;
    }
    void remove(int v)
    {
        --count[v];
        below -= v < median;
    }
    // Moves `median` to the value of rank k: the one with below <= k < below + count.
    int settle(int k)
    {
        while (below > k) below -= count[--median];
        while (below + count[median] <= k) below += count[median++];
        return median;
    }
};

void median_row(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int r, int y)
{
    const int side = 2 * r + 1;
    const int rank = (side * side) / 2;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::vector<const std::uint8_t*> rows(side);
    for (int j = 0; j < side; ++j) rows[j] = src + win::clamp_index(y - r + j, height) * stride;
    std::array<ChannelHistogram, 4> h;
    auto column = [&](int x, bool add) {
        const int off = win::clamp_index(x, width) * 4;
        for (int j = 0; j < side; ++j) {
            const std::uint8_t* p = rows[j] + off;
            for (int c = 0; c < 4; ++c) add ? h[c].add(p[c]) : h[c].remove(p[c]);
        }
    };
    for (int i = -r; i <= r; ++i) column(i, true);
    std::uint8_t* out = dst + y * stride;
    for (int x = 0;; ++x) {
        for (int c = 0; c < 4; ++c) out[x * 4 + c] = static_cast<std::uint8_t>(h[c].settle(rank));
        if (x + 1 == width) break;
        column(x - r, false);
        column(x + r + 1, true);
    }
}

// ---- maximum and minimum: running extremes, then the same on the transpose ----

// out[x] = op over in[x - r .. x + r] (indices clamped) for every channel of
// one line of n pixels. Blocks of k = 2r + 1 padded values keep a prefix (g)
// and a suffix (s) extreme; a window spans at most two blocks, so
// out[x] = op(s[x], g[x + k - 1]) in padded indices.
template <class Op>
void extreme_line(const std::uint8_t* in, std::uint8_t* out, int n, int r, Op op, std::vector<std::uint8_t>& pad,
                  std::vector<std::uint8_t>& g, std::vector<std::uint8_t>& s)
{
    const int k = 2 * r + 1, m = n + 2 * r;
    pad.resize(static_cast<std::size_t>(m) * 4);
    g.resize(pad.size());
    s.resize(pad.size());
    for (int i = 0; i < m; ++i) std::memcpy(&pad[i * 4], in + win::clamp_index(i - r, n) * 4, 4);
    for (int i = 0; i < m * 4; ++i) g[i] = (i / 4) % k == 0 ? pad[i] : op(g[i - 4], pad[i]);
    for (int i = m * 4 - 1; i >= 0; --i)
        s[i] = ((i / 4) % k == k - 1 || i / 4 == m - 1) ? pad[i] : op(s[i + 4], pad[i]);
    for (int x = 0; x < n; ++x)
        for (int c = 0; c < 4; ++c) out[x * 4 + c] = op(s[x * 4 + c], g[(x + k - 1) * 4 + c]);
}

// Filters every row of a w x h picture into `out`, transposed (out is h x w).
template <class Op>
void extreme_rows_transposed(const std::uint8_t* in, std::uint8_t* out, int w, int h, int r, Op op)
{
    for_each_row(0, h, static_cast<double>(w) * cost::kFilter, [&](int y) {
        std::vector<std::uint8_t> pad, g, s, line(static_cast<std::size_t>(w) * 4);
        extreme_line(in + static_cast<std::size_t>(y) * w * 4, line.data(), w, r, op, pad, g, s);
        for (int x = 0; x < w; ++x) std::memcpy(out + (static_cast<std::size_t>(x) * h + y) * 4, &line[x * 4], 4);
    });
}

template <class Op>
int window_extreme(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, Op op) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        const int r = win::window_radius(radius, width, height);
        std::vector<std::uint8_t> transposed(win::pixel_count(width, height) * 4);
        extreme_rows_transposed(src, transposed.data(), width, height, r, op);
        extreme_rows_transposed(transposed.data(), dst, height, width, r, op);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// ---- means of transformed values, by window sums of fixed-point terms ----

constexpr int kZero = 4;  // sums of k >= kZero count the zeros of channel k - kZero

// Writes out(sum of terms, n) per channel, or 0 where the window holds a zero.
template <class Term, class Result>
int transformed_mean(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, Term term,
                     Result result) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        const win::StableSource in(src, dst, width, height);
        const int r = win::window_radius(radius, width, height);
        const double n = static_cast<double>(2 * r + 1) * (2 * r + 1);
        win::window_sums<8>(
            in.pixels, width, height, r,
            [&](const std::uint8_t* p, int k) { return k < kZero ? term(p[k]) : std::int64_t{p[k - kZero] == 0}; },
            [&](int y, const std::int64_t* sums) {
                std::uint8_t* out = dst + static_cast<std::size_t>(y) * width * 4;
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 4; ++c) {
                        const std::int64_t* s = sums + x * 8;
                        out[x * 4 + c] = s[kZero + c] ? 0 : result(s[c], n);
                    }
            });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

constexpr double kLogScale = 1 << 20;   // ln v in 1/2^20 steps
constexpr double kRecipScale = 1 << 24; // 1 / v in 1/2^24 steps

std::uint8_t to_byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

int median_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        const win::StableSource in(src, dst, width, height);
        const int r = win::window_radius(radius, width, height);
        const double rowNs = (static_cast<double>(width) + 2 * r) * (2 * r + 1) * 2 * 4 * 1.0;
        for_each_row(0, height, rowNs, [&](int y) { median_row(in.pixels, dst, width, height, r, y); });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int maximum_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    return window_extreme(src, dst, width, height, radius, [](std::uint8_t a, std::uint8_t b) { return a > b ? a : b; });
}

int minimum_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    return window_extreme(src, dst, width, height, radius, [](std::uint8_t a, std::uint8_t b) { return a < b ? a : b; });
}

int geometric_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    static const auto logs = [] {
        std::array<std::int64_t, 256> t{};
        for (int v = 1; v < 256; ++v) t[v] = std::llround(std::log(v) * kLogScale);
        return t;
    }();
    return transformed_mean(
        src, dst, width, height, radius, [](int v) { return logs[v]; },
        [](std::int64_t sum, double n) { return to_byte(std::exp(static_cast<double>(sum) / kLogScale / n)); });
}

int harmonic_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept
{
    return transformed_mean(
        src, dst, width, height, radius,
        [](int v) { return v ? std::llround(kRecipScale / v) : std::int64_t{0}; },
        [](std::int64_t sum, double n) { return to_byte(n * kRecipScale / static_cast<double>(sum)); });
}

int local_histogram_enhancement(const std::uint8_t* src, std::uint8_t* dst, int width, int height,
                                const LocalEnhancement& e) noexcept
{
    if (!win::valid_rgba(src, dst, width, height) || !std::isfinite(e.gain)) return 0;
    auto luma = [](const std::uint8_t* p) { return std::int64_t{(77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8}; };
    try {
        const win::StableSource in(src, dst, width, height);
        // Global mean and standard deviation of the luminance.
        double sum = 0, sum2 = 0;
        const std::size_t count = win::pixel_count(width, height);
        for (std::size_t i = 0; i < count; ++i) {
            const double l = static_cast<double>(luma(in.pixels + i * 4));
            sum += l;
            sum2 += l * l;
        }
        const double mean = sum / count, dev = std::sqrt(std::max(0.0, sum2 / count - mean * mean));
        const int r = win::window_radius(e.radius, width, height);
        const double n = static_cast<double>(2 * r + 1) * (2 * r + 1);
        const float gain = static_cast<float>(std::clamp(e.gain, 0.0, 255.0));
        win::window_sums<2>(
            in.pixels, width, height, r,
            [&](const std::uint8_t* p, int k) { return k == 0 ? luma(p) : luma(p) * luma(p); },
            [&](int y, const std::int64_t* sums) {
                const std::size_t row = static_cast<std::size_t>(y) * width * 4;
                for (int x = 0; x < width; ++x) {
                    const double m = sums[x * 2] / n;
                    const double d = std::sqrt(std::max(0.0, sums[x * 2 + 1] / n - m * m));
                    const bool enhance = m <= e.k0 * mean && d >= e.k1 * dev && d <= e.k2 * dev;
                    const std::uint8_t* s = in.pixels + row + x * 4;
                    std::uint8_t* o = dst + row + x * 4;
                    for (int c = 0; c < 3; ++c) o[c] = enhance ? to_byte(s[c] * gain) : s[c];
                    o[3] = s[3];
                }
            });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace mve::il
