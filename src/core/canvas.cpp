// The canvas size and what core keeps per canvas: the random tables, the
// texture plane and the PaintLayer. The lifecycle exports that run every
// subsystem's part are in engine/lifecycle.cpp.
#include "core/canvas.h"

#include "core/guard.h"
#include "core/layers.h"
#include "core/texture.h"
#include "morvane/morvane.h"

namespace mve::core {

namespace {

// A negative size or one above 10000 falls back to 100 (it is not clamped to 10000).
int clamp_canvas_size(int v) noexcept { return (v < 0 || v > 10000) ? 100 : v; }

}  // namespace

void store_canvas_size(CoreState& e, void* window, int width, int height, int maxBrush, int option) noexcept
{
    CanvasState& c = e.canvas;
    c.hostWindow = window;
    c.width = clamp_canvas_size(width);
    c.height = clamp_canvas_size(height);
    c.rowBytes32 = c.width * 4;
    c.maxBrushSize = maxBrush;
    c.maxBrushSize4 = maxBrush * 4;
    c.creationOption = option;
}

void drop_layer_planes(CoreState& e) noexcept
{
    for (auto& layer : e.layers.table) layer.pixels.reset();
    e.layers.current = nullptr;
}

void on_canvas_created(CoreState& e)
{
    fill_tool_tables(e.random);
}

void on_canvas_released(CoreState& e) noexcept
{
    delete_texture(e);
    e.layers.paint.pixels.reset();
}

}  // namespace mve::core

using namespace mve;

extern "C" {

MVE_API int MVE_SetPixColorVary(int amount)
{
    CoreState& e = core_state();
    e.random.colourVaryAmount = amount;
    if (amount <= 0) return amount;
    fill_random_table(e.random.colourVariation, 1000, e.canvas.maxBrushSize * 3, e.random.seed);
    return e.random.colourVariation.length;
}

MVE_API int MVE_SetPixLumVary(int amount)
{
    CoreState& e = core_state();
    e.random.lumVaryAmount = amount;
    if (amount <= 0) return amount;
    fill_random_table(e.random.lumVariation, 256, e.canvas.maxBrushSize * 3, e.random.seed);
    return e.random.lumVariation.length;
}

}  // extern "C"
