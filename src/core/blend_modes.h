// Blend modes 0..53 and their names. Hosts choose a mode by its exact,
// case-sensitive name; every compositing routine dispatches on the number.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>
#include <utility>

namespace mve {

enum BlendMode : int {
    kNormal = 0, kMultiply = 1, kScreen = 2, kDarken = 3, kLighten = 4, kDifference = 5,
    kNegation = 6, kExclusion = 7, kAnd = 8, kOr = 9, kXor = 10, kOverlay = 11,
    kHardLight = 12, kSoftLight = 13, kDodge = 14, kBurn = 15, kReflect = 16, kGlow = 17,
    kAdd = 18, kSubtract = 19, kColor = 20, kHardColor = 21, kColorize = 22, kHslHue = 23,
    kHslSat = 24, kHslLum = 25, kHslColor = 26, kTexturize = 27, kTexturize2 = 28,
    kTexturize3 = 29, kSilhouette = 30,
    kFirstAlphaMode = 32,
    kAlphaNormal = 32, kAlphaFilter = 33, kAlphaBlackOutline = 34, kAlphaOutlineTint1 = 35,
    kAlphaOutlineTint2 = 36, kAlphaInvert = 37, kAlphaShader = 38, kAlphaShaderColor = 39,
    kAlphaShaderTexture2 = 40, kAlphaHighlightTexture2 = 41, kAlphaSmooth = 42,
    kAlphaSmooth2 = 43, kAlphaSmoothLum = 44, kAlphaSmoothLum2 = 45, kAlphaSmoothLum3 = 46,
    kAlphaSmoothLum4 = 47, kAlphaSmoothLum5 = 48, kAlphaOverlayOutline = 49,
    kAlphaHighlight = 50, kLayerMask = 51, kLuminanceAlpha = 52, kLuminanceAlphaInvert = 53,
};

struct BlendModeName {
    int number;
    std::string_view name;
};

// The 53 named modes; number 31 has no name. Names are spelled as hosts
// store them in their documents ("Silhoulette" included).
inline constexpr std::array<BlendModeName, 53> kBlendModeNames = {{
    {0, "Normal"}, {1, "Multiply"}, {2, "Screen"}, {3, "Darken"}, {4, "Lighten"},
    {5, "Difference"}, {6, "Negation"}, {7, "Exclusion"}, {8, "AND"}, {9, "OR"},
    {10, "XOR"}, {11, "Overlay"}, {12, "Hard Light"}, {13, "Soft Light"}, {14, "Dodge"},
    {15, "Burn"}, {16, "Reflect"}, {17, "Glow"}, {18, "Add"}, {19, "Subtract"},
    {20, "Color"}, {21, "Hard Color"}, {22, "Colorize"}, {23, "HSL Hue"}, {24, "HSL Sat"},
    {25, "HSL Lum"}, {26, "HSL Color"}, {27, "Texturize"}, {28, "Texturize2"},
    {29, "Texturize3"}, {30, "Silhoulette"},
    {32, "Alpha Normal"}, {33, "Alpha Filter"}, {34, "Alpha Black Outline"},
    {35, "Alpha Outline Tint 1"}, {36, "Alpha Outline Tint 2"}, {37, "Alpha Invert"},
    {38, "Alpha Shader"}, {39, "Alpha Shader Color"}, {40, "Alpha Shader Texture2"},
    {41, "Alpha Highlight Texture2"}, {42, "Alpha Smooth"}, {43, "Alpha Smooth2"},
    {44, "Alpha Smooth Lum"}, {45, "Alpha Smooth Lum2"}, {46, "Alpha Smooth Lum3"},
    {47, "Alpha Smooth Lum4"}, {48, "Alpha Smooth Lum5"}, {49, "Alpha Overlay Outline"},
    {50, "Alpha Highlight"}, {51, "Layer Mask"}, {52, "Luminance Alpha"},
    {53, "Luminance Alpha Invert"},
}};

// Exact match against the table; a name that matches nothing (or null) is 0, "Normal".
int blend_mode_from_name(const char* name) noexcept;
// The name of a mode number, or an empty view for 31 and numbers outside 0..53.
std::string_view blend_mode_name(int number) noexcept;

inline bool is_alpha_mode(int mode) noexcept { return mode >= kFirstAlphaMode; }

constexpr int kBlendModeCount = 54;

// What every compositing routine needs to know of a mode, in one table.
struct BlendModeProperties {
    // The formula the mode blends with: its own number, 6 for Exclusion, and
    // the Normal rule (0) for 16, 17, 30 and the alpha modes.
    int formula = kNormal;
    // Over an empty destination the result stays empty (the colour and
    // texture modes take everything but their source's alpha from beneath).
    bool needsDestination = false;
};

inline constexpr std::array<BlendModeProperties, kBlendModeCount> kBlendModeProperties = [] {
    std::array<BlendModeProperties, kBlendModeCount> table{};
    for (int m = 0; m < kBlendModeCount; ++m) {
        BlendModeProperties& p = table[static_cast<std::size_t>(m)];
        p.formula = m == kExclusion                                    ? kNegation
                    : (m > kTexturize3 || m == kReflect || m == kGlow) ? kNormal
                                                                       : m;
        p.needsDestination =
            m == kColor || m == kHardColor || m == kTexturize || m == kTexturize2 || m == kTexturize3;
    }
    return table;
}();

constexpr int blend_formula_of(int mode) noexcept
{
    return mode >= 0 && mode < kBlendModeCount ? kBlendModeProperties[static_cast<std::size_t>(mode)].formula
                                               : kNormal;
}

constexpr bool blend_needs_destination(int mode) noexcept
{
    return mode >= 0 && mode < kBlendModeCount &&
           kBlendModeProperties[static_cast<std::size_t>(mode)].needsDestination;
}

// The mode numbers that blend with a formula other than the Normal rule, in
// order: the cases every per-mode dispatch instantiates.
inline constexpr auto kFormulaModes = [] {
    constexpr std::size_t count = [] {
        std::size_t n = 0;
        for (const auto& p : kBlendModeProperties) n += p.formula != kNormal ? 1 : 0;
        return n;
    }();
    std::array<int, count> modes{};
    std::size_t i = 0;
    for (int m = 0; m < kBlendModeCount; ++m)
        if (kBlendModeProperties[static_cast<std::size_t>(m)].formula != kNormal) modes[i++] = m;
    return modes;
}();

namespace detail {
template <class Fn, std::size_t... I>
decltype(auto) dispatch_formula_mode(int mode, Fn&& fn, std::index_sequence<I...>)
{
    using Result = decltype(fn.template operator()<kNormal>());
    if constexpr (std::is_void_v<Result>) {
        if (!((mode == kFormulaModes[I] ? (fn.template operator()<kFormulaModes[I]>(), true) : false) || ...))
            fn.template operator()<kNormal>();
    } else {
        Result result{};
        if (!((mode == kFormulaModes[I] ? (result = fn.template operator()<kFormulaModes[I]>(), true)
                                        : false) ||
              ...))
            result = fn.template operator()<kNormal>();
        return result;
    }
}
}  // namespace detail

// Calls fn.template operator()<M>() with M = `mode` when the mode has a
// formula of its own, else with M = 0 (the Normal rule): one instantiation
// per case of kFormulaModes.
template <class Fn>
decltype(auto) dispatch_formula_mode(int mode, Fn&& fn)
{
    return detail::dispatch_formula_mode(mode, static_cast<Fn&&>(fn),
                                         std::make_index_sequence<kFormulaModes.size()>{});
}

}  // namespace mve
