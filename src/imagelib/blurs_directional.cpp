// Blurs that average samples taken along a path through each pixel: motion
// (a straight line), radial (an arc about a centre) and zoom (a segment
// towards a centre). Positions off the pixel grid are read bilinearly; outside
// the picture the edge pixels repeat.
#include <cmath>
#include <map>
#include <new>
#include <utility>

#include <smmintrin.h>

#include "core/runtime.h"
#include "imagelib/blurs.h"
#include "imagelib/window_ops.h"

namespace mve::il {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxSamples = 1024;

// ---- motion blur: the path is the same for every pixel, so it becomes one
// sparse kernel of integer offsets with fixed-point weights summing to 2^16 ----

struct Tap {
    int dx, dy;
    std::uint32_t weight;
};

std::vector<Tap> line_kernel(double angleDegrees, double length, int samples, bool centred)
{
    const double a = angleDegrees * kPi / 180.0;
    const double ux = std::cos(a), uy = -std::sin(a);
    const int n = std::clamp(samples > 0 ? samples : static_cast<int>(std::ceil(length)) + 1, 1, kMaxSamples);
    // Bilinear shares of each sample, merged by integer offset.
    std::map<std::pair<int, int>, double> shares;
    double total = 0;
    for (int i = 0; i < n; ++i) {
        const double t = n == 1 ? 0.0 : static_cast<double>(i) / (n - 1);
        const double along = centred ? (t - 0.5) * length : -t * length;
        const double w = centred ? 1.0 : static_cast<double>(n - i);
        const double x = along * ux, y = along * uy;
        const double fx = std::floor(x), fy = std::floor(y), ax = x - fx, ay = y - fy;
        const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
        shares[{ix, iy}] += w * (1 - ax) * (1 - ay);
        shares[{ix + 1, iy}] += w * ax * (1 - ay);
        shares[{ix, iy + 1}] += w * (1 - ax) * ay;
        shares[{ix + 1, iy + 1}] += w * ax * ay;
        total += w;
    }
    std::vector<Tap> taps;
    std::uint32_t sum = 0;
    std::size_t heaviest = 0;
    for (const auto& [offset, share] : shares) {
        const auto w = static_cast<std::uint32_t>(std::lround(share / total * 65536.0));
        if (w == 0) continue;
        if (taps.empty() || w > taps[heaviest].weight) heaviest = taps.size();
        taps.push_back({offset.first, offset.second, w});
        sum += w;
    }
    // Rounding leftovers go to the heaviest tap, so a flat picture stays flat.
    taps[heaviest].weight += 65536u - sum;
    return taps;
}

// dst = sum of weight * src shifted by each tap, a row at a time: every tap
// adds its shifted row into 32-bit totals (an easily vectorised loop), the
// columns whose shift leaves the picture reading the clamped edge pixel.
void convolve_sparse(const std::uint8_t* src, std::uint8_t* dst, int width, int height, const std::vector<Tap>& taps)
{
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    const double rowNs = static_cast<double>(width) * taps.size() * 1.0;
    for_each_row(0, height, rowNs, [&](int y) {
        std::vector<std::uint32_t> acc(stride, 32768u);
        for (const Tap& t : taps) {
            const std::uint8_t* row = src + win::clamp_index(y + t.dy, height) * stride;
            const int x0 = std::clamp(-t.dx, 0, width), x1 = std::clamp(width - t.dx, x0, width);
            const std::uint32_t w = t.weight;
            for (int x = 0; x < x0; ++x)
                for (int c = 0; c < 4; ++c) acc[x * 4 + c] += w * row[win::clamp_index(x + t.dx, width) * 4 + c];
            const std::uint8_t* shifted = row + static_cast<std::ptrdiff_t>(t.dx) * 4;
            for (int i = x0 * 4; i < x1 * 4; ++i) acc[i] += w * shifted[i];
            for (int x = x1; x < width; ++x)
                for (int c = 0; c < 4; ++c) acc[x * 4 + c] += w * row[win::clamp_index(x + t.dx, width) * 4 + c];
        }
        std::uint8_t* out = dst + y * stride;
        for (std::size_t i = 0; i < stride; ++i) out[i] = static_cast<std::uint8_t>(acc[i] >> 16);
    });
}

// ---- radial and zoom blurs: a path per pixel, averaged in floating point ----

// Adds the bilinear sample at (x, y) to acc: the scalar reference.
inline void add_bilinear_scalar(const std::uint8_t* const* taps, float ax, float ay, float acc[4])
{
    const std::uint8_t *p00 = taps[0], *p10 = taps[1], *p01 = taps[2], *p11 = taps[3];
    const float w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay, w11 = ax * ay;
    for (int c = 0; c < 4; ++c) acc[c] += w00 * p00[c] + w10 * p10[c] + w01 * p01[c] + w11 * p11[c];
}

inline __m128 pixel_ps(const std::uint8_t* p)
{
    int v;
    std::memcpy(&v, p, 4);
    return _mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(v)));
}

