// Processing, tool and work buffers of the image-processing subsystem.
#pragma once

#include <array>
#include <cstdint>

#include "core/memory.h"
#include "ipl/effects.h"

namespace mve {

struct ProcessingBuffers {
    Plane8 src32;  // RGBA32 source
    Plane8 dst32;  // RGBA32 destination
    Plane8 src24;  // RGB24 source
    Plane8 dst24;  // RGB24 destination
    Plane8 toolSrc32;
    Plane8 toolDst32;
    std::array<Plane8, 4> work;
    // The named-effect block: overwritten by each run, kept between runs.
    ipl::EffectBlock effectBlock;

    void release_processing() noexcept
    {
        src32.reset();
        dst32.reset();
        src24.reset();
        dst24.reset();
    }
};

}  // namespace mve
