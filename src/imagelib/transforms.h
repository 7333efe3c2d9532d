// Coordinate transforms, the point-to-point push and the RGB blur used by the
// single-buffer tools.
//
// The transform list is process-wide like the library it stands in for: the
// caller clears it, adds transforms and runs transform_process, which maps
// every destination pixel back through the list (last added first) to a
// source position, samples it (bilinear for fractional positions) and
// resolves positions outside the picture by the transform's edge mode.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace mve::il {

// Edge modes: what a source position outside the picture reads.
enum EdgeMode : int {
    kEdgeBackground = 0,  // the background colour of transform_process
    kEdgeWrap = 1,        // the picture repeats (tiles)
    kEdgeExtend = 2,      // the nearest edge pixel
    kEdgeMirror = 3,      // the picture reflected at its edges
};

// Maps a destination position to its source position in place; false leaves
// the pixel at the background colour.
using InverseMap = std::function<bool(double& x, double& y)>;

// The queue the add_* calls fill and transform_process runs. It lives in the
// engine record; the accessor is defined where the record is assembled.
struct QueuedTransform {
    InverseMap inverse;
    int edge;
};
struct TransformQueue {
    std::vector<QueuedTransform> transforms;
};
TransformQueue& transform_queue() noexcept;

void clear_all_transforms() noexcept;
// A transform of our own kind; edge modes other than 1..3 use the background.
int add_transform(InverseMap inverse, int edgeMode) noexcept;
// Moves the picture by (dx, dy): destination (x, y) shows source (x - dx, y - dy).
int add_offset_transform(int width, int height, double dx, double dy, int edgeMode) noexcept;
// Number of transforms in the list.
int transform_count() noexcept;

// Runs the list over src into dst (same size). background packs the pixel's
// bytes 0..3 (byte 0 in the low bits). Zero for an empty list or bad sizes.
int transform_process(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                      std::uint8_t* dst, int dstRowBytes, int flags, std::uint32_t background, int options) noexcept;

struct PointI {
    int x, y;
};

// Pushes the picture so that what lies at `from` appears at `to`, the shift
// fading out smoothly within `radius` of `to` (radius 0: twice the distance
// between the points, at least 8). dstRowBytes 0 means srcRowBytes.
int push_image(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes, std::uint8_t* dst,
               int dstRowBytes, int radius, PointI to, PointI from, int flags) noexcept;

// Gaussian blur of `radius` pixels (sigma radius / 2) mixed with the original
// by strength 0..1 (1 = fully blurred). Radius 0 copies. 1 to 4 bytes per pixel.
// The radius is bounded by the image's longer side and by kMaxBlurRadius.
constexpr int kMaxBlurRadius = 1000;
int blur_image(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int bytesPerPixel,
               int srcRowBytes, int dstRowBytes, int radius, double strength, int flags) noexcept;

}  // namespace mve::il
