// Per-pixel built-in effects on one-row images, expected bytes worked by hand.
#include "effects_test_rig.h"

using namespace effects_test;
using mve::ipl::run_named_effect_on;

namespace {

using EffectsPixel = EffectsTest;

TEST_F(EffectsPixel, BasicThresholdTruncatesTheThreshold)
{
    // p1 = 500: t = trunc(0.5 * 255) = trunc(127.5) = 127.
    Img in(3, 1);
    in.set(0, 0, {126, 126, 126, 255});  // lum 126 < 127
    in.set(1, 0, {127, 127, 127, 200});  // lum 127
    in.set(2, 0, {128, 127, 126, 10});   // lum 381 / 3 = 127
    const Img out = run("Basic Threshold", in, args({500}));
    EXPECT_EQ(out.at(0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(out.at(1, 0), (Rgba{255, 255, 255, 200}));
    EXPECT_EQ(out.at(2, 0), (Rgba{255, 255, 255, 10}));
}

TEST_F(EffectsPixel, HyperContrastCurve)
{
    Img in(1, 1, {100, 50, 200, 77});
    // p1 = 1000: a = trunc(0 * 255) = 0 -> 1. x = (200 + 50) / 510 = 0.4902.
    // c = 100: 0.5098 * (255 - 155^2) + 0.4902 * 100^2 = -12118 + 4902 -> 0.
    // c = 50: 0.5098 * (255 - 205^2) + 0.4902 * 2500 = -20069 -> 0.
    // c = 200: 0.5098 * (255 - 55^2) + 0.4902 * 40000 = 18195 -> 255.
    EXPECT_EQ(run("Hyper Contrast", in, args({1000})).at(0, 0), (Rgba{0, 0, 255, 77}));
    // p1 = 0: a = 255 -> 250. Grey 128: x = 256/510 = 0.50196;
    // 0.49804 * (255 - 16129/250 = 255 - 64) + 0.50196 * (16384/250 = 65) = 95.13 + 32.63 -> 127.
    Img grey(2, 1, {128, 128, 128, 255});
    grey.set(1, 0, {0, 0, 0, 1});  // x = 0: 255 - 65025/250 = -5 -> 0
    const Img out = run("Hyper Contrast", grey, args({0}));
    EXPECT_EQ(out.at(0, 0), (Rgba{127, 127, 127, 255}));
    EXPECT_EQ(out.at(1, 0), (Rgba{0, 0, 0, 1}));
}

TEST_F(EffectsPixel, ChannelMakesPureColourLayers)
{
    Img in(2, 1, {200, 10, 20, 255});
    in.set(1, 0, {0, 50, 50, 255});
    Img red = run("Channel", in, args({}, {0, 0, 1}));
    EXPECT_EQ(red.at(0, 0), (Rgba{255, 0, 0, 200}));  // alpha = old red
    EXPECT_EQ(red.at(1, 0), (Rgba{0, 0, 0, 0}));      // no red at all
    EXPECT_EQ(run("Channel", in, args({}, {0, 0, 0, 1})).at(0, 0), (Rgba{0, 255, 0, 10}));
    EXPECT_EQ(run("Channel", in, args({}, {0, 0, 0, 0, 1})).at(1, 0), (Rgba{0, 0, 255, 50}));
    // Red then green on the changed value: (255, 0, 0, 200) has no green -> zeros.
    EXPECT_EQ(run("Channel", in, args({}, {0, 0, 1, 1})).at(0, 0), (Rgba{0, 0, 0, 0}));
    // Flags other than 1 do nothing.
    EXPECT_EQ(run("Channel", in, args({}, {0, 0, 2})).at(0, 0), (Rgba{200, 10, 20, 255}));
}

TEST_F(EffectsPixel, GrayscaleThenInvertChained)
{
    Img src(1, 1, {30, 60, 90, 128}), dst(1, 1);
    ASSERT_TRUE(run_named_effect_on("Grayscale", src.data(), dst.data(), 1, 1, 0, args({})));
    EXPECT_EQ(dst.at(0, 0), (Rgba{60, 60, 60, 128}));  // (30 + 60 + 90) / 3
    // The chained step reads the destination: 255 - 60, not the source's 225/195/165.
    ASSERT_TRUE(run_named_effect_on("Invert", src.data(), dst.data(), 1, 1, 1, args({})));
    EXPECT_EQ(dst.at(0, 0), (Rgba{195, 195, 195, 128}));
    EXPECT_EQ(src.at(0, 0), (Rgba{30, 60, 90, 128}));  // the source is not written
    // Unchained, Invert starts again from the source.
    ASSERT_TRUE(run_named_effect_on("Invert", src.data(), dst.data(), 1, 1, 0, args({})));
    EXPECT_EQ(dst.at(0, 0), (Rgba{225, 195, 165, 128}));
}

TEST_F(EffectsPixel, AdjustRgbaAndClamp)
{
    // Adjust RGBA: P1 = 0 -> v - v = 0; P2 = 1 -> v + (1 - v) = 1; P3 = 0.75 on 0 ->
    // 0 + 0.5 * 1 = 0.5 -> trunc(127.5) = 127; P4 = 0.5 keeps alpha.
    Img in(1, 1, {10, 20, 0, 99});
    EXPECT_EQ(run("Adjust RGBA", in, args({0, 1000, 750, 500})).at(0, 0), (Rgba{0, 255, 127, 99}));
    // Clamp on red (I3) and alpha (I6): lo = 0.2 * 255 = 51 -> 0, hi = 0.8 * 255 = 204 -> 255.
    Img c(1, 1, {50, 50, 250, 250});
    EXPECT_EQ(run("Clamp", c, args({200, 0, 800, 1000}, {0, 0, 1, 0, 0, 1})).at(0, 0), (Rgba{0, 50, 250, 255}));
    // A replaced low value is checked again against hi: loValue 255 > 204 -> hiValue 100.
    EXPECT_EQ(run("Clamp", c, args({200, 1000, 800, 393}, {0, 0, 1})).at(0, 0), (Rgba{100, 50, 250, 250}));
}

TEST_F(EffectsPixel, AlphaEdgeColor)
{
    // Colour (255, 0, 127), lower = trunc(0.2 * 255) = 51, upper = trunc(0.8 * 255) = 204.
    Img in(3, 1, {10, 20, 30, 51});
    in.set(1, 0, {10, 20, 30, 100});
    in.set(2, 0, {10, 20, 30, 204});
    Img keep = run("Alpha Edge Color", in, args({1000, 0, 500, 200, 800}));
    EXPECT_EQ(keep.at(0, 0), (Rgba{10, 20, 30, 0}));
    EXPECT_EQ(keep.at(1, 0), (Rgba{255, 0, 127, 100}));
    EXPECT_EQ(keep.at(2, 0), (Rgba{10, 20, 30, 204}));
    Img solid = run("Alpha Edge Color", in, args({1000, 0, 500, 200, 800}, {0, 0, 1}));
    EXPECT_EQ(solid.at(1, 0), (Rgba{255, 0, 127, 255}));
    EXPECT_EQ(solid.at(2, 0), (Rgba{10, 20, 30, 255}));
}

TEST_F(EffectsPixel, FaderRampsAlphaTopToBottom)
{
    // Vertical factor 2 * 0.5 = 1 at the top to 0 at the bottom; horizontal 1.
    // Rows of a 1 x 3 image: factors 1, 0.5, 0 -> alpha 200, 100, 0.
    Img in(1, 3, {40, 50, 60, 200});
    Img out = run("Fader", in, args({500, 0, 500, 500}, {0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(out.at(0, 0), (Rgba{40, 50, 60, 200}));
    EXPECT_EQ(out.at(0, 1), (Rgba{40, 50, 60, 100}));
    EXPECT_EQ(out.at(0, 2), (Rgba{40, 50, 60, 0}));
    // Lightness (I5) of a grey 102 (L = 0.4) scaled by 0.5 at the middle row -> trunc(0.2 * 255) = 51.
    Img grey(1, 3, {102, 102, 102, 255});
    EXPECT_EQ(run("Fader", grey, args({500, 0, 500, 500}, {0, 0, 0, 0, 1})).at(0, 1), (Rgba{51, 51, 51, 255}));
}

TEST_F(EffectsPixel, AdjustLabMovesLightness)
{
    // Grey has a = b = 0. L - 100 <= 0 gives black; L + 100 (about 153) is far
    // beyond white and clamps to 255. Alpha is kept.
    Img grey(1, 1, {128, 128, 128, 50});
    EXPECT_EQ(run("Adjust Lab", grey, args({0, 500, 500})).at(0, 0), (Rgba{0, 0, 0, 50}));
    EXPECT_EQ(run("Adjust Lab", grey, args({1000, 500, 500})).at(0, 0), (Rgba{255, 255, 255, 50}));
}

}  // namespace
