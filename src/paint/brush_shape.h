// The brush shape: the M x M 16-bit coverage map every dab samples (only the
// top-left n x n square is used, n = full size), built from a picture or as
// a soft round brush.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve {

// The two builders: the current one and the earlier variant that reads image
// files only, ignores shape blur, chooses other resampling filters and
// measures the round brush from integer offsets.
enum class ShapeVariant { Current, Original };

// Round brush into shape (row stride `stride`) for an n x n square: 65535
// inside the radius n / 2, falling off linearly over the outer softness/255
// of the radius, times intensity, or its complement with `invert`.
void build_round_brush(std::uint16_t* shape, int stride, int n, std::uint8_t softness, float intensity,
                       bool invert, ShapeVariant variant) noexcept;

// The whole build: clears the shape, tries the picture at path (kept in the
// source cache), and falls back to the round brush. Throws only for failures
// outside the picture route.
void build_brush_shape(Engine& e, const char* path, int angle, ShapeVariant variant);

// Shape source cache (brush_shape_cache.cpp). Makes the cache hold the
// picture of path rotated by angle, loading and rotating it unless it already
// does. False when no picture could be had.
bool ensure_shape_source(Engine& e, const char* path, int angle, ShapeVariant variant) noexcept;

// Frees the brush-shape source cache.
void release_shape_cache(Engine& e) noexcept;

namespace paint {
// Builds the brush shape from the picture (or image script) at `path`
// turned by `angle`; "SetBrushShape Excpt" on failure.
void set_brush_shape(Engine& e, const char* path, int angle) noexcept;

// Copies the whole M x M shape into out; returns the number of values, or 0
// for a null out or an absent shape.
int get_brush_shape16(const PaintResources& p, unsigned short* out) noexcept;
}  // namespace paint

}  // namespace mve
