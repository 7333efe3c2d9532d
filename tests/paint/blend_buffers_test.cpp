// Blend buffers and the paint mix table, worked by hand on small squares.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/paint_mix.h"

using namespace mve;

namespace {

constexpr int W = 6, H = 6, M = 4;

struct BlendBufferTest : ::testing::Test {
    void SetUp() override
    {
        MVE_CreateImage(nullptr, W, H, M, 0);
        MVE_CreateLayer(2, W, H);
        MVE_SetLayer(2);
        Engine& e = engine();
        e.brush.fullSize = 4;
        e.brush.blendStrength = 128;
        e.brush.color = {0xFF00, 0, 0, 0xFFFF};
    }
    void TearDown() override { MVE_DeleteImage(); }

    static std::uint16_t* canvas(int x, int y)
    {
        return engine().layers.table[2].begin_write().row(y) + x * 4;
    }
    static std::uint16_t* buffer(int u, int v) { return current_blend_buffer(engine()) + (v * M + u) * 4; }
};

}  // namespace

TEST_F(BlendBufferTest, CopyWithZeroStrengthKeepsCanvasColourPlusIncrement)
{
    std::uint16_t* p = canvas(2, 2);
    p[0] = 1000, p[1] = 2000, p[2] = 3000, p[3] = 40000;
    // Square centred on (3, 3): left = top = 1, so canvas (2, 2) is buffer (1, 1).
    ASSERT_EQ(MVE_CopyBlendBufferSurface(3, 3, 0, 0), 1);
    // c = 0, E = 256: (1000 * 256 + 0) >> 8 = 1000, + 1.
    EXPECT_EQ(buffer(1, 1)[0], 1001);
    EXPECT_EQ(buffer(1, 1)[2], 3001);
    EXPECT_EQ(buffer(1, 1)[3], 40000);
    // A transparent canvas pixel gives the brush colour with alpha c * 256 (= 0 here).
    EXPECT_EQ(buffer(0, 0)[0], 0xFF00);
    EXPECT_EQ(buffer(0, 0)[3], 0);
}

TEST_F(BlendBufferTest, CopyPullsTowardBrushAndFillsOutsideWhenCrossing)
{
    std::uint16_t* p = canvas(0, 0);
    p[0] = 0xFFFF, p[1] = 0xFFFF, p[2] = 0xFFFF, p[3] = 0xFFFF;
    // Centred on (1, 1): left = top = -1, the square crosses the edge.
    MVE_CopyBlendBufferSurface(1, 1, 64, 0);
    // Outside pixel (buffer 0, 0): brush colour, alpha (64 % 256) * 256 = 16384.
    EXPECT_EQ(buffer(0, 0)[0], 0xFF00);
    EXPECT_EQ(buffer(0, 0)[3], 16384);
    // Canvas (0, 0) = buffer (1, 1): red = (65535 * 192 + 64 * 65280) >> 8 = 65471 + 1, capped at 65280;
    // green = (65535 * 192) >> 8 + 1 = 49151 + 1 = 49152; alpha = (65535 * 192 + 64 * 65535) >> 8 = 65535.
    EXPECT_EQ(buffer(1, 1)[0], 65280);
    EXPECT_EQ(buffer(1, 1)[1], 49152);
    EXPECT_EQ(buffer(1, 1)[3], 65535);
    // With the flag only alpha is set outside, and transparent pixels get (256 - c) * 256.
    MVE_ClearBlendBuffer();
    MVE_CopyBlendBufferSurface(1, 1, 64, 1);
    EXPECT_EQ(buffer(0, 0)[0], 0);
    EXPECT_EQ(buffer(0, 0)[3], 65535);
    EXPECT_EQ(buffer(2, 2)[3], 192 * 256);
}

TEST_F(BlendBufferTest, NothingHappensWithoutBlendStrength)
{
    engine().brush.blendStrength = 0;
    EXPECT_EQ(MVE_CopyBlendBufferSurface(3, 3, 0, 0), 0);
    EXPECT_EQ(MVE_MixBlendBufferSurface(3, 3, 128), 0);
    EXPECT_EQ(MVE_DoColorBlendBuffer(3, 3, 1, 2, 3, 0, 100), 0);
}

