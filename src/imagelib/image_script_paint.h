// What every image-script generator paints with: the painter (two colours,
// opacity, blend mode), field and wrapped-shape loops, and the small value
// helpers the generator files share.
//
// A generator computes, per pixel, a value t in [0, 1] (the mix between its
// two colours) and a coverage k in [0, 1], and paints the mixed colour over
// the picture with its blend mode:
//   out = dst + (blend(dst, c) - dst) * k * opacity, rounded to nearest.
// Script blend modes are the six of the script format; a generator run for
// the dispatcher blends with the engine's own layer modes instead.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/blend_modes.h"
#include "core/merge_pixel.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/image_script_steps.h"

namespace mve::il::isl_detail {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxShapes = 100000;  // counts above this are capped
// A generator's `mode` from this value on names the engine's layer blend mode
// (mode - 100; 0..30, "Normal" .. "Silhoulette").
constexpr int kLayerModeBase = 100;

inline int slot_int(const IslStep& s, int slot, int lo, int hi)
{
    return static_cast<int>(std::clamp(s.values[static_cast<std::size_t>(slot)], double(lo), double(hi)));
}

inline double slot_clamped(const IslStep& s, int slot, double lo, double hi)
{
    return std::clamp(s.values[static_cast<std::size_t>(slot)], lo, hi);
}

// Script blend modes: 0 normal, 1 multiply, 2 screen, 3 darken, 4 lighten, 5 add.
inline double script_blend(int mode, double d, double c)
{
    switch (mode) {
        case 1:
            return d * c / 255.0;  // d * c
        case 2:
            return 255.0 - (255.0 - d) * (255.0 - c) / 255.0;  // 1 - (1 - d)(1 - c)
        case 3:
            return std::min(d, c);
        case 4:
            return std::max(d, c);
        case 5:
            return std::min(255.0, d + c);
        default:
            return c;
    }
}

struct Painter {
    Picture pic;
    int mode = 0;
    // A layer blend mode of the engine (0..30) when >= 0 (mode 100..130): the colour is then
    // merged as a layer pixel of alpha k * opacity, by the merge core's rules.
    int layerMode = -1;
    double opacity = 1.0;
    double c1[4] = {}, c2[4] = {};  // R, G, B, A

    explicit Painter(const IslStep& s, Picture p) : pic(p)
    {
        opacity = slot_clamped(s, 0, 0, 100) / 100.0;
        if (s.values[1] >= kLayerModeBase)
            layerMode = slot_int(s, 1, kLayerModeBase, kLayerModeBase + kSilhouette) - kLayerModeBase;
        else
            mode = slot_int(s, 1, 0, 5);
        for (int i = 0; i < 4; ++i) {
            c1[i] = slot_clamped(s, 2 + i, 0, 255);
            c2[i] = slot_clamped(s, 6 + i, 0, 255);
        }
    }

    // Paints pixel (x, y) (inside the picture) with colour c (R, G, B, A)
    // at coverage k.
    void paint_colour(int x, int y, const double c[4], double k) const
    {
        k *= opacity;
        if (k <= 0) return;
        std::uint8_t* px = pic.bgra + (static_cast<std::size_t>(y) * pic.width + x) * 4;
        static constexpr int kByte[4] = {2, 1, 0, 3};  // R, G, B, A -> byte of B G R A
        // An opaque colour at full coverage replaces the pixel in either
        // normal mode (the merge core gives the colour itself then).
        const bool replaces = k >= 1.0 && (layerMode < 0 ? mode == 0 : layerMode == kNormal && c[3] >= 255);
        if (layerMode >= 0 && !(replaces && fast_paths_enabled())) return merge_layer(px, c, k);
        if (replaces) {
            for (int i = 0; i < 4; ++i) px[kByte[i]] = static_cast<std::uint8_t>(std::lround(c[i]));
            return;
        }
        for (int i = 0; i < 4; ++i) {
            const double d = px[kByte[i]];
            const double target = i == 3 ? c[i] : script_blend(mode, d, c[i]);
            px[kByte[i]] = static_cast<std::uint8_t>(std::clamp(std::lround(d + (target - d) * k), 0L, 255L));
        }
    }

