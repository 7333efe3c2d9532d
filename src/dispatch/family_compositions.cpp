// Compositions: short sequences of built-in effects and library operations
// that give an artistic or photographic result. Each step runs Src32 -> Dst32
// (a chained step works on Dst32 as the step before left it); the pattern
// writes the last result back, most often by merging it over the layer with
// a blend mode, so the layer itself is one of the ingredients.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/blend_modes.h"
#include "dispatch/compositions.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/noise.h"
#include "imagelib/scribble.h"
#include "imagelib/transforms.h"
#include "ipl/photo_pop.h"

namespace mve::dispatch {

namespace {

constexpr int kFull = 1000;  // a real of 1.0 in slider units

// A pencil drawing: the layer turned grey, then a blurred negative of the
// grey dodged over it leaves only the edges dark. p1 and p2 steer the blur.
bool charcoal(Frame& f)
{
    builtin(f, "Grayscale", 0);
    replace_write_back(f, f.dst32);
    builtin(f, "Invert", 1);
    builtin(f, "Value Blur", 1);
    f.mergeMode = kDodge;
    return true;
}

// The negative, its bright values spread, burnt (low byte of i3 set) or
// subtracted over the layer.
bool glow(Frame& f)
{
    builtin(f, "Invert", 0);
    builtin(f, "Value Blur", 1, with_p2(f, kFull));
    f.mergeMode = (f.a.i[2] & 0xFF) ? kBurn : kSubtract;
    return true;
}

// Half the layer plus half its blurred negative: flat areas go mid-grey and
// the detail the blur removed stands out.
bool high_pass(Frame& f)
{
    builtin(f, "Invert", 0);
    std::memcpy(f.src32, f.dst32, f.pixels() * 4);
    builtin(f, "Box Blur", 0);
    f.mergeOpacity = 128;
    return true;
}

// The photo pop at a standard strength on the layer itself (contrast 500, a
// little stronger colour at saturation 60, no extra contrast); Src32 then
// holds its result for the steps that follow.
bool photo_pop_step(Frame& f)
{
    if (!ipl::photo_pop(500, 60, 0)) return false;
    refresh_source(f);
    return true;
}

// Grey negative with bright values spread fully, texturised over the layer.
bool outliner(Frame& f)
{
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    builtin(f, "Value Blur", 1, with_p1(f, kFull));
    f.mergeMode = kTexturize;
    return true;
}

// The grey negative overlaid on the layer flattens its tones; hyper contrast
// then brings the colour back harder.
bool color_contrast(Frame& f)
{
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    merge_write_back(f, f.dst32, kOverlay, 255);
    refresh_source(f);
    builtin(f, "Hyper Contrast", 0);
    return true;
}

// The layer's own Gaussian blur overlaid on it at the opacity of p2
// (trunc(f2 * 2.559)); p1 sets the blur radius as for "Gaussian Blur".
bool radiant(Frame& f)
{
    pre_filter(f, f.src32);
    if (!blur_for_composition(f, f.src32, f.dst32)) return false;
    post_filter(f, f.dst32);
    f.mergeMode = kOverlay;
    f.mergeOpacity = opacity_from(f.a.f[1]);
    return true;
}

// The contrast-masked layer inverted and texturised over it at the opacity of p2.
bool radiant_2(Frame& f)
{
    if (!contrast_mask_step(f)) return false;
    std::memcpy(f.src32, f.dst32, f.pixels() * 4);
    builtin(f, "Invert", 0);
    f.mergeMode = kTexturize;
    f.mergeOpacity = opacity_from(f.a.f[1]);
    return true;
}

// Contrast mask (see compositions.h) of the whole layer.
bool contrast_mask(Frame& f)
{
    if (!contrast_mask_step(f)) return false;
    f.mergeMode = kSoftLight;
    return true;
}

// Relief and hard contrast, each written back, then the colours
// strengthened (f3) on the layer itself.
bool color_pencil(Frame& f)
{
    builtin(f, "Bas Relief", 0, with_p1(f, 300));
    replace_write_back(f, f.dst32);
    refresh_source(f);
    builtin(f, "Hyper Contrast", 0);
    replace_write_back(f, f.dst32);
    refresh_source(f);
    return saturation_step(f, f.src32);
}

// Relief, hard contrast, stronger colours and spread values in one chain.
bool crayon(Frame& f)
{
    builtin(f, "Bas Relief", 0, with_p1(f, 300));
    builtin(f, "Hyper Contrast", 1);
    if (!saturation_step(f, f.dst32)) return false;
    builtin(f, "Value Blur", 1);
    return true;
}

// The crayon with grey noise of amount trunc(f4 * 200) from the call's seed.
bool pointillism(Frame& f)
{
    if (!crayon(f)) return false;
    const int amount = static_cast<int>(std::clamp(static_cast<double>(f.a.f[3]) * 200, 0.0, 1e9));
    return il::add_gaussian_noise(f.dst32, f.width, f.height, 4, f.row32(), amount, 0,
                                  static_cast<std::uint32_t>(f.a.seed)) != 0;
}

// The outliner on the photo-popped layer.
bool outliner_2(Frame& f)
{
    return photo_pop_step(f) && outliner(f);
}

// A sketch: grey negative softened by the image-script blur, dodged.
bool color_pencil_2(Frame& f)
{
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    f.mergeMode = kDodge;
    return script_blur_step(f, f.dst32);
}

// Grey negative embossed, dodged over the layer.
bool emboss3(Frame& f)
{
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    f.mergeMode = kDodge;
    return emboss_step(f, f.dst32);
}

// Sharpened colour (written back), then a soft and a full hyper contrast
// and stronger colours.
bool photo_pop(Frame& f)
{
    if (!sharpen_layer_step(f)) return false;
    refresh_source(f);
    builtin(f, "Hyper Contrast", 0, with_p1(f, 1));
    builtin(f, "Hyper Contrast", 1);
    return saturation_step(f, f.dst32);
}

// Ink lines: the photo-popped layer's grey negative scribbled over (density trunc(f3 * 2) per
// thousand pixels, strokes up to 4 + trunc(f4 * 0.4) long, from the seed),
// its bright values spread fully, texturised over the layer.
bool watercolor_and_ink(Frame& f)
{
    if (!photo_pop_step(f)) return false;
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    const int density = static_cast<int>(std::clamp(static_cast<double>(f.a.f[2]) * 2, 0.0, 4000.0));
    const int length = 4 + static_cast<int>(std::clamp(static_cast<double>(f.a.f[3]) * 0.4, 0.0, 1000.0));
    if (!il::scribble(f.dst32, f.width, f.height, 4, f.row32(), density, length, 128,
                      static_cast<std::uint32_t>(f.a.seed)))
        return false;
    builtin(f, "Value Blur", 1, with_p1(f, kFull));
    f.mergeMode = kTexturize2;
    return true;
}

// The contrast mask merged over the layer, the photo pop, then the layer's negative with
// its bright values spread fully, texturised over it.
bool photo_detailer(Frame& f)
{
    if (!contrast_mask_step(f)) return false;
    merge_write_back(f, f.dst32, f.mergeMode, 255);
    if (!photo_pop_step(f)) return false;
    builtin(f, "Invert", 0);
    builtin(f, "Value Blur", 1, with_p1(f, kFull));
    f.mergeMode = kTexturize;
    return true;
}

// A shadow of the layer's shape: the layer moved by (trunc((f1 - 50) % of
// the width), trunc((f2 - 50) % of the height)), coloured with the call's
// colour (alpha kept), blurred (sigma 0.6 + 0.4 * f3) and merged at opacity
// trunc(f4 * 2.559); the layer itself is merged back over it.
bool drop_shadow(Frame& f)
{
    refresh_source(f);
    std::uint8_t* original = f.temporary(4);
    std::memcpy(original, f.src32, f.pixels() * 4);
    std::uint8_t* shadow = f.temporary(4);
    const double dx = std::trunc((static_cast<double>(f.a.f[0]) - 50) * f.width * 0.01);
    const double dy = std::trunc((static_cast<double>(f.a.f[1]) - 50) * f.height * 0.01);
    il::clear_all_transforms();
    il::add_offset_transform(f.width, f.height, dx, dy, il::kEdgeBackground);
    const int moved =
        il::transform_process(f.src32, f.width, f.height, 4, f.row32(), shadow, f.row32(), 0, 0, 0);
    il::clear_all_transforms();
    if (!moved) return false;
    // The shadow's colour where it has alpha; transparent pixels get black,
    // which the premultiplication below leaves alone, so the blur cannot
    // spread the colour of pixels nobody sees.
    for (std::size_t i = 0; i < f.pixels(); ++i) {
        std::uint8_t* p = shadow + i * 4;
        const bool seen = p[3] != 0;
        p[0] = seen ? static_cast<std::uint8_t>(f.a.colour) : 0;
        p[1] = seen ? static_cast<std::uint8_t>(f.a.colour >> 8) : 0;
        p[2] = seen ? static_cast<std::uint8_t>(f.a.colour >> 16) : 0;
    }
    pre_filter(f, shadow);
    const double sigma = 0.6 + 0.4 * std::clamp(static_cast<double>(f.a.f[2]), 0.0, 1e6);
    if (!il::gaussian_blur(shadow, f.width, f.height, 4, f.row32(), f.dst32, f.row32(), sigma)) return false;
    post_filter(f, f.dst32);
    merge_write_back(f, f.dst32, kNormal, opacity_from(f.a.f[3]));
    merge_write_back(f, original, kNormal, 255);
    return true;
}

constexpr const char* kFamily = "compositions";

constexpr Entry kCompositions[] = {
    {"Charcoal", kFamily, Pattern::M, charcoal},
    {"Color Pencil", kFamily, Pattern::R3, color_pencil},
    {"Color Pencil 2", kFamily, Pattern::M, color_pencil_2},
    {"Crayon", kFamily, Pattern::R2, crayon},
    {"Pointillism", kFamily, Pattern::R2, pointillism},
    {"Watercolor and Ink", kFamily, Pattern::M, watercolor_and_ink},
    {"Contrast Mask", kFamily, Pattern::M, contrast_mask},
    {"Color Contrast", kFamily, Pattern::R2, color_contrast},
    {"Photo Pop", kFamily, Pattern::R2, photo_pop},
    {"Photo Detailer", kFamily, Pattern::M, photo_detailer},
    {"Radiant", kFamily, Pattern::M, radiant},
    {"Radiant 2", kFamily, Pattern::M, radiant_2},
    {"Glow", kFamily, Pattern::M, glow},
    {"Edge3", kFamily, Pattern::M, charcoal},
    {"High Pass", kFamily, Pattern::M, high_pass},
    {"Emboss3", kFamily, Pattern::M, emboss3},
    {"Outliner 1", kFamily, Pattern::M, outliner},
    {"Outliner 2", kFamily, Pattern::M, outliner_2},
    {"Drop Shadow", kFamily, Pattern::Own, drop_shadow},
};

}  // namespace

std::span<const Entry> composition_family() noexcept
{
    return kCompositions;
}

}  // namespace mve::dispatch
