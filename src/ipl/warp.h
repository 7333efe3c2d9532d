// The single-buffer tools of the processing family: pan, the point-to-point
// push warp and "blur more" on a host RGB24 buffer.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve::ipl {

// Moves Src32 by (dx, dy) into Dst32 (edge mode 0 leaves uncovered pixels
// transparent, 1 wraps, 2 repeats the edge, 3 mirrors, others fill with the
// low bytes of r, g, b, a), optionally through the Mask and texture, and
// merges the result over the current layer. Nothing without canvas-sized
// Src32 and Dst32. Throws Failure when the merge plane cannot be allocated.
void pan(Engine& e, int dx, int dy, int edgeMode, int r, int g, int b, int a, bool applyMask);

// The push warp of Src32 between (x1, y1) and (x2, y2) into Dst32, loaded
// into the current layer (through the Mask when maskFlag is set). Records
// "WarpPointToPoint Excpt" on failure; the canvas is marked dirty for undo
// in every case.
void warp_point_to_point(Engine& e, int x1, int y1, int x2, int y2, int maskFlag) noexcept;

// Blurs a width x height RGB24 buffer in place by radius amount / 5 at
// percent strength. Throws Failure when the work copy cannot be allocated.
void blur_more_buffer_rgb24(std::uint8_t* rgb, int width, int height, int amount, int percent);

}  // namespace mve::ipl
