// Selections from canvas-sized pictures: pixels that pass a test get one
// value (usually selection_value(strength)); the others keep theirs.
#include "mask/mask_creators.h"

#include <cmath>
#include <cstdlib>

#include "core/colour_models.h"
#include "core/guard.h"
#include "core/parallel.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// Calls selected(i) for every canvas pixel index i and writes `value` where it
// returns true. The test must not throw.
template <class Test>
void select_where(Engine& e, std::uint16_t value, Test selected)
{
    const MaskPlane p = mask_plane(e);
    if (!p) return;
    for_each_plane_row(p.width, p.height, cost::kSimple, [&](int y) {
        std::uint16_t* m = p.row(y);
        const std::size_t base = static_cast<std::size_t>(y) * p.width;
        for (int x = 0; x < p.width; ++x)
            if (selected(base + x)) m[x] = value;
    });
}

// The same over an RGBA32 picture: selected(pixel) sees the pixel's 4 bytes.
template <class Test>
void select_rgba(Engine& e, const unsigned char* buffer, std::uint16_t value, Test selected)
{
    if (!buffer) return;
    select_where(e, value, [&](std::size_t i) { return selected(buffer + 4 * i); });
}

// The hue comparison with the seam at 0/360 degrees: within the bound of
// the key directly, or of the key moved down or up by a full turn.
inline bool hue_within(double h, double key, double bound) noexcept
{
    return std::fabs(h - key) <= bound || std::fabs(h - (key - 360.0)) <= bound ||
           std::fabs(h - 360.0 - key) <= bound;
}

}  // namespace

namespace mve::mask {

void create_from_diff_rgba32(Engine& e, const unsigned char* a, const unsigned char* b, int value)
{
    if (!a || !b) return;
    select_where(e, static_cast<std::uint16_t>(value), [&](std::size_t i) {
        const unsigned char* pa = a + 4 * i;
        const unsigned char* pb = b + 4 * i;
        return pa[0] != pb[0] || pa[1] != pb[1] || pa[2] != pb[2] || pa[3] != pb[3];
    });
}

void create_from_rgba_color(Engine& e, const unsigned char* buffer, int r, int g, int b, int strength)
{
    select_rgba(e, buffer, selection_value(strength),
                [=](const unsigned char* px) { return px[0] == r && px[1] == g && px[2] == b; });
}

void create_from_rgb24_color(Engine& e, const unsigned char* buffer, int r, int g, int b, int strength)
{
    if (!buffer) return;
    select_where(e, selection_value(strength), [=](std::size_t i) {
        const unsigned char* px = buffer + 3 * i;
        return px[0] == r && px[1] == g && px[2] == b;
    });
}

void create_from_flood_mask(Engine& e, const unsigned char* bytes, int strength)
{
    if (!bytes) return;
    select_where(e, selection_value(strength), [=](std::size_t i) { return bytes[i] == 1; });
}

void create_from_rgba_color_range(Engine& e, const unsigned char* buffer, int r, int g, int b, int tolerance,
                                  int strength)
{
    const int bound = tolerance_bound(tolerance);
    select_rgba(e, buffer, selection_value(strength), [=](const unsigned char* px) {
        return std::abs(px[0] - r) <= bound && std::abs(px[1] - g) <= bound && std::abs(px[2] - b) <= bound;
    });
}

void create_from_rgba_alpha_range(Engine& e, const unsigned char* buffer, int alpha, int tolerance,
                                  int strength)
{
    const int bound = tolerance_bound(tolerance);
    select_rgba(e, buffer, selection_value(strength),
                [=](const unsigned char* px) { return std::abs(px[3] - alpha) <= bound; });
}

// Both divisions by 3 are integer divisions.
void create_from_rgba_luminance_range(Engine& e, const unsigned char* buffer, int r, int g, int b,
                                      int tolerance, int strength)
{
    const int bound = tolerance_bound(tolerance);
    const int key = (r + g + b) / 3;
    select_rgba(e, buffer, selection_value(strength), [=](const unsigned char* px) {
        return std::abs((px[0] + px[1] + px[2]) / 3 - key) <= bound;
    });
}

// Grey has hue -1 and so matches a grey key and hues near 0.
void create_from_rgba_hue_range(Engine& e, const unsigned char* buffer, int r, int g, int b, int tolerance,
                                int strength)
{
    const double key = rgb_to_hsv(r, g, b).h;
    const double bound = static_cast<int>(tolerance * 1.8);
    select_rgba(e, buffer, selection_value(strength), [=](const unsigned char* px) {
        return hue_within(rgb_to_hsv(px[0], px[1], px[2]).h, key, bound);
    });
}

void create_from_rgba_hsl_range(Engine& e, const unsigned char* buffer, int r, int g, int b,
                                double hueTolerance, double saturationTolerance, double lightnessTolerance,
                                int strength)
{
    const Hsl key = rgb_to_hsl(r, g, b);
    const double bound = hueTolerance * 180.0;
    select_rgba(e, buffer, selection_value(strength), [=](const unsigned char* px) {
        const Hsl c = rgb_to_hsl(px[0], px[1], px[2]);
        return hue_within(c.h, key.h, bound) && std::fabs(c.s - key.s) <= saturationTolerance &&
               std::fabs(c.l - key.l) <= lightnessTolerance;
    });
}

}  // namespace mve::mask

