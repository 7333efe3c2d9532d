// Per-pixel effects: each pixel is read through the access rule and written to
// the destination; alpha is kept unless an effect says otherwise.
#include "core/colour_models.h"
#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// Calls body(x, y, pixel) for every pixel of the rectangle x0..x1, y0..y1 (inclusive).
template <class Body>
void for_each_pixel(EffectRun& run, int x0, int y0, int x1, int y1, Body body)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) body(x, y, run.get(x, y));
}

template <class Body>
void for_each_pixel(EffectRun& run, Body body)
{
    for_each_pixel(run, 0, 0, run.b.width - 1, run.b.height - 1, body);
}

inline int trunc255(double p) noexcept { return static_cast<int>(p * 255.0); }

}  // namespace

// R = G = B = (R + G + B) / 3.
void grayscale(EffectRun& run)
{
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        const int l = lum(p);
        run.set(x, y, l, l, l, p.a);
    });
}

// R, G, B = 255 - value.
void invert(EffectRun& run)
{
    for_each_pixel(run, [&](int x, int y, const Px& p) { run.set(x, y, 255 - p.r, 255 - p.g, 255 - p.b, p.a); });
}

// White where lum >= trunc(P1 * 255), black elsewhere.
void basic_threshold(EffectRun& run)
{
    const int t = trunc255(run.b.P[1]);
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        const int v = lum(p) >= t ? 255 : 0;
        run.set(x, y, v, v, v, p.a);
    });
}

// a = trunc((1 - P1) * 255) kept in 1..250; x = (max + min) / 510;
// c' = trunc((1 - x)(255 - (255 - c)^2 / a) + x (c^2 / a)), integer divisions.
void hyper_contrast(EffectRun& run)
{
    int a = trunc255(1.0 - run.b.P[1]);
    if (a == 0) a = 1;
    if (a >= 250) a = 250;
    auto curve = [a](int c, double x) {
        return static_cast<int>((1.0 - x) * (255 - (255 - c) * (255 - c) / a) + x * (c * c / a));
    };
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        const int mx = std::max({p.r, p.g, p.b}), mn = std::min({p.r, p.g, p.b});
        const double k = (mx + mn) / 510.0;
        run.set(x, y, curve(p.r, k), curve(p.g, k), curve(p.b, k), p.a);
    });
}

// L, a, b each moved by (P - 0.5) * 200 (P1, P2, P3).
void adjust_lab(EffectRun& run)
{
    const double dl = (run.b.P[1] - 0.5) * 200.0, da = (run.b.P[2] - 0.5) * 200.0, db = (run.b.P[3] - 0.5) * 200.0;
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        const Lab lab = rgb_to_lab(p.r, p.g, p.b);
        const Rgb8 c = lab_to_rgb(lab.l + dl, lab.a + da, lab.b + db);
        run.set(x, y, c.r, c.g, c.b, p.a);
    });
}

// Per channel v in 0..1 with its P: P < 0.5 gives v - (0.5 - P) 2v,
// otherwise v + (P - 0.5) 2 (1 - v); alpha included.
void adjust_rgba(EffectRun& run)
{
    const double* P = run.b.P;
    auto adjust = [](int byte, double p) {
        const double v = byte / 255.0;
        return p < 0.5 ? v - (0.5 - p) * 2.0 * v : v + (p - 0.5) * 2.0 * (1.0 - v);
    };
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        run.set_real(x, y, adjust(p.r, P[1]), adjust(p.g, P[2]), adjust(p.b, P[3]), adjust(p.a, P[4]));
    });
}

