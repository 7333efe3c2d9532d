// The 16-bit selection Mask and its settings.
#pragma once

#include <cstdint>

#include "core/memory.h"

namespace mve {

struct MaskState {
    Plane16 plane;           // width * height values; 65535 passes a write, 0 blocks it
    int strideBytes = 0;     // width * 2
    std::uint8_t enabled = 0;
    std::uint8_t displayed = 0;
};

}  // namespace mve