extern "C" {

MVE_API void MVE_CreateMaskFromDiff_RGBA32(const unsigned char* a, const unsigned char* b, int value)
{
    mask::create_from_diff_rgba32(engine(), a, b, value);
}

MVE_API void MVE_CreateMaskFromRGBAImageColor(const unsigned char* buffer, int r, int g, int b, int strength)
{
    mask::create_from_rgba_color(engine(), buffer, r, g, b, strength);
}

MVE_API void MVE_CreateMaskFromRGB24ImageColor(const unsigned char* buffer, int r, int g, int b, int strength)
{
    mask::create_from_rgb24_color(engine(), buffer, r, g, b, strength);
}

MVE_API void MVE_CreateMaskFromFloodMask(const unsigned char* bytes, int strength)
{
    mask::create_from_flood_mask(engine(), bytes, strength);
}

MVE_API void MVE_CreateMaskFromRGBAImageColorRange(const unsigned char* buffer, int r, int g, int b,
                                                   int tolerance, int strength)
{
    mask::create_from_rgba_color_range(engine(), buffer, r, g, b, tolerance, strength);
}

MVE_API void MVE_CreateMaskFromRGBAImageAlphaRange(const unsigned char* buffer, int alpha, int tolerance,
                                                   int strength)
{
    mask::create_from_rgba_alpha_range(engine(), buffer, alpha, tolerance, strength);
}

MVE_API void MVE_CreateMaskFromRGBAImageLuminanceRange(const unsigned char* buffer, int r, int g, int b,
                                                       int tolerance, int strength)
{
    mask::create_from_rgba_luminance_range(engine(), buffer, r, g, b, tolerance, strength);
}

MVE_API void MVE_CreateMaskFromRGBAImageHueRange(const unsigned char* buffer, int r, int g, int b, int tolerance,
                                                 int strength)
{
    guarded("CreateMaskFromRGBAImageHueRange Excpt",
            [&] { mask::create_from_rgba_hue_range(engine(), buffer, r, g, b, tolerance, strength); });
}

MVE_API void MVE_CreateMaskFromRGBAImageHSLRange(const unsigned char* buffer, int r, int g, int b,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int strength)
{
    guarded("CreateMaskFromRGBAImageHSLRange Excpt", [&] {
        mask::create_from_rgba_hsl_range(engine(), buffer, r, g, b, hueTolerance, saturationTolerance,
                                         lightnessTolerance, strength);
    });
}

}  // extern "C"
