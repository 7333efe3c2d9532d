// Layer merges and the composite of the stack.
#include "core/merge_layers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/blend_modes.h"
#include "core/clip.h"
#include "core/guard.h"
#include "core/layers.h"
#include "core/merge_composite_tiles.h"
#include "core/merge_core.h"
#include "core/parallel.h"
#include "core/pixel_convert.h"
#include "core/runtime.h"
#include "core/tile_occupancy.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

// A host rectangle w x h that a caller's buffer of w * h RGBA64 pixels can
// hold: positive, and rows of w * 4 values within int.
bool host_rect_allowed(int w, int h)
{
    return w > 0 && h > 0 && plane_size_allowed(w, h);
}

// The size of a band of composite rows merged layer after layer: about half
// a second-level cache.
constexpr int kMergeBandBytes = 256 * 1024;

bool same_alpha_mode(int a, int b)
{
    return a == b && is_alpha_mode(a);
}

}  // namespace

const std::uint16_t* layer_mask_of(CoreState& e, int k) noexcept
{
    const LayerRecord* base = present_layer(e, k);
    if (!base) return nullptr;
    for (int i = k + 1; i <= e.layers.count && i < kLayerCount; ++i) {
        const LayerRecord& above = e.layers.table[i];
        if (!above.present() || !above.visible) continue;
        // Only the first visible layer above counts; a mask of another size
        // cannot share the source's coordinates and is ignored.
        if (above.blendMode != kLayerMask) return nullptr;
        if (above.stride != base->stride || above.height < base->height) return nullptr;
        return above.pixels.data();
    }
    return nullptr;
}

namespace {

// merge_layer_into_rect into a buffer whose rows are bufferStride values
// apart, its rows on the calling thread alone when callerOnly.
bool merge_layer_rows(CoreState& e, int index, std::uint16_t* buffer, int bufferStride, int x, int y, int w,
                      int h, bool callerOnly) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer || !host_rect_allowed(w, h)) return false;
    const ClipRect r = clip_rect(x, y, w, h, layer->width, layer->height);
    if (r.empty()) return true;
    const std::uint16_t* mask = layer_mask_of(e, index);
    merge_rgba64(layer->pixels.data(), r.x0, r.y0, r.width(), r.height(), layer->stride, mask, buffer,
                 static_cast<int>(r.x0 - static_cast<long long>(x)),
                 static_cast<int>(r.y0 - static_cast<long long>(y)), bufferStride, layer->blendMode,
                 mask ? kLayerMaskMode : 0, layer->opacity, 255, false, false, callerOnly);
    return true;
}

// The layer's tile map brought up to date for the layer rectangle (x, y, w,
// h), whatever its mode; null with the fast paths off or no map.
const TileOccupancy* current_tiles(LayerRecord& layer, int x, int y, int w, int h) noexcept
{
    if (!fast_paths_enabled()) return nullptr;
    const ClipRect r = clip_rect(x, y, w, h, layer.width, layer.height);
    if (r.empty()) return nullptr;
    if (!refresh_tile_occupancy(layer, layer.occupancy, r.x0, r.y0, r.x1, r.y1)) return nullptr;
    return &layer.occupancy;
}

// The layer's tile map, when the composite may skip its empty tiles: in a
// colour mode a source pixel with alpha 0 changes nothing. Alpha modes act
// where the source is transparent too, and are never skipped. Null when
// nothing may be skipped.
const TileOccupancy* skippable_tiles(LayerRecord& layer, int x, int y, int w, int h) noexcept
{
    return is_alpha_mode(layer.blendMode) ? nullptr : current_tiles(layer, x, y, w, h);
}

