// Brush resources that the dab rasteriser draws with: the grit patterns, the
// brush shape and the blend buffers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/memory.h"

namespace mve {

constexpr int kGritPatternCount = 20;
constexpr int kBlendBufferCount = 20;

struct BlendBuffer {
    Plane16 pixels;  // side x side RGBA64, side = the maximum brush size it was made with
    int stride = 0;  // side * 4
    int side = 0;
};

struct BlendBufferState {
    std::array<BlendBuffer, kBlendBufferCount> records;
    int count = 0;
    int current = 0;
};

// The decoded picture a brush shape was last built from, kept so that
// repeated shape builds with the same path and angle do not read the file again.
struct ShapeSourceCache {
    Plane8 pixels;      // width * height RGBA32 pixels, already rotated by `angle`
    int width = 0;
    int height = 0;
    std::string path;   // compared by exact string equality
    int angle = 0;      // degrees the pixels were rotated by
    bool rotated = false;  // false until the rotation succeeded: then any angle misses
    bool present() const noexcept { return pixels && width > 0 && height > 0; }
};

struct PaintResources {
    std::array<Plane8, kGritPatternCount> gritPatterns;  // (max brush + 25)^2 bytes each, row stride max brush
    Plane16 brushShape;                                   // (max brush)^2 coverage values, row stride max brush
    // The current grit position: pattern gritPattern at byte gritOffset.
    int gritPattern = 0;
    std::size_t gritOffset = 0;
    int gritCountdown = 0;  // dabs left on this pattern; reloaded from drawingLength
    ShapeSourceCache shapeSource;
    long pictureFileRequests = 0;  // picture and script files read for brush shapes
};

// Start of the current grit position, or null while the pattern is absent.
inline const std::uint8_t* grit_position(const PaintResources& p) noexcept
{
    if (p.gritPattern < 0 || p.gritPattern >= kGritPatternCount) return nullptr;
    const Plane8& g = p.gritPatterns[static_cast<std::size_t>(p.gritPattern)];
    if (!g || p.gritOffset >= g.size()) return nullptr;
    return g.data() + p.gritOffset;
}

}  // namespace mve
