// The tone tables' two mapping paths and the parallel histogram count agree
// with their plain references on a picture large enough to take them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/merge_float_batch.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/histogram.h"
#include "imagelib/tone_curves.h"
#include "imagelib/tone_linear.h"

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

TEST(ToneLine, TakenOnlyWhereItReproducesTheTablesByteForByte)
{
    // t[v] = min(floor(1.5 v + 3.75), 255) on every channel, on a picture of
    // 13 x 3 (one step of eight pixels and a tail of five per row).
    mve::il::ToneTables t;
    for (int v = 0; v < 256; ++v)
        for (auto& channel : t.rgb) channel[v] = static_cast<std::uint8_t>(std::min(255, (6 * v + 15) / 4));
    const mve::il::ToneLine line{{1.5, 1.5, 1.5}, {3.75, 3.75, 3.75}};
    const Pixels in = [] {
        Pixels p(13 * 3 * 4);
        for (std::size_t k = 0; k < p.size(); ++k) p[k] = static_cast<std::uint8_t>(k * 37 % 256);
        return p;
    }();
    Pixels p = in;
    const bool vectors = mve::simd_level_in_force() == mve::SimdLevel::Avx2;
    ASSERT_EQ(mve::il::apply_tone_line(p.data(), 13, 3, line, t), vectors);
    if (vectors)
        for (std::size_t k = 0; k < in.size(); ++k)
            ASSERT_EQ(p[k], k % 4 == 3 ? in[k] : std::min(255, (6 * in[k] + 15) / 4)) << k;
    // One level off the line in one channel: the tables must be used instead.
    t.rgb[1][200] = static_cast<std::uint8_t>(t.rgb[1][200] - 1);
    p = in;
    EXPECT_FALSE(mve::il::apply_tone_line(p.data(), 13, 3, line, t));
    EXPECT_EQ(p, in);
}

TEST(ToneLine, BrightnessAndContrastGiveTheTableBytesOverTheSliderRange)
{
    // Every level in every channel, then the sliders' grid (value = slider x
    // 0.02 - 1) with and without the fast paths.
    Pixels in(256 * 4);
    for (int v = 0; v < 256; ++v)
        for (int k = 0; k < 4; ++k) in[v * 4 + k] = static_cast<std::uint8_t>((v + 85 * k) % 256);
    for (int p1 = 0; p1 <= 1000; p1 += 25)
        for (int p2 = 0; p2 <= 1000; p2 += 25) {
            Pixels fast = in, plain = in;
            const double b = p1 * 0.02 - 1, c = p2 * 0.02 - 1;
            mve::il::adjust_brightness_contrast(fast.data(), 256, 1, b, c);
            mve::set_fast_paths(false);
            mve::il::adjust_brightness_contrast(plain.data(), 256, 1, b, c);
            mve::set_fast_paths(true);
            ASSERT_EQ(fast, plain) << "p1 " << p1 << " p2 " << p2;
        }
}
