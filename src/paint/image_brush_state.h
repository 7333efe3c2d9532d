// Image brushes: the source picture the brush paints with, an optional strip
// of square frames it can be taken from, the copy resampled to the brush
// size and the 8-bit copies the brush rotation works on.
#pragma once

#include "core/memory.h"

namespace mve {

struct ImageBrushState {
    // Source image brush: RGBA64, row stride = width. Absent until loaded or filled.
    Plane16 source;
    int sourceWidth = 0;
    int sourceHeight = 0;

    // Image strip: a row of square frames of stripHeight x stripHeight.
    Plane16 strip;
    int stripWidth = 0;
    int stripHeight = 0;
    int frameCount = 0;  // stripWidth / stripHeight

    // The source resampled to sizedSide x sizedSide (the full size when sized).
    Plane16 sized;
    int sizedSide = 0;

    // RGBA32 copies of the sized brush, unrotated and rotated, of rotationSide
    // x rotationSide. The unrotated copy is valid only while rotationValid.
    Plane8 unrotated;
    Plane8 rotated;
    int rotationSide = 0;
    bool rotationValid = false;
};

}  // namespace mve
