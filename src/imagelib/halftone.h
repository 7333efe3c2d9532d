// Colour halftone: the picture printed as dots of three screens.
#pragma once

#include <cstdint>

namespace mve::il {

// Each colour channel of an RGB24 picture (packed rows of width * 3 bytes)
// is reproduced by a screen of round ink dots on a grid of `cellSize` pixels,
// turned by angleDegrees + 15, + 75 and + 45 degrees for R, G and B (the
// turns keep the three screens from beating into moire). Where a channel
// has value v the ink covers the share a = 1 - v / 255 of each cell: below
// a = 1/2 as a round dot about the cell's centre (inked, 0, where
// pi d^2 < a, d the distance from the centre in cells), from 1/2 on as bare
// round holes at the cell's corners (bare, 255, where pi c^2 < 1 - a, c the
// distance from the nearest corner). The dots grow, touch at the middle
// grey and leave shrinking holes, as printed screens do. src and dst are
// different buffers; non-zero on success, 0 for bad arguments (cellSize < 2).
int halftone_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cellSize,
                   double angleDegrees) noexcept;

}  // namespace mve::il
