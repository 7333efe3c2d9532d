// The canvas size and core's own part of the canvas lifecycle.
#pragma once

#include "core/core_state.h"

namespace mve::core {

// Largest maximum brush size a canvas is created with: a brush is at most
// 1000 pixels across, and each of up to 20 blend buffers takes M * M * 8 bytes.
constexpr int kMaxBrushSizeLimit = 4096;

// Records the canvas size (a side below 0 or above 10000 becomes 100), the
// maximum brush size and the host window.
void store_canvas_size(CoreState& e, void* window, int width, int height, int maxBrush, int option) noexcept;

// Frees every layer's pixels (the layers' settings stay) and leaves no current layer.
void drop_layer_planes(CoreState& e) noexcept;

// Lifecycle hooks: the tool random tables from the current seed; the texture
// plane and the PaintLayer freed.
void on_canvas_created(CoreState& e);
void on_canvas_released(CoreState& e) noexcept;

// The colour and luminance variation amounts of the brush: a positive amount
// refills its random table (maximum brush size * 3 bytes, from the current
// seed) and returns the table's length; otherwise the amount is returned.
int set_pix_color_vary(CoreState& e, int amount) noexcept;
int set_pix_lum_vary(CoreState& e, int amount) noexcept;

}  // namespace mve::core
