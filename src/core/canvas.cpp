// Canvas lifecycle: creation, resize and deletion of every size-dependent plane.
#include <cstring>

#include "core/engine.h"
#include "core/guard.h"
#include "core/lifecycle.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/texture.h"
#include "undo/undo_store.h"

namespace mve {

namespace {

// A negative size or one above 10000 falls back to 100 (it is not clamped to 10000).
int clamp_canvas_size(int v) noexcept { return (v < 0 || v > 10000) ? 100 : v; }

void store_size(Engine& e, void* window, int width, int height, int maxBrush, int option) noexcept
{
    CanvasState& c = e.canvas;
    c.hostWindow = window;
    c.width = width;
    c.height = height;
    c.rowBytes32 = width * 4;
    c.maxBrushSize = maxBrush;
    c.maxBrushSize4 = maxBrush * 4;
    c.creationOption = option;
    e.view.scaleFactor = 1;
    e.view.scaleStep = 1.0f;
    e.view.offsetX = 0;
    e.view.offsetY = 0;
}

std::size_t square(int n) noexcept
{
    const std::size_t s = n > 0 ? static_cast<std::size_t>(n) : 0;
    return s * s;
}

// Steps 5 to 10 of canvas creation: the planes and tables every canvas has.
void build_size_dependent(Engine& e)
{
    const int m = e.canvas.maxBrushSize;
    for (auto& grit : e.paint.gritPatterns) require(grit.allocate(square(m + 25)));
    require(e.paint.brushShape.allocate(square(m)));
    set_blend_buffer_count(e, 1);

    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    require(e.mask.plane.allocate(pixels));
    std::memset(e.mask.plane.data(), 0xFF, e.mask.plane.bytes());
    e.mask.strideBytes = e.canvas.width * 2;
    e.mask.enabled = 1;
    e.view.tracingMode = 0;

    require(allocate_underlayer(e));
    MVE_ClearUndo();
    e.undo.usageKB = underlayer_usage_kb(e.canvas);
    fill_tool_tables(e.random);
    e.ipl.release_processing();
}

// Frees what a size change or deletion frees before the layers are touched.
void release_size_dependent(Engine& e)
{
    e.mask.plane.reset();
    delete_texture(e);
    release_undo_planes(e);
    MVE_ClearUndo();
    e.undo.usageKB = 0;
    set_blend_buffer_count(e, 0);
    e.layers.paint.pixels.reset();
    e.paint.brushShape.reset();
    release_shape_cache(e);
    for (auto& grit : e.paint.gritPatterns) grit.reset();
}

}  // namespace

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_CreateImage(void* hostWindow, int width, int height, int maxBrushSize, int creationOption)
{
    guarded("CreateImage Excpt", [&] {
        Engine& e = engine();
        store_size(e, hostWindow, clamp_canvas_size(width), clamp_canvas_size(height), maxBrushSize,
                   creationOption);
        for (auto& layer : e.layers.table) layer.pixels.reset();
        e.layers.current = nullptr;
        build_size_dependent(e);
    });
}

MVE_API void MVE_NewSize(void* hostWindow, int width, int height, int maxBrushSize, int creationOption)
{
    guarded("NewSize Excpt", [&] {
        Engine& e = engine();
        release_size_dependent(e);
        e.ipl.release_processing();
        store_size(e, hostWindow, clamp_canvas_size(width), clamp_canvas_size(height), maxBrushSize,
                   creationOption);
        build_size_dependent(e);
    });
}

MVE_API void MVE_DeleteImage(void)
{
    guarded("DeleteImage Excpt", [] {
        Engine& e = engine();
        release_size_dependent(e);
        for (int i = 0; i < kLayerCount; ++i) MVE_DeleteLayer(i);
        e.ipl.release_processing();
    });
}

MVE_API int MVE_SetPixColorVary(int amount)
{
    Engine& e = engine();
    e.random.colourVaryAmount = amount;
    if (amount <= 0) return amount;
    fill_random_table(e.random.colourVariation, 1000, e.canvas.maxBrushSize * 3, e.random.seed);
    return e.random.colourVariation.length;
}

MVE_API int MVE_SetPixLumVary(int amount)
{
    Engine& e = engine();
    e.random.lumVaryAmount = amount;
    if (amount <= 0) return amount;
    fill_random_table(e.random.lumVariation, 256, e.canvas.maxBrushSize * 3, e.random.seed);
    return e.random.lumVariation.length;
}

}  // extern "C"
