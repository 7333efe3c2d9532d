// Four-lane double vectors (GCC vector extensions): two SSE halves on the
// engine's minimum processor, one AVX2 register where the processor has it
// (target_clones picks at load time). Selecting between lanes instead of
// branching removes the mispredicted branches of the hue sectors, and the
// divisions of four pixels share instructions.
#include "ipl/colour_adjust_fast.h"

#include <array>

#include "ipl/colour_adjust.h"

namespace mve::ipl {

namespace {

// The lane helpers are always inlined, so how a 32-byte vector would be
// passed between functions without AVX never matters.
#pragma GCC diagnostic ignored "-Wpsabi"

typedef double V __attribute__((vector_size(32)));
typedef long long I __attribute__((vector_size(32)));

#define MVE_LANES [[gnu::always_inline]] inline

MVE_LANES V splat(double x)
{
    return V{x, x, x, x};
}
MVE_LANES V pick(I mask, V a, V b)
{
    return mask ? a : b;
}
MVE_LANES V vmax(V a, V b)
{
    return pick(a > b, a, b);
}
MVE_LANES V vmin(V a, V b)
{
    return pick(a < b, a, b);
}
MVE_LANES V clamp01(V v)
{
    return pick(v < 0, splat(0), pick(v > 1, splat(1), v));
}

// v / 255 and v * (1 / 255 as the HSV conversion writes it), exactly as the scalar code divides.
struct Tables {
    std::array<double, 256> over255{}, timesK{};
    Tables()
    {
        for (int v = 0; v < 256; ++v) {
            over255[v] = v / 255.0;
            timesK[v] = v * 0.00392156862745098;
        }
    }
};
const Tables& tables()
{
    static const Tables t;
    return t;
}

struct Lanes {
    V r, g, b;
};

MVE_LANES Lanes load(const std::uint8_t* p, const std::array<double, 256>& t)
{
    return {V{t[p[0]], t[p[4]], t[p[8]], t[p[12]]}, V{t[p[1]], t[p[5]], t[p[9]], t[p[13]]},
            V{t[p[2]], t[p[6]], t[p[10]], t[p[14]]}};
}

// truncate(x * 255) kept inside the byte range; NaN gives 0.
MVE_LANES void store(std::uint8_t* p, V r, V g, V b)
{
    const V rgb[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        V y = rgb[c] * 255.0;
        y = pick(y > 0, y, splat(0));
        y = pick(y >= 255, splat(255), y);
        const I bytes = __builtin_convertvector(y, I);
        for (int k = 0; k < 4; ++k) p[4 * k + c] = static_cast<std::uint8_t>(bytes[k]);
    }
}

// The hue shifted with one correction by 360.
MVE_LANES V shift_hue(V h, double shift)
{
    h = h + shift;
    h = pick(h > 360, h - 360, h);
    return pick(h < 0, h + 360, h);
}

// One channel of HSL to RGB at hue h.
MVE_LANES V hue_channel(V lo, V hi, V h)
{
    h = pick(h > 360, h - 360, h);
    h = pick(h < 0, h + 360, h);
    const V up = lo + (hi - lo) * h / 60.0;
    const V down = lo + (hi - lo) * (240.0 - h) / 60.0;
    return pick(h < 60, up, pick(h < 180, hi, pick(h < 240, down, lo)));
}

MVE_LANES void hsl_four(std::uint8_t* p, double shift, double ds, double dl)
{
    const Lanes c = load(p, tables().over255);
    // RGB to HSL.
    const V mx = vmax(vmax(c.r, c.g), c.b), mn = vmin(vmin(c.r, c.g), c.b);
    const V delta = mx - mn;
    const V l = (mx + mn) / 2.0;
    const V s = delta / pick(l < 0.5, mx + mn, 2.0 - mx - mn);
    const V dR = ((mx - c.r) / 6.0 + delta / 2.0) / delta;
    const V dG = ((mx - c.g) / 6.0 + delta / 2.0) / delta;
    const V dB = ((mx - c.b) / 6.0 + delta / 2.0) / delta;
    V h = pick(c.r == mx, dB - dG, pick(c.g == mx, dR + 1.0 / 3.0 - dB, dG + 2.0 / 3.0 - dR));
    h = pick(h < 0, h + 1, h);
    h = pick(h > 1, h - 1, h);
    h = h * 360.0;
    // The shift.
    h = shift_hue(h, shift);
    const V s2 = clamp01(s + ds), l2 = clamp01(l + dl);
    // HSL to RGB.
    const V hi = pick(l2 < 0.5, l2 * (1.0 + s2), l2 + s2 - l2 * s2);
    const V lo = 2.0 * l2 - hi;
    V r = hue_channel(lo, hi, h + 120.0), g = hue_channel(lo, hi, h), b = hue_channel(lo, hi, h - 120.0);
    // Greys and saturation 0 take the lightness; lightness at its ends is white or black.
    const I flat = (delta == 0) | (s2 == 0);
    const I ends = (delta != 0) & ((l2 >= 1) | (l2 <= 0));
    const V end = pick(l2 >= 1, splat(1), splat(0));
    r = pick(ends, end, pick(flat, l2, r));
    g = pick(ends, end, pick(flat, l2, g));
    b = pick(ends, end, pick(flat, l2, b));
    store(p, r, g, b);
}

MVE_LANES void hsv_four(std::uint8_t* p, double shift, double ds, double dv)
{
    const Lanes c = load(p, tables().timesK);
    // RGB to HSV.
    const V mx = vmax(vmax(c.r, c.g), c.b), mn = vmin(vmin(c.r, c.g), c.b);
    const V delta = mx - mn;
    const V s = delta / mx;
    const V sector = pick(c.r == mx, (c.g - c.b) / delta,
                          pick(c.g != mx, (c.r - c.g) / delta + 4.0, (c.b - c.r) / delta + 2.0));
    V h = sector * 60.0;
    h = pick(h < 0, h + 360, h);
    // The shift.
    h = shift_hue(h, shift);
    const V s2 = clamp01(s + ds), v = clamp01(mx + dv);
    // HSV to RGB.
    V hh = pick(h >= 360, splat(0), h / 60.0);
    hh = pick(hh < 0, splat(0), hh);
    const I i = __builtin_convertvector(hh, I);  // floor: hh is not negative
    const V f = hh - __builtin_convertvector(i, V);
    const V pp = v * (1.0 - s2), q = v * (1.0 - s2 * f), t = v * (1.0 - s2 * (1.0 - f));
    V r = pick(i == 0, v, pick(i == 1, q, pick(i == 2, pp, pick(i == 3, pp, pick(i == 4, t, v)))));
    V g = pick(i == 0, t, pick(i == 1, v, pick(i == 2, v, pick(i == 3, q, pick(i == 4, pp, pp)))));
    V b = pick(i == 0, pp, pick(i == 1, pp, pick(i == 2, t, pick(i == 3, v, pick(i == 4, v, q)))));
    // Greys and saturation 0 take the value.
    const I flat = (delta == 0) | (s2 == 0);
    r = pick(flat, v, r);
    g = pick(flat, v, g);
    b = pick(flat, v, b);
    store(p, r, g, b);
}

// Whole groups of four through `four`, the last count % 4 pixels through the
// pixel reference; the shifts as the reference computes them from percents.
template <class Four, class Pixel>
MVE_LANES void adjust_row(std::uint8_t* rgba, int count, int hue, int saturation, int level, Four four,
                          Pixel pixel)
{
    const double ds = saturation * 0.01, dl = level * 0.01;
    int x = 0;
    for (; x + 4 <= count; x += 4, rgba += 16) four(rgba, hue, ds, dl);
    for (; x < count; ++x, rgba += 4) {
        const Rgb8 c = pixel(rgba[0], rgba[1], rgba[2], hue, saturation, level);
        rgba[0] = c.r, rgba[1] = c.g, rgba[2] = c.b;
    }
}

#undef MVE_LANES

}  // namespace

__attribute__((target_clones("avx2", "default"))) void hsl_adjust_row_fast(std::uint8_t* rgba, int count,
                                                                           int hueShift, int saturation,
                                                                           int lightness) noexcept
{
    adjust_row(rgba, count, hueShift, saturation, lightness, hsl_four, hsl_adjust_pixel);
}

__attribute__((target_clones("avx2", "default"))) void hsv_adjust_row_fast(std::uint8_t* rgba, int count,
                                                                           int hueShift, int saturation,
                                                                           int value) noexcept
{
    adjust_row(rgba, count, hueShift, saturation, value, hsv_four, hsv_adjust_pixel);
}

}  // namespace mve::ipl
