// Alpha and colour operations on whole layers and on RGBA32 buffers.
#pragma once

#include <cstdint>

#include "core/core_state.h"

namespace mve::core {

// Alpha of every pixel of layer `index` inverted (65535 - A) or set to the
// low 16 bits of `value`; nothing for an absent layer.
void invert_alpha(CoreState& e, int index) noexcept;
void set_layer_alpha(CoreState& e, int index, int value) noexcept;

// Alpha of a canvas-sized RGBA32 buffer inverted (255 - A).
void invert_alpha_rgba32(const CoreState& e, std::uint8_t* buffer) noexcept;

// Bakes the layer's opacity into its alpha (A * opacity / 256) and sets the
// opacity to full (256); alpha-mode layers and absent layers are left alone.
void normalize_layer_alpha(CoreState& e, int index) noexcept;

// Pixels of the current layer with alpha below 256 become the colour (8-bit
// values * 257) at alpha 0.
void set_color_alpha(CoreState& e, int r, int g, int b) noexcept;

// Colour of the width x height RGBA32 buffer set to the low bytes of r, g, b:
// only where alpha is 0, or everywhere.
void set_color_alpha_rgba32(std::uint8_t* buffer, int width, int height, int r, int g, int b) noexcept;
void set_color_rgba32(std::uint8_t* buffer, int width, int height, int r, int g, int b) noexcept;

// Alpha 0 wherever a canvas-sized RGBA32 buffer holds exactly (r, g, b).
void set_alpha_from_rgba32_color(const CoreState& e, std::uint8_t* buffer, int r, int g, int b) noexcept;

// Turns layer `index` into a blob: style 1 pulls colours toward mid grey by
// their luminance (relief), any other style makes them mid grey; alpha above
// 8191 becomes L * 0.843 + 10239.
void create_blob_from_image(CoreState& e, int index, int style) noexcept;

}  // namespace mve::core
