// A 5 x 5 canvas for the fill, shape and wand tests: layer 1 (the opaque
// white background) and layer 2 (current), set pixel by pixel in 8-bit
// values (stored v << 8 as every 8-bit load stores them).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace mve::test {

using Px = std::array<int, 4>;

struct FillsFixture : mve_test::CanvasFixture {
    void SetUp() override
    {
        MVE_IPLInit(0);
        make(5, 5, 2);
        MVE_EnableMask(0);
    }
    std::uint16_t* raw(int layer, int x, int y)
    {
        return engine().layers.table[layer].begin_write().row(y) + 4 * x;
    }
    void set(int layer, int x, int y, Px p)
    {
        for (int c = 0; c < 4; ++c) raw(layer, x, y)[c] = static_cast<std::uint16_t>(p[c] << 8);
    }
    // High bytes of a layer pixel.
    Px at(int layer, int x, int y)
    {
        const std::uint16_t* p = raw(layer, x, y);
        return Px{p[0] >> 8, p[1] >> 8, p[2] >> 8, p[3] >> 8};
    }
    // Columns 0-1 and 3-4 one colour, column 2 another: two regions of the
    // same colour that do not touch.
    void two_regions(int layer, Px outer, Px middle)
    {
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) set(layer, x, y, x == 2 ? middle : outer);
    }
    bool dirty_all()
    {
        const Rect4& d = engine().undo.dirty;
        return d.x0 == 0 && d.y0 == 0 && d.x1 == w - 1 && d.y1 == h - 1;
    }
    void clear_dirty() { engine().undo.dirty = Rect4{4, 4, 0, 0}; }
};

}  // namespace mve::test
