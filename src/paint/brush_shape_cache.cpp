// The source cache of brush-shape pictures, keyed by path and angle. It holds
// nothing until brush shapes are loaded from pictures.
#include "core/lifecycle.h"

namespace mve {

void release_shape_cache(Engine&) noexcept {}

}  // namespace mve
