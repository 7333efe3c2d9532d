#include "imagelib/transforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <smmintrin.h>

#include "core/parallel.h"
#include "core/runtime.h"

namespace mve::il {

namespace {

std::vector<QueuedTransform>& transform_list() { return transform_queue().transforms; }

// Resolves an integer coordinate outside 0..n-1; false for the background.
// 64-bit: a sample position may lie anywhere a transform or a host's point
// puts it.
bool resolve(long long& v, int n, int edge)
{
    if (v >= 0 && v < n) return true;
    switch (edge) {
        case kEdgeWrap: v %= n; if (v < 0) v += n; return true;
        case kEdgeExtend: v = v < 0 ? 0 : n - 1; return true;
        case kEdgeMirror: {
            const long long period = 2LL * n;
            v %= period;
            if (v < 0) v += period;
            if (v >= n) v = period - 1 - v;
            return true;
        }
        default: return false;
    }
}

// Channels 0-1 and 2-3 of a 4-byte pixel as doubles.
inline void pixel_pd(const std::uint8_t* p, __m128d& lo, __m128d& hi)
{
    int v;
    std::memcpy(&v, p, 4);
    const __m128i i = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
    lo = _mm_cvtepi32_pd(i);
    hi = _mm_cvtepi32_pd(_mm_srli_si128(i, 8));
}

// The bilinear mix of four 4-byte pixels, two channels per register, in the
// scalar loop's order of operations (so the bytes are the same):
// trunc(w00 p00 + w10 p10 + w01 p01 + w11 p11 + 0.5).
inline void mix4(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01, const std::uint8_t* p11,
                 double w00, double w10, double w01, double w11, std::uint8_t* out)
{
    __m128d a[2], b[2], c[2], d[2];
    pixel_pd(p00, a[0], a[1]);
    pixel_pd(p10, b[0], b[1]);
    pixel_pd(p01, c[0], c[1]);
    pixel_pd(p11, d[0], d[1]);
    const __m128d k00 = _mm_set1_pd(w00), k10 = _mm_set1_pd(w10), k01 = _mm_set1_pd(w01), k11 = _mm_set1_pd(w11);
    __m128i v[2];
    for (int h = 0; h < 2; ++h) {
        __m128d t = _mm_add_pd(_mm_mul_pd(k00, a[h]), _mm_mul_pd(k10, b[h]));
        t = _mm_add_pd(_mm_add_pd(t, _mm_mul_pd(k01, c[h])), _mm_mul_pd(k11, d[h]));
        v[h] = _mm_cvttpd_epi32(_mm_add_pd(t, _mm_set1_pd(0.5)));
    }
    const __m128i both = _mm_unpacklo_epi64(v[0], v[1]);
    const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packus_epi32(both, both), both));
    std::memcpy(out, &packed, 4);
}

struct Sampler {
    const std::uint8_t* src;
    int width, height, bpp, rowBytes;
    std::uint8_t background[4];
    bool fast = fast_paths_enabled();

    const std::uint8_t* at(long long x, long long y, int edge) const
    {
        if (!resolve(x, width, edge) || !resolve(y, height, edge)) return background;
        return src + static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) * bpp;
    }
    // Bilinear sample at a position in pixel-centre coordinates.
    void sample(double x, double y, int edge, std::uint8_t* out) const
    {
        // A map may send a pixel anywhere (a huge amplitude, a division by a
        // tiny distance): keep the position where the integer conversion is
        // defined, and show the background for a position that is no number.
        if (!std::isfinite(x) || !std::isfinite(y)) {
            std::memcpy(out, background, bpp);
            return;
        }
        x = std::clamp(x, -1e9, 1e9);
        y = std::clamp(y, -1e9, 1e9);
        const double fx = std::floor(x), fy = std::floor(y);
        const long long x0 = static_cast<long long>(fx), y0 = static_cast<long long>(fy);
        const double ax = x - fx, ay = y - fy;
        if (ax == 0.0 && ay == 0.0) {
            std::memcpy(out, at(x0, y0, edge), bpp);
            return;
        }
        const std::uint8_t *p00, *p10, *p01, *p11;
        if (x0 >= 0 && y0 >= 0 && x0 < width - 1 && y0 < height - 1) {
            // All four neighbours inside: no edge mode to resolve.
            p00 = src + static_cast<std::size_t>(y0) * rowBytes + static_cast<std::size_t>(x0) * bpp;
            p10 = p00 + bpp;
            p01 = p00 + rowBytes;
            p11 = p01 + bpp;
        } else {
            p00 = at(x0, y0, edge), p10 = at(x0 + 1, y0, edge), p01 = at(x0, y0 + 1, edge);
            p11 = at(x0 + 1, y0 + 1, edge);
        }
        // (1-ax)(1-ay) p00 + ax(1-ay) p10 + (1-ax)ay p01 + ax ay p11
        const double w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay, w11 = ax * ay;
        if (bpp == 4 && fast) {
            mix4(p00, p10, p01, p11, w00, w10, w01, w11, out);
            return;
        }
        for (int c = 0; c < bpp; ++c) {
            const double v = w00 * p00[c] + w10 * p10[c] + w01 * p01[c] + w11 * p11[c];
            out[c] = static_cast<std::uint8_t>(v + 0.5);
        }
    }
};

