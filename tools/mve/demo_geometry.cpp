// Demo: document geometry. Resizes the document with two filters, turns it,
// crops it, puts it back on a full page and pans one layer; each stage is
// written as a picture of the composite. The document ends at its old size
// so the later steps find the canvas they expect.
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

// Layers change size first; the canvas follows, as a host does.
void follow(DemoContext& ctx, int width, int height)
{
    ctx.width = width;
    ctx.height = height;
    MVE_NewSize(nullptr, width, height, 128, 0);
    MVE_SetLayer(2);
}

// True when the layer still holds visible paint somewhere.
bool layer_has_paint(int index)
{
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    MVE_FindDataExtentsLayer(index, &x0, &y0, &x1, &y1);
    return x1 >= x0 && y1 >= y0;
}

bool geometry(DemoContext& ctx)
{
    const int w = ctx.width, h = ctx.height;
    MVE_IPLInit(0);

    MVE_IPLResize(w * 3 / 2, h * 3 / 2, "Lanczos3");
    follow(ctx, w * 3 / 2, h * 3 / 2);
    say("resized to %dx%d with Lanczos3", ctx.width, ctx.height);
    if (!write_composite(ctx, "geometry_lanczos3.png")) return false;

    MVE_IPLResize(w, h, "Mitchell");
    follow(ctx, w, h);
    say("resized back to %dx%d with Mitchell (ImageMagick)", ctx.width, ctx.height);
    if (!write_composite(ctx, "geometry_mitchell.png")) return false;

    MVE_IPLRotateRight();
    follow(ctx, h, w);
    if (!write_composite(ctx, "geometry_rotated.png")) return false;
    MVE_IPLRotateLeft();
    follow(ctx, w, h);
    say("turned a quarter right and back");

    const int left = w / 8, top = h / 10, right = w - w / 8, bottom = h - h / 10;
    MVE_IPLCrop(left, top, right, bottom);
    follow(ctx, right - left, bottom - top);
    say("cropped to (%d,%d)-(%d,%d): %dx%d", left, top, right, bottom, ctx.width, ctx.height);
    if (!write_composite(ctx, "geometry_cropped.png")) return false;

    MVE_IPLResizePage(w, h, "MC", 255, 255, 255);
    follow(ctx, w, h);
    say("back on a %dx%d page, anchored in the middle", w, h);
    if (!write_composite(ctx, "geometry_page.png")) return false;

    // Pan layer 2 by a quarter of the width, wrapping around.
    MVE_SetLayer(2);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_IPLPan(w / 4, h / 8, 1, 0, 0, 0, 0, false);
    MVE_IPLFreeSrcBuffer32();
    MVE_IPLFreeDstBuffer32();
    say("panned layer 2 by (%d,%d) with wrap-around", w / 4, h / 8);
    if (!write_composite(ctx, "geometry_panned.png")) return false;
    return check(layer_has_paint(2) && MVE_GetLayerCount() >= 4, "layers survive the geometry");
}

}  // namespace

MVE_DEMO_STEP(600, "document geometry", geometry);
