// Blend modes 0..53 and their names. Hosts choose a mode by its exact,
// case-sensitive name; every compositing routine dispatches on the number.
#pragma once

#include <array>
#include <string_view>

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

}  // namespace mve
