// Layer-level merges built on the merge core: layer into layer, layer into a
// caller's buffer, the composite of the visible stack, and RGBA32 buffers
// merged into planes.
#pragma once

#include <cstdint>

#include "core/core_state.h"

namespace mve {

// The layer-mask plane of layer k: the pixels of the first present, visible
// layer above k (up to the layer count) when that layer's mode is 51 and it
// has k's plane geometry; null otherwise.
const std::uint16_t* layer_mask_of(CoreState& e, int k) noexcept;

// Merges layer `index` (rectangle x, y, w, h) into `buffer` (w x h RGBA64,
// stride w * 4) at (0, 0) with the layer's mode and opacity, level 255, no
// lock, flag off. The part of the rectangle outside the layer is left alone.
// False when the layer is absent or buffer is null.
bool merge_layer_into_rect(CoreState& e, int index, std::uint16_t* buffer, int x, int y, int w,
                           int h) noexcept;

// The composite of the visible layers (1 copied, 2..271 merged) into buffer.
void merge_visible_rect(CoreState& e, std::uint16_t* buffer, int x, int y, int w, int h) noexcept;

// Converts a canvasWidth x canvasHeight packed RGBA32 buffer to RGBA64
// (v << 8) and merges it over the whole canvas into `plane` (stride in
// 16-bit values, at least canvasHeight rows) with `mode`, `opacity`
// (0..256), level 255, the given lock alpha and the same-alpha-mode flag.
// Returns false when the conversion buffer cannot be allocated; a null
// buffer or plane does nothing and returns true.
bool merge_rgba32_into_plane(const std::uint8_t* rgba32, int canvasWidth, int canvasHeight, std::uint16_t* plane,
                             int planeStride, int mode, int opacity, bool lockAlpha,
                             bool sameAlphaMode = false) noexcept;

}  // namespace mve
