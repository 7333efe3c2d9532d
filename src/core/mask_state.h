// The 16-bit selection Mask and its settings.
#pragma once

#include <array>
#include <cstdint>

#include "core/layer_pixels.h"
#include "core/memory.h"

namespace mve {

struct MaskState {
    // width * height values; 65535 passes a write, 0 blocks it. Written
    // through begin_write(), which moves its generation on.
    TrackedPlane16 plane;
    // What the last look found: whether every value of the plane at
    // generation `checkedGeneration` was at least 0xFF00 (a load passes the
    // Mask unchanged there).
    std::uint64_t checkedGeneration = 0;
    bool checkedOpen = false;
    int strideBytes = 0;  // width * 2
    std::uint8_t enabled = 0;
    std::uint8_t displayed = 0;
    // One-shot: the next dab paints into the Mask. Set by MVE_SetMaskMakerOn;
    // the dab rasteriser and MVE_SetTool clear it.
    std::uint8_t makerOn = 0;
    // Display tint read by the view renderer: channels of the first (odd
    // checker cells) and second (even cells) colour, each an 8-bit value
    // stored << 8; then the strength flag (0 = unselected areas half tinted).
    std::array<int, 6> tint = {0, 0, 0, 0, 0, 0};
    int strengthFlag = 0;
};

}  // namespace mve
