// The layer table and the PaintLayer.
#pragma once

#include <array>
#include <cstdint>

#include "core/memory.h"

namespace mve {

constexpr int kLayerCount = 272;       // 0 Trace, 1 background, 2..271 blended upward
constexpr int kModeNameCapacity = 54;  // at most 49 characters are stored

// One layer: an RGBA64 plane with its flags. Table entries and the PaintLayer
// share the record because whole records are swapped.
struct LayerRecord {
    Plane16 pixels;  // empty = layer absent
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

    bool present() const noexcept { return static_cast<bool>(pixels); }
    std::uint16_t* row(int y) noexcept { return pixels.data() + static_cast<std::size_t>(y) * stride; }
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