bool valid(const std::uint8_t* src, const std::uint8_t* dst, int width, int height, int bpp, int srcRowBytes,
           int dstRowBytes)
{
    return src && dst && width > 0 && height > 0 && bpp >= 1 && bpp <= 4 && srcRowBytes >= width * bpp &&
           dstRowBytes >= width * bpp;
}

}  // namespace

void clear_all_transforms() noexcept { transform_list().clear(); }

int transform_count() noexcept { return static_cast<int>(transform_list().size()); }

int add_transform(InverseMap inverse, int edgeMode) noexcept
{
    if (!inverse) return 0;
    try {
        transform_list().push_back({std::move(inverse), edgeMode});
        return 1;
    } catch (...) {
        return 0;
    }
}

int add_offset_transform(int width, int height, double dx, double dy, int edgeMode) noexcept
{
    if (width <= 0 || height <= 0) return 0;
    return add_transform([dx, dy](double& x, double& y) {
        x -= dx;
        y -= dy;
        return true;
    }, edgeMode);
}

int transform_process(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
                      int dstRowBytes, int /*flags*/, std::uint32_t background, int /*options*/) noexcept
{
    const auto& list = transform_list();
    if (list.empty() || !valid(src, dst, width, height, bpp, srcRowBytes, dstRowBytes) || src == dst) return 0;
    Sampler s{src, width, height, bpp, srcRowBytes, {}};
    for (int c = 0; c < 4; ++c) s.background[c] = static_cast<std::uint8_t>(background >> (8 * c));
    // Edge handling applies per transform; the last transform's mode decides
    // how the final source position is read.
    const int edge = list.back().edge;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
        for (int x = 0; x < width; ++x, out += bpp) {
            double sx = x, sy = y;
            bool inside = true;
            for (auto it = list.rbegin(); it != list.rend() && inside; ++it) inside = it->inverse(sx, sy);
            if (inside)
                s.sample(sx, sy, edge, out);
            else
                std::memcpy(out, s.background, bpp);
        }
    });
    return 1;
}

int push_image(const std::uint8_t* src, int width, int height, int bpp, int srcRowBytes, std::uint8_t* dst,
               int dstRowBytes, int radius, PointI to, PointI from, int /*flags*/) noexcept
{
    if (dstRowBytes == 0) dstRowBytes = srcRowBytes;
    if (!valid(src, dst, width, height, bpp, srcRowBytes, dstRowBytes) || src == dst) return 0;
    // In double: points may lie anywhere in the int range.
    const double mx = double(from.x) - to.x, my = double(from.y) - to.y;
    const double r = radius > 0 ? radius : std::max(8.0, 2.0 * std::hypot(mx, my));
    Sampler s{src, width, height, bpp, srcRowBytes, {}};
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstRowBytes;
        for (int x = 0; x < width; ++x, out += bpp) {
            const double dx = double(x) - to.x, dy = double(y) - to.y;
            const double d2 = (dx * dx + dy * dy) / (r * r);
            // Falloff (1 - d^2)^2: the full shift at `to`, none at the radius.
            const double f = d2 < 1.0 ? (1.0 - d2) * (1.0 - d2) : 0.0;
            if (f == 0.0)
                std::memcpy(out, src + static_cast<std::size_t>(y) * srcRowBytes + static_cast<std::size_t>(x) * bpp, bpp);
            else
                s.sample(x + mx * f, y + my * f, kEdgeExtend, out);
        }
    });
    return 1;
}

}  // namespace mve::il
