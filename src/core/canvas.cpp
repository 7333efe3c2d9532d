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

namespace {

// Records the amount and, when it is positive, refills the variation table
// (maximum brush size * 3 bytes) from the current seed; the table's length,
// or the amount itself when nothing varies.
int set_variation(CoreState& e, int& amount, RandomByteTable& table, int modulus, int value) noexcept
{
    amount = value;
    if (value <= 0) return value;
    fill_random_table(table, modulus, e.canvas.maxBrushSize * 3, e.random.seed);
    return table.length;
}

}  // namespace

int set_pix_color_vary(CoreState& e, int amount) noexcept
{
    return set_variation(e, e.random.colourVaryAmount, e.random.colourVariation, 1000, amount);
}

int set_pix_lum_vary(CoreState& e, int amount) noexcept
{
    return set_variation(e, e.random.lumVaryAmount, e.random.lumVariation, 256, amount);
}

}  // namespace mve::core

using namespace mve;

extern "C" {

MVE_API int MVE_SetPixColorVary(int amount)
{
    return core::set_pix_color_vary(core_state(), amount);
}

MVE_API int MVE_SetPixLumVary(int amount)
{
    return core::set_pix_lum_vary(core_state(), amount);
}

}  // extern "C"
