// Demo: compositions and the engine's own blocks run through the effect
// dispatcher on layer 2 of the demo canvas, each from the same start and
// written out as a picture of the layer.
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

struct DispatchStep {
    const char* name;
    int p[6];
    int i[8];
    int rgb[3];
    const char* file;
};

bool dispatched_effects(DemoContext& ctx)
{
    if (!check(ctx.width > 0 && ctx.height > 0 && !MVE_IsLayerTransparent(2), "layer 2 of the earlier steps")) return false;
    const int W = ctx.width, H = ctx.height;
    MVE_SetLayer(2);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    std::vector<unsigned char> start(static_cast<std::size_t>(W) * H * 4), out(start.size());
    MVE_GetRGBA32(start.data(), W * 4);
    const DispatchStep steps[] = {
        {"Charcoal", {300, 900}, {}, {}, "dispatch_charcoal.png"},
        {"Glow", {300, 900}, {0, 0, 1}, {}, "dispatch_glow.png"},
        {"Drop Shadow", {540, 560, 100, 700}, {}, {20, 20, 60}, "dispatch_drop_shadow.png"},
        {"Perspective", {500, 200, 500, 800}, {}, {}, "dispatch_perspective.png"},
        {"Reduce", {500}, {1, 1}, {}, "dispatch_reduce.png"},
        {"Gaussian Blur", {110}, {}, {}, "dispatch_gaussian_blur.png"},
    };
    for (const DispatchStep& s : steps) {
        MVE_LoadRGBA32(start.data(), W * 4, 0);
        MVE_IPLUpdateSrcBuffer32();
        const int ran = MVE_IPLImageProcess(0, s.name, 1, s.p[0], s.p[1], s.p[2], s.p[3], s.p[4], s.p[5], s.i[0],
                                            s.i[1], s.i[2], s.i[3], s.i[4], s.i[5], s.i[6], s.i[7], s.rgb[0],
                                            s.rgb[1], s.rgb[2], nullptr);
        if (!check(ran == 1, s.name)) return false;
        MVE_GetRGBA32(out.data(), W * 4);
        if (!check(out != start, "the effect changed the layer")) return false;
        const std::string path = ctx.outDir + "/" + s.file;
        if (!check(write_png(path, out.data(), W, H, 4), s.file)) return false;
        say("\"%s\" -> %s", s.name, path.c_str());
    }
    MVE_LoadRGBA32(start.data(), W * 4, 0);
    return true;
}

}  // namespace

MVE_DEMO_STEP(710, "effects through the dispatcher", dispatched_effects);
