// The per-pixel twin of the merge core, used by the view renderer to merge
// the PaintLayer into one layer pixel while it composites a view pixel.
//
// Differences from the merge core (merge_core.h): no layer-mask plane and no
// same-alpha-mode flag; the level is applied after the alpha-mode step and
// only when below 255; there is no separate opacity; the transparent-
// destination rule uses the mode after the alpha-mode step, so 40 and 41
// (which blend as 28) give (0, 0, 0, 0) on a transparent destination.
#pragma once

#include <cstdint>

namespace mve {

struct CoreState;

// Merges the source pixel (sR, sG, sB, sA: 16-bit values) into the
// destination (dR, dG, dB, dA: 32-bit variables holding 16-bit values) under
// blend mode `mode` (0..53) and `level` (0..255). The alpha goes back only
// when lockAlpha is false. `alphaLayerOpacity` is the engine's alpha-layer
// opacity O read by the alpha modes. Never throws; modes outside 0..53 blend
// as Normal.
void merge_pixel(int& dR, int& dG, int& dB, int& dA, int sR, int sG, int sB, int sA, int mode, int level,
                 bool lockAlpha, std::uint16_t alphaLayerOpacity) noexcept;

namespace core {

// merge_pixel on a host's four destination variables with the engine's
// alpha-layer opacity; nothing when any of them is null.
void merge_pixel_variables(const CoreState& e, int* dR, int* dG, int* dB, int* dA, int sR, int sG, int sB,
                           int sA, int mode, int level, int lockAlpha) noexcept;

}  // namespace core

}  // namespace mve
