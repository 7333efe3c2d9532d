// Questions about a layer's contents: extents, transparency, single colour.
#include "core/layer_queries.h"

#include <algorithm>
#include <cstring>

#include "core/layers.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

struct Box {
    int x0, y0, x1, y1;
};

// Widens the box to every pixel for which keep(pixel) holds; bounds inclusive.
template <class Keep>
void widen_box(const LayerRecord& layer, Box& box, Keep keep)
{
    for (int y = 0; y < layer.height; ++y) {
        const std::uint16_t* p = layer.row(y);
        for (int x = 0; x < layer.width; ++x, p += 4) {
            if (!keep(p)) continue;
            box.x0 = std::min(box.x0, x);
            box.y0 = std::min(box.y0, y);
            box.x1 = std::max(box.x1, x);
            box.y1 = std::max(box.y1, y);
        }
    }
}

void write_box(const Box& box, int* x0, int* y0, int* x1, int* y1)
{
    if (x0) *x0 = box.x0;
    if (y0) *y0 = box.y0;
    if (x1) *x1 = box.x1;
    if (y1) *y1 = box.y1;
}

}  // namespace

namespace mve::core {

void find_data_extents(CoreState& e, int index, int* x0, int* y0, int* x1, int* y1) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer) return;
    Box box{e.canvas.width, e.canvas.height, 0, 0};
    widen_box(*layer, box, [](const std::uint16_t* p) { return p[3] != 0; });
    write_box(box, x0, y0, x1, y1);
}

void find_data_extents_ex(CoreState& e, int index, int* x0, int* y0, int* x1, int* y1) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer) return;
    if (layer->width <= 0 || layer->height <= 0 || layer->pixels.data()[3] == 0) {
        find_data_extents(e, index, x0, y0, x1, y1);
        return;
    }
    // An opaque top-left pixel is taken as the background colour.
    std::uint16_t first[4];
    std::memcpy(first, layer->pixels.data(), sizeof first);
    Box box{e.canvas.width, e.canvas.height, 0, 0};
    widen_box(*layer, box, [&](const std::uint16_t* p) { return std::memcmp(p, first, sizeof first) != 0; });
    write_box(box, x0, y0, x1, y1);
}

bool is_layer_transparent(CoreState& e, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer) return true;
    const std::size_t count = static_cast<std::size_t>(layer->width) * layer->height;
    const std::uint16_t* p = layer->pixels.data();
    for (std::size_t i = 0; i < count; ++i)
        if (p[i * 4 + 3] < 0xFF00) return true;
    return false;
}

bool is_single_color(CoreState& e, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer) return false;
    const std::size_t count = static_cast<std::size_t>(layer->width) * layer->height;
    const std::uint16_t* p = layer->pixels.data();
    for (std::size_t i = 1; i < count; ++i)
        if (std::memcmp(p + i * 4, p, 8) != 0) return false;
    return true;
}

}  // namespace mve::core

extern "C" {

MVE_API void MVE_FindDataExtentsLayer(int index, int* x0, int* y0, int* x1, int* y1)
{
    core::find_data_extents(core_state(), index, x0, y0, x1, y1);
}

MVE_API void MVE_FindDataExtentsLayerEX(int index, int* x0, int* y0, int* x1, int* y1)
{
    core::find_data_extents_ex(core_state(), index, x0, y0, x1, y1);
}

MVE_API int MVE_IsLayerTransparent(int index)
{
    return core::is_layer_transparent(core_state(), index);
}

MVE_API int MVE_IsSingleColor(int index)
{
    return core::is_single_color(core_state(), index);
}

}  // extern "C"
