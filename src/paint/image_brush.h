// Image brushes: a small RGBA64 picture the brush paints with, reaching the
// canvas through the current blend buffer. The source is loaded from a file,
// a host buffer, a frame of an image strip or the blend buffer, or filled
// with one colour; it is resampled to the brush's full size ("sized") and can
// be turned by an angle as an 8-bit copy. Functions that allocate throw
// Failure when an allocation fails; the exports turn that into their text.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace mve {

// Replaces the source with a width x height picture from packed RGBA32.
// Nothing happens for null pixels or a side outside 1..maximum brush size.
void load_image_brush_rgba32(Engine& e, const std::uint8_t* rgba, int width, int height);
// The same from an image file; an unreadable file changes nothing.
void load_image_brush_file(Engine& e, const char* path);
// Loads an image strip of square frames; the source becomes a cleared
// height x height picture that copy_image_brush_frame fills.
void load_image_brush_strip(Engine& e, const char* path);
// Copies frame trunc(frameCount * t) of the strip into the source.
void copy_image_brush_frame(Engine& e, float t) noexcept;

// New full size x full size source of one 8-bit colour, opaque.
void fill_image_brush(Engine& e, int r, int g, int b);
// Recolours the source keeping its alpha (an absent source starts all 65535).
void colour_image_brush(Engine& e, int r, int g, int b);
// New full size x full size source from the current blend buffer.
void copy_blend_buffer_to_image_brush(Engine& e);

// Resamples the source to full size x full size; clears the rotation cache.
void size_image_brush(Engine& e);
// Mixes the sized brush into the current blend buffer: b = (int)(p * 2.559);
// b = 0 copies the brush, otherwise (b * buffer + brush * (255 - b)) >> 8.
void copy_image_brush_to_blend_buffer(Engine& e, int percent) noexcept;

// Builds the rotated RGBA32 copy of the sized brush, turned clockwise by
// `degrees` on screen.
void rotate_image_brush(Engine& e, int degrees);
// Mixes the rotated copy into the current blend buffer by the same percent rule.
void copy_rotated_image_brush_to_blend_buffer(Engine& e, int percent) noexcept;

// Writes the source as an RGBA PNG at 2834 pixels per metre. Nothing without
// a source or when the file cannot be created.
void save_image_brush(Engine& e, const char* path);

// The level of the percent rule: (int)(p * 2.559), so 100 gives 255.
inline int image_brush_level(int percent) noexcept { return static_cast<int>(percent * 2.559); }

}  // namespace mve

namespace mve {

// The current blend buffer as the image-brush copies see it: `side` x `side`
// RGBA64 pixels, rows `stride` values apart; pixels null when it is absent.
struct BlendBufferView {
    std::uint16_t* pixels = nullptr;
    int stride = 0;
    int side = 0;
};
BlendBufferView image_brush_target(Engine& e) noexcept;

namespace paint {
// size_image_brush with its failure recorded as "SizeImageBrush Excpt".
void resize_image_brush(Engine& e) noexcept;
// Sizes the brush afresh, then mixes it into the current blend buffer by `percent`.
void copy_from_image_brush(Engine& e, int percent) noexcept;
}  // namespace paint

}  // namespace mve
