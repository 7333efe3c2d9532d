// Histograms of pictures.
#pragma once

#include <cstdint>

namespace mve::il {

// Counts of each brightness level 0..255 of an interleaved 8-bit picture:
// the brightness of a pixel is the integer mean (R + G + B) / 3 of its first
// three bytes (the byte itself for 1 or 2 bytes per pixel). Non-zero on
// success; 0 for bad arguments (counts untouched).
int brightness_histogram(const std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes,
                         std::uint32_t counts[256]) noexcept;

}  // namespace mve::il
