// Demo: compositing. Adds a "Layer Mask" over layer 4 and an alpha-mode
// layer to the stack of the canvas step, composites the visible layers with
// MVE_Merge and writes the result as composite.png.
#include <cmath>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

bool compositing(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    if (!check(w > 0 && h > 0, "canvas from the canvas step")) return false;
    const std::size_t values = static_cast<std::size_t>(w) * h * 4;
    std::vector<unsigned short> plane(values, 0);

    // Layer 5: a horizontal grey ramp masking layer 4 ("Screen") beneath it.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned short* p = &plane[(static_cast<std::size_t>(y) * w + x) * 4];
            const unsigned short g = static_cast<unsigned short>(x * 65535 / (w - 1));
            p[0] = p[1] = p[2] = g, p[3] = 0xFFFF;
        }
    if (!check(MVE_CreateLayer(5, w, h) == 1, "mask layer")) return false;
    MVE_SetLayerData(plane.data(), 5);
    const int maskMode = MVE_SetLayerOptions(5, 1, 0, 100, "Layer Mask");

    // Layer 6: a soft disc drawn in "Alpha Shader": its alpha becomes grey at the alpha-layer opacity.
    std::fill(plane.begin(), plane.end(), 0);
    const double cx = w * 0.75, cy = h * 0.3, r = h * 0.25;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = 1 - std::hypot(x - cx, y - cy) / r;
            if (t <= 0) continue;
            unsigned short* p = &plane[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = p[1] = p[2] = 0x8000;
            p[3] = static_cast<unsigned short>(std::min(1.0, t * 1.5) * 65535);
        }
    if (!check(MVE_CreateLayer(6, w, h) == 1, "alpha-mode layer")) return false;
    MVE_SetLayerData(plane.data(), 6);
    MVE_SetAlphaLayerOpacity(60);
    const int alphaMode = MVE_SetLayerOptions(6, 1, 0, 100, "Alpha Shader");
    say("layer 5 \"Layer Mask\" (mode %d) over layer 4, layer 6 \"Alpha Shader\" (mode %d), %d layers",
        maskMode, alphaMode, MVE_GetLayerCount());

    std::vector<unsigned short> composite(values, 0), plain(values, 0);
    const auto at = [&](const std::vector<unsigned short>& img, int x, int y, int c) {
        return img[(static_cast<std::size_t>(y) * w + x) * 4 + c];
    };
    // (65, 120): red layer 2 under green "Screen" layer 4, where the mask ramp is dark (about 0.2).
    MVE_SetLayerOptions(5, 0, 0, 100, "Layer Mask");
    MVE_SetLayerOptions(6, 0, 0, 100, "Alpha Shader");
    MVE_Merge(plain.data());
    MVE_SetLayerOptions(5, 1, 0, 100, "Layer Mask");
    MVE_SetLayerOptions(6, 1, 0, 100, "Alpha Shader");
    MVE_Merge(composite.data());
    say("at (65,120) green %u unmasked, %u masked; at the disc centre red %u without, %u with the alpha "
        "layer",
        at(plain, 65, 120, 1), at(composite, 65, 120, 1), at(plain, int(cx), int(cy), 0),
        at(composite, int(cx), int(cy), 0));
    if (!check(at(composite, 65, 120, 1) < at(plain, 65, 120, 1) && at(composite, 65, 120, 3) == 0xFFFF,
               "the mask weakens the layer beneath it"))
        return false;
    if (!check(at(composite, int(cx), int(cy), 0) != at(plain, int(cx), int(cy), 0),
               "alpha-mode layer shows"))
        return false;

    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < values; ++i) rgba[i] = static_cast<unsigned char>(composite[i] >> 8);
    const std::string path = ctx.outDir + "/composite.png";
    if (!check(write_png(path, rgba.data(), w, h, 4), "write composite.png")) return false;
    say("wrote %s", path.c_str());
    return true;
}

}  // namespace

MVE_DEMO_STEP(200, "compositing", compositing);
