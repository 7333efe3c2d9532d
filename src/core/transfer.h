// Pixel transfer between RGBA64 layers and 8-bit caller buffers.
//
// Fixed-point contract of every transfer here:
//   8 -> 16 bits: v << 8 (255 becomes 65280, not 65535);
//   16 -> 8 bits: the high byte, v >> 8.
// Layers are straight (not premultiplied) RGBA64, rows of width * 4 values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/clip.h"
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
// the Mask and texture when `masked` and either of them takes part. True
// when the whole buffer was placed and every pixel holds its value widened
// as it stands (no coverage blend, no lock alpha, no colour of a
// transparent pixel dropped).
bool load_rgba32_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, LayerRecord& layer, int x,
                       int y, int width, int height, bool masked);

// Sets the alpha byte of every pixel of a packed RGBA32 buffer.
void set_rgba32_alpha(std::uint8_t* buffer, int width, int height, std::uint8_t alpha) noexcept;

namespace core {

// Layer `index` (or the current layer) as RGBA32 high bytes into a host
// buffer laid out as the canvas; nothing for an absent layer.
void read_layer_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes, int index) noexcept;
void read_current_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept;

// The same as RGB24 (high bytes of R, G, B), or the alpha high byte three
// times, from the current layer or layer `index`.
void read_current_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept;
void read_layer_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes, int index) noexcept;
void read_current_alpha_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept;

// width x height RGBA64 pixels to RGBA32 or RGB24 between buffers with their
// own row bytes; the canvas-sized variant reads the canvas size.
void rgba64_to_rgba32_rows(std::uint8_t* out, int outRowBytes, const std::uint16_t* in, int inRowBytes,
                           int width, int height) noexcept;
void rgba64_to_rgb24_rows(std::uint8_t* out, int outRowBytes, const std::uint16_t* in, int inRowBytes,
                          int width, int height) noexcept;
void canvas_rgba64_to_rgb24(const CoreState& e, std::uint8_t* out, int outRowBytes, const std::uint16_t* in,
                            int inRowBytes) noexcept;

// Rectangle (x, y, w, h) of a plane of inStride pixels per row into a packed
// buffer. To RGBA32 it is clipped to the canvas (a negative start becomes 0
// without shortening the width); to RGB24 it is not clipped, and a negative
// start or empty size is refused.
void rgba64_rect_to_rgba32(const CoreState& e, const std::uint16_t* in, int x, int y, int w, int h,
                           int inStride, std::uint8_t* out) noexcept;
void rgba64_rect_to_rgb24(const std::uint16_t* in, int x, int y, int w, int h, int inStride,
                          std::uint8_t* out) noexcept;

// Loads the RGBA32 rectangle into layer `index` (through the Mask and
// texture when `masked`); nothing for an absent layer.
void load_rgba32_into_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, int index, int x, int y,
                            int width, int height, bool masked) noexcept;

// The whole current layer loaded from a canvas-laid RGBA32 buffer. True when
// the layer covers the canvas and now holds the buffer exactly (widened as
// it stands), so reading it back as RGBA32 would give the buffer again.
bool load_rgba32_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes, bool masked) noexcept;

// An RGB24 picture laid out as the canvas into the current layer's colour
// (alpha kept), or its grey level (r + g + b) / 3 into the alpha; through the
// Mask and texture when `masked` (the masked alpha path takes the first byte
// as the grey level). Nothing without a current layer or buffer.
void load_rgb24_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes, bool masked) noexcept;
void load_rgb24_alpha_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes,
                                   bool masked) noexcept;

// A BGR24 picture into the current layer, opaque at 65535, over the part of
// width x height that lies on the canvas.
void load_bgr24_into_current(CoreState& e, const std::uint8_t* bgr, int rowBytes, int width,
                             int height) noexcept;

// Whole-buffer RGBA32 steps around a filter: colours scaled by alpha before
// ((c + 1) * a / 255 for 0 < a < 255) and back after (c * 255 / a, alpha 254
// taken as 255), and the buffer's alpha scaled by the Mask and texture.
void premultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept;
void unpremultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept;
void cover_rgba32(std::uint8_t* buffer, int width, int height) noexcept;
// The same for a buffer placed at (x, y) on the canvas; its pixels off the
// canvas are left alone.
void cover_rgba32_rect(const CoreState& e, std::uint8_t* buffer, int x, int y, int width,
                       int height) noexcept;

// The 16-bit steps: c * alpha / 65535 before, min(c * 65535 / alpha, 65535)
// after, both for alpha != 0.
void premultiply_rgba64(std::uint16_t* buffer, int width, int height) noexcept;
void unpremultiply_rgba64(std::uint16_t* buffer, int width, int height) noexcept;

// When `flag` is set, a canvas-sized RGBA32 buffer's colours become
// min(c * 255 / alpha, 255) wherever alpha != 0.
void unpremultiply_for_alpha_comp(const CoreState& e, int flag, std::uint8_t* buffer) noexcept;

// Packed converters of width x height pixels (nothing for a null buffer):
// RGB24 to RGBA32 (alpha kept), RGBA32 to RGB24, RGBA32 alpha to grey RGB24,
// and RGB24 grey level (r + g + b) / 3 into an RGBA32 buffer's alpha.
void rgb_to_rgba(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept;
void rgba_to_rgb(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept;
void rgb_alpha_to_rgb(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept;
void rgb_to_rgb_alpha(std::uint8_t* buffer, int width, int height, const std::uint8_t* in) noexcept;

// One RGB24 pixel of a canvas-laid buffer set to the high bytes of three
// 16-bit values; nothing off the canvas.
void set_pixel_rgb24(const CoreState& e, std::uint8_t* buffer, int rowBytes, int x, int y, int r, int g,
                     int b) noexcept;

// Every pixel of a canvas-sized RGBA32 buffer whose alpha lies within
// tolerancePercent * 2.56 of `alpha` becomes (r, g, b, a).
void replace_alpha_range(const CoreState& e, std::uint8_t* buffer, int alpha, int tolerancePercent, int r,
                         int g, int b, int a) noexcept;

// Every pixel of a width x height RGBA32 buffer set to the four low bytes.
void fill_rgba32_buffer(std::uint8_t* buffer, int width, int height, int r, int g, int b, int a) noexcept;

// The current layer filled with the colour of four low bytes (widened v << 8):
// plainly; through the Mask (see transfer_fill.cpp); or, when the Mask is on
// or the layer locks its alpha, through the masked RGBA32 load path.
void clear_current(CoreState& e, int r, int g, int b, int a) noexcept;
void clear_masked(CoreState& e, int r, int g, int b, int a) noexcept;
void clear_masked_alpha(CoreState& e, int r, int g, int b, int a) noexcept;

// A canvas-laid caller buffer filled with four 16-bit values, or four low bytes.
void clear_rgba64(const CoreState& e, std::uint16_t* buffer, int rowBytes, int r, int g, int b,
                  int a) noexcept;
void clear_rgba32(const CoreState& e, std::uint8_t* buffer, int rowBytes, int r, int g, int b,
                  int a) noexcept;

// The bounding box of the pixels of layer `index` with non-zero alpha
// (inclusive-exclusive, as the extents exports report it).
void find_data_extents(CoreState& e, int index, int* x0, int* y0, int* x1, int* y1) noexcept;

}  // namespace core

}  // namespace mve
