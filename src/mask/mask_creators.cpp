// Selections from canvas-sized pictures: pixels that pass a test get one
// value (usually selection_value(strength)); the others keep theirs.
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
void select_where(std::uint16_t value, Test selected)
{
    const MaskPlane p = mask_plane(engine());
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
void select_rgba(const unsigned char* buffer, std::uint16_t value, Test selected)
{
    if (!buffer) return;
    select_where(value, [&](std::size_t i) { return selected(buffer + 4 * i); });
}

// The hue comparison with the seam at 0/360 degrees: within the bound of
// the key directly, or of the key moved down or up by a full turn.
inline bool hue_within(double h, double key, double bound) noexcept
{
    return std::fabs(h - key) <= bound || std::fabs(h - (key - 360.0)) <= bound ||
           std::fabs(h - 360.0 - key) <= bound;
}

}  // namespace

extern "C" {

// Pixels where the two RGBA32 pictures differ in any byte get `value` itself.
MVE_API void MVE_CreateMaskFromDiff_RGBA32(const unsigned char* a, const unsigned char* b, int value)
{
    if (!a || !b) return;
    select_where(static_cast<std::uint16_t>(value), [&](std::size_t i) {
        const unsigned char* pa = a + 4 * i;
        const unsigned char* pb = b + 4 * i;
        return pa[0] != pb[0] || pa[1] != pb[1] || pa[2] != pb[2] || pa[3] != pb[3];
    });
}

// R, G, B equal the key exactly (alpha ignored).
MVE_API void MVE_CreateMaskFromRGBAImageColor(const unsigned char* buffer, int r, int g, int b, int strength)
{
    select_rgba(buffer, selection_value(strength),
                [=](const unsigned char* px) { return px[0] == r && px[1] == g && px[2] == b; });
}

MVE_API void MVE_CreateMaskFromRGB24ImageColor(const unsigned char* buffer, int r, int g, int b, int strength)
{
    if (!buffer) return;
    select_where(selection_value(strength), [=](std::size_t i) {
        const unsigned char* px = buffer + 3 * i;
        return px[0] == r && px[1] == g && px[2] == b;
    });
}

// A canvas-sized byte plane (flood-fill result) holds exactly 1.
MVE_API void MVE_CreateMaskFromFloodMask(const unsigned char* bytes, int strength)
{
    if (!bytes) return;
    select_where(selection_value(strength), [=](std::size_t i) { return bytes[i] == 1; });
}

// |R - r|, |G - g| and |B - b| each within truncate(tolerance * 2.56).
MVE_API void MVE_CreateMaskFromRGBAImageColorRange(const unsigned char* buffer, int r, int g, int b, int tolerance,
                                                   int strength)
{
    const int bound = tolerance_bound(tolerance);
    select_rgba(buffer, selection_value(strength), [=](const unsigned char* px) {
        return std::abs(px[0] - r) <= bound && std::abs(px[1] - g) <= bound && std::abs(px[2] - b) <= bound;
    });
}

// |A - alpha| within truncate(tolerance * 2.56).
MVE_API void MVE_CreateMaskFromRGBAImageAlphaRange(const unsigned char* buffer, int alpha, int tolerance,
                                                   int strength)
{
    const int bound = tolerance_bound(tolerance);
    select_rgba(buffer, selection_value(strength),
                [=](const unsigned char* px) { return std::abs(px[3] - alpha) <= bound; });
}

// |(R + G + B) / 3 - (r + g + b) / 3| within the bound, both divisions integer.
MVE_API void MVE_CreateMaskFromRGBAImageLuminanceRange(const unsigned char* buffer, int r, int g, int b,
                                                       int tolerance, int strength)
{
    const int bound = tolerance_bound(tolerance);
    const int key = (r + g + b) / 3;
    select_rgba(buffer, selection_value(strength), [=](const unsigned char* px) {
        return std::abs((px[0] + px[1] + px[2]) / 3 - key) <= bound;
    });
}

// HSV hue within truncate(tolerance * 1.8) degrees of the key's, across the
// 0/360 seam. Grey has hue -1 and so matches a grey key and hues near 0.
MVE_API void MVE_CreateMaskFromRGBAImageHueRange(const unsigned char* buffer, int r, int g, int b, int tolerance,
                                                 int strength)
{
    guarded("CreateMaskFromRGBAImageHueRange Excpt", [&] {
        const double key = rgb_to_hsv(r, g, b).h;
        const double bound = static_cast<int>(tolerance * 1.8);
        select_rgba(buffer, selection_value(strength), [=](const unsigned char* px) {
            return hue_within(rgb_to_hsv(px[0], px[1], px[2]).h, key, bound);
        });
    });
}

// HSL hue within hueTolerance * 180 degrees (not truncated), and saturation
// and lightness each within their tolerance.
MVE_API void MVE_CreateMaskFromRGBAImageHSLRange(const unsigned char* buffer, int r, int g, int b,
                                                 double hueTolerance, double saturationTolerance,
                                                 double lightnessTolerance, int strength)
{
    guarded("CreateMaskFromRGBAImageHSLRange Excpt", [&] {
        const Hsl key = rgb_to_hsl(r, g, b);
        const double bound = hueTolerance * 180.0;
        select_rgba(buffer, selection_value(strength), [=](const unsigned char* px) {
            const Hsl c = rgb_to_hsl(px[0], px[1], px[2]);
            return hue_within(c.h, key.h, bound) && std::fabs(c.s - key.s) <= saturationTolerance &&
                   std::fabs(c.l - key.l) <= lightnessTolerance;
        });
    });
}

}  // extern "C"
