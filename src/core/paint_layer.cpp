// The PaintLayer: the stroke's wet paint before it is merged into a layer.
#include <algorithm>
#include <cstring>
#include <utility>

#include "core/blend_modes.h"
#include "core/guard.h"
#include "core/layers.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

void set_empty_extents(CoreState& e) noexcept
{
    int* ext = e.layers.paint.extents;
    ext[0] = e.canvas.width;
    ext[1] = e.canvas.height;
    ext[2] = 0;
    ext[3] = 0;
}

}  // namespace

namespace core {

void clear_paint_layer(CoreState& e) noexcept
{
    LayerRecord& paint = e.layers.paint;
    if (!paint.present()) return;
    std::memset(paint.pixels.begin_write(), 0, paint.pixels.bytes());
    set_empty_extents(e);
}

int create_paint_layer(CoreState& e, int opacityPercent, int levelPercent, const char* modeName) noexcept
{
    LayerRecord& paint = e.layers.paint;
    if (!paint.present()) {
        paint.width = e.canvas.width;
        paint.height = e.canvas.height;
        paint.stride = paint.width * 4;
        const std::size_t values = static_cast<std::size_t>(paint.width) * paint.height * 4;
        if (paint.pixels.allocate(values)) clear_paint_layer(e);
    }
    store_mode_name(paint, modeName);
    paint.visible = 1;
    paint.lockAlpha = 0;
    paint.opacity = static_cast<std::uint16_t>(static_cast<int>(opacityPercent * 2.56));
    paint.level = static_cast<std::uint16_t>(static_cast<int>(levelPercent * 2.559));
    paint.blendMode = blend_mode_from_name(modeName);
    return paint.blendMode;
}

void clear_paint_layer_old(CoreState& e) noexcept
{
    LayerRecord& paint = e.layers.paint;
    if (!paint.present()) return;
    const LayerRows rows = paint.begin_write();
    std::memset(rows.data, 0xFF, paint.pixels.bytes());
    // Only the part of the extents that lies on the plane is cleared.
    const int x0 = std::max(paint.extents[0], 0), y0 = std::max(paint.extents[1], 0);
    const int x1 = std::min(paint.extents[2], paint.width), y1 = std::min(paint.extents[3], paint.height);
    for (int y = y0; y < y1; ++y)
        if (x1 > x0) std::memset(rows.row(y) + x0 * 4, 0, static_cast<std::size_t>(x1 - x0) * 8);
    set_empty_extents(e);
}

void set_paint_layer_extents(CoreState& e, int x0, int y0, int x1, int y1) noexcept
{
    int* ext = e.layers.paint.extents;
    ext[0] = x0;
    ext[1] = y0;
    ext[2] = x1;
    ext[3] = y1;
}

void swap_paint_layer(CoreState& e, int index) noexcept
{
    if (LayerRecord* layer = layer_at(e, index)) {
        std::swap(e.layers.paint, *layer);
        recount_layers(e.layers);
    }
}

}  // namespace core

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_ClearPaintLayer(void)
{
    core::clear_paint_layer(core_state());
}

MVE_API int MVE_CreatePaintLayer(int opacityPercent, int levelPercent, const char* modeName)
{
    return core::create_paint_layer(core_state(), opacityPercent, levelPercent, modeName);
}

MVE_API void MVE_ClearPaintLayer_old(void)
{
    core::clear_paint_layer_old(core_state());
}

MVE_API void MVE_DeletePaintLayer(void)
{
    core_state().layers.paint.pixels.reset();
}

MVE_API void MVE_SetPaintLayerExtents(int x0, int y0, int x1, int y1)
{
    core::set_paint_layer_extents(core_state(), x0, y0, x1, y1);
}

MVE_API void MVE_SwapPaintLayer(int index)
{
    core::swap_paint_layer(core_state(), index);
}

}  // extern "C"
