#include "core/layers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/blend_modes.h"
#include "core/guard.h"
#include "core/runtime.h"
#include "core/texture.h"
#include "morvane/morvane.h"

namespace mve {

void store_mode_name(LayerRecord& layer, const char* name) noexcept
{
    if (!name) return;
    const std::size_t length = std::strlen(name);
    if (length < 50) std::memcpy(layer.modeName, name, length + 1);
}

int highest_present_layer(const LayerStack& layers) noexcept
{
    for (int k = kLayerCount - 1; k >= 1; --k)
        if (layers.table[k].present()) return k;
    return 1;
}

void recount_layers(LayerStack& layers) noexcept
{
    layers.count = highest_present_layer(layers);
}

bool plane_size_allowed(long long width, long long height) noexcept
{
    return width >= 0 && height >= 0 && width * height <= runtime().pixelLimit && width <= kMaxPlaneSide &&
           height <= kMaxPlaneSide;
}

namespace core {

int create_layer(CoreState& e, int index, int width, int height) noexcept
{
    return guarded("CreateLayer Excpt", 0, [&] {
        if (!valid_layer_index(index) || !plane_size_allowed(width, height)) return 0;
        LayerRecord& layer = e.layers.table[index];
        if (layer.present() && (layer.width != width || layer.height != height)) layer.pixels.reset();
        layer.width = width;
        layer.height = height;
        layer.stride = width * 4;
        const std::size_t values = static_cast<std::size_t>(width) * height * 4;
        if (!layer.present()) require(layer.pixels.allocate(values));
        // The background starts opaque white, every other layer transparent black.
        std::memset(layer.pixels.begin_write(), index == 1 ? 0xFF : 0x00, layer.pixels.bytes());
        recount_layers(e.layers);
        return 1;
    });
}

bool select_layer(CoreState& e, int index) noexcept
{
    LayerRecord* layer = present_layer(e, index);
    if (!layer) return false;
    if (layer->blendMode == kTexturize3) delete_texture(e);
    const int old = e.layers.currentIndex;
    const LayerRecord& previous = e.layers.table[old];
    if (index != old && previous.visible && previous.blendMode == kTexturize3)
        guarded("CreateTexture Excpt", 0, [&] { return create_texture(e, old); });
    e.layers.currentIndex = index;
    e.layers.current = layer;
    return true;
}

void delete_layer(CoreState& e, int index) noexcept
{
    if (LayerRecord* layer = layer_at(e, index)) layer->pixels.reset();
}

void swap_layers(CoreState& e, int a, int b) noexcept
{
    LayerRecord* la = layer_at(e, a);
    LayerRecord* lb = layer_at(e, b);
    if (la && lb && la != lb) {
        std::swap(*la, *lb);
        recount_layers(e.layers);
    }
}

int set_layer_options(CoreState& e, int index, int visible, int lockAlpha, int opacityPercent,
                      const char* modeName) noexcept
{
    LayerRecord* layer = layer_at(e, index);
    if (!layer) return 0;
    if (layer->blendMode == kTexturize3) delete_texture(e);
    layer->visible = static_cast<std::uint8_t>(visible);
    layer->lockAlpha = static_cast<std::uint8_t>(lockAlpha);
    layer->level = 255;
    std::memset(layer->modeName, 0, sizeof layer->modeName);
    layer->opacity = static_cast<std::uint16_t>(static_cast<int>(opacityPercent * 2.56));
    store_mode_name(*layer, modeName);
    layer->blendMode = blend_mode_from_name(modeName);
    recount_layers(e.layers);
    if (index != e.layers.currentIndex && layer->visible && layer->blendMode == kTexturize3)
        return guarded("CreateTexture Excpt", 0, [&] { return create_texture(e, index); });
    return layer->blendMode;
}

int set_alpha_layer_opacity(CoreState& e, int percent) noexcept
{
    auto value = static_cast<std::uint16_t>(static_cast<long long>(percent * 0.01 * 65535));
    e.layers.alphaLayerOpacity = value;
    return value;
}

int layer_size(CoreState& e, int index, int* width, int* height) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (width) *width = layer ? layer->width : 0;
    if (height) *height = layer ? layer->height : 0;
    return layer ? 1 : 0;
}

int layer_count(const CoreState& e) noexcept
{
    const LayerStack& layers = e.layers;
    return static_cast<int>(std::count_if(layers.table.begin(), layers.table.end(),
                                          [](const LayerRecord& l) { return l.present(); }));
}

}  // namespace core

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API int MVE_CreateLayer(int index, int width, int height)
{
    return core::create_layer(core_state(), index, width, height);
}

MVE_API void MVE_DeleteLayer(int index)
{
    core::delete_layer(core_state(), index);
}

MVE_API void MVE_SwapLayers(int a, int b)
{
    core::swap_layers(core_state(), a, b);
}

MVE_API int MVE_GetLayerSize(int index, int* width, int* height)
{
    return core::layer_size(core_state(), index, width, height);
}

MVE_API int MVE_GetLayerNum(void)
{
    return core_state().layers.currentIndex;
}

MVE_API int MVE_SetLayerOptions(int index, int visible, int lockAlpha, int opacityPercent, const char* modeName)
{
    return core::set_layer_options(core_state(), index, visible, lockAlpha, opacityPercent, modeName);
}

MVE_API int MVE_SetAlphaLayerOpacity(int percent)
{
    return core::set_alpha_layer_opacity(core_state(), percent);
}

MVE_API int MVE_GetLayerCount(void)
{
    return core::layer_count(core_state());
}

}  // extern "C"
