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

// Counts of the visible (alpha > 0) pixels of a packed RGBA32 picture (rows
// of width * 4 bytes): brightness (R + G + B) / 3 and each colour channel, in
// one pass. Transparent pixels are left out so the empty part of a layer
// does not weigh on what is built from the counts. A null picture or an
// empty size gives all counts 0.
struct Histograms {
    std::uint32_t brightness[256];
    std::uint32_t channel[3][256];
    std::uint64_t visible;
};
// withChannels false leaves the channel counts 0 (brightness is all some
// callers need).
void visible_histograms(const std::uint8_t* rgba, int width, int height, Histograms& h,
                        bool withChannels = true) noexcept;

}  // namespace mve::il
