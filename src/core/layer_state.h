// The layer table and the PaintLayer.
#pragma once

#include <array>
#include <cstdint>

#include "core/layer_pixels.h"
#include "core/tile_occupancy.h"

namespace mve {

constexpr int kLayerCount = 272;       // 0 Trace, 1 background, 2..271 blended upward
constexpr int kModeNameCapacity = 54;  // at most 49 characters are stored

// Writable rows of a layer's plane for one operation.
struct LayerRows {
    std::uint16_t* data = nullptr;
    int stride = 0;  // in 16-bit channel values
    std::uint16_t* row(int y) const noexcept { return data + static_cast<std::size_t>(y) * stride; }
};

// One layer: an RGBA64 plane with its flags. Table entries and the PaintLayer
// share the record because whole records are swapped.
struct LayerRecord {
    LayerPixels pixels;  // empty = layer absent; writes through pixels.begin_write()
    int width = 0;
    int height = 0;
    int stride = 0;  // width * 4, in 16-bit channel values
    std::uint8_t visible = 0;
    std::uint8_t lockAlpha = 0;
    std::uint16_t opacity = 0;  // 0..256, percent * 2.56
    std::uint16_t level = 0;    // 0..255
    char modeName[kModeNameCapacity] = {};
    int blendMode = 0;
    int extents[4] = {0, 0, 0, 0};  // x0, y0, x1, y1; upper bounds exclusive
    TileOccupancy occupancy;        // derived from pixels; valid at occupancy.generation only

    bool present() const noexcept { return static_cast<bool>(pixels); }
    // The rows to write for one operation: takes a new content generation.
    // Call once, before any row loop (never per row: rows run on several threads).
    LayerRows begin_write() noexcept { return {pixels.begin_write(), stride}; }
    const std::uint16_t* row(int y) const noexcept
    {
        return pixels.data() + static_cast<std::size_t>(y) * stride;
    }
};

struct LayerStack {
    std::array<LayerRecord, kLayerCount> table;
    int count = 1;             // highest index 1..271 with pixels, at least 1
    int currentIndex = 0;
    LayerRecord* current = nullptr;  // none until the first MVE_SetLayer
    LayerRecord paint;               // the PaintLayer
    std::uint16_t alphaLayerOpacity = 0xFFFF;

    LayerRecord* trace() noexcept { return &table[0]; }
};

inline bool valid_layer_index(int index) noexcept { return index >= 0 && index < kLayerCount; }

}  // namespace mve
