// Questions about a layer's contents beyond its data extents (those are in
// transfer.h): extents against a background colour, transparency, one colour.
#pragma once

#include "core/core_state.h"

namespace mve::core {

// The bounding box of the pixels of layer `index` that differ from its
// top-left pixel when that pixel has alpha; otherwise the data extents.
// Nothing is written for an absent layer.
void find_data_extents_ex(CoreState& e, int index, int* x0, int* y0, int* x1, int* y1) noexcept;

// True when any pixel's alpha is below 0xFF00, or the layer is absent.
bool is_layer_transparent(CoreState& e, int index) noexcept;

// True when every pixel equals the first in all four channels; false for an
// absent layer.
bool is_single_color(CoreState& e, int index) noexcept;

}  // namespace mve::core
