// The view renderer: composites a canvas rectangle into the host's 24-bit
// buffer (blue, green, red) at 1:1, magnified or reduced.
//
// Nothing in the engine changes: layers, PaintLayer, Trace and Mask are only
// read. Rows run on the worker threads for large outputs; every output row is
// written by one worker from position tables built on the calling thread, so
// the bytes never depend on the number of threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/engine.h"

namespace mve {

// Renders canvas rectangle (x, y, w, h) into dst, output row r at
// dst + r * dstStride. Does nothing without a current layer or a buffer.
// Throws only when its tables cannot be allocated.
void render_view(Engine& e, std::uint8_t* dst, std::ptrdiff_t dstStride, int x, int y, int w, int h);

namespace view {
// A new canvas (or size) starts at 1:1 with no offset and tracing off.
void on_canvas_created(ViewState& view) noexcept;
}  // namespace view

}  // namespace mve