// merge_layer_rows for the rows [y, y + h) of the rectangle that starts at
// column x and is w wide (the buffer's rows are w pixels), tile by tile:
// passing over the layer's empty tiles when it has a map, and the tiles
// whose composite starts above it. Runs of the tiles left are merged as they
// are.
void merge_layer_tiles(CoreState& e, int index, const TileOccupancy* map, const CompositeFloors& floors,
                       std::uint16_t* buffer, int x, int y, int w, int h) noexcept
{
    const LayerRecord& layer = e.layers.table[index];
    const ClipRect r = clip_rect(x, y, w, h, layer.width, layer.height);
    const int stride = w * 4;
    constexpr int T = kOccupancyTile;
    for (int row = r.y0 / T; !r.empty() && row * T < r.y1; ++row) {
        const int y0 = std::max(r.y0, row * T), y1 = std::min(r.y1, row * T + T);
        const int last = (r.x1 - 1) / T;
        const auto wanted = [&](int column) {
            return (!map || map->occupied(column, row)) && index > floors.at(column, row);
        };
        for (int column = r.x0 / T; column <= last;) {
            if (!wanted(column)) {
                ++column;
                continue;
            }
            int end = column;
            while (end <= last && wanted(end)) ++end;
            const int x0 = std::max(r.x0, column * T), x1 = std::min(r.x1, end * T);
            std::uint16_t* at = buffer + static_cast<std::size_t>(y0 - static_cast<long long>(y)) * stride +
                                static_cast<std::size_t>(x0 - static_cast<long long>(x)) * 4;
            merge_layer_rows(e, index, at, stride, x0, y0, x1 - x0, y1 - y0, true);
            column = end;
        }
    }
}

}  // namespace

bool merge_layer_into_rect(CoreState& e, int index, std::uint16_t* buffer, int x, int y, int w,
                           int h) noexcept
{
    // The row stride w * 4 only exists for a rectangle a buffer can hold.
    if (!host_rect_allowed(w, h)) return false;
    return merge_layer_rows(e, index, buffer, w * 4, x, y, w, h, false);
}

void merge_visible_rect(CoreState& e, std::uint16_t* buffer, int x, int y, int w, int h) noexcept
{
    if (!buffer || !host_rect_allowed(w, h)) return;
    // Tile maps are brought up to date here, before the parallel bands read
    // them. The background's map only tells where it holds nothing but zeros.
    std::array<const TileOccupancy*, kLayerCount> tiles{};
    for (int index = 2; index < kLayerCount; ++index) {
        LayerRecord& layer = e.layers.table[index];
        if (layer.present() && layer.visible) tiles[index] = skippable_tiles(layer, x, y, w, h);
    }
    LayerRecord& background = e.layers.table[1];
    const TileOccupancy* backgroundTiles =
        background.present() && background.visible == 1 ? current_tiles(background, x, y, w, h) : nullptr;
    const CompositeFloors floors =
        fast_paths_enabled() ? composite_floors(e, tiles, x, y, w, h) : CompositeFloors{};
    // Every layer is merged into one band of rows before the next band, so
    // the band of the composite stays in the core's cache from layer to
    // layer instead of being fetched from memory once per layer. Each pixel
    // still takes the layers in order, and each band is one task: the result
    // is the same on any number of threads. The band starts as a copy of the
    // background (its opacity ignored), or of the opaque layer that hides
    // everything beneath it in a tile.
    // Bands are whole tile rows, or a power of two that divides one, so a
    // band meets one row of tiles and the layers are merged in fewer runs.
    int bandRows = static_cast<int>(std::max(1LL, kMergeBandBytes / (w * 8LL)));
    bandRows = bandRows >= kOccupancyTile ? bandRows / kOccupancyTile * kOccupancyTile
                                          : static_cast<int>(std::bit_floor(static_cast<unsigned>(bandRows)));
    const int bands = (h + bandRows - 1) / bandRows;
    for_each_row(0, bands, static_cast<double>(bandRows) * w * cost::kStack, [&](int band) {
        const int top = band * bandRows, rows = std::min(bandRows, h - top);
        std::uint16_t* rowsOut = buffer + static_cast<std::size_t>(top) * w * 4;
        fill_composite_base(e, floors, backgroundTiles, rowsOut, x, y + top, w, rows);
        for (int index = 2; index < kLayerCount; ++index) {
            const LayerRecord& layer = e.layers.table[index];
            if (!layer.present() || !layer.visible) continue;
            if (tiles[index] || floors.columns > 0)
                merge_layer_tiles(e, index, tiles[index], floors, rowsOut, x, y + top, w, rows);
            else
                merge_layer_rows(e, index, rowsOut, w * 4, x, y + top, w, rows, true);
        }
    });
}

