// 3x3 neighbourhood effects on the interior pixels: "Detail Blur",
// "Line Art Cleaner" and "Bas Relief".
#include <cstdlib>

#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// Sums of the 3x3 block centred on (x, y), itself included.
struct Block3 {
    int r = 0, g = 0, b = 0, a = 0, lum = 0;
};

Block3 sum3x3(const EffectRun& run, int x, int y) noexcept
{
    Block3 s;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const Px p = run.get(x + dx, y + dy);
            s.r += p.r, s.g += p.g, s.b += p.b, s.a += p.a, s.lum += lum(p);
        }
    return s;
}

template <class Body>
void for_each_interior(const EffectBlock& b, Body body)
{
    for (int y = 1; y <= b.height - 2; ++y)
        for (int x = 1; x <= b.width - 2; ++x) body(x, y);
}

// Moves v toward 1 by (1 - v) d when above the reference, toward 0 by v d
// when below.
inline double relief(double v, double ref, double d) noexcept
{
    if (v > ref) return v + (1.0 - v) * d;
    if (v < ref) return v - v * d;
    return v;
}

}  // namespace

// Where |lum - trunc(sum of 3x3 lum / 9)| > trunc(P1 * 255) the pixel becomes
// the 3x3 box average of each channel, trunc(sum / 9).
void detail_blur(EffectRun& run)
{
    const int t = static_cast<int>(run.b.P[1] * 255.0);
    for_each_interior(run.b, [&](int x, int y) {
        const Block3 s = sum3x3(run, x, y);
        if (std::abs(lum(run.get(x, y)) - s.lum / 9) > t) run.set(x, y, s.r / 9, s.g / 9, s.b / 9, s.a / 9);
    });
}

// Phase 1: white where lum >= trunc(P1 * 255), black elsewhere (alpha kept),
// then flush. Phase 2: an interior black pixel with lum < m - trunc(P2 * 255),
// m the 3x3 mean luminance, becomes white: isolated specks vanish, lines stay.
void line_art_cleaner(EffectRun& run)
{
    const EffectBlock& b = run.b;
    const int t1 = static_cast<int>(b.P[1] * 255.0), t2 = static_cast<int>(b.P[2] * 255.0);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const Px p = run.get(x, y);
            const int v = lum(p) >= t1 ? 255 : 0;
            run.set(x, y, v, v, v, p.a);
        }
    run.flush();
    for_each_interior(b, [&](int x, int y) {
        const Px p = run.get(x, y);
        if (p.r != 0 || p.g != 0 || p.b != 0) return;
        if (lum(p) < sum3x3(run, x, y).lum / 9 - t2) run.set(x, y, 255, 255, 255, p.a);
    });
}

// Lightness and saturation pushed away from those of a reference neighbour
// (I1: 0 left, 1 above, 2 upper left, other the pixel itself) by d = P1;
// hue kept.
void bas_relief(EffectRun& run)
{
    const int mode = run.b.I[1];
    const int rx = mode == 0 || mode == 2 ? -1 : 0, ry = mode == 1 || mode == 2 ? -1 : 0;
    const double d = run.b.P[1];
    for_each_interior(run.b, [&](int x, int y) {
        const Px p = run.get(x, y), q = run.get(x + rx, y + ry);
        Hsl c = rgb_to_hsl(p.r, p.g, p.b);
        const Hsl ref = rgb_to_hsl(q.r, q.g, q.b);
        c.l = relief(c.l, ref.l, d);
        c.s = relief(c.s, ref.s, d);
        const Rgb8 out = hsl_to_rgb_clamped(c);
        run.set(x, y, out.r, out.g, out.b, p.a);
    });
}

}  // namespace mve::ipl
