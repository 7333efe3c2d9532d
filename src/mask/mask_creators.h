// Selections from canvas-sized pictures: every pixel that passes a test gets
// one value, selection_value(strength) unless said otherwise; the others keep
// theirs. Nothing happens for a null picture or while the Mask does not cover
// the canvas. Tolerances are percent, a channel bound of truncate(t * 2.56).
#pragma once

#include "engine/engine.h"

namespace mve::mask {

// Pixels where two RGBA32 pictures differ in any byte get `value` itself.
void create_from_diff_rgba32(Engine& e, const unsigned char* a, const unsigned char* b, int value);
// R, G, B equal the key exactly (alpha ignored), in an RGBA32 or RGB24 picture.
void create_from_rgba_color(Engine& e, const unsigned char* buffer, int r, int g, int b, int strength);
void create_from_rgb24_color(Engine& e, const unsigned char* buffer, int r, int g, int b, int strength);
// A canvas-sized byte plane (a flood-fill result) holds exactly 1.
void create_from_flood_mask(Engine& e, const unsigned char* bytes, int strength);

// RGBA32 ranges: |R - r|, |G - g| and |B - b| each within the bound; |A -
// alpha| within it; the channel means (R + G + B) / 3 within it.
void create_from_rgba_color_range(Engine& e, const unsigned char* buffer, int r, int g, int b, int tolerance,
                                  int strength);
void create_from_rgba_alpha_range(Engine& e, const unsigned char* buffer, int alpha, int tolerance,
                                  int strength);
void create_from_rgba_luminance_range(Engine& e, const unsigned char* buffer, int r, int g, int b,
                                      int tolerance, int strength);

// HSV hue within truncate(tolerance * 1.8) degrees of the key's, across the
// 0/360 seam.
void create_from_rgba_hue_range(Engine& e, const unsigned char* buffer, int r, int g, int b, int tolerance,
                                int strength);
// HSL hue within hueTolerance * 180 degrees (not truncated), and saturation
// and lightness each within their tolerance.
void create_from_rgba_hsl_range(Engine& e, const unsigned char* buffer, int r, int g, int b,
                                double hueTolerance, double saturationTolerance, double lightnessTolerance,
                                int strength);

}  // namespace mve::mask
