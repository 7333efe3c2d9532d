// Blend buffers: the brush's paint load, squares of the maximum brush size.
#pragma once

#include "core/engine.h"

namespace mve {

// Sets the number of buffers (at most 20); reallocates only when it changes.
// Record 0 becomes current in every case.
void set_blend_buffer_count(Engine& e, int count);

}  // namespace mve
