// Dabs: one stamp of the brush into the paint target or into the Mask.
#pragma once

#include "engine/engine.h"

namespace mve {

// The body of MVE_DrawDabGrit after the brush colour is stored: set-up, the
// pixel loop and the clearing of the one-shot flags.
void draw_dab(Engine& e, int x, int y);

// The body of MVE_DrawDabGritMask: the same dab painted into the Mask.
void draw_mask_dab(Engine& e, int x, int y);

}  // namespace mve
