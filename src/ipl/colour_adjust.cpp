// HSL and HSV adjustment of RGBA32 buffers through the engine's colour
// models: convert, shift, clamp, convert back (bytes truncated, as every
// conversion back to bytes in the engine is).
#include "ipl/colour_adjust.h"

#include <cmath>

#include "core/guard.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "ipl/colour_adjust_fast.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

// The hue after the shift: one correction by 360 as the adjustment has
// always made, then, for shifts beyond one turn, the remainder, so the
// conversions back only ever see 0..360.
double shifted_hue(double h, int shift) noexcept
{
    h += shift;
    if (h > 360) h -= 360;
    if (h < 0) h += 360;
    if (h > 360 || h < 0) {
        h = std::fmod(h, 360.0);
        if (h < 0) h += 360;
    }
    return h;
}

double clamp01(double v) noexcept
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

// Runs `pixel` over every RGBA32 pixel of the buffer, or `fastRow` over whole
// rows where fast paths are on and the hue shift lies within one turn; alpha
// is left alone.
template <class PixelFn, class FastRowFn>
void adjust_rows(std::uint8_t* rgba, int width, int height, bool fast, PixelFn pixel, FastRowFn fastRow)
{
    if (!rgba || width <= 0 || height <= 0) return;
    // Two colour conversions with divisions per pixel.
    constexpr double kPixelNs = 2 * cost::kFilter;
    for_each_plane_row(width, height, kPixelNs, [&](int y) {
        std::uint8_t* p = rgba + static_cast<std::size_t>(y) * width * 4;
        if (fast) {
            fastRow(p, width);
            return;
        }
        for (int x = 0; x < width; ++x, p += 4) {
            const Rgb8 c = pixel(p[0], p[1], p[2]);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    });
}

bool use_fast_rows(int hueShift) noexcept
{
    return fast_paths_enabled() && hueShift >= -360 && hueShift <= 360;
}

}  // namespace

Rgb8 hsl_adjust_pixel(int r, int g, int b, int hueShift, int saturationPercent, int lightnessPercent) noexcept
{
    const Hsl c = rgb_to_hsl(r, g, b);
    const double l = clamp01(c.l + lightnessPercent * 0.01);
    // The HSL conversion reports a grey as hue 0, saturation 0 (never hue -1),
    // so greys are told apart by their channels, not by the hue.
    if (r == g && g == b) return hsl_to_rgb(0, 0, l);
    // Lightness clamped to its ends is white or black whatever the hue: the
    // conversion's L + S - L S falls a hair short of 1 and would truncate to 254.
    if (l >= 1) return Rgb8{255, 255, 255};
    if (l <= 0) return Rgb8{0, 0, 0};
    return hsl_to_rgb(shifted_hue(c.h, hueShift), clamp01(c.s + saturationPercent * 0.01), l);
}

Rgb8 hsv_adjust_pixel(int r, int g, int b, int hueShift, int saturationPercent, int valuePercent) noexcept
{
    const Hsv c = rgb_to_hsv(r, g, b);
    const double v = clamp01(c.v + valuePercent * 0.01);
    if (c.h == -1) return hsv_to_rgb(0, 0, v);
    return hsv_to_rgb(shifted_hue(c.h, hueShift), clamp01(c.s + saturationPercent * 0.01), v);
}

void hsl_adjust(std::uint8_t* rgba, int width, int height, int hueShift, int saturationPercent,
                int lightnessPercent) noexcept
{
    adjust_rows(
        rgba, width, height, use_fast_rows(hueShift),
        [=](int r, int g, int b) {
            return hsl_adjust_pixel(r, g, b, hueShift, saturationPercent, lightnessPercent);
        },
        [=](std::uint8_t* row, int n) {
            hsl_adjust_row_fast(row, n, hueShift, saturationPercent, lightnessPercent);
        });
}

void hsv_adjust(std::uint8_t* rgba, int width, int height, int hueShift, int saturationPercent,
                int valuePercent) noexcept
{
    adjust_rows(
        rgba, width, height, use_fast_rows(hueShift),
        [=](int r, int g, int b) {
            return hsv_adjust_pixel(r, g, b, hueShift, saturationPercent, valuePercent);
        },
        [=](std::uint8_t* row, int n) {
            hsv_adjust_row_fast(row, n, hueShift, saturationPercent, valuePercent);
        });
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_ProcessBuffer_HSLAdjust(unsigned char* rgba, int width, int height, int hueShift,
                                         int saturationPercent, int lightnessPercent)
{
    guarded("MVE_ProcessBuffer_HSLAdjust Excpt",
            [&] { ipl::hsl_adjust(rgba, width, height, hueShift, saturationPercent, lightnessPercent); });
}

MVE_API void MVE_ProcessBuffer_HSVAdjust(unsigned char* rgba, int width, int height, int hueShift,
                                         int saturationPercent, int valuePercent)
{
    guarded("MVE_ProcessBuffer_HSVAdjust Excpt",
            [&] { ipl::hsv_adjust(rgba, width, height, hueShift, saturationPercent, valuePercent); });
}

}  // extern "C"
