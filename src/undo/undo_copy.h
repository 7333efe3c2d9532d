// Rectangle copies of the undo store between canvas planes and packed slot
// buffers. Every copy goes through the image library's block copy at full
// opacity, so it is exact; each is clipped to the planes it touches, so a
// layer of another size than the canvas is never read or written outside.
#pragma once

#include <cstdint>

#include "undo/undo_state.h"

namespace mve {

// A plane seen as width x height pixels of `channels` 16-bit values, rows
// packed (RGBA64 planes have 4 channels, the Mask 1).
struct PlaneView {
    std::uint16_t* data = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;

    explicit operator bool() const noexcept { return data != nullptr; }
    int row_bytes() const noexcept { return width * channels * 2; }
};

inline int rect_width(const Rect4& r) noexcept { return r.x1 - r.x0 + 1; }
inline int rect_height(const Rect4& r) noexcept { return r.y1 - r.y0 + 1; }

// Rectangle r of `plane` into the packed buffer `slot` (rect-sized).
void copy_plane_to_slot(const PlaneView& plane, const Rect4& r, std::uint16_t* slot) noexcept;
// The packed buffer `slot` back into rectangle r of `plane`.
void copy_slot_to_plane(const std::uint16_t* slot, const Rect4& r, const PlaneView& plane) noexcept;
// Rectangle r of `from` into the same rectangle of `to`.
void copy_plane_rect(const PlaneView& from, const Rect4& r, const PlaneView& to) noexcept;

// The three copies that undo, redo and fade make with one slot buffer:
// slot into the canvas plane, the back buffer's old state into the slot, the
// canvas plane into the back buffer. Afterwards the slot holds the state just
// replaced and the back buffer matches the canvas again.
void exchange_through_slot(std::uint16_t* slot, const Rect4& r, const PlaneView& canvas,
                           const PlaneView& back) noexcept;

}  // namespace mve
