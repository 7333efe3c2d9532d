// Straight-line tone maps computed instead of looked up.
//
// Brightness and contrast, and the histogram stretch, map each channel along
// a line clamped to 0..255: t[v] = clamp(floor(k * v + c)). Looking three
// bytes a pixel up in tables bounds such a pass well below memory speed; the
// same line in single-precision vector arithmetic runs at it. The tables stay
// the definition: the vector form is used only when it reproduces every entry
// of them exactly (checked on all 256 levels before each pass), so the bytes
// never differ from the table pass.
#pragma once

#include <cstdint>

#include "imagelib/tone_curves.h"

namespace mve::il {

// The line of each channel: level v becomes floor(scale * v + offset),
// clamped to 0..255.
struct ToneLine {
    double scale[3];
    double offset[3];
};

// Maps the colour channels of the picture along `line` when the vector form
// reproduces `tables` exactly on this processor; says whether it did. When it
// says no, the picture is untouched and the caller maps it through the tables.
bool apply_tone_line(std::uint8_t* rgba, int width, int height, const ToneLine& line,
                     const ToneTables& tables) noexcept;

namespace tone_line_detail {

// Single-precision coefficients per byte of a pixel (R, G, B, A); alpha maps
// to itself with scale 1 and offset 0.
struct Coefficients {
    float scale[4];
    float offset[4];
};

// The AVX2 row pass (tone_linear_avx2.cpp): every byte b of the row becomes
// min(max(b * scale + offset, 0), 255) truncated, any width.
void map_row_avx2(std::uint8_t* row, int width, const Coefficients& c) noexcept;

}  // namespace tone_line_detail

}  // namespace mve::il
