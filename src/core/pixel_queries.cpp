// Single-pixel colour queries on the named RGBA64 planes.
#include <algorithm>

#include "core/pixel_queries.h"

#include "core/guard.h"
#include "core/merge_layers.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// An RGBA64 plane as a query sees it: the part of the canvas it holds.
struct PlaneView {
    const std::uint16_t* data = nullptr;
    int width = 0;   // columns readable: the canvas width, or less when the plane is smaller
    int height = 0;
    std::size_t stride = 0;  // 16-bit values per row

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    const std::uint16_t* at(int x, int y) const { return data + y * stride + static_cast<std::size_t>(x) * 4; }
};

// A plane laid out as the canvas (caller planes, the UnderLayer).
PlaneView canvas_plane(const CoreState& e, const std::uint16_t* data)
{
    const CanvasState& c = e.canvas;
    if (!data) return {};
    return {data, std::max(c.width, 0), std::max(c.height, 0), static_cast<std::size_t>(std::max(c.width, 0)) * 4};
}

PlaneView layer_plane(const CoreState& e, const LayerRecord* layer)
{
    if (!layer || !layer->present()) return {};
    const Extent ext = canvas_extent(e, *layer);
    return {layer->pixels.data(), std::max(ext.width, 0), std::max(ext.height, 0),
            static_cast<std::size_t>(layer->stride)};
}

// x and y clamped into the plane; high bytes packed R:24 G:16 B:8 A:0; 0 without
// a plane (or when there is no pixel to clamp to).
unsigned rgba_at(const PlaneView& plane, int x, int y)
{
    if (!plane.data || plane.width == 0 || plane.height == 0) return 0;
    const std::uint16_t* p = plane.at(std::clamp(x, 0, plane.width - 1), std::clamp(y, 0, plane.height - 1));
    return unsigned{narrow16(p[0])} << 24 | unsigned{narrow16(p[1])} << 16 | unsigned{narrow16(p[2])} << 8 |
           narrow16(p[3]);
}

// 0 without a plane; 0xFFFFFF outside it; else high bytes packed A:24 R:16 G:8 B:0.
unsigned color_at(const PlaneView& plane, int x, int y)
{
    if (!plane.data) return 0;
    if (!plane.contains(x, y)) return 0xFFFFFF;
    const std::uint16_t* p = plane.at(x, y);
    return unsigned{narrow16(p[3])} << 24 | unsigned{narrow16(p[0])} << 16 | unsigned{narrow16(p[1])} << 8 |
           narrow16(p[2]);
}

PlaneView surface(CoreState& e)
{
    return layer_plane(e, current_layer(e));
}
PlaneView layer(CoreState& e, int index)
{
    return layer_plane(e, present_layer(e, index));
}
PlaneView trace(CoreState& e)
{
    return layer_plane(e, present_layer(e, 0));
}
PlaneView paint_layer(CoreState& e)
{
    return layer_plane(e, &e.layers.paint);
}

}  // namespace

namespace mve::core {

unsigned rgba_at_canvas_plane(int x, int y, const std::uint16_t* plane)
{
    return rgba_at(canvas_plane(core_state(), plane), x, y);
}
unsigned color_at_canvas_plane(int x, int y, const std::uint16_t* plane)
{
    return color_at(canvas_plane(core_state(), plane), x, y);
}

int channel_at(CoreState& e, int x, int y, int channel)
{
    const PlaneView plane = surface(e);
    return plane.data && plane.contains(x, y) ? plane.at(x, y)[channel] : 0;
}

unsigned rgba_at_surface(CoreState& e, int x, int y)
{
    return rgba_at(surface(e), x, y);
}
unsigned rgba_at_layer(CoreState& e, int x, int y, int index)
{
    return rgba_at(layer(e, index), x, y);
}
unsigned rgba_at_trace(CoreState& e, int x, int y)
{
    return rgba_at(trace(e), x, y);
}

unsigned color_at_surface(CoreState& e, int x, int y)
{
    return color_at(surface(e), x, y);
}
unsigned color_at_layer(CoreState& e, int x, int y, int index)
{
    return color_at(layer(e, index), x, y);
}
unsigned color_at_paint_layer(CoreState& e, int x, int y)
{
    return color_at(paint_layer(e), x, y);
}
unsigned color_at_trace(CoreState& e, int x, int y)
{
    return color_at(trace(e), x, y);
}

unsigned color_at_merged(CoreState& e, int x, int y)
{
    const CanvasState& c = e.canvas;
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return 0xFFFFFF;
    Plane16 pixel;
    if (!pixel.allocate(4)) return 0;
    merge_visible_rect(e, pixel.data(), x, y, 1, 1);
    return color_at(canvas_plane(e, pixel.data()), 0, 0);
}

}  // namespace mve::core

extern "C" {

MVE_API int MVE_GetRed64(int x, int y)
{
    return core::channel_at(core_state(), x, y, 0);
}
MVE_API int MVE_GetGreen64(int x, int y)
{
    return core::channel_at(core_state(), x, y, 1);
}
MVE_API int MVE_GetBlue64(int x, int y)
{
    return core::channel_at(core_state(), x, y, 2);
}
MVE_API int MVE_GetAlpha64(int x, int y)
{
    return core::channel_at(core_state(), x, y, 3);
}

MVE_API unsigned int MVE_GetRGBAAt(int x, int y, const unsigned short* plane)
{
    return core::rgba_at_canvas_plane(x, y, plane);
}
MVE_API unsigned int MVE_GetRGBAAtSurface(int x, int y)
{
    return core::rgba_at_surface(core_state(), x, y);
}
MVE_API unsigned int MVE_GetRGBAAtLayer(int x, int y, int index)
{
    return core::rgba_at_layer(core_state(), x, y, index);
}
MVE_API unsigned int MVE_GetRGBAAtTrace(int x, int y)
{
    return core::rgba_at_trace(core_state(), x, y);
}

MVE_API unsigned int MVE_GetColorAt(int x, int y, const unsigned short* plane)
{
    return core::color_at_canvas_plane(x, y, plane);
}
MVE_API unsigned int MVE_GetColorAtSurface(int x, int y)
{
    return core::color_at_surface(core_state(), x, y);
}
MVE_API unsigned int MVE_GetColorAtLayer(int x, int y, int index)
{
    return core::color_at_layer(core_state(), x, y, index);
}
MVE_API unsigned int MVE_GetColorAtPaintLayer(int x, int y)
{
    return core::color_at_paint_layer(core_state(), x, y);
}
MVE_API unsigned int MVE_GetColorAtTrace(int x, int y)
{
    return core::color_at_trace(core_state(), x, y);
}

// The composite of the visible layers at one pixel, packed as MVE_GetColorAt.
MVE_API unsigned int MVE_GetColorAtMerged(int x, int y)
{
    return guarded("MVE_GetColorAtMerged Excpt", 0u,
                   [x, y] { return core::color_at_merged(core_state(), x, y); });
}

}  // extern "C"
