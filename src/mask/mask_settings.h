// Mask settings and the operations on the whole Mask: the display tint,
// invert, fill, raw 16-bit copies and the point query. Every operation on
// the plane does nothing while the Mask does not cover the canvas.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve::mask {

// The display tint from six 8-bit channels (two colours) and the strength
// flag the renderer uses for it.
void set_options(MaskState& m, int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag) noexcept;

// Every value m becomes 65535 - m.
void invert(Engine& e);
// One value everywhere, from the grey (r + g + b) / 3 of 16-bit channels.
void clear(Engine& e, int r, int g, int b);

// Raw copies of the whole canvas-sized plane out of and into `buffer`
// (nothing for a null buffer).
void get_data16(Engine& e, std::uint16_t* buffer) noexcept;
void set_data16(Engine& e, const std::uint16_t* buffer) noexcept;

// How much of a write is blocked at (x, y): 65535 - m, or 0 when there is no
// current layer, the Mask is disabled or the point lies outside the canvas.
int blocked_at(Engine& e, int x, int y) noexcept;

}  // namespace mve::mask
