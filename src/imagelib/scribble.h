// The scribble effect: pen strokes drawn over a picture in its own colours.
#pragma once

#include <cstdint>

namespace mve::il {

// Draws width * height * density / 1000 strokes (at most 4 per pixel) over
// an interleaved 8-bit picture of 3 or 4 bytes per pixel, in place. Each
// stroke starts at a random pixel, runs in a random direction for 1 to
// `length` pixels (a one-pixel line, clipped to the picture) and is inked in
// the start pixel's colour darkened to `shade` / 255 of it; alpha is kept.
// Strokes come one after another from the C-runtime style generator seeded
// with `seed`, so a seed draws the same scribble every time. Non-zero on
// success; 0 for bad arguments (picture untouched).
int scribble(std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes, int density, int length,
             int shade, std::uint32_t seed) noexcept;

}  // namespace mve::il
