// Demo: the undo store. Paints three changes into the current layer, saves a
// step after each, undoes and redoes them and checks that the canvas comes
// back exactly; prints the counts and the memory the store holds.
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;
using Plane = std::vector<unsigned short>;

Plane read_layer(const DemoContext& ctx, int index)
{
    Plane p(static_cast<std::size_t>(ctx.width) * ctx.height * 4);
    MVE_GetLayerData(p.data(), index);
    return p;
}

// A filled disc of one colour, written through the layer's raw RGBA64 data.
void paint_disc(Plane& p, int width, int cx, int cy, int r, unsigned short red, unsigned short green,
                unsigned short blue)
{
    const int height = static_cast<int>(p.size() / 4 / static_cast<std::size_t>(width));
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height || (x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r)
                continue;
            unsigned short* px = &p[(static_cast<std::size_t>(y) * width + x) * 4];
            px[0] = red, px[1] = green, px[2] = blue, px[3] = 0xFFFF;
        }
}

bool write_layer_png(const DemoContext& ctx, const Plane& p, const char* name)
{
    std::vector<unsigned char> rgb(p.size() / 4 * 3);
    for (std::size_t i = 0; i < p.size() / 4; ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = static_cast<unsigned char>(p[i * 4 + c] >> 8);
    const std::string path = ctx.outDir + "/" + name;
    say("wrote %s", path.c_str());
    return check(write_png(path, rgb.data(), ctx.width, ctx.height, 3), name);
}

bool undo_and_redo(DemoContext& ctx)
{
    const int layer = MVE_GetLayerNum();
    MVE_SetUndoLevels(20);
    MVE_SetUndoMB(64);
    say("undo levels 20, budget %d MB, usage %d MB (the back buffer)", MVE_GetTotalUndoMemory(),
        MVE_GetCurrentUndoMemory());

    std::vector<Plane> states{read_layer(ctx, layer)};
    const struct {
        int cx, cy, r;
        unsigned short red, green, blue;
    } discs[] = {{80, 60, 40, 0xFF00, 0xD000, 0x1000}, {200, 110, 55, 0x1000, 0x8000, 0xF000},
                 {140, 150, 30, 0x9000, 0x1000, 0xA000}};
    for (const auto& d : discs) {
        Plane p = states.back();
        paint_disc(p, ctx.width, d.cx, d.cy, d.r, d.red, d.green, d.blue);
        MVE_SetLayerData(p.data(), layer);
        // A whole-layer write: the whole canvas is the changed rectangle.
        MVE_InvalidateDirtyUndoCanvas();
        MVE_SaveUndoBuffer(1, 1);
        states.push_back(read_layer(ctx, layer));
    }
    // Each whole-canvas step holds width x height x 10 bytes (pixels and mask).
    say("3 steps of %d KB saved: undo count %d, redo count %d, usage %d MB", ctx.width * ctx.height * 10 / 1024,
        MVE_GetUndoCount(), MVE_GetRedoCount(), MVE_GetCurrentUndoMemory());
    if (!check(MVE_GetUndoCount() == 3 && MVE_CanUndo() == 1, "three steps held")) return false;
    if (!write_layer_png(ctx, states.back(), "undo_painted.png")) return false;

    for (int i = 2; i >= 0; --i) {
        MVE_Undo();
        if (!check(read_layer(ctx, layer) == states[static_cast<std::size_t>(i)], "undo restores the layer exactly"))
            return false;
    }
    say("undid 3 steps: layer equals the original bit for bit; can undo %d, redo count %d", MVE_CanUndo(),
        MVE_GetRedoCount());
    if (!write_layer_png(ctx, read_layer(ctx, layer), "undo_undone.png")) return false;

    for (int i = 1; i <= 2; ++i) {
        MVE_Redo();
        if (!check(read_layer(ctx, layer) == states[static_cast<std::size_t>(i)], "redo restores the layer exactly"))
            return false;
    }
    say("redid 2 steps: layer equals the painted state after 2 discs; redo count %d", MVE_GetRedoCount());

    // A new change abandons the remaining redo step.
    Plane p = read_layer(ctx, layer);
    paint_disc(p, ctx.width, 260, 40, 25, 0x2000, 0xE000, 0x2000);
    MVE_SetLayerData(p.data(), layer);
    MVE_InvalidateDirtyUndoCanvas();
    MVE_SaveUndoBuffer(1, 1);
    say("new step after redo: undo count %d, redo count %d, usage %d MB", MVE_GetUndoCount(), MVE_GetRedoCount(),
        MVE_GetCurrentUndoMemory());
    if (!check(MVE_GetUndoCount() == 3 && MVE_GetRedoCount() == 0, "abandoned redo step freed")) return false;
    if (!write_layer_png(ctx, p, "undo_branched.png")) return false;
    MVE_ClearUndo();
    say("cleared: undo count %d, usage %d MB", MVE_GetUndoCount(), MVE_GetCurrentUndoMemory());
    return check(MVE_CanUndo() == 0, "history cleared");
}

}  // namespace

MVE_DEMO_STEP(300, "undo and redo", undo_and_redo);
