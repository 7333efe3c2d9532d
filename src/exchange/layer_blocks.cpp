// Layer storage for host documents: run-length lines of a layer and whole
// layers as compressed RGBA32 blocks.
#include "exchange/layer_blocks.h"

#include <cstring>

#include "core/core_state.h"
#include "core/guard.h"
#include "core/layers.h"
#include "core/rle_codecs.h"
#include "core/transfer.h"
#include "imagelib/compression.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// The layer's row when the layer has pixels and the row lies inside it.
const std::uint16_t* layer_row(CoreState& e, int layer, int row) noexcept
{
    LayerRecord* l = present_layer(e, layer);
    if (!l || row < 0 || row >= l->height || l->width <= 0) return nullptr;
    return l->row(row);
}

}  // namespace

namespace mve::exchange {

int get_layer_line_rle(CoreState& e, unsigned char* out, int layer, int row) noexcept
{
    const std::uint16_t* pixels = layer_row(e, layer, row);
    if (!out || !pixels) return 0;
    return rle_encode_rgba(pixels, out, present_layer(e, layer)->width);
}

void put_layer_line_rle(CoreState& e, const unsigned char* in, int layer, int row) noexcept
{
    if (!in || !layer_row(e, layer, row)) return;
    LayerRecord* l = present_layer(e, layer);
    rle_decode_rgba(in, kRleUnbounded, l->begin_write().row(row), l->width);
}

int get_layer_compressed(CoreState& e, unsigned char* out, int outCapacity, int layer, int level)
{
    LayerRecord* l = present_layer(e, layer);
    if (!l || !out || outCapacity <= 0) return 0;
    const int w = e.canvas.width, h = e.canvas.height;
    const std::size_t bytes = static_cast<std::size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 4;
    if (bytes == 0) return 0;
    Plane8 rgba;
    require(rgba.allocate(bytes));
    // A layer smaller than the canvas leaves part of the block unwritten:
    // zero it rather than deflate stale heap bytes into a document.
    const Extent ext = canvas_extent(e, *l);
    if (ext.width < w || ext.height < h) std::memset(rgba.data(), 0, bytes);
    core::read_layer_rgba32(e, rgba.data(), w * 4, layer);
    return static_cast<int>(
        z_deflate_buffer(rgba.data(), bytes, out, static_cast<std::size_t>(outCapacity), level));
}

void load_layer_compressed(CoreState& e, const unsigned char* in, int inLength, int layer)
{
    LayerRecord* l = present_layer(e, layer);
    if (!l || !in) return;
    require(inLength > 0);
    const std::size_t bytes =
        static_cast<std::size_t>(l->width > 0 ? l->width : 0) * (l->height > 0 ? l->height : 0) * 4;
    if (bytes == 0) return;
    // Deflate packs at most kMaxDeflateRatio output bytes into one input
    // byte: a block too short to fill the layer is refused before the
    // layer-sized buffer is allocated. A longer stream stops at the layer's
    // size, so the work never exceeds what the layer can hold.
    require(bytes <= static_cast<std::size_t>(inLength) * kMaxDeflateRatio + 64);
    Plane8 rgba;
    require(rgba.allocate(bytes));
    require(z_inflate_buffer(in, static_cast<std::size_t>(inLength), rgba.data(), bytes));
    load_rgba32_layer(e, rgba.data(), l->width * 4, *l, 0, 0, l->width, l->height, false);
}

}  // namespace mve::exchange

extern "C" {

MVE_API int MVE_GetRGBA32LayerLineRLE(unsigned char* out, int layer, int row)
{
    return exchange::get_layer_line_rle(core_state(), out, layer, row);
}

MVE_API void MVE_PutRGBA32LayerLineRLE(const unsigned char* in, int layer, int row)
{
    exchange::put_layer_line_rle(core_state(), in, layer, row);
}

MVE_API int MVE_GetRGBA32LayerCompressed(unsigned char* out, int /*ignored*/, int outCapacity, int layer,
                                         int level)
{
    return guarded("GetRGBA32Layer Excpt", 0, [&] {
        return exchange::get_layer_compressed(core_state(), out, outCapacity, layer, level);
    });
}

MVE_API void MVE_LoadRGBA32LayerCompressed(const unsigned char* in, int /*ignored*/, int inLength, int layer)
{
    guarded("LoadRGBA32LayerCompressed Excpt",
            [&] { exchange::load_layer_compressed(core_state(), in, inLength, layer); });
}

}  // extern "C"
