// Blend buffers: the brush's paint load. Each is an M x M RGBA64 square
// (M = maximum brush size) that pick-up dabs take their colour from and remix
// canvas colour back into. Operations at (x, y) work on the brush square
// centred there: n = full size, left = x - n/2, top = y - n/2; canvas pixel
// (px, py) is buffer pixel (px - left, py - top).
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve {

// Sets the number of buffers (at most 20); reallocates only when it changes.
// Record 0 becomes current in every case. Returns the number now held.
int set_blend_buffer_count(Engine& e, int count);

// The current buffer's pixels, or null.
std::uint16_t* current_blend_buffer(Engine& e) noexcept;

// The brush square of the blend-buffer operations, clipped to the canvas.
struct BrushSquare {
    int left = 0, top = 0, size = 0;         // unclipped square
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;      // clipped canvas range, exclusive ends
    bool crossing = false;
};
BrushSquare brush_square(const Engine& e, int x, int y) noexcept;

// Mask factor of the copy and mix: 65535 passes, else (m * 65535) >> 16.
inline std::uint32_t blend_mask_factor(std::uint32_t m) noexcept { return m == 65535 ? 65535 : (m * 65535) >> 16; }

// The pixels of layer `index`, or null when it is absent.
const std::uint16_t* layer_plane(Engine& e, int index) noexcept;

// Copy from any canvas-sized RGBA64 plane (c = brush colour strength 0..256).
int copy_blend_buffer(Engine& e, int x, int y, const std::uint16_t* plane, int c, int flag);
// Mix canvas colour from a plane into the buffer (w = canvas strength 0..256).
int mix_blend_buffer(Engine& e, int x, int y, const std::uint16_t* plane, int w);

namespace paint {

// Makes buffer `index` current, kept within the buffers there are.
void select_blend_buffer(BlendBufferState& blend, int index) noexcept;

// copy_blend_buffer from the current layer, layer `layer`, the under-layer
// snapshot (also the history plane) or the Trace layer (index 0).
int copy_blend_buffer_surface(Engine& e, int x, int y, int c, int flag);
int copy_blend_buffer_layer(Engine& e, int layer, int x, int y, int c);
int copy_blend_buffer_under_layer(Engine& e, int x, int y, int c);
int copy_blend_buffer_trace(Engine& e, int x, int y, int c);

// mix_blend_buffer from the same planes.
int mix_blend_buffer_surface(Engine& e, int x, int y, int w);
int mix_blend_buffer_layer(Engine& e, int layer, int x, int y, int w);
int mix_blend_buffer_under_layer(Engine& e, int x, int y, int w);
int mix_blend_buffer_trace(Engine& e, int x, int y, int w);

// Loads the Mask under the brush square into the buffer, one value per pixel
// (rows still M * 4 values apart), pulled toward the brush's pick-up grey by
// c / 256.
int copy_blend_buffer_mask(Engine& e, int x, int y, int c) noexcept;

// Tints the buffer's colour toward the 8-bit (r, g, b) by f / 256; pixels
// without alpha take the colour itself.
int colour_blend_buffer(Engine& e, int x, int y, int r, int g, int b, int f) noexcept;

// Zeroes the current buffer.
void clear_blend_buffer(BlendBufferState& blend) noexcept;
// Sets every byte of the first M * M values of the current buffer to lo & 0xFF.
void fill_blend_buffer(Engine& e, int lo) noexcept;
// Filters the colour of the brush-sized corner of the current buffer:
// 289 grey, 290 invert, 291 zero below level%, 292 saturate above level%.
void filter_blend_buffer(Engine& e, int kind, int level) noexcept;

}  // namespace paint

}  // namespace mve
