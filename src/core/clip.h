// The one clipping helper every export taking a rectangle, a point or a row
// stride goes through. Hosts pass plain 32-bit integers that may be anything:
// negative sizes, coordinates near INT_MAX, strides that point backwards. All
// arithmetic here is 64-bit, so no sum of two host values can overflow, and
// the results are always inside the plane they were clipped to.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace mve {

// A rectangle inside a plane, exclusive ends; x0 <= x1 and y0 <= y1 always.
struct ClipRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const noexcept { return x1 <= x0 || y1 <= y0; }
    int width() const noexcept { return x1 - x0; }
    int height() const noexcept { return y1 - y0; }
};

// (x, y, w, h) intersected with [0, W) x [0, H). A negative or zero size, or
// a plane without pixels, gives an empty rectangle.
constexpr ClipRect clip_rect(long long x, long long y, long long w, long long h, long long W,
                             long long H) noexcept
{
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return {};
    const long long x0 = std::max(x, 0LL), y0 = std::max(y, 0LL);
    const long long x1 = std::min(x + w, W), y1 = std::min(y + h, H);
    if (x1 <= x0 || y1 <= y0) return {};
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
}

// Whether the point (x, y) lies on a W x H plane.
constexpr bool point_inside(long long x, long long y, long long W, long long H) noexcept
{
    return x >= 0 && y >= 0 && x < W && y < H;
}

// A position handed on to code that adds sizes to it in plain int: kept
// within kFarOff of the [0, size) range. Any position that far out lies off
// the plane for every brush or rectangle the engine draws, so the clamp
// changes no result, and sums of the clamped value and a side stay far from
// the integer limits.
constexpr int kFarOff = 1 << 24;
constexpr int clamp_far(int v, int size) noexcept
{
    return std::clamp(v, -kFarOff, std::max(size, 0) + kFarOff);
}

// Whether a host's row stride can describe rows of `width` pixels of
// `bytesPerPixel` bytes. Strides are never negative (bottom-up buffers are
// refused: no transfer export is defined to walk upwards) and never shorter
// than one row, so rows never overlap and every row starts inside the
// host's buffer of stride * height bytes.
constexpr bool stride_holds(long long rowBytes, long long width, long long bytesPerPixel) noexcept
{
    return rowBytes > 0 && width >= 0 && rowBytes >= width * bytesPerPixel;
}

// Byte offset of row y of a buffer with a checked stride.
constexpr std::ptrdiff_t row_offset(int y, int rowBytes) noexcept
{
    return static_cast<std::ptrdiff_t>(y) * rowBytes;
}

// An RGBA64 plane with the size it was made with (rows of width * 4 values).
// Loops over a plane take their bounds from here, never from the canvas.
struct SizedPlane {
    const std::uint16_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    explicit operator bool() const noexcept { return pixels && width > 0 && height > 0; }
    const std::uint16_t* at(int x, int y) const noexcept
    {
        return pixels + (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 4;
    }
};

}  // namespace mve
