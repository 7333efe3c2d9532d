// The processing, tool and work buffers (allocate, refresh, set, free) and
// the start of the image libraries: a buffer counts only when it holds the
// bytes the current canvas needs.
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

namespace ipl {

// Makes `buffer` canvas-sized at `channels` bytes a pixel (kept when it
// already is) and returns its pixels; an empty canvas frees it and gives
// null. Throws Failure when the allocation fails.
std::uint8_t* allocate_canvas_buffer(Engine& e, Plane8& buffer, int channels);

// The same, filled with the current layer as RGBA32.
void allocate_source_rgba32(Engine& e, Plane8& buffer);
// The same at RGB24, filled with the current layer as RGB24.
void allocate_source_rgb24(Engine& e, Plane8& buffer);

// Reads the current layer into Src32 again when it is canvas-sized.
void update_source_rgba32(Engine& e) noexcept;
// Copies a canvas of host RGBA32 into an existing buffer (at most its size).
void set_canvas_buffer(Engine& e, Plane8& buffer, const std::uint8_t* rgba) noexcept;
// Scales Src32's alpha by the Mask while the Mask is enabled.
void apply_mask_to_source_alpha(Engine& e);

// Work buffers 0..3: canvas-sized RGBA32 (other indexes are ignored).
void allocate_work_buffer(Engine& e, int index);
void free_work_buffer(ProcessingBuffers& buffers, int index) noexcept;
void free_all_work_buffers(ProcessingBuffers& buffers) noexcept;

// Starts the image libraries; throws Failure when they cannot start.
void start_image_libraries();

}  // namespace ipl

}  // namespace mve
