// The per-mode formulas of the float stage as inline templates, one per blend
// mode, so the merge core can instantiate a row loop per mode family without
// a per-pixel dispatch. merge_modes.cpp gives the run-time dispatched forms.
//
// Contract: Sa, Da in [0, 1] (alpha / 65535); s, d straight colours on the
// 65280 scale; Sc = s * Sa, Dc = d * Da premultiplied; "rest" = Sc (1 - Da) +
// Dc (1 - Sa); "union" alpha = Sa + Da (1 - Sa). Each blend writes a
// premultiplied Rc per channel.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/blend_modes.h"
#include "core/colour_models.h"
#include "core/merge_modes.h"

namespace mve::formulas {

// The float stage's view of one source and one destination pixel.
struct Operands {
    double s[3];   // straight source colour
    double sc[3];  // premultiplied source colour
    double sa;
    double dc[3];  // premultiplied destination colour
    double da;
};

enum class AlphaRule { Union, Sum, Dest };

// Which result alpha a mode has: union, Sa + Da (18, 19) or Da (20..29).
constexpr AlphaRule alpha_rule(int mode)
{
    if (mode == kAdd || mode == kSubtract) return AlphaRule::Sum;
    if (mode >= kColor && mode <= kTexturize3) return AlphaRule::Dest;
    return AlphaRule::Union;
}

// The mode whose formula a mode number uses (16, 17, 30 and everything not in
// 0..29 blend as Normal; 7 shares 6's formula).
constexpr int formula_of(int mode)
{
    return blend_formula_of(mode);
}

inline double rest(const Operands& o, int i)
{
    return o.sc[i] * (1 - o.da) + o.dc[i] * (1 - o.sa);
}

// HSL lightness alone, computed as rgb_to_hsl_f computes it: (max + min) / 2.
inline float lightness_f(double r, double g, double b)
{
    const float fr = static_cast<float>(r), fg = static_cast<float>(g), fb = static_cast<float>(b);
    return (std::max(std::max(fr, fg), fb) + std::min(std::min(fr, fg), fb)) / 2.0f;
}

inline HslF hsl_f(const double c[3])
{
    return rgb_to_hsl_f(static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]));
}

// Modes 22..26: c from HSL of source and destination, Rc = Dc (1 - Sa) + c Sa.
// Where a mode needs only a lightness, only the lightness is computed.
template <int M>
inline void hsl_blend(const Operands& o, double rc[3])
{
    RgbF c;
    if constexpr (M == kColorize) {
        // Grey of the premultiplied destination; the HSL lightness of a grey is the grey.
        const HslF src = hsl_f(o.s);
        const float grey = static_cast<float>((3 * o.dc[0] + 4 * o.dc[1] + o.dc[2]) / 8);
        c = hsl_to_rgb_f(src.h, src.s, grey);
    } else if constexpr (M == kHslColor) {
        const HslF src = hsl_f(o.s);
        c = hsl_to_rgb_f(src.h, src.s, lightness_f(o.dc[0], o.dc[1], o.dc[2]));
    } else if constexpr (M == kHslLum) {
        const HslF dst = hsl_f(o.dc);
        c = hsl_to_rgb_f(dst.h, dst.s, lightness_f(o.s[0], o.s[1], o.s[2]));
    } else {
        const HslF src = hsl_f(o.s), dst = hsl_f(o.dc);
        if constexpr (M == kHslHue) c = hsl_to_rgb_f(src.h, dst.s, dst.l);
        if constexpr (M == kHslSat) c = hsl_to_rgb_f(dst.h, src.s, dst.l);
    }
    const double cv[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) rc[i] = o.dc[i] * (1 - o.sa) + cv[i] * o.sa;
}

