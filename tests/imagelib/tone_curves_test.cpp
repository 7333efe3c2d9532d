// The tone tables' two mapping paths and the parallel histogram count agree
// with their plain references on a picture large enough to take them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/histogram.h"
#include "imagelib/tone_curves.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

constexpr int kW = 511, kH = 300;  // above the size that takes the pair tables; odd rows

Pixels varied()
{
    Pixels p(static_cast<std::size_t>(kW) * kH * 4);
    std::uint32_t s = 12345;
    for (auto& b : p) {
        s = s * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(s >> 16);
    }
    return p;
}

}  // namespace

TEST(ToneCurves, PairTablesGiveTheBytesOfTheByteTables)
{
    const Pixels in = varied();
    const auto once = [&](bool fast) {
        Pixels p = in;
        mve::set_fast_paths(fast);
        EXPECT_EQ(mve::il::adjust_brightness_contrast(p.data(), kW, kH, 0.3, -0.4), 1);
        mve::set_fast_paths(true);
        return p;
    };
    const Pixels fast = once(true), plain = once(false);
    EXPECT_EQ(fast, plain);
    // Alpha passes through untouched; a colour byte follows the formula:
    // brightness 0.3, contrast -0.4: (v - 127.5) * 0.6 + 127.5 + 76.5.
    for (std::size_t k = 0; k < in.size(); k += 4) ASSERT_EQ(fast[k + 3], in[k + 3]);
    for (std::size_t k = 0; k < 64; ++k) {
        if (k % 4 == 3) continue;
        const double expected = std::min((in[k] - 127.5) * 0.6 + 204.0, 255.0);
        EXPECT_NEAR(fast[k], expected, 0.5 + 1e-9) << k;
    }
}

TEST(ToneCurves, EachChannelKeepsItsOwnTableOnTheFastPath)
{
    // Red inverted, green halved, blue kept: a byte landing in the wrong
    // channel or alpha touched shows at once.
    mve::il::ToneTables t;
    for (int v = 0; v < 256; ++v) {
        t.rgb[0][v] = static_cast<std::uint8_t>(255 - v);
        t.rgb[1][v] = static_cast<std::uint8_t>(v / 2);
        t.rgb[2][v] = static_cast<std::uint8_t>(v);
    }
    const Pixels in = varied();
    Pixels p = in;
    ASSERT_EQ(mve::il::apply_tone_tables(p.data(), kW, kH, t), 1);
    for (std::size_t k = 0; k < in.size(); k += 4) {
        ASSERT_EQ(p[k], 255 - in[k]) << k;
        ASSERT_EQ(p[k + 1], in[k + 1] / 2) << k;
        ASSERT_EQ(p[k + 2], in[k + 2]) << k;
        ASSERT_EQ(p[k + 3], in[k + 3]) << k;
    }
}

TEST(ToneCurves, HistogramCountsDoNotDependOnThreads)
{
    Pixels in = varied();
    for (std::size_t k = 3; k < in.size(); k += 4) in[k] = 255;
    in[3] = 0;  // one transparent pixel is left out
    mve::il::Histograms one, two;
    const int saved = mve::thread_count();
    mve::set_thread_count(1);
    mve::il::visible_histograms(in.data(), kW, kH, one);
    mve::set_thread_count(2);
    mve::il::visible_histograms(in.data(), kW, kH, two);
    mve::set_thread_count(saved);
    EXPECT_EQ(one.visible, static_cast<std::uint64_t>(kW) * kH - 1);
    EXPECT_EQ(two.visible, one.visible);
    std::uint64_t total = 0;
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(one.brightness[v], two.brightness[v]);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(one.channel[c][v], two.channel[c][v]);
        total += one.brightness[v];
    }
    EXPECT_EQ(total, one.visible);
}
