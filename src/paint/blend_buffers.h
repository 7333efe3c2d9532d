// Blend buffers: the brush's paint load. Each is an M x M RGBA64 square
// (M = maximum brush size) that pick-up dabs take their colour from and remix
// canvas colour back into. Operations at (x, y) work on the brush square
// centred there: n = full size, left = x - n/2, top = y - n/2; canvas pixel
// (px, py) is buffer pixel (px - left, py - top).
#pragma once

#include <cstdint>

#include "core/clip.h"
#include "engine/engine.h"

namespace mve {

// Sets the number of buffers (at most 20); reallocates only when it changes.
// Record 0 becomes current in every case. Returns the number now held.
int set_blend_buffer_count(Engine& e, int count);

// The current buffer's pixels, or null.
std::uint16_t* current_blend_buffer(Engine& e) noexcept;

// The brush square of the blend-buffer operations: the unclipped square and
// its part that lies on the plane, on the canvas and inside the buffer's own
// side (all in 64-bit arithmetic, so positions near the integer limits clip
// to nothing rather than overflow).
struct BrushSquare {
    long long left = 0, top = 0;         // unclipped square
    int size = 0;
    ClipRect on;                         // canvas pixels the operation touches
    bool crossing = false;               // part of the square lies off the plane
    // Offset of canvas pixel (px, py) in a buffer of `side` pixels per row.
    std::size_t at(int px, int py, int side) const noexcept
    {
        return (static_cast<std::size_t>(py - top) * side + static_cast<std::size_t>(px - left)) * 4;
    }
};
BrushSquare brush_square(const Engine& e, int x, int y, int planeWidth, int planeHeight, int side) noexcept;

// Mask factor of the copy and mix: 65535 passes, else (m * 65535) >> 16.
inline std::uint32_t blend_mask_factor(std::uint32_t m) noexcept { return m == 65535 ? 65535 : (m * 65535) >> 16; }

// Layer `index` with its own size, or an empty view when it is absent.
SizedPlane layer_plane(Engine& e, int index) noexcept;
// A canvas-sized plane (the UnderLayer, a host's plane) with the canvas size.
SizedPlane canvas_plane(const Engine& e, const std::uint16_t* pixels) noexcept;

// The current buffer record (pixels may be absent).
BlendBuffer& current_blend_record(Engine& e) noexcept;

// Copy from an RGBA64 plane (c = brush colour strength 0..256).
int copy_blend_buffer(Engine& e, int x, int y, SizedPlane plane, int c, int flag);
// Mix canvas colour from a plane into the buffer (w = canvas strength 0..256).
int mix_blend_buffer(Engine& e, int x, int y, SizedPlane plane, int w);

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
