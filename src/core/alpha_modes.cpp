// The alpha-mode step: modes 32..53 rewrite the source colour or alpha
// before blending as Normal (40 and 41 as Texturize2). All values 16-bit.
#include "core/alpha_modes.h"

#include <algorithm>

#include "core/blend_modes.h"

namespace mve {

namespace {

using u32 = std::uint32_t;

// A channel value kept in 0..65535 after a lighten or darken that overshoots
// (the darken and lighten factors of 44..48 reach slightly past 1 at the ends
// of the alpha range; left unclamped they would wrap in 16 bits).
u32 clamp16(double v) noexcept
{
    if (!(v > 0)) return 0;
    return v >= 65535 ? 65535u : static_cast<u32>(v);
}

void set_colour(u32& r, u32& g, u32& b, u32 v) noexcept
{
    r = g = b = v;
}

// 39 (and 40, 41): below the midpoint darken by k = (0x7FFF - a) * 2, from
// it up raise by k = 2a - 0xFFFE.
void shade_darken(u32& c, u32 a) noexcept
{
    const u32 k = (0x7FFF - a) * 2;
    c = c > k ? c - k : 0;
}
void shade_raise(u32& c, u32 a) noexcept
{
    const u32 k = 2 * a - 0xFFFE;
    c = std::min(c + k, 65535u);
}

// 44, 45, 48: c - c*u (darken) below 0x8000, c + (65535 - c)*u above, each
// truncated; `darkDivisor` is 32767 for 44 and 48, 65535 for 45.
void smooth_lum_colour(u32& r, u32& g, u32& b, u32 a, double darkDivisor) noexcept
{
    u32* channels[3] = {&r, &g, &b};
    if (a < 0x8000) {
        const double u = (0x7FFF - static_cast<double>(a)) / darkDivisor;
        for (u32* c : channels) *c = clamp16(*c - *c * u);
    } else {
        const double u = (static_cast<double>(a) - 0x7FFF) / 32767.0;
        for (u32* c : channels) *c = clamp16(*c + (65535.0 - *c) * u);
    }
}

// 46 and 47: the same around 0x8FFF with their own divisors.
void smooth_lum3_colour(u32& r, u32& g, u32& b, u32 a) noexcept
{
    u32* channels[3] = {&r, &g, &b};
    if (a < 0x8FFF) {
        const double u = (0x8FFE - static_cast<double>(a)) / 30000.0;
        for (u32* c : channels) *c = clamp16(*c - *c * u);
    } else {
        const double u = (static_cast<double>(a) - 0x8FFE) / 28672.0;
        for (u32* c : channels) *c = clamp16(*c + (65535.0 - *c) * u);
    }
}

// The alpha of 43 (and of 47, 48 above 0x1FFE): a soft threshold ramp.
u32 smooth2_alpha(u32 a, u32 O) noexcept
{
    if (a > 0x23FE) return O;
    return 65535 - std::min((0x23FF - a) * 64, 65535u);
}

}  // namespace

int alpha_mode_step(int mode, u32& r, u32& g, u32& b, u32& a, u32 O) noexcept
{
    switch (mode) {
        // 33: white, inverted alpha.
        case kAlphaFilter:
            set_colour(r, g, b, 65535);
            a = 65535 - a;
            return kNormal;
        // 34, 49: partly transparent pixels become a black outline at O.
        case kAlphaBlackOutline:
        case kAlphaOverlayOutline:
            if (a >= 1 && a <= 0xFEFF) set_colour(r, g, b, 0), a = O;
            return kNormal;
        // 35, 36: a >= 0x2FFF gives O, below it the alpha is inverted.
        case kAlphaOutlineTint1:
        case kAlphaOutlineTint2:
            if (a != 0) a = a >= 0x2FFF ? O : 65535 - a;
            return kNormal;
        // 37: inverted alpha where there is any.
        case kAlphaInvert:
            if (a != 0) a = 65535 - a;
            return kNormal;
        // 38: the alpha becomes a grey colour at O.
        case kAlphaShader:
            if (a != 0) set_colour(r, g, b, a), a = O;
            return kNormal;
        // 39, 40: darken or raise the colour by the alpha, then O.
        case kAlphaShaderColor:
        case kAlphaShaderTexture2:
            if (a != 0) {
                for (u32* c : {&r, &g, &b}) a < 0x7FFF ? shade_darken(*c, a) : shade_raise(*c, a);
                a = O;
            }
            return mode == kAlphaShaderTexture2 ? kTexturize2 : kNormal;
        // 41: raise above the midpoint (a = O), below it fade the alpha.
        case kAlphaHighlightTexture2:
            if (a != 0) {
                if (a >= 0x7FFF) {
                    for (u32* c : {&r, &g, &b}) shade_raise(*c, a);
                    a = O;
                } else {
                    const u32 k = (0x7FFF - a) * 2;
                    a = a > k ? a - k : 0;
                }
            }
            return kTexturize2;
        // 42: O from the midpoint, a - (0x7FFF - a) * 4 below.
        case kAlphaSmooth:
            if (a != 0) {
                if (a >= 0x7FFF) {
                    a = O;
                } else {
                    const u32 k = (0x7FFF - a) * 4;
                    a = a > k ? a - k : 0;
                }
            }
            return kNormal;
        // 43: 0 below 0x1FFF, O above 0x23FE, a steep ramp between.
        case kAlphaSmooth2:
            if (a != 0) a = a < 0x1FFF ? 0 : smooth2_alpha(a, O);
            return kNormal;
        // 44..48: colour shaded by the alpha (always), then the alpha rule.
        case kAlphaSmoothLum:
        case kAlphaSmoothLum2:
        case kAlphaSmoothLum3:
        case kAlphaSmoothLum4:
        case kAlphaSmoothLum5:
            if (mode == kAlphaSmoothLum3 || mode == kAlphaSmoothLum4)
                smooth_lum3_colour(r, g, b, a);
            else
                smooth_lum_colour(r, g, b, a, mode == kAlphaSmoothLum2 ? 65535.0 : 32767.0);
            if (a != 0) {
                if (a <= 0x1FFE)
                    a = 0;
                else
                    a = (mode == kAlphaSmoothLum4 || mode == kAlphaSmoothLum5) ? smooth2_alpha(a, O) : O;
            }
            return kNormal;
        // 50: only the fainter half of the alpha range shows.
        case kAlphaHighlight:
            if (a > 0x7F00) a = 0;
            return kNormal;
        // 51: a mask layer shows nothing itself.
        case kLayerMask:
            a = 0;
            return kNormal;
        // 52, 53: alpha from the luminance, colour white or black.
        case kLuminanceAlpha:
            a = (r + g + b) / 3;
            set_colour(r, g, b, 65535);
            return kNormal;
        case kLuminanceAlphaInvert:
            a = 65535 - (r + g + b) / 3;
            set_colour(r, g, b, 0);
            return kNormal;
        default:
            // 32 has no rewrite; colour modes pass through unchanged.
            return mode >= kFirstAlphaMode ? kNormal : mode;
    }
}

int alpha_mode_step_same(int mode, u32& r, u32& g, u32& b, u32& a, u32 O, bool& clearDestAlpha) noexcept
{
    clearDestAlpha = false;
    switch (mode) {
        case kAlphaSmooth2:
        case kAlphaSmoothLum4:
        case kAlphaSmoothLum5:
            // 0 below the ramp, replace above it, multiply on it.
            if (a < 0x1FFF)
                a = 0;
            else if (a > 0x23FE)
                clearDestAlpha = true;
            return kMultiply;
        case kAlphaHighlight:
            if (a <= 0x7F00)
                a = 0;
            else
                clearDestAlpha = true;
            return kNormal;
        case kLayerMask:
        case kLuminanceAlpha:
        case kLuminanceAlphaInvert:
            return alpha_mode_step(mode, r, g, b, a, O);
        default:
            if (mode < kFirstAlphaMode) return mode;
            if (mode > kLuminanceAlphaInvert) return kNormal;
            if ((mode == kAlphaSmoothLum || mode == kAlphaSmoothLum2 || mode == kAlphaSmoothLum3) &&
                a <= 0x1FFE)
                a = 0;
            // Wherever the source has alpha it replaces the destination.
            if (a != 0) clearDestAlpha = true;
            return (mode == kAlphaShaderTexture2 || mode == kAlphaHighlightTexture2) ? kTexturize2 : kNormal;
    }
}

}  // namespace mve
