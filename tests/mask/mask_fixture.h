// A tiny canvas with layer 1 current, for the Mask tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace mve::test {

struct MaskFixture : mve_test::CanvasFixture {
    std::uint16_t& m(int x, int y)
    {
        return engine().mask.plane.begin_write()[static_cast<std::size_t>(y) * w + x];
    }
    std::uint16_t* px(int x, int y) { return engine().layers.table[1].begin_write().row(y) + 4 * x; }
    void set_px(int x, int y, std::uint16_t r, std::uint16_t g, std::uint16_t b, std::uint16_t a)
    {
        std::uint16_t* p = px(x, y);
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
    // Mask values row by row.
    void set_mask(std::initializer_list<std::uint16_t> values)
    {
        std::size_t i = 0;
        for (std::uint16_t v : values) engine().mask.plane.begin_write()[i++] = v;
    }
};

using Mask16 = std::vector<std::uint16_t>;
using Bytes = std::vector<unsigned char>;

}  // namespace mve::test
