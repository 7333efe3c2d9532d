// Internal entry points of the brush setters, so that the conversions can be
// tested on a record of their own; the MVE_ exports apply them to the engine.
#pragma once

#include "brush/brush_state.h"

namespace mve {

// full size = dab size = size (kept within 0..1000, the scale table's size);
// the scale index table becomes the identity.
void set_brush_size(BrushSettings& b, int size) noexcept;

// Dab size n (at least 1, at most full size, at most 999) sampling the shape
// evenly: entry i = trunc(full / n * (i + 0.5)).
void set_brush_scale_size(BrushSettings& b, int n) noexcept;

// alpha = a; alphaScaled = trunc(a * 1.28).
void set_brush_alpha(BrushSettings& b, int a) noexcept;

// Strength s, and its inverse 256 - s only when s > 0.
void set_blend_strength(BrushSettings& b, int s) noexcept;
void set_blend_primary_strength(BrushSettings& b, int s) noexcept;

// Angle in degrees to radians with the constant 3.14159, sine and cosine of
// the unrounded product, each stored as float.
void set_rotate_mode(BrushSettings& b, int on, int degrees) noexcept;

// Copies path (NUL included) when it is shorter than 1024 characters;
// otherwise, or for a null path, leaves the start directory unchanged.
void set_start_directory(BrushSettings& b, const char* path) noexcept;

// The start directory text (empty until the host sets one).
const char* start_directory() noexcept;

// 8-bit channel to 16 bits: v * 256, so 255 becomes 65280.
constexpr std::uint16_t channel8_to16(int v) noexcept { return static_cast<std::uint16_t>(v * 256); }

}  // namespace mve
