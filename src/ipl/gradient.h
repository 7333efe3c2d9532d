// Linear and radial gradients of up to four colour stops.
//
// Stops sit at positions 0..100. With count 0 the first colour runs from
// transparent (0) to opaque (100); with count 1 from opaque to transparent;
// with 2..4 the first `count` colours sit at 0, v, 2v, 3v (v = 100 /
// (count - 1), integer), all opaque. Counts above 4 are taken as 4, below 0
// as 0. Between two stops each channel (alpha too) is interpolated linearly
// and rounded; before the first stop and past the last the end stops hold.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine.h"

namespace mve::ipl {

struct GradientStop {
    double position = 0;
    std::array<int, 4> rgba = {0, 0, 0, 255};
};

struct GradientStops {
    std::array<GradientStop, 4> stop;
    int count = 0;
};

// colours holds four (r, g, b) triples.
GradientStops gradient_stops(const std::array<std::array<int, 3>, 4>& colours, int count) noexcept;

// The colour at position p (0..100) as RGBA32 bytes.
void gradient_colour(const GradientStops& stops, double position, std::uint8_t* out) noexcept;

// The geometry: "Linear" runs along (x0, y0) -> (x1, y1), position = 100 *
// projection / length^2; any other type is radial around (x0, y0) with the
// distance to (x1, y1) as radius, position = 100 * distance / radius. Both
// clamp to 0..100; a line of length 0 or a radius 0 puts every pixel at 100.
struct GradientShape {
    bool linear = true;
    double x0 = 0, y0 = 0, dx = 0, dy = 0, scale = 0;  // scale: 100 / len^2 or 100 / radius
};
GradientShape gradient_shape(int x0, int y0, int x1, int y1, const char* type) noexcept;
double gradient_position(const GradientShape& shape, int x, int y) noexcept;

// Row y, columns 0..width-1, of the gradient as RGBA32. The reference
// computes each pixel's colour from its position; the fast path reads a
// table of 4096 colours over 0..100 (within 1 of the reference).
void gradient_row(const GradientStops& stops, const GradientShape& shape, int y, int width, std::uint8_t* out,
                  const std::uint8_t* table) noexcept;
constexpr int kGradientTableSize = 4096;
void gradient_table(const GradientStops& stops, std::uint8_t* table) noexcept;

// The gradient over the whole canvas, through the Mask and texture, merged
// over the current layer (Normal, full opacity).
void draw_gradient(Engine& e, const std::array<std::array<int, 3>, 4>& colours, int count, int x0, int y0,
                   int x1, int y1, const char* type);

}  // namespace mve::ipl
