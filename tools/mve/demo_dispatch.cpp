// Demo: compositions and the engine's own blocks run through the effect
// dispatcher on a scratch layer holding the composite of the demo canvas,
// each from the same start and written out as a picture of the layer. The
// scratch layer is deleted again and layer 1 made current.
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
    if (!check(ctx.width > 0 && ctx.height > 0, "a canvas from the earlier steps")) return false;
    const int W = ctx.width, H = ctx.height;
    constexpr int kScratch = 260;
    std::vector<unsigned short> composite(static_cast<std::size_t>(W) * H * 4);
    MVE_Merge(composite.data());
    std::vector<unsigned char> start(composite.size()), out(start.size());
    for (std::size_t k = 0; k < composite.size(); ++k)
        start[k] = static_cast<unsigned char>(composite[k] >> 8);
    // A transparent frame around the picture, where a drop shadow can show.
    constexpr int kFrame = 24;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (x < kFrame || y < kFrame || x >= W - kFrame || y >= H - kFrame)
                for (int c = 0; c < 4; ++c) start[(static_cast<std::size_t>(y) * W + x) * 4 + c] = 0;
    if (!check(MVE_CreateLayer(kScratch, W, H) == 1, "scratch layer")) return false;
    MVE_SetLayer(kScratch);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    const DispatchStep steps[] = {
        {"Charcoal", {300, 900}, {}, {}, "dispatch_charcoal.png"},
        {"Glow", {300, 900}, {0, 0, 1}, {}, "dispatch_glow.png"},
        {"Drop Shadow", {540, 560, 100, 700}, {}, {20, 20, 60}, "dispatch_drop_shadow.png"},
        {"Perspective", {500, 200, 500, 800}, {}, {}, "dispatch_perspective.png"},
        {"Reduce", {500}, {1, 1}, {}, "dispatch_reduce.png"},
        {"Gaussian Blur", {110}, {}, {}, "dispatch_gaussian_blur.png"},
    };
    bool ok = true;
    for (const DispatchStep& s : steps) {
        MVE_LoadRGBA32(start.data(), W * 4, 0);
        MVE_IPLUpdateSrcBuffer32();
        const int ran = MVE_IPLImageProcess(0, s.name, 1, s.p[0], s.p[1], s.p[2], s.p[3], s.p[4], s.p[5],
                                            s.i[0], s.i[1], s.i[2], s.i[3], s.i[4], s.i[5], s.i[6], s.i[7],
                                            s.rgb[0], s.rgb[1], s.rgb[2], nullptr);
        MVE_GetRGBA32(out.data(), W * 4);
        const std::string path = ctx.outDir + "/" + s.file;
        ok = check(ran == 1, s.name) && check(out != start, "the effect changed the layer") &&
             check(write_png(path, out.data(), W, H, 4), s.file);
        if (!ok) break;
        say("\"%s\" -> %s", s.name, path.c_str());
    }
    MVE_DeleteLayer(kScratch);
    MVE_SetLayer(1);
    return ok;
}

}  // namespace

MVE_DEMO_STEP(710, "effects through the dispatcher", dispatched_effects);