// One channel becomes a pure-colour layer with that channel as alpha:
// I3 red (255,0,0,R), I4 green (0,255,0,G), I5 blue (0,0,255,B); a zero
// channel gives (0,0,0,0). Several flags apply in that order.
void channel(EffectRun& run)
{
    const int* I = run.b.I;
    for_each_pixel(run, [&](int x, int y, Px p) {
        if (I[3] == 1) p = p.r > 0 ? Px{255, 0, 0, p.r} : Px{};
        if (I[4] == 1) p = p.g > 0 ? Px{0, 255, 0, p.g} : Px{};
        if (I[5] == 1) p = p.b > 0 ? Px{0, 0, 255, p.b} : Px{};
        run.set(x, y, p);
    });
}

// Channels flagged by I3..I6 (R, G, B, A): below P1*255 they become
// trunc(P2*255), then above P3*255 they become trunc(P4*255).
void clamp_channels(EffectRun& run)
{
    const double* P = run.b.P;
    const double lo = P[1] * 255.0, hi = P[3] * 255.0;
    const int loValue = trunc255(P[2]), hiValue = trunc255(P[4]);
    const bool flags[4] = {run.b.I[3] != 0, run.b.I[4] != 0, run.b.I[5] != 0, run.b.I[6] != 0};
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        int v[4] = {p.r, p.g, p.b, p.a};
        for (int c = 0; c < 4; ++c) {
            if (!flags[c]) continue;
            if (v[c] < lo) v[c] = loValue;
            if (v[c] > hi) v[c] = hiValue;
        }
        run.set(x, y, v[0], v[1], v[2], v[3]);
    });
}

// alpha <= lower: alpha 0; lower < alpha < upper: the colour (P1..P3), alpha
// 255 when I3 = 1; alpha >= upper: alpha 255 when I3 = 1.
void alpha_edge_color(EffectRun& run)
{
    const double* P = run.b.P;
    const int lower = trunc255(P[4]), upper = trunc255(P[5]);
    const int r = trunc255(P[1]), g = trunc255(P[2]), bl = trunc255(P[3]);
    const bool opaque = run.b.I[3] == 1;
    for_each_pixel(run, [&](int x, int y, const Px& p) {
        if (p.a <= lower)
            run.set(x, y, p.r, p.g, p.b, 0);
        else if (p.a < upper)
            run.set(x, y, r, g, bl, opaque ? 255 : p.a);
        else
            run.set(x, y, p.r, p.g, p.b, opaque ? 255 : p.a);
    });
}

// A factor from 2*P1 (top) to 2*P2 (bottom) times one from 2*P3 (left) to
// 2*P4 (right), over the whole image or, with I3 = 1, over the data extents
// (pixels outside them are left alone). It scales saturation (I4), lightness
// (I5) and alpha (I6).
void fader(EffectRun& run)
{
    const EffectBlock& b = run.b;
    int x0 = 0, y0 = 0, x1 = b.width - 1, y1 = b.height - 1;
    if (b.I[3] == 1) run.data_extents(x0, y0, x1, y1);
    const bool sat = b.I[4] != 0, light = b.I[5] != 0, alpha = b.I[6] != 0;
    auto ramp = [](double from, double to, int i, int i0, int i1) {
        return i1 > i0 ? from + (to - from) * (i - i0) / (i1 - i0) : from;
    };
    for_each_pixel(run, x0, y0, x1, y1, [&](int x, int y, Px p) {
        const double f = ramp(2 * b.P[1], 2 * b.P[2], y, y0, y1) * ramp(2 * b.P[3], 2 * b.P[4], x, x0, x1);
        if (sat || light) {
            Hsl c = rgb_to_hsl(p.r, p.g, p.b);
            if (sat) c.s = std::clamp(c.s * f, 0.0, 1.0);
            if (light) c.l = std::clamp(c.l * f, 0.0, 1.0);
            const Rgb8 rgb = hsl_to_rgb_clamped(c);
            p.r = rgb.r, p.g = rgb.g, p.b = rgb.b;
        }
        if (alpha) p.a = clamp255(static_cast<int>(p.a * f));
        run.set(x, y, p);
    });
}

}  // namespace mve::ipl
