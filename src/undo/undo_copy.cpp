#include "undo/undo_copy.h"

#include <algorithm>

#include "imagelib/block_copy.h"

namespace mve {

namespace {

// The rectangle r clipped to the plane, as a source block: its first pixel
// and its size (0 x 0 when r misses the plane).
struct Block {
    const std::uint16_t* first = nullptr;
    int width = 0, height = 0;
};

Block source_block(const PlaneView& plane, const Rect4& r) noexcept
{
    Block b;
    if (!plane || r.x0 < 0 || r.y0 < 0 || r.x0 >= plane.width || r.y0 >= plane.height) return b;
    b.width = std::min(r.x1, plane.width - 1) - r.x0 + 1;
    b.height = std::min(r.y1, plane.height - 1) - r.y0 + 1;
    if (b.width <= 0 || b.height <= 0) return Block{};
    b.first = plane.data + (static_cast<std::size_t>(r.y0) * plane.width + r.x0) * plane.channels;
    return b;
}

}  // namespace

void copy_plane_to_slot(const PlaneView& plane, const Rect4& r, std::uint16_t* slot) noexcept
{
    const Block b = source_block(plane, r);
    if (!b.first || !slot) return;
    const int bpp = plane.channels * 2;
    // The slot is the destination block, rect-sized, the plane part placed at its origin.
    overlay_image(slot, rect_width(r), rect_height(r), bpp, rect_width(r) * bpp, b.first, b.width, b.height,
                  plane.row_bytes(), 0, 0, 1.0, 0);
}

void copy_slot_to_plane(const std::uint16_t* slot, const Rect4& r, const PlaneView& plane) noexcept
{
    if (!plane || !slot) return;
    const int bpp = plane.channels * 2;
    overlay_image(plane.data, plane.width, plane.height, bpp, plane.row_bytes(), slot, rect_width(r),
                  rect_height(r), rect_width(r) * bpp, r.x0, r.y0, 1.0, 0);
}

void copy_plane_rect(const PlaneView& from, const Rect4& r, const PlaneView& to) noexcept
{
    const Block b = source_block(from, r);
    if (!b.first || !to || from.channels != to.channels) return;
    overlay_image(to.data, to.width, to.height, to.channels * 2, to.row_bytes(), b.first, b.width, b.height,
                  from.row_bytes(), r.x0, r.y0, 1.0, 0);
}

void exchange_through_slot(std::uint16_t* slot, const Rect4& r, const PlaneView& canvas,
                           const PlaneView& back) noexcept
{
    copy_slot_to_plane(slot, r, canvas);
    copy_plane_to_slot(back, r, slot);
    copy_plane_rect(canvas, r, back);
}

}  // namespace mve
