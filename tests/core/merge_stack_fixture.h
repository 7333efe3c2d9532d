// A canvas fixture for composite tests: the stack merged with the fast
// paths on or off, and pixels put and read in packed RGBA64 planes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/runtime.h"
#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace mve_test {

struct MergeStackFixture : CanvasFixture {
    using Plane = std::vector<unsigned short>;
    using Pixel = std::vector<unsigned short>;

    void TearDown() override
    {
        mve::set_fast_paths(true);
        CanvasFixture::TearDown();
    }
    Plane merged(bool fast)
    {
        mve::set_fast_paths(fast);
        Plane out(static_cast<std::size_t>(w) * h * 4, 7);
        MVE_Merge(out.data());
        return out;
    }
    Plane merged_rect(bool fast, int x, int y, int rw, int rh)
    {
        mve::set_fast_paths(fast);
        Plane out(static_cast<std::size_t>(rw) * rh * 4, 7);
        MVE_MergeRect(out.data(), x, y, rw, rh);
        return out;
    }
    static void put(Plane& p, int width, int x, int y, const Pixel& v)
    {
        std::copy(v.begin(), v.end(), p.begin() + (static_cast<std::size_t>(y) * width + x) * 4);
    }
    static Pixel at(const Plane& p, int width, int x, int y)
    {
        const auto i = p.begin() + (static_cast<std::size_t>(y) * width + x) * 4;
        return {i, i + 4};
    }
};

}  // namespace mve_test
