// Demo: the canvas, the layer stack and the PaintLayer.
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

// Fills a rectangle of a layer through its raw RGBA64 data.
void fill_rect(std::vector<unsigned short>& plane, int width, int x0, int y0, int x1, int y1,
               unsigned short r, unsigned short g, unsigned short b, unsigned short a)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            unsigned short* p = &plane[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = r, p[1] = g, p[2] = b, p[3] = a;
        }
}

bool canvas_and_layers(DemoContext& ctx)
{
    ctx.width = 320;
    ctx.height = 200;
    MVE_CreateImage(nullptr, ctx.width, ctx.height, 128, 0);
    say("canvas %dx%d, undo usage %d MB, layers %d", ctx.width, ctx.height, MVE_GetCurrentUndoMemory(),
        MVE_GetLayerCount());
    if (!check(MVE_CreateLayer(1, ctx.width, ctx.height) == 1, "background layer")) return false;
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    // Three colour layers over the white background.
    const struct {
        int index, x0, y0, x1, y1;
        unsigned short r, g, b;
        const char* mode;
    } layers[] = {
        {2, 20, 20, 180, 140, 0xFF00, 0x2000, 0x2000, "Normal"},
        {3, 120, 60, 300, 180, 0x2000, 0x4000, 0xFF00, "Multiply"},
        {4, 60, 100, 240, 190, 0x2000, 0xC000, 0x3000, "Screen"},
    };
    std::vector<unsigned short> plane(static_cast<std::size_t>(ctx.width) * ctx.height * 4);
    for (const auto& l : layers) {
        if (!check(MVE_CreateLayer(l.index, ctx.width, ctx.height) == 1, "colour layer")) return false;
        std::fill(plane.begin(), plane.end(), 0);
        fill_rect(plane, ctx.width, l.x0, l.y0, l.x1, l.y1, l.r, l.g, l.b, 0xFFFF);
        MVE_SetLayerData(plane.data(), l.index);
        int mode = MVE_SetLayerOptions(l.index, 1, 0, 100, l.mode);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        MVE_FindDataExtentsLayer(l.index, &x0, &y0, &x1, &y1);
        say("layer %d \"%s\" (mode %d): paint in (%d,%d)-(%d,%d), transparent %d", l.index, l.mode, mode, x0,
            y0, x1, y1, MVE_IsLayerTransparent(l.index));
        if (!check(x0 == l.x0 && y1 == l.y1 - 1, "extents")) return false;
    }
    MVE_SetLayer(2);
    int mode = MVE_CreatePaintLayer(80, 100, "Normal");
    MVE_SwapLayers(3, 4);
    MVE_SwapLayers(3, 4);
    say("current layer %d, %d layers, PaintLayer mode %d, background single colour %d", MVE_GetLayerNum(),
        MVE_GetLayerCount(), mode, MVE_IsSingleColor(1));
    return check(MVE_IsSingleColor(1) == 1 && MVE_GetLayerCount() == 4, "layer stack");
}

// Writes the topmost colour of every pixel (a plain paint-over of the layer
// stack, without blend modes), so the stack can be seen before compositing exists.
bool write_stack_preview(DemoContext& ctx)
{
    const std::size_t count = static_cast<std::size_t>(ctx.width) * ctx.height;
    std::vector<unsigned short> plane(count * 4);
    std::vector<unsigned char> rgb(count * 3, 0);
    for (int index = 1; index <= 4; ++index) {
        MVE_GetLayerData(plane.data(), index);
        for (std::size_t i = 0; i < count; ++i)
            if (plane[i * 4 + 3] >= 0x8000)
                for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = static_cast<unsigned char>(plane[i * 4 + c] >> 8);
    }
    std::string path = ctx.outDir + "/layers.png";
    say("wrote %s", path.c_str());
    return check(write_png(path, rgb.data(), ctx.width, ctx.height, 3), "write layers.png");
}

}  // namespace

MVE_DEMO_STEP(100, "canvas and layer stack", canvas_and_layers);
MVE_DEMO_STEP(190, "layer stack preview", write_stack_preview);