    // Paints pixel (x, y) with the mix t of the two colours at coverage k.
    void paint(int x, int y, double t, double k) const
    {
        const double c[4] = {c1[0] + (c2[0] - c1[0]) * t, c1[1] + (c2[1] - c1[1]) * t,
                             c1[2] + (c2[2] - c1[2]) * t, c1[3] + (c2[3] - c1[3]) * t};
        paint_colour(x, y, c, k);
    }

private:
    // The colour as a 16-bit layer pixel of alpha (its alpha x k) merged
    // into the picture's pixel with the engine's layer blend mode.
    void merge_layer(std::uint8_t* px, const double c[4], double k) const
    {
        auto to16 = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0) * 257.0)); };
        int dR = px[2] * 257, dG = px[1] * 257, dB = px[0] * 257, dA = px[3] * 257;
        merge_pixel(dR, dG, dB, dA, to16(c[0]), to16(c[1]), to16(c[2]), to16(c[3] * std::min(k, 1.0)),
                    layerMode, 255, false, 65535);
        auto to8 = [](int v) { return static_cast<std::uint8_t>((std::clamp(v, 0, 65535) + 128) / 257); };
        px[2] = to8(dR);
        px[1] = to8(dG);
        px[0] = to8(dB);
        px[3] = to8(dA);
    }
};

// Paints a value field: field(x, y) gives t for every pixel at full
// coverage. Rows run on the worker threads; the field must only read.
template <class F>
void paint_field(const Painter& painter, F&& field, double pixelNs = cost::kFilter)
{
    for_each_plane_row(painter.pic.width, painter.pic.height, pixelNs, [&](int y) {
        for (int x = 0; x < painter.pic.width; ++x) painter.paint(x, y, field(x, y), 1.0);
    });
}

// Paints a shape whose coverage at a point is cover(px, py) (pixel centres,
// picture coordinates, may lie outside the picture) within the box
// [x0, x1) x [y0, y1), repeated one picture size around so it wraps.
template <class F>
void paint_wrapped(const Painter& painter, double x0, double y0, double x1, double y1, double t, F&& cover)
{
    const int w = painter.pic.width, h = painter.pic.height;
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            const double sx = ox * w, sy = oy * h;  // shift of this copy
            const int ax = std::max(0, static_cast<int>(std::floor(x0 + sx)));
            const int bx = std::min(w, static_cast<int>(std::ceil(x1 + sx)));
            const int ay = std::max(0, static_cast<int>(std::floor(y0 + sy)));
            const int by = std::min(h, static_cast<int>(std::ceil(y1 + sy)));
            for (int y = ay; y < by; ++y)
                for (int x = ax; x < bx; ++x) {
                    const double k = cover(x + 0.5 - sx, y + 0.5 - sy);
                    if (k > 0) painter.paint(x, y, t, std::min(k, 1.0));
                }
        }
}

// Coverage of a stroke of half width `half` (soft one-pixel rim) at (x, y)
// from the segment (ax, ay)-(bx, by).
inline double segment_cover(double x, double y, double ax, double ay, double bx, double by, double half)
{
    const double vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
    const double u = len2 > 0 ? std::clamp(((x - ax) * vx + (y - ay) * vy) / len2, 0.0, 1.0) : 0.0;
    const double ex = x - (ax + u * vx), ey = y - (ay + u * vy);
    return half + 0.5 - std::sqrt(ex * ex + ey * ey);
}

// One stroke segment painted with mix t, wrapping around the edges.
inline void paint_segment(const Painter& painter, double ax, double ay, double bx, double by, double half,
                          double t)
{
    const double r = half + 1;
    paint_wrapped(painter, std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r,
                  std::max(ay, by) + r, t,
                  [&](double x, double y) { return segment_cover(x, y, ax, ay, bx, by, half); });
}

// Mix of one shape: 1, or less by a random amount up to `vary` percent.
inline double shape_mix(CrtRandom& rng, double vary)
{
    return 1.0 - std::clamp(vary, 0.0, 100.0) / 100.0 * unit(rng);
}

// Stretches a field to the full 0..1 range so every generator uses both colours.
inline void normalise(std::vector<float>& v)
{
    if (v.empty()) return;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const float a = *lo, range = *hi - *lo;
    for (float& x : v) x = range > 0 ? (x - a) / range : 0.0f;
}

// Bilinear sample of a periodic grid of side n at (u, v) in grid units.
inline float sample_wrapped(const std::vector<float>& g, int n, double u, double v)
{
    const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    auto at = [&](int x, int y) {
        x = ((x % n) + n) % n;
        y = ((y % n) + n) % n;
        return g[static_cast<std::size_t>(y) * n + x];
    };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return static_cast<float>(top + (bottom - top) * fy);
}

// A periodic midpoint-displacement (diamond-square) grid of side n (a power
// of two), values not yet normalised; `factor` scales the displacement from
// one level to the next.
std::vector<float> plasma_grid(int n, double factor, CrtRandom& rng);
// The grid side for a width x height picture: the power of two at or above
// the larger side, at most 1024.
int plasma_grid_side(int width, int height) noexcept;

}  // namespace mve::il::isl_detail