// Premultiplied result of formula M (M = formula_of(mode)).
template <int M>
inline void blend(const Operands& o, double rc[3])
{
    const double sa = o.sa, da = o.da;
    if constexpr (M >= kColorize && M <= kHslColor) {
        hsl_blend<M>(o, rc);
    } else if constexpr (M == kColor || M == kHardColor) {
        // L = mean of the premultiplied destination; k = |L - 0.5| Sa (x 1.75 for 21).
        const double L = (o.dc[0] + o.dc[1] + o.dc[2]) * 0.33333334;
        const double k = std::fabs(L - 0.5) * (M == kHardColor ? 1.75 : 1.0) * sa;
        for (int i = 0; i < 3; ++i) rc[i] = (L < 0.5 ? o.sc[i] - k : o.sc[i] + k) + o.dc[i] * (1 - sa);
    } else if constexpr (M == kTexturize || M == kTexturize2) {
        // T = mean straight source; d = Dc / Da.
        const double T = (o.s[0] + o.s[1] + o.s[2]) / 3;
        const double inv = da > 0 ? 1 / da : 0;
        const double d[3] = {o.dc[0] * inv, o.dc[1] * inv, o.dc[2] * inv};
        if constexpr (M == kTexturize) {
            // L = mean(d) + (T - 0.5) Sa; Rc = d + (L - 0.5) 1.75 Sa.
            const double L = (d[0] + d[1] + d[2]) * 0.33333334 + (T - 0.5) * sa;
            for (int i = 0; i < 3; ++i) rc[i] = d[i] + (L - 0.5) * 1.75 * sa;
        } else {
            // Rc = d + (T - 0.5) 1.75 Sa.
            for (int i = 0; i < 3; ++i) rc[i] = d[i] + (T - 0.5) * 1.75 * sa;
        }
    } else {
        for (int i = 0; i < 3; ++i) {
            const double sc = o.sc[i], dc = o.dc[i];
            double r;
            if constexpr (M == kNormal) {
                r = sc + dc * (1 - sa);  // Sc + Dc (1 - Sa)
            } else if constexpr (M == kMultiply) {
                r = sc * dc + rest(o, i);  // Sc Dc + rest
            } else if constexpr (M == kScreen) {
                r = sc + dc - sc * dc;  // Sc + Dc - Sc Dc
            } else if constexpr (M == kDarken) {
                // Dc Sa <= Sc Da: Dc + Sc (1 - Da), else Sc + Dc (1 - Sa)
                r = dc * sa <= sc * da ? dc + sc * (1 - da) : sc + dc * (1 - sa);
            } else if constexpr (M == kLighten) {
                // Sc Da <= Dc Sa: Dc + Sc (1 - Da), else Sc + Dc (1 - Sa)
                r = sc * da <= dc * sa ? dc + sc * (1 - da) : sc + dc * (1 - sa);
            } else if constexpr (M == kDifference) {
                r = sc + dc - 2 * std::min(sc * da, dc * sa);  // Sc + Dc - 2 min(Sc Da, Dc Sa)
            } else if constexpr (M == kNegation) {
                r = sc * da + dc * sa - 2 * sc * dc + rest(o, i);  // Sc Da + Dc Sa - 2 Sc Dc + rest
            } else if constexpr (M == kAnd || M == kOr || M == kXor) {
                // x = trunc(Sc Sa 65535), y = trunc(Dc 65535); Rc = (x op y) / 65535
                const auto x = static_cast<std::uint32_t>(static_cast<std::int64_t>(sc * sa * 65535));
                const auto y = static_cast<std::uint32_t>(static_cast<std::int64_t>(dc * 65535));
                const std::uint32_t v = M == kAnd ? (x & y) : M == kOr ? (x | y) : (x ^ y);
                r = v / 65535.0;
            } else if constexpr (M == kOverlay) {
                // 2 Dc < Da: 2 Sc Dc + rest, else Sa Da - 2 (Da - Dc)(Sa - Sc) + rest
                r = (2 * dc < da ? 2 * sc * dc : sa * da - 2 * (da - dc) * (sa - sc)) + rest(o, i);
            } else if constexpr (M == kHardLight) {
                // 2 Sc < Sa: 2 Sc Dc + rest, else Sa Da - 2 (Da - Dc)(Sa - Sc) + rest
                r = (2 * sc < sa ? 2 * sc * dc : sa * da - 2 * (da - dc) * (sa - sc)) + rest(o, i);
            } else if constexpr (M == kSoftLight) {
                // m = Dc / Da; three branches on 2 Sc < Sa and 8 Dc <= Da
                const double m = da > 0 ? dc / da : 0;
                if (2 * sc < sa)
                    r = dc * ((2 * sc - sa) * (1 - m) + sa);
                else if (8 * dc <= da)
                    r = dc * (sa + (2 * sc - sa) * (1 - m) * (3 - 8 * m));
                else
                    r = dc * sa + (2 * sc - sa) * (std::sqrt(m) * da - dc);
                r += rest(o, i);
            } else if constexpr (M == kDodge) {
                // Sc Da + Dc Sa >= Sa Da: Sa Da + rest, else Dc Sa / (1 - Sc / Sa) + rest
                r = (sc * da + dc * sa >= sa * da ? sa * da : dc * sa / (1 - sc / sa)) + rest(o, i);
            } else if constexpr (M == kBurn) {
                // Sc Da + Dc Sa <= Sa Da: rest, else (Sc Da + Dc Sa - Sa Da) Sa / Sc + rest
                // (Sc = 0 can only take the second branch for a 0xFFFF destination
                // colour; its limit is "full", which the final clamp turns into 1.)
                const double t = sc * da + dc * sa - sa * da;
                r = (t <= 0 ? 0 : (sc > 0 ? t * sa / sc : 2.0)) + rest(o, i);
            } else if constexpr (M == kAdd) {
                r = sc + dc;  // Sc + Dc
            } else if constexpr (M == kSubtract) {
                r = sc + dc - sa * da;  // Sc + Dc - Sa Da
            } else if constexpr (M == kTexturize3) {
                r = dc;  // colour unchanged
            } else {
                static_assert(M == kNormal, "formula not covered");
            }
            rc[i] = r;
        }
    }
}

