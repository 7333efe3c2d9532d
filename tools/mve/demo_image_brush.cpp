// Demo: picture brushes. On a fresh transparent layer over the painting of
// the previous step it paints three strokes whose dabs take their colours
// from an image brush: the leaf picture loaded from the assets, a strip
// brush whose frame follows the position along the stroke, and the leaf
// turned to the direction of travel at every dab. Each dab loads the brush
// into the BlendBuffer; pick-up with image-brush mode then paints the
// picture's colours with its alpha as coverage. Writes image_brush_strokes.png.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"
#include "paint_host.h"

#ifndef MVE_DEMO_ASSET_DIR
#define MVE_DEMO_ASSET_DIR "tools/mve/assets"
#endif

namespace {

using namespace mve_host;

constexpr int kLeafLayer = 4;
// The leaf picture lies along its diagonal, stem top left, pointing down and
// right: 45 degrees in canvas terms (0 = right, 90 = down).
constexpr int kLeafAxis = 45;

// The assets beside the sources, or the directory named by MVE_DEMO_ASSETS.
bool asset(const char* name, std::string& path)
{
    const char* dir = std::getenv("MVE_DEMO_ASSETS");
    path = std::string(dir && *dir ? dir : MVE_DEMO_ASSET_DIR) + "/" + name;
    struct stat st;
    return check(stat(path.c_str(), &st) == 0, ("asset " + path).c_str());
}

// Pick-up of the whole BlendBuffer (strength 256) through a hard round shape;
// image-brush mode scales coverage by the picture's alpha.
void set_picture_tool(int size)
{
    MVE_SetSize(size);
    MVE_SetTool(1.0f, 0, 0, 0, 0, 0, 8, 256, 0, 0, 0, 0, 0, "", "", 0);
    MVE_SetImageBrushMode(1);
}

long long alpha_sum(const DemoContext& ctx)
{
    long long sum = 0;
    const auto plane = read_layer(ctx, kLeafLayer);
    for (std::size_t i = 3; i < plane.size(); i += 4) sum += plane[i];
    return sum;
}

// Merges the stroke, records it, and reports whether it added paint.
bool finish(const DemoContext& ctx, const char* what, int dabs, long long& lastAlpha)
{
    MVE_MergePaintLayer(kLeafLayer);
    MVE_SaveUndoBuffer(1, 0);
    const long long now = alpha_sum(ctx);
    say("%s: %d dabs, layer alpha grew by %lld pixels' worth", what, dabs, (now - lastAlpha) / 65535);
    const bool grew = now > lastAlpha;
    lastAlpha = now;
    return check(grew, what);
}

bool image_brush_strokes(DemoContext& ctx)
{
    std::string leaf, strip;
    if (!asset("leaf_brush.png", leaf) || !asset("strip_brush.png", strip)) return false;
    if (!check(MVE_CreateLayer(kLeafLayer, ctx.width, ctx.height) == 1, "leaf layer")) return false;
    MVE_SetLayerOptions(kLeafLayer, 1, 0, 100, "Normal");
    MVE_SetLayer(kLeafLayer);
    MVE_ClearUndo();
    MVE_CreatePaintLayer(100, 100, "Normal");
    long long alpha = alpha_sum(ctx);

    // 1. The leaf picture, growing along a gentle arc.
    StrokeStyle leafStyle;
    leafStyle.size = 64, leafStyle.spacing = 0.7, leafStyle.minSize = 0.4;
    set_picture_tool(leafStyle.size);
    MVE_LoadImageBrush(leaf.c_str());
    int n = draw_stroke({{40, 330, 0}, {200, 280, 0.6}, {360, 320, 1}}, leafStyle, {0, 0, 0},
                        [](const StrokeDab&, int, int) { MVE_CopyFromImageBrush(0); });
    if (!finish(ctx, "leaf brush stroke", n, alpha)) return false;

    // 2. The strip: frame trunc(frames * t) at arc fraction t, so the frames
    //    run from first to last along the stroke.
    StrokeStyle stripStyle;
    stripStyle.size = 56, stripStyle.spacing = 0.8;
    set_picture_tool(stripStyle.size);
    MVE_LoadImageBrushArray(strip.c_str());
    n = draw_stroke({{40, 230, 1}, {320, 200, 1}, {600, 240, 1}}, stripStyle, {0, 0, 0},
                    [](const StrokeDab& dab, int, int) {
                        MVE_CopyFromImageBrushArray(static_cast<float>(std::min(dab.t, 0.999)));
                        MVE_CopyFromImageBrush(0);
                    });
    if (!finish(ctx, "strip brush stroke", n, alpha)) return false;

    // 3. The leaf turned to the direction of travel on an S-curve.
    StrokeStyle turnStyle;
    turnStyle.size = 48, turnStyle.spacing = 0.9;
    set_picture_tool(turnStyle.size);
    MVE_LoadImageBrush(leaf.c_str());
    MVE_SizeImageBrush();
    n = draw_stroke({{420, 380, 1}, {470, 300, 1}, {560, 260, 1}, {600, 150, 1}, {540, 60, 1}, {440, 40, 1}},
                    turnStyle, {0, 0, 0}, [](const StrokeDab& dab, int, int) {
                        // Clockwise turn that brings the leaf's axis onto the direction of travel.
                        const int turn = static_cast<int>(std::lround(dab.angle)) - kLeafAxis;
                        const int degrees = (turn % 360 + 360) % 360;
                        MVE_RotateImageBrush(degrees);
                        MVE_CopyFromImageBrushRotate(0);
                    });
    if (!finish(ctx, "rotated leaf stroke", n, alpha)) return false;

    MVE_DeletePaintLayer();
    MVE_SetImageBrushMode(0);
    MVE_SetBlendStrength(0);
    say("undo steps on layer %d: %d", kLeafLayer, MVE_GetUndoCount());
    if (!check(MVE_GetUndoCount() == 3, "one undo step per picture stroke")) return false;
    return write_composite(ctx, "image_brush_strokes.png");
}

}  // namespace

MVE_DEMO_STEP(860, "painting with picture brushes", image_brush_strokes);
