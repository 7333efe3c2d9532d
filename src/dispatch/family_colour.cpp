// Colour adjustments changed in place (pattern R3: the layer into Src32, the
// operation on Src32, Src32 written back). Sliders centred on 500 leave the
// picture as it is where the effect has a neutral setting; the mapping is
// stated above each operation.
#include <algorithm>
#include <array>

#include "core/colour_models.h"
#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/saturation.h"
#include "imagelib/tone_curves.h"
#include "ipl/colour_adjust.h"

namespace mve::dispatch {

namespace {

// (pN - 500) * num / den in whole units (truncated toward zero), held to
// +-limit: the slider's distance from its middle, in integers so that the
// ends land exactly on +-limit.
int centred(const Frame& f, int n, long long num, long long den, int limit)
{
    const long long v = (static_cast<long long>(f.a.p[n - 1]) - 500) * num / den;
    return static_cast<int>(std::clamp<long long>(v, -limit, limit));
}

// Red-cyan, green-magenta and blue-yellow shifts of (pN - 500) * 51 / 100
// levels (-255..255) from p1, p2, p3, strongest in the midtones.
bool colour_balance(Frame& f)
{
    const int shift[3] = {centred(f, 1, 51, 100, 255), centred(f, 2, 51, 100, 255), centred(f, 3, 51, 100, 255)};
    return il::adjust_colour_balance(f.src32, f.width, f.height, shift);
}

// Hue shift (p1 - 500) * 36 / 100 degrees (-180..180), saturation and
// lightness (value) shifts (pN - 500) / 5 percent (-100..100).
bool adjust_hsl(Frame& f)
{
    ipl::hsl_adjust(f.src32, f.width, f.height, centred(f, 1, 36, 100, 180), centred(f, 2, 1, 5, 100),
                    centred(f, 3, 1, 5, 100));
    return true;
}
bool adjust_hsv(Frame& f)
{
    ipl::hsv_adjust(f.src32, f.width, f.height, centred(f, 1, 36, 100, 180), centred(f, 2, 1, 5, 100),
                    centred(f, 3, 1, 5, 100));
    return true;
}

// Two inks from HSL: hues f1 * 3.6 and f2 * 3.6 degrees, both of saturation
// f3 * 0.01; the shadow ink at lightness 1/3, the highlight ink at 2/3.
bool duotone(Frame& f)
{
    const double saturation = std::clamp(f.a.f[2] * 0.01, 0.0, 1.0);
    const auto ink = [&](int n, double lightness) {
        const double hue = std::clamp(f.a.f[n - 1] * 3.6, 0.0, 360.0);
        const Rgb8 c = hsl_to_rgb(hue, saturation, lightness);
        return std::array<std::uint8_t, 3>{c.r, c.g, c.b};
    };
    const auto shadow = ink(1, 1.0 / 3), highlight = ink(2, 2.0 / 3);
    return il::duotone(f.src32, f.width, f.height, shadow.data(), highlight.data());
}

// Colour scaled away from its grey by 1 + f1 * 0.03 (1..4).
bool hyper_saturation(Frame& f)
{
    const double factor = 1 + std::clamp(f.a.f[0] * 0.03, 0.0, 1e6);
    return il::modify_saturation(f.src32, f.width, f.height, 4, f.row32(), factor);
}

// The tint of the colour (r, g, b) added at strength f1 % (0..100).
bool tint(Frame& f)
{
    const std::uint8_t colour[3] = {static_cast<std::uint8_t>(f.a.colour), static_cast<std::uint8_t>(f.a.colour >> 8),
                                    static_cast<std::uint8_t>(f.a.colour >> 16)};
    return il::tint(f.src32, f.width, f.height, colour, f.a.f[0] * 0.01);
}

constexpr Entry kColour[] = {
    {"Adjust Color Balance", "colour", Pattern::R3, colour_balance},
    {"Adjust HSL", "colour", Pattern::R3, adjust_hsl},
    {"Adjust HSV", "colour", Pattern::R3, adjust_hsv},
    {"Duotone", "colour", Pattern::R3, duotone},
    {"Hyper Saturation", "colour", Pattern::R3, hyper_saturation},
    {"Tint", "colour", Pattern::R3, tint},
};

}  // namespace

std::span<const Entry> colour_family() noexcept { return kColour; }

}  // namespace mve::dispatch
