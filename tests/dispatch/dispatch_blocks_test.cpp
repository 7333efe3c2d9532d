// The engine's own blocks through the dispatcher, worked by hand on small
// canvases: "Reduce", "Levels", "Mask Generate HSL", the polygon warps and
// "Gaussian Blur".
#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

using DispatchBlocks = DispatchFixture;

// s = (100 - 50) % = 0.5: a 10 x 10 canvas becomes 5 x 5 (Lanczos, all sides
// at least 5) placed at 10 / 2 - 5 / 2 = 3 on a transparent canvas. A flat
// colour stays flat through the resampling.
TEST_F(DispatchBlocks, ReduceCentresAHalfSizeCopy)
{
    canvas(10, 10);
    set_layer(solid({100, 150, 200, 255}));
    MVE_IPLUpdateSrcBuffer32();
    EXPECT_EQ(process("Reduce", with_p({500}, {1, 1})), 1);
    const auto out = layer32();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x <= 7 && y >= 3 && y <= 7;
            const std::uint8_t* p = &out[(static_cast<std::size_t>(y) * 10 + x) * 4];
            EXPECT_EQ(p[3], inside ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[0], inside ? 100 : 0) << x << "," << y;
            EXPECT_EQ(p[2], inside ? 200 : 0) << x << "," << y;
        }
    // Placed at the end (i1 = i2 = 2): columns and rows 5..9.
    set_layer(solid({100, 150, 200, 255}));
    MVE_IPLUpdateSrcBuffer32();
    process("Reduce", with_p({500}, {2, 2}));
    const auto end = layer32();
    EXPECT_EQ(end[(4 * 10 + 4) * 4 + 3], 0);
    EXPECT_EQ(end[(5 * 10 + 5) * 4 + 3], 255);
    EXPECT_EQ(end[(9 * 10 + 9) * 4 + 1], 150);
}

TEST_F(DispatchBlocks, ReduceToNothingOrBeyondFourTimesLeavesTheLayer)
{
    canvas(3, 2);
    const auto before = solid({1, 2, 3, 255});
    set_layer(before);
    MVE_IPLUpdateSrcBuffer32();
    for (int p1 : {1000, 900, -1000000000, 1000000000}) {
        EXPECT_EQ(process("Reduce", with_p({p1}, {1, 1})), 1);
        EXPECT_EQ(layer32(), before) << p1;
    }
}

// Greys 50, 60, 70, 80, 90 on 5 pixels: the 1 % limit is 0, so the black
// point is 50 and the white point 90, the middle 70. Ramps: 60 ->
// trunc(10 * 127 / 20) = 63, 70 -> 127, 80 -> trunc(127 + 63.5) = 190, 90 ->
// 255. The output range 0..255 (p3 = 0, p4 = 1000) keeps them; alpha is not
// chosen and stays.
TEST_F(DispatchBlocks, LevelsWithAutomaticPoints)
{
    canvas(5, 1);
    set_layer({50, 50, 50, 200, 60, 60, 60, 200, 70, 70, 70, 200, 80, 80, 80, 200, 90, 90, 90, 200});
    process("Levels", with_p({0, 0, 0, 1000}, {0, 0, 1, 1, 1, 0, 1}));
    const auto out = layer32();
    const int expected[5] = {0, 63, 127, 190, 255};
    for (int x = 0; x < 5; ++x) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(out[x * 4 + c], expected[x]) << x;
        EXPECT_EQ(out[x * 4 + 3], 200);
    }
}

// Given points k = trunc(20 * 2.559) = 51 and t = trunc(80 * 2.559) = 204,
// m = 127: 40 -> 0, 89 -> trunc(38 * 127 / 76) = 63, 250 -> 255. Output
// range lo = trunc(10 * 2.559) = 25, hi = trunc(50 * 2.559) = 127, d = 102:
// 0 -> 25, 63 -> trunc(25 + 63 * 102 / 255) = 50, 255 -> 127. Only green.
TEST_F(DispatchBlocks, LevelsWithGivenPointsAndOutputRange)
{
    canvas(3, 1);
    set_layer({40, 40, 40, 255, 89, 89, 89, 255, 250, 250, 250, 255});
    process("Levels", with_p({200, 800, 100, 500}, {0, 0, 0, 1, 0, 0, 0}));
    const auto out = layer32();
    EXPECT_EQ(out[1], 25);
    EXPECT_EQ(out[5], 50);
    EXPECT_EQ(out[9], 127);
    EXPECT_EQ(out[0], 40);
    EXPECT_EQ(out[4], 89);
    EXPECT_EQ(out[10], 250);
}

