// Raw RGBA64 copies between layers and caller buffers (no conversion). Every
// copy does nothing for an absent layer or a null buffer.
#pragma once

#include <cstdint>

#include "core/core_state.h"

namespace mve::core {

// The canvas part of layer `index` from / into a buffer of rowBytes per row;
// the read gives the whole layer, width x height.
void set_rgba64_layer(CoreState& e, const std::uint16_t* buffer, int rowBytes, int index) noexcept;
void get_rgba64_layer(CoreState& e, std::uint16_t* buffer, int rowBytes, int index) noexcept;

// The part of rectangle (x, y, w, h) that lies on layer `index`, placed in
// the buffer where it lies in the rectangle; the rest of the buffer is kept.
void get_rgba64_layer_rect(CoreState& e, std::uint16_t* buffer, int rowBytes, int index, int x, int y, int w,
                           int h) noexcept;

// The layer's packed pixels (width * height * 8 bytes at most) as one block.
void set_layer_data(CoreState& e, const std::uint16_t* data, int index) noexcept;
void get_layer_data(CoreState& e, std::uint16_t* buffer, int index) noexcept;

// Pixels of layer src over those of dst, as many bytes as the smaller holds.
void copy_layer_data(CoreState& e, int src, int dst) noexcept;

}  // namespace mve::core
