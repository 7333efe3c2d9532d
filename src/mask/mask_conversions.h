// Conversions between the Mask and pictures: RGB24 grey pictures, the
// current layer's colour and alpha, 8-bit alpha of RGBA32 buffers and
// run-length lines (the alpha of a rectangle: mask::apply_to_alpha_rect in
// mask_ops.h). Nothing happens while the Mask does not cover the canvas; the
// layer conversions also need a current layer and work on the rows and
// columns it shares with the canvas.
#pragma once

#include "engine/engine.h"

namespace mve::mask {

// An RGB24 picture of the Mask: all three bytes 255 - (m >> 8).
void save_to_rgb24(Engine& e, unsigned char* buffer, int rowBytes);
// The Mask from the part of a width x height RGB24 picture inside the
// canvas, by the grey rule of its channel mean.
void load_from_rgb24(Engine& e, const unsigned char* buffer, int rowBytes, int width, int height);

// The current layer becomes the grey picture of the Mask: colour 65535 - m
// when m > 254, else 65280; alpha 65535.
void create_image_from_mask(Engine& e);
// The Mask from the current layer's grey: (R + G + B) / 3, or the cheap luma
// (3R + 4G + B) >> 3.
void create_from_image(Engine& e);
void create_from_image_luma(Engine& e);
// m = A of the current layer.
void create_from_alpha(Engine& e);
// kind 0: A = m; 1: A = min(A + m, 65535); 2: A = max(A - m, 0); others nothing.
void create_alpha_from_mask(Engine& e, int kind);

// Scales the alpha of a canvas-sized RGBA32 buffer by the Mask.
void apply_to_alpha(Engine& e, unsigned char* buffer) noexcept;

// One Mask row as a run-length line; returns its length (0 for a row
// outside the canvas or a null buffer). Putting decodes one into the row.
int get_line_rle(Engine& e, unsigned char* out, int row);
void put_line_rle(Engine& e, const unsigned char* in, int row);

}  // namespace mve::mask
