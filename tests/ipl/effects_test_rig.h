// Small RGBA32 images and a runner wrapper shared by the built-in effect tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "ipl/effect_runner.h"
#include "morvane/morvane.h"

namespace effects_test {

using Rgba = std::array<int, 4>;

struct Img {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;

    Img(int width, int height, Rgba fill = {0, 0, 0, 0}) : w(width), h(height), px(static_cast<std::size_t>(w) * h * 4)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) set(x, y, fill);
    }
    void set(int x, int y, Rgba c)
    {
        for (int k = 0; k < 4; ++k) px[(static_cast<std::size_t>(y) * w + x) * 4 + k] = static_cast<std::uint8_t>(c[k]);
    }
    Rgba at(int x, int y) const
    {
        const std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    std::uint8_t* data() { return px.data(); }
};

// Parameters in dispatcher units: p1..p6 (0..1000) and i1..i8.
inline mve::ipl::EffectArgs args(std::initializer_list<int> p, std::initializer_list<int> i = {})
{
    mve::ipl::EffectArgs a;
    int k = 0;
    for (int v : p) a.p[k++] = v;
    k = 0;
    for (int v : i) a.i[k++] = v;
    return a;
}

// Runs one effect from a copy of `in` (the source) into a fresh destination;
// `src` receives what the effect left in the source.
inline Img run(const char* name, const Img& in, const mve::ipl::EffectArgs& a, Img* src = nullptr)
{
    Img source = in, dest(in.w, in.h, {9, 9, 9, 9});
    EXPECT_TRUE(mve::ipl::run_named_effect_on(name, source.data(), dest.data(), in.w, in.h, 0, a)) << name;
    if (src) *src = source;
    return dest;
}

// Tests that run on caller buffers start without a canvas image, so neither
// the Mask nor the current layer takes part.
class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override { MVE_DeleteImage(); }
};

}  // namespace effects_test
