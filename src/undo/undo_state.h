// The undo store's records: the UnderLayer back buffer and the 500 slots.
#pragma once

#include <array>
#include <cstdint>

#include "core/memory.h"

namespace mve {

constexpr int kUndoSlotCount = 500;

struct Rect4 {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// One saved step: the "before" image of an inclusive rectangle.
struct UndoSlot {
    Plane16 pixels;  // RGBA64, (x1-x0+1)*(y1-y0+1) pixels packed; empty if not saved
    Plane16 mask;    // 16-bit, same size; empty if not saved
    std::uint8_t maskEnabled = 0;
    Rect4 rect;

    bool holds_any() const noexcept { return pixels || mask; }
};

struct UnderLayer {
    Plane16 pixels;  // canvas-sized RGBA64 copy of the current layer
    Plane16 mask;    // canvas-sized copy of the Mask
    std::uint8_t maskEnabled = 0;
    Rect4 rect;
};

struct UndoStore {
    std::array<UndoSlot, kUndoSlotCount> slots;  // slot 0 newest
    std::array<int, kUndoSlotCount> slotLayer{};
    int levels = 0;      // slots in use, 0..500
    int redoDepth = 0;   // undone steps: slots 0 .. redoDepth-1
    std::uint8_t paused = 0;
    long long budgetKB = 0;
    bool automaticBudget = false;
    long long usageKB = 0;
    Rect4 dirty;         // inclusive; empty is (width-1, height-1, 0, 0)
    UnderLayer under;
    // Non-zero while a save, undo, redo or fade holds references into the
    // slots: the allocator must not give steps back underneath it then.
    int busy = 0;
};

}  // namespace mve
