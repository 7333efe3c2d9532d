// Brush resources that the dab rasteriser draws with: the texture plane, the
// grit patterns, the brush shape and the blend buffers.
#pragma once

#include <array>
#include <cstdint>

#include "core/memory.h"

namespace mve {

constexpr int kGritPatternCount = 20;
constexpr int kBlendBufferCount = 20;

struct TextureState {
    Plane8 plane;  // width * height bytes; present only while a layer uses mode 29
};

struct BlendBuffer {
    Plane16 pixels;  // M x M RGBA64, M = maximum brush size
    int stride = 0;  // M * 4
};

struct BlendBufferState {
    std::array<BlendBuffer, kBlendBufferCount> records;
    int count = 0;
    int current = 0;
};

struct PaintResources {
    std::array<Plane8, kGritPatternCount> gritPatterns;  // (max brush + 25)^2 bytes each
    Plane16 brushShape;                                   // (max brush)^2 coverage values
};

}  // namespace mve
