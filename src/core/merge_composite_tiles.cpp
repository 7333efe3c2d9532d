// Opaque tiles of the stack and the starting pixels of the composite.
#include "core/merge_composite_tiles.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cstring>

#include "core/blend_modes.h"
#include "core/layer_state.h"
#include "core/merge_layers.h"

namespace mve {

namespace {

constexpr int T = kOccupancyTile;

// Whether layer `index` may hide what lies beneath its opaque tiles: a
// Normal merge of it copies every pixel whose alpha is above 0xFEFF, which
// needs full opacity (no scaling of the alpha) and no layer mask.
bool hides_beneath(CoreState& e, int index, const TileOccupancy* map) noexcept
{
    const LayerRecord& layer = e.layers.table[index];
    return map && layer.present() && layer.visible && layer.blendMode == kNormal && layer.opacity >= 255 &&
           !layer_mask_of(e, index);
}

// Whether the part of tile (column, row) inside the rectangle lies inside
// the layer and is opaque on its map.
bool covers_tile(const LayerRecord& layer, const TileOccupancy& map, int column, int row, long long x,
                 long long y, long long w, long long h) noexcept
{
    const long long x0 = std::max(x, column * 1LL * T), x1 = std::min(x + w, (column + 1LL) * T);
    const long long y0 = std::max(y, row * 1LL * T), y1 = std::min(y + h, (row + 1LL) * T);
    if (x0 < 0 || y0 < 0 || x1 > layer.width || y1 > layer.height) return false;
    return map.state(column, row) == TileOccupancy::kOpaque;
}

}  // namespace

CompositeFloors composite_floors(CoreState& e, const StackTiles& tiles, int x, int y, int w, int h) noexcept
{
    CompositeFloors floors;
    std::array<int, kLayerCount> candidates;  // highest first
    int count = 0;
    long long right = 0, bottom = 0;
    for (int index = kLayerCount - 1; index >= 2; --index)
        if (hides_beneath(e, index, tiles[index])) {
            candidates[count++] = index;
            right = std::max<long long>(right, e.layers.table[index].width);
            bottom = std::max<long long>(bottom, e.layers.table[index].height);
        }
    // Tiles of the rectangle that some candidate may cover.
    right = std::min(right, x + static_cast<long long>(w));
    bottom = std::min(bottom, y + static_cast<long long>(h));
    if (count == 0 || right <= 0 || bottom <= 0) return {};
    const int columns = static_cast<int>((right + T - 1) / T), rows = static_cast<int>((bottom + T - 1) / T);
    if (!floors.floor.allocate(static_cast<std::size_t>(columns) * rows)) return {};
    floors.columns = columns, floors.rows = rows;
    const int c0 = static_cast<int>(std::max(0, x) / T), r0 = static_cast<int>(std::max(0, y) / T);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            int floor = 1;
            if (row >= r0 && column >= c0)
                for (int k = 0; k < count; ++k) {
                    const int index = candidates[k];
                    if (covers_tile(e.layers.table[index], *tiles[index], column, row, x, y, w, h)) {
                        floor = index;
                        break;
                    }
                }
            floors.floor[static_cast<std::size_t>(row) * columns + column] =
                static_cast<std::uint16_t>(floor);
        }
    return floors;
}

namespace {

// n copies of the pixel p into out.
void fill_pixel(std::uint16_t* out, const std::uint16_t* p, long long n) noexcept
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    for (long long i = 0; i < n; ++i) std::memcpy(out + i * 4, &word, 8);
}

// Canvas pixels [x0, x1) of row cy of the background into out: copied where
// the background is shown and holds them (filled where its map says the
// tile is one repeated pixel), zeros elsewhere.
void background_span(const LayerRecord& background, const TileOccupancy* tiles, std::uint16_t* out,
                     long long cy, long long x0, long long x1) noexcept
{
    const bool shown = background.present() && background.visible == 1 && cy >= 0 && cy < background.height;
    // [in0, in1) is the part on the background; x0 <= in0 <= in1 <= x1.
    const long long in0 = shown ? std::min(std::max(x0, 0LL), x1) : x1;
    const long long in1 = std::max(in0, std::min<long long>(x1, background.width));
    const auto bytes = [](long long n) { return static_cast<std::size_t>(n) * 8; };
    if (in0 > x0) std::memset(out, 0, bytes(in0 - x0));
    if (in1 > in0) {
        std::uint16_t* at = out + (in0 - x0) * 4;
        // A span never crosses a tile column, so one state tells it all.
        const int column = static_cast<int>(in0 / T), row = static_cast<int>(cy / T);
        // A uniform tile is filled from its first pixel, which stays in the
        // cache from row to row.
        if (tiles && tiles->uniform(column, row))
            fill_pixel(at, background.row(row * T) + column * T * 4, in1 - in0);
        else
            std::memcpy(at, background.row(static_cast<int>(cy)) + in0 * 4, bytes(in1 - in0));
    }
    if (x1 > in1) std::memset(out + (in1 - x0) * 4, 0, bytes(x1 - in1));
}

// Canvas pixels [x0, x1) of row cy of the layer into out, asking for the
// same pixels of the next row meanwhile: the spans are short and each would
// otherwise start by waiting for memory.
void copy_prefetching(const LayerRecord& layer, std::uint16_t* out, int cy, long long x0,
                      long long x1) noexcept
{
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 8;
    if (cy + 1 < layer.height) {
        const char* next = reinterpret_cast<const char*>(layer.row(cy + 1) + x0 * 4);
        for (std::size_t i = 0; i < bytes; i += 64) _mm_prefetch(next + i, _MM_HINT_T0);
    }
    std::memcpy(out, layer.row(cy) + x0 * 4, bytes);
}

}  // namespace

void fill_composite_base(CoreState& e, const CompositeFloors& floors, const TileOccupancy* backgroundTiles,
                         std::uint16_t* out, int x, int top, int w, int rows) noexcept
{
    const LayerRecord& background = e.layers.table[1];
    const long long end = x + static_cast<long long>(w);
    for (int r = 0; r < rows; ++r) {
        const long long cy = top + static_cast<long long>(r);  // a host's rectangle may end past INT_MAX
        const long long tileRow = cy < 0 ? -1 : cy / T;
        std::uint16_t* line = out + static_cast<std::size_t>(r) * w * 4;
        // Spans end at tile columns; the part left of the canvas is one span.
        for (long long x0 = x; x0 < end;) {
            const long long column = x0 < 0 ? -1 : x0 / T;
            const long long x1 = x0 < 0 ? std::min(0LL, end) : std::min(end, (column + 1) * T);
            std::uint16_t* at = line + (x0 - x) * 4;
            const int floor = floors.at(column, tileRow);
            if (floor >= 2)
                copy_prefetching(e.layers.table[floor], at, static_cast<int>(cy), x0,
                                 x1);  // inside the layer
            else
                background_span(background, backgroundTiles, at, cy, x0, x1);
            x0 = x1;
        }
    }
}

}  // namespace mve