TEST_F(BlendBufferTest, MixTakesCanvasIntoEmptyBufferAndBlendsOtherwise)
{
    std::uint16_t* p = canvas(2, 2);
    p[0] = 40000, p[1] = 0, p[2] = 0, p[3] = 65535;
    engine().brush.mixMode = 32;
    // Empty buffer pixel: it takes the canvas pixel.
    MVE_MixBlendBufferSurface(3, 3, 128);
    EXPECT_EQ(buffer(1, 1)[0], 40000);
    EXPECT_EQ(buffer(1, 1)[3], 65535);
    // Buffer (20000, ...), canvas 40000, k = 128 * 256 = 32768, code 32 keeps Q' = Q:
    // ((20000 * 32768 >> 8) + (40000 * 32768 >> 8)) >> 8 = (2560000 + 5120000) >> 8 = 30000, + 1.
    buffer(1, 1)[0] = 20000;
    MVE_MixBlendBufferSurface(3, 3, 128);
    EXPECT_EQ(buffer(1, 1)[0], 30001);
    // A transparent canvas pixel fades the buffer alpha: 65535 * (65536 - 32768) >> 16 = 32767.
    buffer(0, 0)[3] = 65535;
    MVE_MixBlendBufferSurface(3, 3, 128);
    EXPECT_EQ(buffer(0, 0)[3], 32767);
}

TEST_F(BlendBufferTest, ColourTintStaysBelowSaturation)
{
    buffer(0, 0)[0] = 60000, buffer(0, 0)[3] = 100;
    // k = 255 * 256 = 65280: ((255 * 65280) + (60000 * 256 >> 8)) >> 8 = (16646400 + 60000) >> 8 = 65259, + 1.
    MVE_DoColorBlendBuffer(3, 3, 255, 0, 0, 0, 255);
    EXPECT_EQ(buffer(0, 0)[0], 65260);
    // Alpha 0: channel = r * 256.
    EXPECT_EQ(buffer(1, 0)[0], 65280);
    EXPECT_EQ(buffer(1, 0)[3], 0);
}

TEST_F(BlendBufferTest, FilterAndSelection)
{
    buffer(0, 0)[0] = 300, buffer(0, 0)[1] = 600, buffer(0, 0)[2] = 900;
    MVE_FilterBlendBuffer(289, 0);
    EXPECT_EQ(buffer(0, 0)[1], 600);
    MVE_FilterBlendBuffer(290, 0);
    EXPECT_EQ(buffer(0, 0)[0], 65535 - 600);
    // b = 50 * 655.35 = 32767: channels above it become 65280.
    MVE_FilterBlendBuffer(292, 50);
    EXPECT_EQ(buffer(0, 0)[2], 65280);
    MVE_FilterBlendBuffer(291, 100);  // b = 65535: everything below it becomes 0
    EXPECT_EQ(buffer(0, 0)[2], 0);

    MVE_SetBlendBufferCount(3);
    MVE_SelectBlendBuffer(7);
    EXPECT_EQ(engine().blend.current, 2);
    MVE_SelectBlendBuffer(-4);
    EXPECT_EQ(engine().blend.current, 0);
}

TEST(PaintMixTest, SeparableAndBankModes)
{
    PaintMixInputs in;
    in.banks[0] = {1, 2, 3};
    in.banks[1] = {4, 5, 6};
    const Rgb32 S = {0x8000, 0x2000, 0xFFFF}, D = {0x4000, 0x4000, 0x4000};
    in.code = 35;  // min
    EXPECT_EQ(paint_mix(in, S, D).b, (Rgb32{0x4000, 0x2000, 0x4000}));
    in.code = 48;  // max(0, D + S - 65535): 0x4000 + 0xFFFF - 65535 = 0x4000
    EXPECT_EQ(paint_mix(in, S, D).b[2], 0x4000u);
    EXPECT_EQ(paint_mix(in, S, D).b[0], 0u);
    in.code = 43;  // S = 65535 gives 65535
    EXPECT_EQ(paint_mix(in, S, D).b[2], 65535u);
    // L = (0x8000 + 0x2000 + 0xFFFF) / 3 = 43690: code 249 picks bank 1 (L >= 32767).
    in.code = 249;
    EXPECT_EQ(paint_mix(in, S, D).b, in.banks[1]);
    EXPECT_TRUE(paint_mix(in, S, D).lerp);
    in.code = 256;  // L >= 20479: the paint itself
    EXPECT_EQ(paint_mix(in, S, D).b, S);
    in.code = 259;  // L > 12287 keeps the destination
    EXPECT_TRUE(paint_mix(in, S, D).keepDestination);
    in.code = 295;
    in.shift = 12;  // (S >> 12) << 12
    EXPECT_EQ(paint_mix(in, S, D).b[2], 0xF000u);
    in.code = 999;  // no entry: the paint, no strength blend
    EXPECT_EQ(paint_mix(in, S, D).b, S);
    EXPECT_FALSE(paint_mix(in, S, D).lerp);
    // Strength blend at t = 128: ((S * 128 >> 4) + (B * 128 >> 4)) >> 4 = (S + B) / 2.
    EXPECT_EQ(strength_lerp(1000, 3000, 128), 2000u);
}
