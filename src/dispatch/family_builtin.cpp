// The built-in named effects offered through the dispatcher: each runs the
// built-in runner once with the call's arguments. Spatial filters go through
// the filtered replace so transparent pixels do not bleed colour; the others
// replace plainly. The two Mask effects start from a cleared Mask and write
// only the Mask.
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "mask/mask_settings.h"

namespace mve::dispatch {

namespace {

// The runner's effect of the entry's own name.
bool same_name(Frame& f)
{
    builtin(f, f.entry->name, 0);
    return true;
}

// "Smart Blur" is the noise reduction under another name.
bool smart_blur(Frame& f)
{
    builtin(f, "Noise Reduction", 0);
    return true;
}

// The Mask effects read the layer and write the Mask; the layer itself is
// not written back (an 8-bit copy of it would only lose its low bytes).
bool mask_effect(Frame& f)
{
    mask::clear(f.e, 0, 0, 0);
    refresh_source(f);
    builtin(f, f.entry->name, 0);
    return true;
}

constexpr const char* kFamily = "built-in effects";

constexpr Entry kBuiltins[] = {
    {"Box Blur", kFamily, Pattern::R1, same_name},
    {"Anti Alias", kFamily, Pattern::R1, same_name},
    {"Adaptive Blur", kFamily, Pattern::R1, same_name},
    {"Detail Blur", kFamily, Pattern::R1, same_name},
    {"Value Blur", kFamily, Pattern::R1, same_name},
    {"Noise Reduction", kFamily, Pattern::R1, same_name},
    {"Noise Reduction RGB", kFamily, Pattern::R1, same_name},
    {"Smart Blur", kFamily, Pattern::R1, smart_blur},
    {"Hyper Contrast", kFamily, Pattern::R2, same_name},
    {"Adjust Lab", kFamily, Pattern::R2, same_name},
    {"Channel", kFamily, Pattern::R2, same_name},
    {"Fader", kFamily, Pattern::R2, same_name},
    {"Adjust RGBA", kFamily, Pattern::R2, same_name},
    {"Basic Threshold", kFamily, Pattern::R2, same_name},
    {"Alpha Edge Color", kFamily, Pattern::R2, same_name},
    {"Line Art Cleaner", kFamily, Pattern::R2, same_name},
    {"Clamp", kFamily, Pattern::R2, same_name},
    {"Bas Relief", kFamily, Pattern::R2, same_name},
    {"Vignette", kFamily, Pattern::R2, same_name},
    {"Borderize", kFamily, Pattern::R2, same_name},
    {"Reflection", kFamily, Pattern::R2, same_name},
    {"Mirror", kFamily, Pattern::R2, same_name},
    {"Gallery Wrap Mirror Auto", kFamily, Pattern::R2, same_name},
    {"Mask Detail", kFamily, Pattern::Own, mask_effect},
    {"Mask High Low", kFamily, Pattern::Own, mask_effect},
};

}  // namespace

std::span<const Entry> builtin_family() noexcept { return kBuiltins; }

}  // namespace mve::dispatch
