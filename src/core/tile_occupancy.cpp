// The tile occupancy map of a layer.
#include "core/tile_occupancy.h"

#include <algorithm>
#include <cstring>

#include "core/layer_state.h"
#include "core/parallel.h"

namespace mve {

namespace {

// The state of the tile at (column, row): one pass over its pixels, which
// stops once the tile can be neither empty, opaque nor uniform.
std::uint8_t tile_state(const LayerRecord& layer, int column, int row) noexcept
{
    const int x0 = column * kOccupancyTile, x1 = std::min(layer.width, x0 + kOccupancyTile);
    const int y0 = row * kOccupancyTile, y1 = std::min(layer.height, y0 + kOccupancyTile);
    // Alpha is the top 16 bits of each pixel's 64-bit word; every alpha is
    // above 0xFEFF exactly when the AND of their high bytes is 0xFF, and
    // every pixel is the same exactly when the OR of the words is their AND.
    std::uint64_t any = 0, all = ~std::uint64_t{0};
    for (int y = y0; y < y1; ++y) {
        const std::uint16_t* p = layer.row(y);
        for (int x = x0; x < x1; ++x) {
            std::uint64_t word;
            std::memcpy(&word, p + static_cast<std::size_t>(x) * 4, 8);
            any |= word;
            all &= word;
        }
        if ((any >> 48) != 0 && (all >> 56) != 0xFF && any != all) return TileOccupancy::kOccupied;
    }
    const std::uint8_t uniform = any == all ? TileOccupancy::kUniform : 0;
    if ((all >> 56) == 0xFF) return TileOccupancy::kOpaque | uniform;
    if ((any >> 48) != 0) return TileOccupancy::kOccupied | uniform;
    return TileOccupancy::kEmpty | uniform;
}

// An empty map of every tile unknown, for the layer's size and content.
bool reset_map(const LayerRecord& layer, TileOccupancy& map) noexcept
{
    const int columns = (layer.width + kOccupancyTile - 1) / kOccupancyTile;
    const int rows = (layer.height + kOccupancyTile - 1) / kOccupancyTile;
    const std::size_t count = static_cast<std::size_t>(columns) * rows;
    if (map.tiles.size() != count && !map.tiles.allocate(count)) {
        map = TileOccupancy{};
        return false;
    }
    std::memset(map.tiles.data(), TileOccupancy::kUnknown, count);
    map.columns = columns, map.rows = rows;
    map.width = layer.width, map.height = layer.height;
    map.generation = layer.pixels.generation();
    return true;
}

}  // namespace

bool refresh_tile_occupancy(const LayerRecord& layer, TileOccupancy& map, int x0, int y0, int x1,
                            int y1) noexcept
{
    if (!layer.present() || layer.width <= 0 || layer.height <= 0) return false;
    const bool current = map.tiles && map.generation == layer.pixels.generation() &&
                         map.width == layer.width && map.height == layer.height;
    if (!current && !reset_map(layer, map)) return false;
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, layer.width), y1 = std::min(y1, layer.height);
    if (x1 <= x0 || y1 <= y0) return true;
    const int c0 = x0 / kOccupancyTile, c1 = (x1 - 1) / kOccupancyTile + 1;
    const int r0 = y0 / kOccupancyTile, r1 = (y1 - 1) / kOccupancyTile + 1;
    // Each task fills its own row of tiles.
    for_each_row(
        r0, r1, static_cast<double>(c1 - c0) * kOccupancyTile * kOccupancyTile * cost::kCopy, [&](int row) {
            std::uint8_t* state = map.tiles.data() + static_cast<std::size_t>(row) * map.columns;
            for (int column = c0; column < c1; ++column)
                if (state[column] == TileOccupancy::kUnknown) state[column] = tile_state(layer, column, row);
        });
    return true;
}

}  // namespace mve
