// Hue/saturation/lightness and hue/saturation/value shifts of an RGBA32
// buffer in place (alpha is never changed).
#pragma once

#include <cstdint>

#include "core/colour_models.h"

namespace mve::ipl {

// The shift of one pixel, the scalar reference of the buffer loops.
// Chromatic pixels: the hue moves by hueShift (brought back into 0..360),
// saturation and lightness (or value) move by percent x 0.01, each clamped to
// 0..1. Grey pixels (r = g = b) keep hue 0 and saturation 0: only the
// lightness (value) moves, so a grey stays grey whatever the saturation shift.
Rgb8 hsl_adjust_pixel(int r, int g, int b, int hueShift, int saturationPercent,
                      int lightnessPercent) noexcept;
Rgb8 hsv_adjust_pixel(int r, int g, int b, int hueShift, int saturationPercent, int valuePercent) noexcept;

// The same over a width x height buffer of packed RGBA32 rows (width x 4
// bytes), rows in parallel; the result does not depend on the thread count.
// A null buffer or an empty size does nothing.
void hsl_adjust(std::uint8_t* rgba, int width, int height, int hueShift, int saturationPercent,
                int lightnessPercent) noexcept;
void hsv_adjust(std::uint8_t* rgba, int width, int height, int hueShift, int saturationPercent,
                int valuePercent) noexcept;

}  // namespace mve::ipl
