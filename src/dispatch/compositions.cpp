// Steps shared by the compositions (see compositions.h).
#include "dispatch/compositions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <wand/MagickWand.h>

#include "core/blend_modes.h"
#include "core/guard.h"
#include "core/transfer.h"
#include "dispatch/steps.h"
#include "imagelib/bilateral.h"
#include "imagelib/contrast_mask.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/image_script.h"
#include "imagelib/library.h"
#include "imagelib/saturation.h"
#include "imagelib/sharpen.h"
#include "ipl/processing_buffers.h"

namespace mve::dispatch {

namespace {

double slider_radius(const Frame& f) noexcept { return 0.6 + 0.4 * static_cast<double>(f.a.f[0]); }

}  // namespace

double gaussian_radius(const Frame& f) noexcept
{
    if (f.a.i[2] & 0xFF) return static_cast<double>(f.a.f[0]) * 0.01 * 0.05 * std::max(f.width, f.height);
    return slider_radius(f);
}

bool blur_for_composition(Frame& f, const std::uint8_t* in, std::uint8_t* out) noexcept
{
    return il::gaussian_blur(in, f.width, f.height, 4, f.row32(), out, f.row32(), gaussian_radius(f)) != 0;
}

bool contrast_mask_step(Frame& f)
{
    const int form = f.a.i[2] & 0xFF;
    const double sigma = slider_radius(f);
    if (form == 0) {
        std::memcpy(f.dst32, f.src32, f.pixels() * 4);
        f.mergeMode = kNormal;
        return il::contrast_mask(f.dst32, f.width, f.height, 4, f.row32(), sigma, 1.0) != 0;
    }
    builtin(f, "Grayscale", 0);
    builtin(f, "Invert", 1);
    f.mergeMode = kSoftLight;
    std::uint8_t* blurred = f.temporary(4);
    const int ok = form == 1
                       ? il::gaussian_blur(f.dst32, f.width, f.height, 4, f.row32(), blurred, f.row32(), sigma)
                       : il::bilateral_filter(f.dst32, f.width, f.height, 4, f.row32(), blurred, f.row32(), sigma,
                                              25.0);
    if (!ok) return false;
    std::memcpy(f.dst32, blurred, f.pixels() * 4);
    return true;
}

bool saturation_step(Frame& f, std::uint8_t* buffer) noexcept
{
    return il::modify_saturation(buffer, f.width, f.height, 4, f.row32(), static_cast<double>(f.a.f[2]) * 0.02) != 0;
}

bool sharpen_layer_step(Frame& f)
{
    std::uint8_t* src = ipl::allocate_canvas_buffer(f.e, f.e.ipl.src24, 3);
    std::uint8_t* dst = ipl::allocate_canvas_buffer(f.e, f.e.ipl.dst24, 3);
    require(src && dst);
    core::read_current_rgb24(f.e, src, f.width * 3);
    const int level = static_cast<int>(std::clamp(static_cast<double>(f.a.f[1]) * 0.2, 0.0, 1000.0));
    if (!il::sharpen_image(src, f.width, f.height, 3, f.width * 3, dst, f.width * 3, level, 2)) return false;
    core::load_rgb24_into_current(f.e, dst, f.width * 3, true);
    return true;
}

bool emboss_step(Frame& f, std::uint8_t* buffer)
{
    require(il::ensure_magick());
    MagickWand* wand = NewMagickWand();
    require(wand != nullptr);
    const double sigma = std::clamp(0.5 + static_cast<double>(f.a.f[0]) * 0.05, 0.5, 50.0);
    const bool ok = MagickConstituteImage(wand, f.width, f.height, "RGBA", CharPixel, buffer) != MagickFalse &&
                    MagickEmbossImage(wand, 0, sigma) != MagickFalse &&
                    MagickExportImagePixels(wand, 0, 0, f.width, f.height, "RGBA", CharPixel, buffer) != MagickFalse;
    DestroyMagickWand(wand);
    return ok;
}

bool script_blur_step(Frame& f, std::uint8_t* buffer)
{
    constexpr int kScriptBlur = 52;  // the image-script blur: slot 0 radius, slot 1 passes
    const double radius = 1 + std::clamp(std::trunc(static_cast<double>(f.a.f[0]) * 0.1), 0.0, 50.0);
    il::isl_initialize();
    bool ok = il::isl_add_effect(kScriptBlur, kScriptBlur) && il::isl_set_effect_value(0, 0, radius);
    if (ok) {
        // The script module works in B, G, R, A order.
        il::swap_red_blue(buffer, f.width, f.height, f.row32());
        ok = il::isl_execute_script_on_image(buffer, f.width, f.height) != 0;
        il::swap_red_blue(buffer, f.width, f.height, f.row32());
    }
    il::isl_finish();
    return ok;
}

}  // namespace mve::dispatch
