// Alpha and colour operations on whole layers and on RGBA32 buffers.
#include "core/layer_alpha.h"

#include "core/blend_modes.h"
#include "core/layers.h"
#include "core/parallel.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// Calls f(pixel) for every RGBA64 pixel of a present layer.
template <class F>
void for_each_layer_pixel(LayerRecord& layer, F f)
{
    const LayerRows rows = layer.begin_write();
    for_each_plane_row(layer.width, layer.height, cost::kSimple, [&](int y) {
        std::uint16_t* p = rows.row(y);
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

}  // namespace

namespace mve::core {

void invert_alpha(CoreState& e, int index) noexcept
{
    if (LayerRecord* layer = present_layer(e, index))
        for_each_layer_pixel(*layer, [](std::uint16_t* p) { p[3] = static_cast<std::uint16_t>(65535 - p[3]); });
}

void invert_alpha_rgba32(const CoreState& e, std::uint8_t* buffer) noexcept
{
    for_each_rgba32(buffer, e.canvas.width, e.canvas.height,
                    [](unsigned char* p) { p[3] = static_cast<unsigned char>(255 - p[3]); });
}

void set_layer_alpha(CoreState& e, int index, int value) noexcept
{
    const auto alpha = static_cast<std::uint16_t>(value);
    if (LayerRecord* layer = present_layer(e, index))
        for_each_layer_pixel(*layer, [alpha](std::uint16_t* p) { p[3] = alpha; });
}

void normalize_layer_alpha(CoreState& e, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (!layer || layer->blendMode >= kFirstAlphaMode) return;
    const unsigned opacity = layer->opacity;
    // The opacity is baked into the pixels, then set to full.
    for_each_layer_pixel(*layer, [opacity](std::uint16_t* p) {
        p[3] = static_cast<std::uint16_t>(opacity * p[3] / 256);
    });
    layer->opacity = 256;
}

void set_color_alpha(CoreState& e, int r, int g, int b) noexcept
{
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

void set_color_alpha_rgba32(std::uint8_t* buffer, int width, int height, int r, int g, int b) noexcept
{
    for_each_rgba32(buffer, width, height, [=](unsigned char* p) {
        if (p[3] != 0) return;
        p[0] = static_cast<unsigned char>(r);
        p[1] = static_cast<unsigned char>(g);
        p[2] = static_cast<unsigned char>(b);
    });
}

void set_color_rgba32(std::uint8_t* buffer, int width, int height, int r, int g, int b) noexcept
{
    for_each_rgba32(buffer, width, height, [=](unsigned char* p) {
        p[0] = static_cast<unsigned char>(r);
        p[1] = static_cast<unsigned char>(g);
        p[2] = static_cast<unsigned char>(b);
    });
}

void set_alpha_from_rgba32_color(const CoreState& e, std::uint8_t* buffer, int r, int g, int b) noexcept
{
    for_each_rgba32(buffer, e.canvas.width, e.canvas.height, [=](unsigned char* p) {
        if (p[0] == r && p[1] == g && p[2] == b) p[3] = 0;
    });
}

void create_blob_from_image(CoreState& e, int index, int style) noexcept
{
    LayerRecord* layer = present_layer(e, index);
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

}  // namespace mve::core

extern "C" {

MVE_API void MVE_InvertAlpha(int index)
{
    core::invert_alpha(core_state(), index);
}

MVE_API void MVE_InvertAlpha_RGBA32(unsigned char* buffer)
{
    core::invert_alpha_rgba32(core_state(), buffer);
}

MVE_API void MVE_SetLayerAlpha(int index, int value)
{
    core::set_layer_alpha(core_state(), index, value);
}

MVE_API void MVE_NormalizeLayerAlpha(int index)
{
    core::normalize_layer_alpha(core_state(), index);
}

MVE_API void MVE_SetColorAlpha(int r, int g, int b)
{
    core::set_color_alpha(core_state(), r, g, b);
}

MVE_API void MVE_SetColorAlphaRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b)
{
    core::set_color_alpha_rgba32(buffer, width, height, r, g, b);
}

MVE_API void MVE_SetColorRGBABuf(unsigned char* buffer, int width, int height, int r, int g, int b)
{
    core::set_color_rgba32(buffer, width, height, r, g, b);
}

MVE_API void MVE_SetAlphaFromRGBAImageColor(unsigned char* buffer, int r, int g, int b)
{
    core::set_alpha_from_rgba32_color(core_state(), buffer, r, g, b);
}

MVE_API void MVE_CreateBlobFromImage(int index, int style)
{
    core::create_blob_from_image(core_state(), index, style);
}

}  // extern "C"
