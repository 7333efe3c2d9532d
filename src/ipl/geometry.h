// Document geometry: every user layer cropped, turned, flipped or resized
// together (the Trace layer stays as it is).
#pragma once

#include "engine/engine.h"

namespace mve::ipl {

// Crop, quarter turns and flips. Each records its failure text ("IPLCrop
// Excpt", "IPLRotateLeft Excpt", "IPLRotateRight Excpt", "IPLFlipHorizontal
// Excpt", "IPLVlipVertical Excpt") and marks the whole canvas dirty for undo
// afterwards, also after a failure.
void crop(Engine& e, int left, int top, int right, int bottom) noexcept;
void rotate_left(Engine& e) noexcept;
void rotate_right(Engine& e) noexcept;
void flip_horizontal(Engine& e) noexcept;
void flip_vertical(Engine& e) noexcept;

// Resamples every layer to newWidth x newHeight with the named filter
// (unknown names: Lanczos3).
void resize(Engine& e, int newWidth, int newHeight, const char* filterName);
// Narrows or widens every layer by seam carving, guided by the enabled Mask;
// rows beyond the old height stay transparent.
void seam_carve(Engine& e, int newWidth, int newHeight);
// Puts every layer on a page of the new size at the anchor ("TL" .. "BR");
// layer 1's page takes the opaque (r, g, b), layers up to 253 start
// transparent black, the ones above white.
void resize_page(Engine& e, int newWidth, int newHeight, const char* anchor, int r, int g, int b);

}  // namespace mve::ipl
