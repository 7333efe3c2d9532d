// Single-pixel colour queries on planes laid out as the canvas.
#pragma once

#include <cstdint>

namespace mve::core {

// High bytes of the pixel at (x, y), clamped into the canvas, packed
// R:24 G:16 B:8 A:0; 0 without a plane.
unsigned rgba_at_canvas_plane(int x, int y, const std::uint16_t* plane);
// High bytes packed A:24 R:16 G:8 B:0; 0xFFFFFF outside the canvas; 0 without a plane.
unsigned color_at_canvas_plane(int x, int y, const std::uint16_t* plane);

}  // namespace mve::core
