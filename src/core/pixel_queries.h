// Single-pixel colour queries on planes laid out as the canvas.
#pragma once

#include <cstdint>

#include "core/core_state.h"

namespace mve::core {

// High bytes of the pixel at (x, y), clamped into the canvas, packed
// R:24 G:16 B:8 A:0; 0 without a plane.
unsigned rgba_at_canvas_plane(int x, int y, const std::uint16_t* plane);
// High bytes packed A:24 R:16 G:8 B:0; 0xFFFFFF outside the canvas; 0 without a plane.
unsigned color_at_canvas_plane(int x, int y, const std::uint16_t* plane);

// One 16-bit channel (0..3) of the current layer at (x, y); 0 without one or
// outside the canvas.
int channel_at(CoreState& e, int x, int y, int channel);

// The same two packings on the canvas part of the current layer (the
// surface), of layer `index`, of the trace layer (0) and of the PaintLayer;
// an absent plane counts as no plane.
unsigned rgba_at_surface(CoreState& e, int x, int y);
unsigned rgba_at_layer(CoreState& e, int x, int y, int index);
unsigned rgba_at_trace(CoreState& e, int x, int y);
unsigned color_at_surface(CoreState& e, int x, int y);
unsigned color_at_layer(CoreState& e, int x, int y, int index);
unsigned color_at_paint_layer(CoreState& e, int x, int y);
unsigned color_at_trace(CoreState& e, int x, int y);

// The composite of the visible layers at (x, y), packed as color_at; 0xFFFFFF
// outside the canvas, 0 when the one-pixel plane cannot be allocated.
unsigned color_at_merged(CoreState& e, int x, int y);

}  // namespace mve::core
