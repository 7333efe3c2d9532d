// Alpha and colour operations on whole layers and on RGBA32 buffers.
#include "core/blend_modes.h"
#include "core/core_state.h"
#include "core/layers.h"
#include "core/parallel.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// Calls f(pixel) for every RGBA64 pixel of a present layer.
template <class F>
void for_each_layer_pixel(LayerRecord& layer, F f)
{
    for_each_plane_row(layer.width, layer.height, cost::kSimple, [&](int y) {
        std::uint16_t* p = layer.row(y);
        for (int x = 0; x < layer.width; ++x, p += 4) f(p);
    });
}

// Calls f(pixel) for every pixel of a packed RGBA32 buffer.
template <class F>
void for_each_rgba32(unsigned char* buffer, int width, int height, F f)
{
    if (!buffer || width <= 0 || height <= 0) return;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        unsigned char* p = buffer + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, p += 4) f(p);
    });
}

const CanvasState& canvas()
{
    return core_state().canvas;
}

}  // namespace

extern "C" {

MVE_API void MVE_InvertAlpha(int index)
{
    if (LayerRecord* layer = present_layer(core_state(), index))
        for_each_layer_pixel(*layer, [](std::uint16_t* p) { p[3] = static_cast<std::uint16_t>(65535 - p[3]); });
}

MVE_API void MVE_InvertAlpha_RGBA32(unsigned char* buffer)
{
    for_each_rgba32(buffer, canvas().width, canvas().height,
                    [](unsigned char* p) { p[3] = static_cast<unsigned char>(255 - p[3]); });
}

MVE_API void MVE_SetLayerAlpha(int index, int value)
{
    const auto alpha = static_cast<std::uint16_t>(value);
    if (LayerRecord* layer = present_layer(core_state(), index))
        for_each_layer_pixel(*layer, [alpha](std::uint16_t* p) { p[3] = alpha; });
}

MVE_API void MVE_NormalizeLayerAlpha(int index)
{
    LayerRecord* layer = present_layer(core_state(), index);
    if (!layer || layer->blendMode >= kFirstAlphaMode) return;
    const unsigned opacity = layer->opacity;
    // The opacity is baked into the pixels, then set to full.
    for_each_layer_pixel(*layer, [opacity](std::uint16_t* p) {
        p[3] = static_cast<std::uint16_t>(opacity * p[3] / 256);
    });
    layer->opacity = 256;
}

MVE_API void MVE_SetColorAlpha(int r, int g, int b)
{
    CoreState& e = core_state();
    LayerRecord* layer = present_layer(e, e.layers.currentIndex);
    if (!layer || !e.layers.current) return;
    // 8-bit colours become 16-bit by * 257 here, so 255 is 65535.
    const auto R = static_cast<std::uint16_t>(r * 257), G = static_cast<std::uint16_t>(g * 257),
               B = static_cast<std::uint16_t>(b * 257);
    for_each_layer_pixel(*layer, [=](std::uint16_t* p) {
        if (p[3] >= 256) return;
        p[0] = R;
        p[1] = G;
        p[2] = B;
        p[3] = 0;
    });
}

MVE_API void MVE_SetColorAlphaRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b)
{
    for_each_rgba32(buffer, width, height, [=](unsigned char* p) {
        if (p[3] != 0) return;
        p[0] = static_cast<unsigned char>(r);
        p[1] = static_cast<unsigned char>(g);
        p[2] = static_cast<unsigned char>(b);
    });
}

MVE_API void MVE_SetColorRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b)
{
    for_each_rgba32(buffer, width, height, [=](unsigned char* p) {
        p[0] = static_cast<unsigned char>(r);
        p[1] = static_cast<unsigned char>(g);
        p[2] = static_cast<unsigned char>(b);
    });
}

MVE_API void MVE_SetAlphaFromRGBAImageColor(unsigned char* buffer, int r, int g, int b)
{
    for_each_rgba32(buffer, canvas().width, canvas().height, [=](unsigned char* p) {
        if (p[0] == r && p[1] == g && p[2] == b) p[3] = 0;
    });
}

MVE_API void MVE_CreateBlobFromImage(int index, int style)
{
    LayerRecord* layer = present_layer(core_state(), index);
    if (!layer) return;
    for_each_layer_pixel(*layer, [style](std::uint16_t* p) {
        const int L = (p[0] + p[1] + p[2]) / 3;
        if (style == 1) {
            // Relief: bright areas darken and dark areas lighten toward mid grey.
            if (L > 32766) {
                const double u = (L - 32767) / 65534.0;
                for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint16_t>(p[c] - p[c] * u);
            } else {
                const double u = (32767 - L) / 65534.0;
                for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint16_t>(p[c] + (65535 - p[c]) * u);
            }
        } else {
            p[0] = p[1] = p[2] = 0x7FFF;
        }
        if (p[3] > 8191) p[3] = static_cast<std::uint16_t>(L * 0.843 + 10239);
    });
}

}  // extern "C"
