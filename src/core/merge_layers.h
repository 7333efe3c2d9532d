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

namespace core {

// Merges layer src into layer dst over the canvas part both hold, with src's
// mode and opacity, its layer mask when it has one, and the same-alpha-mode
// flag when both share an alpha mode. Nothing for an absent layer. May throw
// (the caller records "MVE_MergeLayer Excpt").
void merge_layer(CoreState& e, int src, int dst);

// merge_layer_into_rect over the whole canvas.
bool merge_layer_into_canvas(CoreState& e, int index, std::uint16_t* buffer) noexcept;

// The composite of the visible layers over the whole canvas.
void merge_visible(CoreState& e, std::uint16_t* buffer) noexcept;

// Merges a canvas-sized RGBA32 buffer into layer `index` with `mode` and
// `opacity`, converting only the rows the layer holds. Throws Failure when the
// conversion plane cannot be allocated (the caller records
// "MVE_MergeRGBA32Layer Excpt"); nothing for an absent layer or null buffer.
void merge_rgba32_layer(CoreState& e, const std::uint8_t* buffer, int index, int mode, int opacity);

}  // namespace core

}  // namespace mve
