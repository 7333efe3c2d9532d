// Shared set-up of the undo store tests: a small canvas with two layers and
// helpers that paint, snapshot and check the store's invariants.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/memory.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace undo_test {

using Values = std::vector<std::uint16_t>;

// Everything a step can change: two layers and the Mask.
struct Snapshot {
    Values layer1, layer2, mask;
    bool operator==(const Snapshot&) const = default;
};

template <class Plane>
Values copy_of(const Plane& p)
{
    return Values(p.data(), p.data() + p.size());
}

inline Snapshot snapshot()
{
    mve::Engine& e = mve::engine();
    return Snapshot{copy_of(e.layers.table[1].pixels), copy_of(e.layers.table[2].pixels), copy_of(e.mask.plane)};
}

// Writes one RGBA64 value into every pixel of the inclusive rectangle of a layer.
inline void paint(int layer, int x0, int y0, int x1, int y1, std::uint16_t v)
{
    const mve::LayerRows l = mve::engine().layers.table[layer].begin_write();
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            for (int c = 0; c < 4; ++c) l.row(y)[x * 4 + c] = static_cast<std::uint16_t>(v + c);
}

inline void paint_mask(int x0, int y0, int x1, int y1, std::uint16_t v)
{
    mve::Engine& e = mve::engine();
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            e.mask.plane.begin_write()[static_cast<std::size_t>(y) * e.canvas.width + x] = v;
}

// The store's invariants: usage is exactly what the held buffers count, and
// the UnderLayer matches the current layer and the Mask.
inline void expect_consistent(const char* where)
{
    mve::Engine& e = mve::engine();
    EXPECT_GE(e.undo.usageKB, 0) << where;
    EXPECT_EQ(e.undo.usageKB, mve::undo_held_usage_kb(e)) << where;
    const mve::LayerRecord* cur = e.layers.current;
    ASSERT_TRUE(cur && cur->present()) << where;
    EXPECT_TRUE(copy_of(cur->pixels) == copy_of(e.undo.under.pixels)) << where << ": UnderLayer pixels";
    EXPECT_TRUE(copy_of(e.mask.plane) == copy_of(e.undo.under.mask)) << where << ": UnderLayer mask";
}

// Canvas width x height, layers 1 and 2, layer 1 current, `levels` levels
// and a budget of `mb` MB.
struct UndoFixture : ::testing::Test {
    void make_canvas(int width, int height, int levels = 10, int mb = 64)
    {
        MVE_CreateImage(nullptr, width, height, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, width, height), 1);
        ASSERT_EQ(MVE_CreateLayer(2, width, height), 1);
        MVE_SetLayer(1);
        MVE_SetUndoLevels(levels);
        MVE_SetUndoMB(mb);
    }
    void TearDown() override
    {
        mve::test_hooks::fail_allocations_after(-1);
        MVE_DeleteImage();
        MVE_SetUndoLevels(0);
    }
};

}  // namespace undo_test
