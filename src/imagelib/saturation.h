// Saturation change of interleaved 8-bit pictures.
#pragma once

#include <cstdint>

namespace mve::il {

// Scales every pixel's distance from its own grey in linear (not HSL) RGB:
//     grey = 0.299 R + 0.587 G + 0.114 B          (Rec. 601 luma)
//     c'   = clamp(round(grey + factor * (c - grey)), 0, 255)   for c = R, G, B
// factor 1 keeps the picture, 0 turns it grey, above 1 strengthens colour and
// below 0 turns each colour towards its complement about the same grey.
// Linear scaling keeps a pixel's luma (before clamping), which HSL scaling
// does not. In place, 3 or 4 bytes per pixel (the fourth, alpha, is kept).
// Non-zero on success; 0 for a null picture or bad sizes.
int modify_saturation(std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes,
                      double factor) noexcept;

}  // namespace mve::il