// The same sum with the four channels in one register, in the reference's
// order of operations, so the result is bit-identical.
inline void add_bilinear_sse(const std::uint8_t* const* taps, float ax, float ay, float acc[4])
{
    const __m128 w00 = _mm_set1_ps((1 - ax) * (1 - ay)), w10 = _mm_set1_ps(ax * (1 - ay)),
                 w01 = _mm_set1_ps((1 - ax) * ay), w11 = _mm_set1_ps(ax * ay);
    __m128 t = _mm_add_ps(_mm_mul_ps(w00, pixel_ps(taps[0])), _mm_mul_ps(w10, pixel_ps(taps[1])));
    t = _mm_add_ps(_mm_add_ps(t, _mm_mul_ps(w01, pixel_ps(taps[2]))), _mm_mul_ps(w11, pixel_ps(taps[3])));
    _mm_storeu_ps(acc, _mm_add_ps(_mm_loadu_ps(acc), t));
}

// Adds the bilinear sample at (x, y) to acc.
inline void add_bilinear(const std::uint8_t* src, int width, int height, float x, float y, float acc[4], bool fast)
{
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    // Beyond one pixel outside, the clamped edge reads the same: keep the
    // coordinates in a range where the integer conversion is defined.
    x = std::clamp(x, -1.0f, static_cast<float>(width));
    y = std::clamp(y, -1.0f, static_cast<float>(height));
    const float fx = std::floor(x), fy = std::floor(y);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    int xa = x0, xb = x0 + 1, ya = y0, yb = y0 + 1;
    if (x0 < 0 || y0 < 0 || x0 >= width - 1 || y0 >= height - 1) {
        xa = win::clamp_index(xa, width), xb = win::clamp_index(xb, width);
        ya = win::clamp_index(ya, height), yb = win::clamp_index(yb, height);
    }
    const std::uint8_t* taps[4] = {src + ya * stride + xa * 4, src + ya * stride + xb * 4, src + yb * stride + xa * 4,
                                   src + yb * stride + xb * 4};
    if (fast)
        add_bilinear_sse(taps, x - fx, y - fy, acc);
    else
        add_bilinear_scalar(taps, x - fx, y - fy, acc);
}

inline void store_mean(const float acc[4], int n, std::uint8_t* out)
{
    for (int c = 0; c < 4; ++c) out[c] = static_cast<std::uint8_t>(std::clamp(std::lround(acc[c] / n), 0L, 255L));
}

