// The named-effect registry: one entry per built-in effect with what a host
// or the dispatcher needs to know of it.
#pragma once

#include <iterator>
#include <span>

#include "ipl/effects.h"

namespace mve::ipl {

// Which kind of effect an entry is (for hosts listing effects by group).
enum class EffectFamily { Blur, Tone, Colour, Detail, Frame, Mask };

// Where an effect's result goes: the destination buffer (written back by
// whoever ran it), the current layer during the run as well (the effect
// flushes), or the selection Mask.
enum class WriteBack { Destination, Flush, Mask };

// Flags of what an effect reads beyond its block.
enum : unsigned {
    kReadsExtents = 1u << 0,      // the data extents (of the layer or the source alpha)
    kReadsBrushColour = 1u << 1,  // the brush colour
};

struct NamedEffect {
    const char* name;  // the exact, case-sensitive name hosts run it by
    EffectFamily family;
    WriteBack writeBack;
    EffectFn run;
    unsigned flags;
};

// The registry in dispatch order: the first entry whose name matches exactly
// runs. A new effect is one more entry here and its function in effects.h.
inline constexpr NamedEffect kNamedEffects[] = {
    {"Anti Alias", EffectFamily::Blur, WriteBack::Destination, anti_alias, 0},
    {"Adaptive Blur", EffectFamily::Blur, WriteBack::Destination, adaptive_blur, 0},
    {"Line Art Cleaner", EffectFamily::Detail, WriteBack::Flush, line_art_cleaner, 0},
    {"Basic Threshold", EffectFamily::Tone, WriteBack::Destination, basic_threshold, 0},
    {"Alpha Edge Color", EffectFamily::Colour, WriteBack::Destination, alpha_edge_color, 0},
    {"Adjust Lab", EffectFamily::Colour, WriteBack::Destination, adjust_lab, 0},
    {"Detail Blur", EffectFamily::Blur, WriteBack::Destination, detail_blur, 0},
    {"Value Blur", EffectFamily::Blur, WriteBack::Destination, value_blur, 0},
    {"Noise Reduction", EffectFamily::Blur, WriteBack::Destination, noise_reduction, 0},
    {"Noise Reduction RGB", EffectFamily::Blur, WriteBack::Destination, noise_reduction_rgb, 0},
    {"Hyper Contrast", EffectFamily::Tone, WriteBack::Destination, hyper_contrast, 0},
    {"Bas Relief", EffectFamily::Detail, WriteBack::Destination, bas_relief, 0},
    {"Grayscale", EffectFamily::Colour, WriteBack::Destination, grayscale, 0},
    {"Invert", EffectFamily::Colour, WriteBack::Destination, invert, 0},
    {"Vignette", EffectFamily::Frame, WriteBack::Destination, vignette, kReadsBrushColour},
    {"Channel", EffectFamily::Colour, WriteBack::Destination, channel, 0},
    {"Reflection", EffectFamily::Frame, WriteBack::Destination, reflection, 0},
    {"Mirror", EffectFamily::Frame, WriteBack::Flush, mirror, 0},
    {"Gallery Wrap Mirror Auto", EffectFamily::Frame, WriteBack::Flush, gallery_wrap_mirror_auto,
     kReadsExtents},
    {"Fader", EffectFamily::Tone, WriteBack::Destination, fader, kReadsExtents},
    {"Adjust RGBA", EffectFamily::Colour, WriteBack::Destination, adjust_rgba, 0},
    {"Borderize", EffectFamily::Frame, WriteBack::Destination, borderize, 0},
    {"Clamp", EffectFamily::Colour, WriteBack::Destination, clamp_channels, 0},
    {"Mask Detail", EffectFamily::Mask, WriteBack::Mask, mask_detail, 0},
    {"Mask High Low", EffectFamily::Mask, WriteBack::Mask, mask_high_low, 0},
    {"Box Blur", EffectFamily::Blur, WriteBack::Destination, box_blur, 0},
};

constexpr int kNamedEffectCount = static_cast<int>(std::size(kNamedEffects));

inline std::span<const NamedEffect> named_effects() noexcept { return kNamedEffects; }

}  // namespace mve::ipl
