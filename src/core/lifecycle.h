// Hooks that the canvas lifecycle calls in subsystems owning size-dependent
// caches. Each subsystem defines its own hook.
#pragma once

#include "core/engine.h"

namespace mve {

// Frees the brush-shape source cache (brush shapes).
void release_shape_cache(Engine& e) noexcept;

}  // namespace mve
