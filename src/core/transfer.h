// Pixel transfer between RGBA64 layers and 8-bit caller buffers.
//
// Fixed-point contract of every transfer here:
//   8 -> 16 bits: v << 8 (255 becomes 65280, not 65535);
//   16 -> 8 bits: the high byte, v >> 8.
// Layers are straight (not premultiplied) RGBA64, rows of width * 4 values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/core_state.h"
#include "core/layers.h"

namespace mve {

// 8 -> 16 bits: v * 256.
constexpr std::uint16_t widen8(std::uint32_t v) noexcept { return static_cast<std::uint16_t>(v << 8); }
// 16 -> 8 bits: the high byte.
constexpr std::uint8_t narrow16(std::uint32_t v) noexcept { return static_cast<std::uint8_t>(v >> 8); }

// The current layer when one has been chosen and it has pixels, else null.
inline LayerRecord* current_layer(CoreState& e) noexcept
{
    return e.layers.current ? present_layer(e, e.layers.currentIndex) : nullptr;
}

// Rows and columns of a canvas-sized transfer with a layer: the canvas size,
// never more than the layer holds (a layer may keep an older size).
struct Extent {
    int width = 0;
    int height = 0;
    bool empty() const noexcept { return width <= 0 || height <= 0; }
};
Extent canvas_extent(const CoreState& e, const LayerRecord& layer) noexcept;

// Places a width x height RGBA32 buffer at (x, y) on the layer, clipped to
// the layer (negative x or y skip the buffer's first columns or rows), through
// the Mask and texture when `masked` and either of them takes part.
void load_rgba32_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, LayerRecord& layer, int x,
                       int y, int width, int height, bool masked);

// Sets the alpha byte of every pixel of a packed RGBA32 buffer.
void set_rgba32_alpha(std::uint8_t* buffer, int width, int height, std::uint8_t alpha) noexcept;

namespace core {

// Layer `index` (or the current layer) as RGBA32 high bytes into a host
// buffer laid out as the canvas; nothing for an absent layer.
void read_layer_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes, int index) noexcept;
void read_current_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept;

// Loads the RGBA32 rectangle into layer `index` (through the Mask and
// texture when `masked`); nothing for an absent layer.
void load_rgba32_into_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, int index, int x, int y,
                            int width, int height, bool masked) noexcept;

// The whole current layer loaded from a canvas-laid RGBA32 buffer.
void load_rgba32_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes, bool masked) noexcept;

// Whole-buffer RGBA32 steps around a filter: colours scaled by alpha before
// ((c + 1) * a / 255 for 0 < a < 255) and back after (c * 255 / a, alpha 254
// taken as 255), and the buffer's alpha scaled by the Mask and texture.
void premultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept;
void unpremultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept;
void cover_rgba32(std::uint8_t* buffer, int width, int height) noexcept;

// Every pixel of a width x height RGBA32 buffer set to the four low bytes.
void fill_rgba32_buffer(std::uint8_t* buffer, int width, int height, int r, int g, int b, int a) noexcept;

// The bounding box of the pixels of layer `index` with non-zero alpha
// (inclusive-exclusive, as the extents exports report it).
void find_data_extents(CoreState& e, int index, int* x0, int* y0, int* x1, int* y1) noexcept;

}  // namespace core

}  // namespace mve
