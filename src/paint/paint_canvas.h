// What the paint subsystem holds per canvas: the grit patterns and the brush
// shape sized by the maximum brush size, and the blend buffers.
#pragma once

#include "engine/engine.h"

namespace mve::paint {

// Grit patterns of (M + 25)^2 bytes, the M x M brush shape and one blend
// buffer, M the maximum brush size. Throws Failure when one cannot be had.
void on_canvas_created(Engine& e);
void on_canvas_released(Engine& e) noexcept;

}  // namespace mve::paint
