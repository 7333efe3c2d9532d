// A small canvas made through the public interface and deleted after each
// test: layers 1..layers of the canvas size, the top one current.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "morvane/morvane.h"

namespace mve_test {

struct CanvasFixture : ::testing::Test {
    int w = 0, h = 0;

    void make(int width, int height, int layers = 1)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 8, 0);
        for (int i = 1; i <= layers; ++i) ASSERT_EQ(MVE_CreateLayer(i, w, h), 1);
        MVE_SetLayer(layers);
    }
    void TearDown() override { MVE_DeleteImage(); }

    std::vector<unsigned short> layer(int index) const
    {
        std::vector<unsigned short> data(static_cast<std::size_t>(w) * h * 4);
        MVE_GetLayerData(data.data(), index);
        return data;
    }
    std::vector<unsigned short> mask() const
    {
        std::vector<unsigned short> m(static_cast<std::size_t>(w) * h);
        MVE_GetMaskData16(m.data());
        return m;
    }
};

}  // namespace mve_test
