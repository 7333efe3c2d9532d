// Raw RGBA64 copies between layers and caller buffers (no conversion).
#include "core/layer_data.h"

#include <algorithm>
#include <cstring>

#include "core/layers.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// Copies rows of `rowBytes` between buffers with their own row lengths.
void copy_rows(unsigned char* dst, std::size_t dstRow, const unsigned char* src, std::size_t srcRow,
               std::size_t rowBytes, int rows)
{
    for (int y = 0; y < rows; ++y)
        std::memcpy(dst + y * dstRow, src + y * srcRow, rowBytes);
}

unsigned char* bytes_of(std::uint16_t* p) { return reinterpret_cast<unsigned char*>(p); }
const unsigned char* bytes_of(const std::uint16_t* p) { return reinterpret_cast<const unsigned char*>(p); }

// Row length of a layer in bytes.
std::size_t layer_row_bytes(const LayerRecord& layer) { return static_cast<std::size_t>(layer.stride) * 2; }

}  // namespace

namespace mve::core {

// Every transfer between a layer and a canvas-laid host buffer covers the
// part both hold: the smaller of the layer's and the canvas's width and
// height. A layer left at another size by a new canvas size or created at
// its own size never reads or writes past either buffer.

void set_rgba64_layer(CoreState& e, const std::uint16_t* buffer, int rowBytes, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty() || !stride_holds(rowBytes, ext.width, 8)) return;
    copy_rows(bytes_of(layer->pixels.begin_write()), layer_row_bytes(*layer), bytes_of(buffer),
              static_cast<std::size_t>(rowBytes), static_cast<std::size_t>(ext.width) * 8, ext.height);
}

void set_layer_data(CoreState& e, const std::uint16_t* data, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (!layer || !data) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty()) return;
    // The host's data is packed at the canvas width.
    copy_rows(bytes_of(layer->pixels.begin_write()), layer_row_bytes(*layer), bytes_of(data),
              static_cast<std::size_t>(e.canvas.width) * 8, static_cast<std::size_t>(ext.width) * 8,
              ext.height);
}

void copy_layer_data(CoreState& e, int src, int dst) noexcept
{
    LayerRecord* from = present_layer(e, src);
    LayerRecord* to = present_layer(e, dst);
    if (!from || !to || from == to) return;
    const int w = std::min(from->width, to->width), h = std::min(from->height, to->height);
    if (w <= 0 || h <= 0) return;
    copy_rows(bytes_of(to->pixels.begin_write()), layer_row_bytes(*to), bytes_of(from->pixels.data()),
              layer_row_bytes(*from), static_cast<std::size_t>(w) * 8, h);
}

void get_rgba64_layer(CoreState& e, std::uint16_t* buffer, int rowBytes, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty() || !stride_holds(rowBytes, ext.width, 8)) return;
    copy_rows(bytes_of(buffer), static_cast<std::size_t>(rowBytes), bytes_of(layer->pixels.data()),
              layer_row_bytes(*layer), static_cast<std::size_t>(ext.width) * 8, ext.height);
}

void get_rgba64_layer_rect(CoreState& e, std::uint16_t* buffer, int rowBytes, int index, int x, int y, int w,
                           int h) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer || !stride_holds(rowBytes, w, 8)) return;
    // Only the part of the rectangle on the layer is read; it lands in the
    // buffer where it lies in the rectangle, the rest of the buffer is kept.
    const ClipRect r = clip_rect(x, y, w, h, layer->width, layer->height);
    if (r.empty()) return;
    unsigned char* out = bytes_of(buffer) + (r.y0 - static_cast<long long>(y)) * rowBytes +
                         (r.x0 - static_cast<long long>(x)) * 8;
    copy_rows(out, static_cast<std::size_t>(rowBytes), bytes_of(layer->row(r.y0) + r.x0 * 4),
              layer_row_bytes(*layer), static_cast<std::size_t>(r.width()) * 8, r.height());
}

void get_layer_data(CoreState& e, std::uint16_t* buffer, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty()) return;
    copy_rows(bytes_of(buffer), static_cast<std::size_t>(e.canvas.width) * 8, bytes_of(layer->pixels.data()),
              layer_row_bytes(*layer), static_cast<std::size_t>(ext.width) * 8, ext.height);
}

}  // namespace mve::core

extern "C" {

MVE_API void MVE_SetRGBA64Layer(const unsigned short* buffer, int rowBytes, int index)
{
    core::set_rgba64_layer(core_state(), buffer, rowBytes, index);
}

MVE_API void MVE_SetLayerData(const unsigned short* data, int index)
{
    core::set_layer_data(core_state(), data, index);
}

MVE_API void MVE_CopyLayerData(int src, int dst)
{
    core::copy_layer_data(core_state(), src, dst);
}

MVE_API void MVE_GetRGBA64Layer(unsigned short* buffer, int rowBytes, int index)
{
    core::get_rgba64_layer(core_state(), buffer, rowBytes, index);
}

MVE_API void MVE_GetRGBA64LayerRect(unsigned short* buffer, int rowBytes, int index, int x, int y, int w,
                                    int h)
{
    core::get_rgba64_layer_rect(core_state(), buffer, rowBytes, index, x, y, w, h);
}

MVE_API void MVE_GetLayerData(unsigned short* buffer, int index)
{
    core::get_layer_data(core_state(), buffer, index);
}

}  // extern "C"
