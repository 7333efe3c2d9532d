// Where the filled rectangle and ellipse lie, as inclusive spans, and their
// rasterisation into a pixel buffer.
#pragma once

#include <cstdint>

namespace mve::ipl {

// Inclusive bounds; empty when left > right or top > bottom.
struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool empty() const noexcept { return left > right || top > bottom; }
};

// The drawing tools leave out the second point's column: x0 < x1 spans
// x0..x1-1, otherwise x1+1..x0 (so equal x draws nothing). Rows span
// min(y0, y1)..max(y0, y1).
Box tool_box(int x0, int y0, int x1, int y1) noexcept;
// The selections span min..max in both directions.
Box selection_box(int x0, int y0, int x1, int y1) noexcept;

// The ellipse in a box: radii (right - left) / 2 and (bottom - top) / 2,
// each at least 2, centred at (left + rx, top + ry).
struct Ellipse {
    int cx = 0, cy = 0, rx = 2, ry = 2;
};
Ellipse ellipse_in(const Box& box) noexcept;
// The pixels of the filled ellipse, (x - cx)^2 / rx^2 + (y - cy)^2 / ry^2 <= 1.
Box ellipse_bounds(const Ellipse& el) noexcept;
// The inclusive columns of row y inside the ellipse; false when none.
bool ellipse_row(const Ellipse& el, int y, int* left, int* right) noexcept;

// A pixel buffer of `channels` bytes a pixel covering `area` (canvas
// coordinates; its first pixel is area.left, area.top).
struct ShapeTarget {
    std::uint8_t* pixels = nullptr;
    int channels = 4;
    int rowBytes = 0;
    Box area;
};
// Sets the first `channels` bytes of `value` into every pixel of the shape
// that lies in the target's area.
void fill_box(const ShapeTarget& t, const Box& box, const std::uint8_t* value) noexcept;
void fill_ellipse(const ShapeTarget& t, const Ellipse& el, const std::uint8_t* value) noexcept;

}  // namespace mve::ipl
