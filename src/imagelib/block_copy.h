// Block copy of the image-library layer: places one pixel block inside another.
#pragma once

namespace mve {

// Copies the whole source block (srcWidth x srcHeight pixels of bytesPerPixel
// bytes, rows srcRowBytes apart) into the destination block (dstWidth x
// dstHeight pixels, rows dstRowBytes apart) with the source's top-left pixel
// landing on destination pixel (x, y).
//
// - Clipping: the part of the source that falls outside the destination is
//   skipped; x and y may be negative or put the block partly or wholly off the
//   destination (a block wholly outside copies nothing and still succeeds).
// - Opacity >= 1.0 is an exact byte copy for every pixel size (the engine's
//   2-byte masks, 4-byte RGBA32 and 8-byte RGBA64 planes rely on this).
//   Opacity <= 0 leaves the destination as it is. Between the two, each
//   channel becomes src * opacity + dst * (1 - opacity), rounded to nearest;
//   channels are 16-bit for 2-, 6- and 8-byte pixels and bytes otherwise.
// - flags is accepted for the callers that pass 1 (screen capture, clipboard)
//   and changes nothing here.
// - Source and destination may overlap (one plane scrolled within itself):
//   rows are then visited in the order that reads each row before it is
//   overwritten.
// - Exact copies run on the calling thread (they are bound by memory
//   bandwidth); large partial-opacity mixes run on the worker threads.
//
// Returns 0 for null pointers, a pixel size outside 1..16, negative sizes or a
// row length shorter than its row of pixels; non-zero otherwise.
int overlay_image(void* dst, int dstWidth, int dstHeight, int bytesPerPixel, int dstRowBytes, const void* src,
                  int srcWidth, int srcHeight, int srcRowBytes, int x, int y, double opacity, int flags) noexcept;

}  // namespace mve
