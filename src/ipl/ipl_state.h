// Processing, tool and work buffers of the image-processing subsystem.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "core/memory.h"
#include "ipl/effects.h"

namespace mve {

// The RGBA32 destination. Besides its pixels it may carry a note that it
// holds, byte for byte, the layer content of one generation (the dispatcher
// makes the note after loading Dst32 whole into a layer, so the next effect
// can take Dst32 as its source instead of reading the layer again). Every
// writable access drops the note, so a note never outlives the bytes it
// describes.
class DestinationBuffer {
public:
    // What a note says: the content generation and the canvas size it was
    // made for.
    struct Mirror {
        std::uint64_t generation = 0;  // 0: no note
        int width = 0, height = 0;
    };

    Plane8& write() noexcept
    {
        mirror_ = {};
        return plane_;
    }
    const Plane8& read() const noexcept { return plane_; }

    // Records that the pixels now hold the layer content of `generation` on
    // a canvas of width x height.
    void note_mirror(std::uint64_t generation, int width, int height) noexcept
    {
        mirror_ = {generation, width, height};
    }
    // The note, removed.
    Mirror take_mirror() noexcept { return std::exchange(mirror_, Mirror{}); }

private:
    Plane8 plane_;
    Mirror mirror_;
};

struct ProcessingBuffers {
    Plane8 src32;             // RGBA32 source
    DestinationBuffer dst32;  // RGBA32 destination
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
        dst32.write().reset();
        src24.reset();
        dst24.reset();
    }
};

}  // namespace mve
