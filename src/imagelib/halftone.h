// Colour halftone: the picture printed as dots of three screens.
#pragma once

#include <cstdint>

namespace mve::il {

// Each colour channel of an RGB24 picture (packed rows of width * 3 bytes)
// is reproduced by a screen of round ink dots on a grid of `cellSize` pixels,
// turned by angleDegrees + 15, + 75 and + 45 degrees for R, G and B (the
// turns keep the three screens from beating into moire). Where a channel
// has value v its dot covers about the share 1 - v / 255 of the cell: a
// pixel at distance d from its cell's centre is inked (0) when
// 2 (d / cellSize)^2 < 1 - v / 255, else left bare (255). src and dst are
// different buffers; non-zero on success, 0 for bad arguments (cellSize < 2).
int halftone_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cellSize,
                   double angleDegrees) noexcept;

}  // namespace mve::il
