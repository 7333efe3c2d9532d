// Internal helpers of the Mask operations: the canvas-sized plane and the
// value rules shared by the creators and the grey-picture conversions.
//
// Value contract: a mask value m is 16-bit, 65535 passes a write and 0 blocks
// it. Grey pictures show m inverted (black = passes). 8-bit inputs widen by
// v << 8, so a selected value is at most 65280 unless it is the full 65535.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/engine.h"

namespace mve {

// The Mask as a canvas-sized plane; data is null when the plane is missing or
// does not cover the canvas, and every operation then does nothing.
struct MaskPlane {
    std::uint16_t* data = nullptr;
    int width = 0;
    int height = 0;

    explicit operator bool() const noexcept { return data != nullptr; }
    std::size_t count() const noexcept { return static_cast<std::size_t>(width) * height; }
    std::uint16_t* row(int y) const noexcept { return data + static_cast<std::size_t>(y) * width; }
};

inline MaskPlane mask_plane(Engine& e) noexcept
{
    MaskPlane p;
    const int w = e.canvas.width, h = e.canvas.height;
    if (w <= 0 || h <= 0 || !e.mask.plane) return p;
    if (e.mask.plane.size() < static_cast<std::size_t>(w) * h) return p;
    // Every user of the plane may write it: it takes a new generation.
    p.data = e.mask.plane.begin_write();
    p.width = w;
    p.height = h;
    return p;
}

// Grey g on the 16-bit scale to a mask value: g < 256 passes fully (65535),
// g >= 65281 blocks (0), else 65280 - g.
constexpr std::uint16_t mask_from_grey16(std::uint32_t g) noexcept
{
    if (g < 256) return 65535;
    if (g >= 65281) return 0;
    return static_cast<std::uint16_t>(65280 - g);
}

// The value a creator gives a selected pixel: (65535 - s) << 8 kept to 16
// bits, so strength 0 marks 65280 and strength 255 marks 0.
constexpr std::uint16_t selection_value(int strength) noexcept
{
    return static_cast<std::uint16_t>((65535u - static_cast<std::uint32_t>(strength)) << 8);
}

// Tolerance percent to a channel bound: truncate(percent * 2.56).
constexpr int tolerance_bound(int percent) noexcept { return static_cast<int>(percent * 2.56); }

namespace mask {
// The canvas-sized Mask, every pixel selected (65535), and the Mask enabled.
// Throws Failure when the plane cannot be had.
void on_canvas_created(Engine& e);
void on_canvas_released(Engine& e) noexcept;

// Scales the alpha of an RGBA32 buffer by the Mask over the inclusive
// rectangle (clipped to the canvas); the buffer holds the pixel of canvas
// position (x0, y0) first. Nothing without a Mask plane or buffer.
void apply_to_alpha_rect(Engine& e, std::uint8_t* buffer, int rowBytes, int x0, int y0, int x1,
                         int y1) noexcept;
}  // namespace mask

}  // namespace mve
