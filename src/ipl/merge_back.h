// The write-back of the tools that build a canvas-laid RGBA32 picture and lay
// it over the current layer with the merge core.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve::ipl {

// A w x h RGBA32 picture (rows rowBytes apart) placed with its first pixel
// at canvas position (x, y), merged over the current layer: Normal mode,
// opacity 0..255 (255 = full), level 255, the layer's own lock alpha. Parts
// off the canvas or the layer are skipped. The picture is widened to RGBA64
// a band of rows at a time.
void merge_rgba32_over_current(Engine& e, const std::uint8_t* rgba, int rowBytes, int x, int y, int w, int h,
                               int opacity);

// A whole canvas-laid picture.
void merge_rgba32_over_current(Engine& e, const std::uint8_t* rgba, int opacity);

}  // namespace mve::ipl
