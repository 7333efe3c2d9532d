// Raw RGBA64 copies between layers and caller buffers (no conversion).
#include "core/layer_data.h"

#include <algorithm>
#include <cstring>

#include "core/layers.h"
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

std::size_t layer_bytes(const LayerRecord& layer)
{
    return std::min(layer.pixels.bytes(), static_cast<std::size_t>(layer.width) * layer.height * 8);
}

}  // namespace

namespace mve::core {

void set_rgba64_layer(CoreState& e, const std::uint16_t* buffer, int rowBytes, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    const int w = std::min(e.canvas.width, layer->width), h = std::min(e.canvas.height, layer->height);
    copy_rows(reinterpret_cast<unsigned char*>(layer->pixels.data()), static_cast<std::size_t>(layer->stride) * 2,
              reinterpret_cast<const unsigned char*>(buffer), static_cast<std::size_t>(rowBytes),
              static_cast<std::size_t>(w) * 8, h);
}

void set_layer_data(CoreState& e, const std::uint16_t* data, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (layer && data) std::memcpy(layer->pixels.data(), data, layer_bytes(*layer));
}

void copy_layer_data(CoreState& e, int src, int dst) noexcept
{
    LayerRecord* from = present_layer(e, src);
    LayerRecord* to = present_layer(e, dst);
    if (from && to && from != to)
        std::memcpy(to->pixels.data(), from->pixels.data(), std::min(layer_bytes(*from), layer_bytes(*to)));
}

void get_rgba64_layer(CoreState& e, std::uint16_t* buffer, int rowBytes, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    copy_rows(reinterpret_cast<unsigned char*>(buffer), static_cast<std::size_t>(rowBytes),
              reinterpret_cast<const unsigned char*>(layer->pixels.data()),
              static_cast<std::size_t>(layer->stride) * 2, static_cast<std::size_t>(layer->width) * 8,
              layer->height);
}

void get_rgba64_layer_rect(CoreState& e, std::uint16_t* buffer, int rowBytes, int index, int x, int y, int w,
                           int h) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer || !buffer) return;
    // Only the part of the rectangle on the layer is read; it lands in the
    // buffer where it lies in the rectangle, the rest of the buffer is kept.
    const long long x0 = std::max(0LL, static_cast<long long>(x)), y0 = std::max(0LL, static_cast<long long>(y));
    const long long x1 = std::min<long long>(layer->width, static_cast<long long>(x) + w);
    const long long y1 = std::min<long long>(layer->height, static_cast<long long>(y) + h);
    if (x1 <= x0 || y1 <= y0) return;
    unsigned char* out = reinterpret_cast<unsigned char*>(buffer) + (y0 - y) * rowBytes + (x0 - x) * 8;
    copy_rows(out, static_cast<std::size_t>(rowBytes),
              reinterpret_cast<const unsigned char*>(layer->row(static_cast<int>(y0)) + x0 * 4),
              static_cast<std::size_t>(layer->stride) * 2, static_cast<std::size_t>(x1 - x0) * 8,
              static_cast<int>(y1 - y0));
}

void get_layer_data(CoreState& e, std::uint16_t* buffer, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (layer && buffer) std::memcpy(buffer, layer->pixels.data(), layer_bytes(*layer));
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