// Runs pathMean(x, y, out) over every pixel, reading a stable copy of src.
template <class PathMean>
int per_pixel_path(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int maxSamples, PathMean mean)
{
    if (!win::valid_rgba(src, dst, width, height)) return 0;
    try {
        const win::StableSource in(src, dst, width, height);
        // Neighbouring pixels' paths run side by side, so the picture is
        // walked in tiles of kTile x kTile: the samples of one tile stay
        // within a small region that the cache holds, where a whole row's
        // paths would sweep a wide band of the picture.
        constexpr int kTile = 32;
        const int bands = (height + kTile - 1) / kTile;
        const double bandNs = static_cast<double>(width) * kTile * std::clamp(maxSamples, 1, kMaxSamples) * 6.0;
        const bool fast = fast_paths_enabled();
        for_each_row(0, bands, bandNs, [&](int band) {
            const int y0 = band * kTile, y1 = std::min(height, y0 + kTile);
            for (int x0 = 0; x0 < width; x0 += kTile)
                for (int y = y0; y < y1; ++y) {
                    std::uint8_t* out = dst + static_cast<std::size_t>(y) * width * 4;
                    for (int x = x0; x < std::min(width, x0 + kTile); ++x) mean(in.pixels, x, y, out + x * 4, fast);
                }
        });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int sample_count(double pathLength, int maxSamples)
{
    const int cap = std::clamp(maxSamples, 1, kMaxSamples);
    return std::clamp(static_cast<int>(std::min(std::ceil(pathLength), 1e6)) + 1, 1, cap);
}

}  // namespace

int motion_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double angleDegrees,
                double length, int samples, bool centred) noexcept
{
    if (!win::valid_rgba(src, dst, width, height) || !std::isfinite(angleDegrees) || !std::isfinite(length))
        return 0;
    try {
        const win::StableSource in(src, dst, width, height);
        // A path longer than the picture's diagonal only repeats edge pixels.
        const double len = std::clamp(length, 0.0, 2.0 * (width + height));
        if (len <= 0) {
            if (dst != src) std::memcpy(dst, src, win::pixel_count(width, height) * 4);
            return 1;
        }
        convolve_sparse(in.pixels, dst, width, height,
                        line_kernel(std::fmod(angleDegrees, 360.0), len, samples, centred));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int radial_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cx, double cy,
                double angleDegrees, int maxSamples) noexcept
{
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(angleDegrees)) return 0;
    const double arc = std::clamp(std::fabs(angleDegrees), 0.0, 360.0) * kPi / 180.0;
    return per_pixel_path(src, dst, width, height, maxSamples, [&](const std::uint8_t* in, int x, int y,
                                                                    std::uint8_t* out, bool fast) {
        const double vx = x - cx, vy = y - cy;
        const int n = sample_count(std::sqrt(vx * vx + vy * vy) * arc, maxSamples);
        float acc[4] = {};
        if (n == 1) {
            add_bilinear(in, width, height, static_cast<float>(x), static_cast<float>(y), acc, fast);
            return store_mean(acc, 1, out);
        }
        // Start at -arc / 2 from the pixel and rotate by arc / (n - 1) per step.
        const double step = arc / (n - 1), c = std::cos(step), s = std::sin(step);
        double px = vx * std::cos(-arc / 2) - vy * std::sin(-arc / 2);
        double py = vx * std::sin(-arc / 2) + vy * std::cos(-arc / 2);
        for (int i = 0; i < n; ++i) {
            add_bilinear(in, width, height, static_cast<float>(cx + px), static_cast<float>(cy + py), acc, fast);
            const double nx = px * c - py * s;
            py = px * s + py * c;
            px = nx;
        }
        store_mean(acc, n, out);
    });
}

int zoom_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cx, double cy,
              double strength, int maxSamples) noexcept
{
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(strength)) return 0;
    const double k = std::clamp(strength, 0.0, 1.0);
    return per_pixel_path(src, dst, width, height, maxSamples, [&](const std::uint8_t* in, int x, int y,
                                                                    std::uint8_t* out, bool fast) {
        const double vx = x - cx, vy = y - cy;
        const int n = sample_count(std::sqrt(vx * vx + vy * vy) * k, maxSamples);
        float acc[4] = {};
        // Scale 1 at the pixel down to 1 - k at the segment's inner end.
        for (int i = 0; i < n; ++i) {
            const double scale = n == 1 ? 1.0 : 1.0 - k * i / (n - 1);
            add_bilinear(in, width, height, static_cast<float>(cx + vx * scale), static_cast<float>(cy + vy * scale),
                         acc, fast);
        }
        store_mean(acc, n, out);
    });
}

}  // namespace mve::il
