// The common layer loop of the document geometry (resize, seam carving,
// resize page, crop, rotations): every user layer 1..layer count with pixels
// is read out as RGBA32, transformed into a buffer of the new size, deleted,
// recreated at the new size and loaded back (mask flag 0). The Trace layer
// (index 0) is never touched. A layer whose operation fails is left as it was.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/layers.h"
#include "core/memory.h"
#include "core/transfer.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve {

// Sides above this are refused: the canvas itself cannot be larger.
constexpr int kMaxGeometrySide = 10000;

inline bool valid_geometry_size(int width, int height) noexcept
{
    return width > 0 && height > 0 && width <= kMaxGeometrySide && height <= kMaxGeometrySide;
}

// When the loop clears a layer's lock alpha: before the read-out (resize,
// seam carving, rotations) or only once the operation succeeded (crop,
// resize page). The saved flag is restored in every case.
enum class LockClear { BeforeRead, AfterOperation };

// Runs op(layerIndex, old, result) -> bool for every user layer. `old` holds
// the layer as canvas-sized RGBA32 (W*H*4), `result` receives
// newWidth*newHeight*4 bytes. False (nothing done) when the sizes are invalid
// or a buffer cannot be allocated.
template <class Op>
bool for_each_user_layer(Engine& e, int newWidth, int newHeight, LockClear when, Op&& op)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (!valid_geometry_size(newWidth, newHeight) || W <= 0 || H <= 0) return false;
    Plane8 old, result;
    if (!old.allocate(static_cast<std::size_t>(W) * H * 4)) return false;
    if (!result.allocate(static_cast<std::size_t>(newWidth) * newHeight * 4)) return false;
    const int count = e.layers.count;
    for (int i = 1; i <= count && i < kLayerCount; ++i) {
        LayerRecord& layer = e.layers.table[i];
        if (!layer.present()) continue;
        const std::uint8_t saved = layer.lockAlpha;
        if (when == LockClear::BeforeRead) layer.lockAlpha = 0;
        // A layer smaller than the canvas leaves part of the read-out
        // unwritten: start from transparent black instead of stale bytes.
        std::memset(old.data(), 0, old.bytes());
        std::memset(result.data(), 0, result.bytes());
        core::read_layer_rgba32(e, old.data(), W * 4, i);
        if (!op(i, old.data(), result.data())) {
            layer.lockAlpha = saved;
            continue;
        }
        layer.lockAlpha = 0;
        core::delete_layer(e, i);
        // The record (and with it the flag) survives deletion; a failed
        // creation leaves the layer deleted.
        if (core::create_layer(e, i, newWidth, newHeight))
            core::load_rgba32_into_layer(e, result.data(), newWidth * 4, i, 0, 0, newWidth, newHeight, false);
        layer.lockAlpha = saved;
    }
    return true;
}

}  // namespace mve
