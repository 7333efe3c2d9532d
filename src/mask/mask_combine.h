// Combining the Mask with a canvas-sized RGB24 grey picture.
#pragma once

#include "engine/engine.h"

namespace mve::mask {

// Per pixel grey v = (r + g + b) / 3 (with threshold 1: `level` where v is 0,
// else 0); v = 0 leaves the Mask unchanged. `mode` "Subtract" unblocks by
// v * 256, "Replace" sets 65280 - v * 256, anything else (null too) adds,
// blocking by v * 256. Nothing without a picture or a canvas-sized Mask.
void combine(Engine& e, const unsigned char* buffer, int rowBytes, int threshold, int level,
             const char* mode);

}  // namespace mve::mask
