// Dabs: one stamp of the brush into the paint target or into the Mask.
#pragma once

#include "engine/engine.h"

namespace mve {

// One dab with the brush colour as stored: set-up, the pixel loop and the
// clearing of the one-shot flags.
void draw_dab(Engine& e, int x, int y);

// The same dab painted into the Mask.
void draw_mask_dab(Engine& e, int x, int y);

namespace paint {
// Stores the brush colour (the high bytes of r, g, b; alpha full), then
// draws the dab at (x, y), into the Mask while the Mask maker is on.
void draw_dab_grit(Engine& e, int x, int y, int r, int g, int b);
}  // namespace paint

}  // namespace mve
