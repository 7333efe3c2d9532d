// Photo pop, built from the image library's sharpen and saturation and the
// built-in "Hyper Contrast".
#include "ipl/photo_pop.h"

#include "core/guard.h"
#include "core/transfer.h"
#include "imagelib/saturation.h"
#include "imagelib/sharpen.h"
#include "ipl/effect_runner.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"

namespace mve::ipl {

namespace {

// A moderate sharpen: half the difference from a blur of radius 7.
constexpr int kSharpenLevel = 5;
constexpr int kSharpenRadius = 7;

void sharpen_current_layer(Engine& e)
{
    const int W = e.canvas.width, H = e.canvas.height;
    allocate_source_rgb24(e, e.ipl.src24);
    std::uint8_t* dst = allocate_canvas_buffer(e, e.ipl.dst24, 3);
    std::uint8_t* src = e.ipl.src24.data();
    if (src && dst && il::sharpen_image(src, W, H, 3, W * 3, dst, W * 3, kSharpenLevel, kSharpenRadius))
        core::load_rgb24_into_current(e, dst, W * 3, true);
    e.ipl.src24.reset();
    e.ipl.dst24.reset();
}

// "Hyper Contrast" from Src32 into Dst32 with first real p1 / 1000, loaded
// into the layer, then Src32 refreshed from it.
void hyper_contrast(Engine& e, std::uint8_t* dst, int p1)
{
    EffectArgs args;
    args.p[0] = p1;
    run_named_effect("Hyper Contrast", 0, args);
    core::load_rgba32_into_current(e, dst, e.canvas.width * 4, true);
    update_source_rgba32(e);
}

}  // namespace

double photo_pop_saturation_factor(double saturation) noexcept
{
    return saturation > 50 ? (saturation - 50) * 0.02 * 2 + 1 : saturation * 0.02 * 3 - 2;
}

int photo_pop(int contrast, double saturation, int extraContrast) noexcept
{
    return guarded("IPLPhotoPop Excpt", 0, [&] {
        Engine& e = engine();
        if (!canvas_rgba32(e, e.ipl.src32) || !canvas_rgba32(e, e.ipl.dst32.write())) return 0;
        const int W = e.canvas.width, H = e.canvas.height;
        sharpen_current_layer(e);
        update_source_rgba32(e);
        std::uint8_t* dst = canvas_rgba32(e, e.ipl.dst32.write());
        if ((extraContrast & 0xFF) == 1) hyper_contrast(e, dst, 1);
        hyper_contrast(e, dst, contrast);
        update_source_rgba32(e);
        std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
        const int ok = il::modify_saturation(src, W, H, 4, W * 4, photo_pop_saturation_factor(saturation));
        if (ok) core::load_rgba32_into_current(e, src, W * 4, true);
        return ok;
    });
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API int MVE_IPLPhotoPop(int contrast, double saturation, int extraContrast)
{
    return ipl::photo_pop(contrast, saturation, extraContrast);
}

}  // extern "C"
