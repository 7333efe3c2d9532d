// Slider-to-value helpers shared by the image-library families (blurs,
// transforms, rank filters, glows). Sliders p1..p6 run 0..1000 and arrive
// as fN = pN * 0.1; conversions to integers truncate toward zero.
#pragma once

#include <cstdint>

#include "dispatch/dispatch.h"
#include "imagelib/distortions.h"

namespace mve::dispatch {

// trunc(fN * scale), N counted from 1.
inline long long slider(const Frame& f, int n, double scale)
{
    return static_cast<long long>(static_cast<double>(f.a.f[n - 1]) * scale);
}

// fN * scale held within [lo, hi] (not truncated), N counted from 1.
inline double slider_within(const Frame& f, int n, double scale, double lo, double hi)
{
    const double v = static_cast<double>(f.a.f[n - 1]) * scale;
    return v < lo ? lo : v > hi ? hi : v;
}

// trunc(fN * scale) held within [lo, hi].
inline int slider_int_within(const Frame& f, int n, double scale, int lo, int hi)
{
    const long long v = slider(f, n, scale);
    return static_cast<int>(v < lo ? lo : v > hi ? hi : v);
}

// A centre placed by two sliders as percentages of the canvas (pN = 500 is
// the middle); both sliders at 0 mean the middle, so a call that leaves them
// out centres the effect.
inline il::Centre slider_centre(const Frame& f, int nx, int ny)
{
    if (f.a.p[nx - 1] == 0 && f.a.p[ny - 1] == 0) return {f.width / 2.0, f.height / 2.0};
    return {f.width * f.a.f[nx - 1] * 0.01, f.height * f.a.f[ny - 1] * 0.01};
}

// The transforms' edge mode from i1: 0 background, 1 wrap, 2 extend, 3 mirror.
inline int slider_edge_mode(const Frame& f) { return f.a.i[0] >= 0 && f.a.i[0] <= 3 ? f.a.i[0] : 0; }

// The transforms' background: the packed colour, transparent.
inline std::uint32_t transform_background(const Frame& f) { return f.a.colour & 0xFFFFFFu; }

}  // namespace mve::dispatch
