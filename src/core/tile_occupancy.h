// Which tiles of a layer hold visible pixels, kept beside the layer and
// rebuilt when the layer's content generation moves on.
//
// The composite uses it to pass over the empty parts of sparse layers: in a
// colour mode, a source pixel with alpha 0 leaves the destination as it is,
// so a tile without any alpha above 0 contributes nothing. It also tells
// the tiles whose every pixel is opaque (alpha above 0xFEFF, which a Normal
// merge copies as it is), so the composite can drop what lies beneath, and
// the tiles of one repeated pixel, which it can fill instead of copying.
#pragma once

#include <cstdint>

#include "core/memory.h"

namespace mve {

constexpr int kOccupancyTile = 32;  // tile side in pixels

struct TileOccupancy {
    // Empty: every alpha is 0. Occupied: some alpha is above 0; opaque:
    // every alpha is above 0xFEFF. kUniform is added to any of them when
    // every pixel of the tile is the same.
    enum : std::uint8_t { kUnknown = 0, kEmpty = 1, kOccupied = 2, kOpaque = 3, kUniform = 0x10 };
    Buffer<std::uint8_t> tiles;  // columns x rows states, row-major
    int columns = 0;
    int rows = 0;
    int width = 0;  // the layer size the map was made for
    int height = 0;
    std::uint64_t generation = 0;  // the layer content the known tiles describe

    std::uint8_t state(int column, int row) const noexcept
    {
        return tiles[static_cast<std::size_t>(row) * columns + column] & ~kUniform;
    }
    bool occupied(int column, int row) const noexcept { return state(column, row) >= kOccupied; }
    bool uniform(int column, int row) const noexcept
    {
        return tiles[static_cast<std::size_t>(row) * columns + column] & kUniform;
    }
};

struct LayerRecord;

// Brings the tiles of `map` that meet the layer rectangle [x0, x1) x [y0, y1)
// up to date with the layer's content (tiles already known at the current
// generation are kept). Rows are scanned in parallel; call it before, never
// inside, a parallel loop that reads the map. False when no map can be held
// (out of memory): then nothing may be skipped.
bool refresh_tile_occupancy(const LayerRecord& layer, TileOccupancy& map, int x0, int y0, int x1,
                            int y1) noexcept;

}  // namespace mve
