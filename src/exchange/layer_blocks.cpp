// Layer storage for host documents: run-length lines of a layer and whole
// layers as compressed RGBA32 blocks.
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
std::uint16_t* layer_row(int layer, int row) noexcept
{
    LayerRecord* l = present_layer(core_state(), layer);
    if (!l || row < 0 || row >= l->height || l->width <= 0) return nullptr;
    return l->row(row);
}

}  // namespace

extern "C" {

MVE_API int MVE_GetRGBA32LayerLineRLE(unsigned char* out, int layer, int row)
{
    const std::uint16_t* pixels = layer_row(layer, row);
    if (!out || !pixels) return 0;
    return rle_encode_rgba(pixels, out, present_layer(core_state(), layer)->width);
}

MVE_API void MVE_PutRGBA32LayerLineRLE(const unsigned char* in, int layer, int row)
{
    std::uint16_t* pixels = layer_row(layer, row);
    if (!in || !pixels) return;
    rle_decode_rgba(in, kRleUnbounded, pixels, present_layer(core_state(), layer)->width);
}

// The layer read out as canvas-sized RGBA32 (high bytes, packed rows) and
// deflated into out as one zlib stream. `level` picks the compression level
// (1..12, anything else the default). Returns the stream length; 0 for an
// absent layer, a null or too small out buffer, or a failed allocation
// (which also records "GetRGBA32Layer Excpt").
MVE_API int MVE_GetRGBA32LayerCompressed(unsigned char* out, int /*ignored*/, int outCapacity, int layer,
                                         int level)
{
    CoreState& e = core_state();
    LayerRecord* l = present_layer(e, layer);
    if (!l || !out || outCapacity <= 0) return 0;
    return guarded("GetRGBA32Layer Excpt", 0, [&] {
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
    });
}

// Inflates a block written by MVE_GetRGBA32LayerCompressed into a scratch
// buffer of layer width x height x 4 bytes and loads it at (0, 0), unmasked.
// The layer changes only when the whole block is intact and inflates to
// exactly that size: a corrupt, truncated or differently sized block leaves
// the layer as it was and records "LoadRGBA32LayerCompressed Excpt".
MVE_API void MVE_LoadRGBA32LayerCompressed(const unsigned char* in, int /*ignored*/, int inLength, int layer)
{
    CoreState& e = core_state();
    LayerRecord* l = present_layer(e, layer);
    if (!l || !in) return;
    guarded("LoadRGBA32LayerCompressed Excpt", [&] {
        require(inLength > 0);
        const std::size_t bytes =
            static_cast<std::size_t>(l->width > 0 ? l->width : 0) * (l->height > 0 ? l->height : 0) * 4;
        if (bytes == 0) return;
        Plane8 rgba;
        require(rgba.allocate(bytes));
        require(z_inflate_buffer(in, static_cast<std::size_t>(inLength), rgba.data(), bytes));
        load_rgba32_layer(e, rgba.data(), l->width * 4, *l, 0, 0, l->width, l->height, false);
    });
}

}  // extern "C"
