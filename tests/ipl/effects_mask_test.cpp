// Mask effects write the engine's Mask directly; the canvas is created at the
// image's size so the Mask covers it.
#include "effects_test_rig.h"
#include "engine/engine.h"

using namespace effects_test;

namespace {

class EffectsMask : public EffectsTest {
protected:
    void canvas(int w, int h, std::uint16_t fill)
    {
        MVE_CreateImage(nullptr, w, h, 16, 0);
        mve::Engine& e = mve::engine();
        ASSERT_EQ(e.canvas.width, w);
        ASSERT_TRUE(e.mask.plane);
        for (std::size_t i = 0; i < e.mask.plane.size(); ++i) e.mask.plane.begin_write()[i] = fill;
    }
    std::uint16_t mask(int x, int y) const
    {
        const mve::Engine& e = mve::engine();
        return e.mask.plane[static_cast<std::size_t>(y) * e.canvas.width + x];
    }
    void TearDown() override { MVE_DeleteImage(); }
};

TEST_F(EffectsMask, HighLowRamps)
{
    // hi = trunc(0.8 * 255) = 204, lo = trunc(0.2 * 255) = 51. Stored as
    // trunc(value / 255 * 65535) = value * 257.
    const int lums[6] = {255, 230, 210, 100, 30, 0};
    Img in(6, 1);
    for (int x = 0; x < 6; ++x) in.set(x, 0, {lums[x], lums[x], lums[x], 255});
    canvas(6, 1, 1234);
    Img out = run("Mask High Low", in, args({800, 200}));
    EXPECT_EQ(mask(0, 0), 0);              // (255 - 255) * 255 / 51 = 0
    EXPECT_EQ(mask(1, 0), 125 * 257);      // 25 * 255 / 51 = 125
    EXPECT_EQ(mask(2, 0), 225 * 257);      // 45 * 255 / 51 = 225
    EXPECT_EQ(mask(3, 0), 1234);           // between the thresholds: not written
    EXPECT_EQ(mask(4, 0), 150 * 257);      // 30 * 255 / 51 = 150
    EXPECT_EQ(mask(5, 0), 0);              // 0 * 255 / 51
    EXPECT_EQ(out.px, in.px);              // the pixels are not changed
}

TEST_F(EffectsMask, DetailMarksStandOutPixels)
{
    // a = trunc(0.2 * 255) = 51; value 1 - 0.25 -> trunc(0.75 * 65535) = 49151.
    Img lone(3, 3, {0, 0, 0, 255});
    lone.set(1, 1, {100, 0, 0, 255});
    canvas(3, 3, 0);
    run("Mask Detail", lone, args({200, 250}));
    EXPECT_EQ(mask(1, 1), 49151);
    EXPECT_EQ(mask(0, 0), 0);  // border pixels are never marked
    // A horizontal line: the centre differs only from its upper and lower
    // neighbours. Pairs (I4 = 0) mark it; all eight (I4 = 1) do not.
    Img line(3, 3, {0, 0, 0, 255});
    for (int x = 0; x < 3; ++x) line.set(x, 1, {0, 0, 100, 255});
    canvas(3, 3, 0);
    run("Mask Detail", line, args({200, 250}));
    EXPECT_EQ(mask(1, 1), 49151);
    canvas(3, 3, 0);
    run("Mask Detail", line, args({200, 250}, {0, 0, 0, 1}));
    EXPECT_EQ(mask(1, 1), 0);
    canvas(3, 3, 0);
    run("Mask Detail", lone, args({200, 250}, {0, 0, 0, 1}));
    EXPECT_EQ(mask(1, 1), 49151);
}

TEST_F(EffectsMask, NoMaskOfThatSizeIsLeftAlone)
{
    // A 4 x 4 canvas and a 3 x 3 image: the Mask does not describe these pixels.
    canvas(4, 4, 7);
    Img lone(3, 3, {0, 0, 0, 255});
    lone.set(1, 1, {100, 0, 0, 255});
    run("Mask Detail", lone, args({200, 250}));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(mask(x, y), 7);
}

}  // namespace
