// What the paint subsystem does with the PaintLayer at the end of a stroke:
// merge it into a layer, or soften its edge first.
#pragma once

#include "engine/engine.h"

namespace mve::paint {

// Merges the PaintLayer's extents rectangle into layer `index` with the
// PaintLayer's mode, opacity and level (alpha locked by the current layer's
// lock or the brush's), then clears the PaintLayer. Does nothing without
// both planes.
void merge_paint_layer(Engine& e, int index) noexcept;

// Blurs the PaintLayer's alpha (radius 100 of the 8-bit blur); nearly solid
// paint (alpha byte 240 and up) stays solid. Throws Failure when the work
// planes cannot be allocated.
void blur_paint_layer_alpha(LayerRecord& paint);

}  // namespace mve::paint