// Key: hue 0 (p1 = 0), saturation 100 % (p3), lightness 50 % (p5) = pure
// red; hue tolerance 10 % of 180 degrees. The red pixel is marked with the
// creator's strength 255 (mask 0); blue keeps the cleared 65535.
TEST_F(DispatchBlocks, MaskGenerateHslChangesOnlyTheMask)
{
    canvas(2, 1);
    const std::vector<std::uint8_t> picture = {255, 0, 0, 255, 0, 0, 255, 255};
    set_layer(picture);
    MVE_IPLUpdateSrcBuffer32();
    const std::vector<unsigned short> before(2, 777);
    MVE_SetMaskData16(before.data());
    process("Mask Generate HSL", with_p({0, 100, 1000, 1000, 500, 1000}, {0, 0, 1}));
    const auto m = mask();
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[1], 65535);
    EXPECT_EQ(layer32(), picture);
    // Without the clear (i3 = 0) the unmarked pixel keeps its value.
    MVE_SetMaskData16(before.data());
    process("Mask Generate HSL", with_p({0, 100, 1000, 1000, 500, 1000}, {0, 0, 0}));
    EXPECT_EQ(mask()[1], 777);
}

// Stretch p1 = 1000 on a 5 x 3 canvas: o = trunc(50 * 4 * 0.01) = 2, each side
// moves out by 1, so x 0..4 maps back to source x (x + 1) * 4 / 6; a ramp of
// 60 per pixel reads 40, 80, 120, 160, 200.
TEST_F(DispatchBlocks, StretchSamplesBilinearly)
{
    canvas(5, 3);
    std::vector<std::uint8_t> ramp;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) ramp.insert(ramp.end(), {std::uint8_t(60 * x), 0, 0, 255});
    set_layer(ramp);
    process("Stretch", with_p({1000, 500}));
    const auto out = layer32();
    const int expected[5] = {40, 80, 120, 160, 200};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(out[(y * 5 + x) * 4], expected[x]) << x << "," << y;
    // Every slider at 500 leaves every warp's picture where it is.
    for (const char* name : {"Perspective", "Warp", "Warp Edge", "Warp 3 Point", "Stretch", "Stretch Edge",
                             "Vertical Pivot", "Horizontal Pivot", "Skew"}) {
        set_layer(ramp);
        process(name, with_p({500, 500, 500, 500, 500, 500}));
        EXPECT_EQ(layer32(), ramp) << name;
    }
}

// Perspective p2 = 250 pulls the top corners in by B = trunc(25 * 4 * 0.01) = 1
// on a 5 x 5 canvas: the top edge runs from (1, 0) to (3, 0) and shows the
// source's top row squeezed (x 1, 2, 3 read source x 0, 2, 4); its ends
// become (r, g, b, 0). The bottom edge stays where it was.
TEST_F(DispatchBlocks, PerspectiveUncoversToTheGivenColour)
{
    canvas(5, 5);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 25; ++k) picture.insert(picture.end(), {std::uint8_t(10 * k), 0, 0, 255});
    set_layer(picture);
    Call c = with_p({500, 250, 500, 500});
    c.r = 9, c.g = 8, c.b = 7;
    process("Perspective", c);
    const auto out = layer32();
    EXPECT_EQ(out[1 * 4], 0);
    EXPECT_EQ(out[2 * 4], 20);
    EXPECT_EQ(out[3 * 4], 40);
    EXPECT_EQ(out[2 * 4 + 3], 255);
    for (int x : {0, 4}) {
        EXPECT_EQ(out[x * 4 + 3], 0) << x;
        EXPECT_EQ(out[x * 4], 9) << x;
        EXPECT_EQ(out[x * 4 + 2], 7) << x;
    }
    for (int x = 0; x < 5; ++x) EXPECT_EQ(out[(20 + x) * 4], picture[(20 + x) * 4]) << x;
}

// p1 = 35: sigma 0.6 + 0.4 * 3.5 = 2 (the recursive filter); p1 = 0: sigma
// 0.6 (the kernel). A flat layer stays flat, a single bright column spreads
// symmetrically and keeps its mass.
TEST_F(DispatchBlocks, GaussianBlurSpreadsAColumn)
{
    for (int p1 : {0, 35}) {
        canvas(9, 2);
        std::vector<std::uint8_t> picture = solid({0, 0, 0, 255});
        for (int y = 0; y < 2; ++y) picture[(static_cast<std::size_t>(y) * 9 + 4) * 4] = 180;
        set_layer(picture);
        process("Gaussian Blur", with_p({p1}));
        const auto out = layer32();
        int mass = 0;
        for (int x = 0; x < 9; ++x) mass += out[x * 4];
        EXPECT_NEAR(mass, 180, 4) << p1;
        EXPECT_LT(out[4 * 4], 180);
        EXPECT_GT(out[3 * 4], 0);
        EXPECT_NEAR(out[3 * 4], out[5 * 4], 1);
        EXPECT_EQ(out[9 * 4 + 3 * 4], out[3 * 4]);
        TearDown();
    }
}

}  // namespace
