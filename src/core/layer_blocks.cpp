// Layer storage for host documents: run-length lines of a layer and whole
// layers as compressed RGBA32 blocks.
#include <cstring>

#include "core/engine.h"
#include "core/guard.h"
#include "core/layers.h"
#include "core/rle_codecs.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// The layer's row when the layer has pixels and the row lies inside it.
std::uint16_t* layer_row(int layer, int row) noexcept
{
    LayerRecord* l = present_layer(engine(), layer);
    if (!l || row < 0 || row >= l->height || l->width <= 0) return nullptr;
    return l->row(row);
}

}  // namespace

extern "C" {

MVE_API int MVE_GetRGBA32LayerLineRLE(unsigned char* out, int layer, int row)
{
    const std::uint16_t* pixels = layer_row(layer, row);
    if (!out || !pixels) return 0;
    return rle_encode_rgba(pixels, out, present_layer(engine(), layer)->width);
}

MVE_API void MVE_PutRGBA32LayerLineRLE(const unsigned char* in, int layer, int row)
{
    std::uint16_t* pixels = layer_row(layer, row);
    if (!in || !pixels) return;
    rle_decode_rgba(in, kRleUnbounded, pixels, present_layer(engine(), layer)->width);
}

}  // extern "C"
