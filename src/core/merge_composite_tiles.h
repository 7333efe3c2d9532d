// Where the composite of the stack may start above the background: per
// tile of the canvas (tile_occupancy.h), the highest visible layer that covers the
// tile with opaque Normal pixels. A Normal merge copies an opaque source
// pixel as it is, whatever lies beneath, so below such a layer nothing needs
// to be merged there: the tile starts as a copy of that layer's pixels.
#pragma once

#include <array>
#include <cstdint>

#include "core/core_state.h"
#include "core/memory.h"
#include "core/tile_occupancy.h"

namespace mve {

// The tile maps of the layers the composite reads, brought up to date before
// its parallel bands; null where a layer has none to use.
using StackTiles = std::array<const TileOccupancy*, kLayerCount>;

struct CompositeFloors {
    Buffer<std::uint16_t> floor;  // per canvas tile from (0, 0), row-major
    int columns = 0;
    int rows = 0;

    // The layer the composite starts from at tile (column, row): 1 for the
    // background, or the opaque layer above it.
    int at(long long column, long long row) const noexcept
    {
        if (column < 0 || row < 0 || column >= columns || row >= rows) return 1;
        return floor[static_cast<std::size_t>(row) * columns + static_cast<std::size_t>(column)];
    }
};

// The floors for the composite rectangle (x, y, w, h). A layer counts where
// it is visible, its mode is Normal at full opacity without a layer mask,
// its map says the tile is opaque and the tile's part of the rectangle lies
// inside the layer. Empty (every floor 1) when nothing counts or no memory.
CompositeFloors composite_floors(CoreState& e, const StackTiles& tiles, int x, int y, int w, int h) noexcept;

// Writes the starting pixels of `rows` rows of the composite rectangle from
// canvas row top (w pixels a row, stride w * 4): at each tile a copy of its
// floor layer, or of the background (filled where its map says a tile is
// one repeated pixel; zeros where it is absent, hidden or has no pixels).
void fill_composite_base(CoreState& e, const CompositeFloors& floors, const TileOccupancy* backgroundTiles,
                         std::uint16_t* out, int x, int top, int w, int rows) noexcept;

}  // namespace mve
