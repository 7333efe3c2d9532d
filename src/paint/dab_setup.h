// The set-up shared by the colour dab and the mask dab: where the square
// lies, the dab-wide colour offset, the grit pattern change, the undo dirty
// rectangle, and the per-row starts in the variation tables.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine.h"

namespace mve {

// The dab square: `size` x `size` canvas pixels from (left, top); shape
// rows and columns come from the scale index table.
struct DabSquare {
    int left = 0, top = 0, size = 0;
    int full = 0;      // full brush size
    int centre = 0;    // full size / 2: the rotation centre in shape pixels
    int drawn = 0;     // leading rows/columns whose shape index lies inside the M x M shape
    bool crossing = false;
};
DabSquare dab_square(const Engine& e, int x, int y) noexcept;

// Dab-wide colour variation: (v/2 - rand() % v) * 256 for v >= 1, else 0
// (and no draw from the generator).
int colour_vary_offset(int v) noexcept;

// Moves the current grit position to another pattern when grit is on and the
// countdown has run out; reloads the countdown.
void change_grit_pattern(Engine& e) noexcept;

// The current grit pattern from its position, or null when grit is off or
// the position leaves less than one M x M square of the pattern.
const std::uint8_t* dab_grit(const Engine& e) noexcept;

// Widens the undo dirty rectangle by the whole square and, when a PaintLayer
// exists, its extents too (clipped to the canvas for a crossing dab).
void widen_dab_bounds(Engine& e, const DabSquare& sq) noexcept;

// Per-row starts in the variation tables, drawn on the calling thread so the
// pixels never depend on which worker runs which row. A start is -1 when its
// table takes no part.
struct RowStarts {
    std::array<int, kScaleTableSize> colour;
    std::array<int, kScaleTableSize> lum;
};
// A variation table usable by this dab, or null.
const std::uint8_t* variation_table(const RandomByteTable& t, int amount) noexcept;
void draw_row_starts(int rows, int M, bool colour, bool lum, RowStarts& out) noexcept;

// Reads a variation table sequentially from a row start, wrapping at its end.
struct TableCursor {
    const std::uint8_t* bytes = nullptr;
    int length = 0;
    int pos = 0;
    std::uint32_t next() noexcept
    {
        const std::uint32_t b = bytes[pos];
        if (++pos == length) pos = 0;
        return b;
    }
};

// Clears the one-shot flags of the next dab (blend disabled, erase, mask maker).
void clear_dab_flags(Engine& e) noexcept;

// The brush inputs every dab kernel reads, for the colour dab and the Mask
// dab alike: the square, the shape and its scale index, grit, rotation,
// opacity, pick-up and luminance variation.
struct DabInputs {
    int W = 0, H = 0, M = 0;  // canvas size and maximum brush size
    DabSquare sq;
    const int* table = nullptr;  // scale index: dab pixel -> shape row/column
    const std::uint16_t* shape = nullptr;
    const std::uint8_t* grit = nullptr;  // null: grit off
    int density = 0;                     // grit bytes above it are not painted
    bool rotate = false;
    float cosA = 1, sinA = 0;
    int alphaPercent = 100, alphaScaled = 128;
    bool pickup = false, remix = false;
    std::uint16_t* buffer = nullptr;  // current blend buffer (pick-up)
    std::uint32_t s = 0;              // blend strength
    const std::uint8_t* lumTable = nullptr;
    int lumAmount = 0, lumLength = 0;
};

// Fills the inputs for square `sq`. False when the dab cannot be drawn: no
// maximum brush size, nothing inside the shape, no shape, or pick-up without
// a blend buffer of M x M pixels.
bool fill_dab_inputs(Engine& e, const DabSquare& sq, DabInputs& d) noexcept;

}  // namespace mve