bool merge_rgba32_into_plane(const std::uint8_t* rgba32, int canvasWidth, int canvasHeight,
                             std::uint16_t* plane, int planeStride, int mode, int opacity, bool lockAlpha,
                             bool sameAlphaMode) noexcept
{
    if (!rgba32 || !plane || canvasWidth <= 0 || canvasHeight <= 0) return true;
    Plane16 converted;
    const std::size_t pixels = static_cast<std::size_t>(canvasWidth) * canvasHeight;
    if (!converted.allocate(pixels * 4)) return false;
    rgba32_to_rgba64(rgba32, converted.data(), pixels);
    const int w = std::min(canvasWidth, planeStride / 4);
    merge_rgba64(converted.data(), 0, 0, w, canvasHeight, canvasWidth * 4, nullptr, plane, 0, 0, planeStride,
                 mode, 0, opacity, 255, lockAlpha, sameAlphaMode);
    return true;
}

namespace core {

void merge_layer(CoreState& e, int src, int dst)
{
    const LayerRecord* from = present_layer(e, src);
    LayerRecord* into = present_layer(e, dst);
    if (!from || !into) return;
    const int w = std::min({e.canvas.width, from->width, into->width});
    const int h = std::min({e.canvas.height, from->height, into->height});
    const std::uint16_t* mask = layer_mask_of(e, src);
    merge_rgba64(from->pixels.data(), 0, 0, w, h, from->stride, mask, into->pixels.begin_write(), 0, 0,
                 into->stride, from->blendMode, mask ? kLayerMaskMode : 0, from->opacity, 255, false,
                 same_alpha_mode(from->blendMode, into->blendMode));
}

bool merge_layer_into_canvas(CoreState& e, int index, std::uint16_t* buffer) noexcept
{
    return merge_layer_into_rect(e, index, buffer, 0, 0, e.canvas.width, e.canvas.height);
}

void merge_visible(CoreState& e, std::uint16_t* buffer) noexcept
{
    merge_visible_rect(e, buffer, 0, 0, e.canvas.width, e.canvas.height);
}

void merge_rgba32_layer(CoreState& e, const std::uint8_t* buffer, int index, int mode, int opacity)
{
    LayerRecord* into = present_layer(e, index);
    if (!buffer || !into) return;
    const int h = std::min(e.canvas.height, into->height);
    const int w = std::min(e.canvas.width, into->width);
    if (w <= 0 || h <= 0) return;
    // The buffer is canvas-sized; only the rows the layer has are converted.
    Plane16 converted;
    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * h;
    require(converted.allocate(pixels * 4));
    rgba32_to_rgba64(buffer, converted.data(), pixels);
    merge_rgba64(converted.data(), 0, 0, w, h, e.canvas.width * 4, nullptr, into->pixels.begin_write(), 0, 0,
                 into->stride, mode, 0, opacity, 255, false, same_alpha_mode(mode, into->blendMode));
}

}  // namespace core

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_MergeLayer(int src, int dst)
{
    guarded("MVE_MergeLayer Excpt", [&] { core::merge_layer(core_state(), src, dst); });
}

MVE_API int MVE_MergeLayerIntoRect(int index, unsigned short* buffer, int x, int y, int w, int h)
{
    return guarded("MVE_MergeRGBA64 Excpt", 0,
                   [&] { return merge_layer_into_rect(core_state(), index, buffer, x, y, w, h); });
}

MVE_API int MVE_MergeLayerInto(int index, unsigned short* buffer)
{
    return guarded("MVE_MergeRGBA64 Excpt", 0,
                   [&] { return core::merge_layer_into_canvas(core_state(), index, buffer); });
}

MVE_API void MVE_MergeRect(unsigned short* buffer, int x, int y, int w, int h)
{
    merge_visible_rect(core_state(), buffer, x, y, w, h);
}

MVE_API void MVE_Merge(unsigned short* buffer)
{
    core::merge_visible(core_state(), buffer);
}

MVE_API void MVE_MergeRGBA32Layer(const unsigned char* buffer, int index, int mode, int opacity)
{
    guarded("MVE_MergeRGBA32Layer Excpt",
            [&] { core::merge_rgba32_layer(core_state(), buffer, index, mode, opacity); });
}

}  // extern "C"
