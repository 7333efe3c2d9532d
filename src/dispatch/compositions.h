// Steps shared by several compositions and the "Gaussian Blur" effect.
#pragma once

#include <cstdint>

#include "dispatch/dispatch.h"

namespace mve::dispatch {

// The Gaussian's sigma from the arguments: 0.6 + 0.4 * f1, or, when the low
// byte of i3 is set, f1 * 0.01 * 0.05 * the larger side of the canvas.
double gaussian_radius(const Frame& f) noexcept;
// The Gaussian blur of that sigma of a canvas-sized RGBA32 buffer.
bool blur_for_composition(Frame& f, const std::uint8_t* in, std::uint8_t* out) noexcept;

// The contrast-mask step into Dst32, chosen by the low byte of i3:
//   0: the contrast-masked layer (imagelib contrast_mask, strength 1), to be
//      merged plainly (the merge mode is set to Normal);
//   1: the grey negative of the layer blurred by the Gaussian;
//   otherwise: the same blurred by the bilateral filter, which keeps edges;
// the two masks are to be merged with Soft Light (the merge mode is set).
// The blur's sigma is 0.6 + 0.4 * f1.
bool contrast_mask_step(Frame& f);

// The saturation step: factor f3 * 0.02 (p3 = 500 keeps the colours, 1000
// doubles their distance from grey, 0 removes it) on a canvas buffer.
bool saturation_step(Frame& f, std::uint8_t* buffer) noexcept;

// The current layer's colour sharpened as RGB24 (level trunc(f2 * 0.2), so
// p2 = 500 adds the detail once, over a blur of radius 2) and written back
// with its alpha kept.
bool sharpen_layer_step(Frame& f);

// Emboss of a canvas buffer by ImageMagick (sigma 0.5 + f1 * 0.05); false
// when ImageMagick cannot take the picture.
bool emboss_step(Frame& f, std::uint8_t* buffer);

// The image-script blur of a canvas buffer, radius 1 + trunc(f1 * 0.1).
bool script_blur_step(Frame& f, std::uint8_t* buffer);

}  // namespace mve::dispatch
