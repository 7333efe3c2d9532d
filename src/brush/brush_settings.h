// Internal entry points of the brush setters, so that the conversions can be
// tested on a record of their own; the MVE_ exports apply them to the engine.
#pragma once

#include <array>

#include "brush/brush_state.h"
#include "core/random.h"

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

namespace brush {

// The four colour banks from 8-bit r0, g0, b0, r1, ... b3, widened as the
// brush colour is; every bank's alpha is full.
void set_colour_banks(BrushSettings& s, const std::array<int, 12>& rgb) noexcept;

// Keeps the seed and reseeds the C-runtime generator with it.
void set_random_seed(RandomTables& random, int seed) noexcept;

// The paint mix mode and level with the derived inverse and the signed
// strengths trunc((level - 127) / 127 * 10) and * 16; returns the latter.
int set_mix_mode(BrushSettings& b, int mode, int level) noexcept;

}  // namespace brush

}  // namespace mve
