// Internal access to the processing, tool and work buffers for the image
// processing exports: a buffer counts only when it holds the bytes the
// current canvas needs.
#pragma once

#include <cstddef>

#include "engine/engine.h"

namespace mve {

// Bytes of a canvas-sized buffer of `channels` bytes per pixel.
inline std::size_t canvas_bytes(const Engine& e, int channels) noexcept
{
    if (e.canvas.width <= 0 || e.canvas.height <= 0) return 0;
    return static_cast<std::size_t>(e.canvas.width) * e.canvas.height * channels;
}

// The buffer's pixels when it exists and is canvas-sized RGBA32, else null.
inline std::uint8_t* canvas_rgba32(Engine& e, Plane8& buffer) noexcept
{
    return buffer && buffer.bytes() == canvas_bytes(e, 4) && buffer.bytes() > 0 ? buffer.data() : nullptr;
}

// The reuse rule of every allocate export: a buffer of exactly `bytes` is
// kept, any other is freed and `bytes` allocated. False (slot empty) when the
// allocation fails. Fresh buffers start zeroed.
bool ensure_buffer(Plane8& buffer, std::size_t bytes) noexcept;

}  // namespace mve