// Result alpha as a double (clamped to [0, 1]) for the colour division.
template <int M>
inline double result_alpha(double sa, double da)
{
    constexpr AlphaRule rule = alpha_rule(M);
    if constexpr (rule == AlphaRule::Union) return sa + da * (1 - sa);
    if constexpr (rule == AlphaRule::Sum) return std::min(sa + da, 1.0);
    return da;
}

// The same alpha on the 16-bit scale, truncated from its exact value:
// union = a + dA (65535 - a) / 65535 (integer division is the truncation).
template <int M>
inline std::uint32_t result_alpha16(std::uint32_t a, std::uint32_t dA)
{
    constexpr AlphaRule rule = alpha_rule(M);
    if constexpr (rule == AlphaRule::Union) return a + dA * (65535 - a) / 65535;
    if constexpr (rule == AlphaRule::Sum) return std::min(a + dA, 65535u);
    return dA;
}

constexpr double kInv65535 = 1.0 / 65535.0;
constexpr double kInv65280 = 1.0 / 65280.0;

// The whole float stage on stored 16-bit values: out = clamp(Rc / alpha) x
// 65280 truncated per colour, alpha truncated on the 65535 scale.
template <int M>
inline void blend16(std::uint32_t sR, std::uint32_t sG, std::uint32_t sB, std::uint32_t a,
                    const std::uint16_t* d, std::uint32_t out[4])
{
    Operands o;
    o.sa = a * kInv65535;
    o.da = d[3] * kInv65535;
    o.s[0] = sR * kInv65280, o.s[1] = sG * kInv65280, o.s[2] = sB * kInv65280;
    for (int i = 0; i < 3; ++i) {
        o.sc[i] = o.s[i] * o.sa;
        o.dc[i] = d[i] * kInv65280 * o.da;
    }
    double rc[3];
    blend<formula_of(M)>(o, rc);
    const double ar = result_alpha<M>(o.sa, o.da);
    // One division; a zero alpha leaves black.
    const double scale = ar > 0 ? 65280.0 / ar : 0.0;
    for (int i = 0; i < 3; ++i) {
        const double v = rc[i] * scale;
        out[i] = v > 0 ? (v < 65280.0 ? static_cast<std::uint32_t>(v) : 65280u) : 0u;
    }
    out[3] = result_alpha16<M>(a, d[3]);
}

// Straight src over straight dst by mode M: premultiply, blend, divide once
// by the clamped result alpha and clamp each colour to [0, 1].
template <int M>
inline FloatPixel blend_straight(const FloatPixel& src, const FloatPixel& dst)
{
    Operands o;
    o.sa = src.a, o.da = dst.a;
    o.s[0] = src.r, o.s[1] = src.g, o.s[2] = src.b;
    const double d[3] = {dst.r, dst.g, dst.b};
    for (int i = 0; i < 3; ++i) {
        o.sc[i] = o.s[i] * o.sa;
        o.dc[i] = d[i] * o.da;
    }
    double rc[3];
    blend<formula_of(M)>(o, rc);
    double ar = result_alpha<M>(o.sa, o.da);
    ar = ar < 0 ? 0 : (ar > 1 ? 1 : ar);
    FloatPixel out;
    if (!(ar > 0)) return out;
    const double inv = 1 / ar;
    auto unit = [](double v) { return v > 0 ? (v < 1 ? v : 1.0) : 0.0; };
    out.r = unit(rc[0] * inv);
    out.g = unit(rc[1] * inv);
    out.b = unit(rc[2] * inv);
    out.a = ar;
    return out;
}

}  // namespace mve::formulas
