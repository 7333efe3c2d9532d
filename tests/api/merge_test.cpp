// Merges, MergePixel, mix and tracing mode through the public interface, on
// 2 x 1 canvases. Colours on the 65280 scale; arithmetic in the comments.
#include <gtest/gtest.h>

#include <vector>

#include "morvane/morvane.h"

namespace {

using Shorts = std::vector<unsigned short>;

struct MergeApiTest : ::testing::Test {
    static constexpr int w = 2, h = 1;
    void SetUp() override
    {
        MVE_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        MVE_SetAlphaLayerOpacity(100);
    }
    void TearDown() override { MVE_DeleteImage(); }
    // Creates layer index holding the two given pixels, visible, with mode and opacity.
    void make_layer(int index, Shorts pixels, const char* mode = "Normal", int opacityPercent = 100,
                    int lock = 0)
    {
        ASSERT_EQ(MVE_CreateLayer(index, w, h), 1);
        MVE_SetLayerData(pixels.data(), index);
        MVE_SetLayerOptions(index, 1, lock, opacityPercent, mode);
    }
    Shorts layer(int index)
    {
        Shorts data(w * h * 4);
        MVE_GetLayerData(data.data(), index);
        return data;
    }
    Shorts composite()
    {
        Shorts out(w * h * 4, 0x5555);
        MVE_Merge(out.data());
        return out;
    }
};

TEST_F(MergeApiTest, CompositeOverBackgroundAndWithBackgroundHidden)
{
    make_layer(2, {1000, 2000, 3000, 0x4000, 0, 0, 0, 0});
    // Over opaque white (Dc = 65535/65280): s Sa + Dc (1 - Sa), Sa = 16384/65535 -> 49401.004 ...
    EXPECT_EQ(composite(), (Shorts{49401, 49651, 49901, 65535, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    // Background hidden: start from transparent black; the layer is copied where nothing lies beneath.
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    EXPECT_EQ(composite(), (Shorts{1000, 2000, 3000, 0x4000, 0, 0, 0, 0}));
    // A sub-rectangle: only pixel 1.
    Shorts one(4, 0x5555);
    MVE_MergeRect(one.data(), 1, 0, 1, 1);
    EXPECT_EQ(one, (Shorts{0, 0, 0, 0}));
    // Opacity 50 % = 128: a = (129 x 65535) >> 8 = 33023.
    make_layer(2, {7, 8, 9, 0xFFFF, 0, 0, 0, 0}, "Normal", 50);
    EXPECT_EQ(composite()[3], 33023);
}

TEST_F(MergeApiTest, LayerMaskScalesTheLayerBelowAndShowsNothing)
{
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    make_layer(2, {65280, 0, 0, 0xFFFF, 65280, 0, 0, 0xFFFF});
    make_layer(3, {32768, 32768, 32768, 0xFFFF, 0, 0, 0, 0}, "Layer Mask");
    // Pixel 0: a = (32768 x 65535) >> 16 = 32767; pixel 1: mask alpha 0, unchanged.
    EXPECT_EQ(composite(), (Shorts{65280, 0, 0, 32767, 65280, 0, 0, 0xFFFF}));
    // A hidden mask layer masks nothing.
    MVE_SetLayerOptions(3, 0, 0, 100, "Layer Mask");
    EXPECT_EQ(composite(), (Shorts{65280, 0, 0, 0xFFFF, 65280, 0, 0, 0xFFFF}));
}

TEST_F(MergeApiTest, ReflectGlowSilhouletteCompositeLikeNormal)
{
    const Shorts pixels = {0xFFFF, 0x1234, 0, 0xFFFF, 30000, 40000, 50000, 0x6000};
    make_layer(2, pixels, "Normal");
    const Shorts normal = composite();
    EXPECT_EQ(normal[0], 0xFFFF);  // the opaque copy keeps 0xFFFF
    for (const char* mode : {"Reflect", "Glow", "Silhoulette"}) {
        make_layer(2, pixels, mode);
        EXPECT_EQ(composite(), normal) << mode;
    }
}

TEST_F(MergeApiTest, MergeLayerWithAndWithoutSameAlphaMode)
{
    make_layer(2, {5, 5, 5, 0xFFFF, 0, 0, 0, 0}, "Alpha Invert");
    make_layer(3, {1000, 2000, 3000, 0x1000, 1000, 2000, 3000, 0x1000}, "Alpha Invert");
    // Same alpha mode: no rewrite; pixel 0 replaces the destination, pixel 1 lands on nothing.
    MVE_MergeLayer(3, 2);
    EXPECT_EQ(layer(2), (Shorts{1000, 2000, 3000, 0x1000, 1000, 2000, 3000, 0x1000}));
    // Different modes: the alpha is inverted, 65535 - 4096 = 61439, onto the transparent pixel.
    make_layer(2, {5, 5, 5, 0xFFFF, 0, 0, 0, 0}, "Normal");
    MVE_MergeLayer(3, 2);
    const Shorts after = layer(2);
    EXPECT_EQ(Shorts(after.begin() + 4, after.end()), (Shorts{1000, 2000, 3000, 61439}));
    // Bad indices are ignored.
    MVE_MergeLayer(-1, 2);
    MVE_MergeLayer(3, 400);
    MVE_MergeLayer(9, 2);
}

TEST_F(MergeApiTest, MergePaintLayerHonoursExtentsAndLockThenClears)
{
    make_layer(2, {5, 5, 5, 0x1000, 6, 6, 6, 0x2000}, "Normal", 100, 1);
    MVE_SetLayer(2);
    make_layer(5, {1000, 2000, 3000, 0xFFFF, 1000, 2000, 3000, 0xFFFF});
    MVE_SwapPaintLayer(5);
    MVE_CreatePaintLayer(100, 100, "Normal");  // keeps the pixels; opacity 256, level 255
    MVE_SetPaintLayerExtents(0, 0, 1, 1);
    MVE_MergePaintLayer(2);
    // Pixel 0 copied (opaque Normal) with the current layer's lock: alpha stays 0x1000; pixel 1 untouched.
    EXPECT_EQ(layer(2), (Shorts{1000, 2000, 3000, 0x1000, 6, 6, 6, 0x2000}));
    MVE_SwapPaintLayer(5);
    EXPECT_EQ(layer(5), Shorts(8, 0));  // the PaintLayer was cleared
    MVE_MergePaintLayer(300);
}

TEST_F(MergeApiTest, MergeRgba32LayerAndMergeInto)
{
    make_layer(2, {0, 0, 0, 0, 0, 0, 0, 0});
    // 255 becomes 65280 (v x 256, alpha included): 65280 > 0xFEFF is copied; 128 -> 32768.
    const unsigned char rgba[] = {255, 0, 0, 255, 1, 2, 3, 128};
    MVE_MergeRGBA32Layer(rgba, 2, 0, 255);
    EXPECT_EQ(layer(2), (Shorts{65280, 0, 0, 65280, 256, 512, 768, 32768}));
    // Opacity 256 leaves a as 255 did; 128 gives (129 x 32768) >> 8 = 16512 onto nothing.
    make_layer(2, {0, 0, 0, 0, 0, 0, 0, 0});
    MVE_MergeRGBA32Layer(rgba, 2, 0, 128);
    EXPECT_EQ(layer(2)[7], 16512);
    MVE_MergeRGBA32Layer(nullptr, 2, 0, 256);
    MVE_MergeRGBA32Layer(rgba, 300, 0, 256);
    // Merge a layer into a caller's buffer.
    Shorts buffer(8, 0);
    EXPECT_EQ(MVE_MergeLayerInto(2, buffer.data()), 1);
    EXPECT_EQ(buffer[7], 16512);
    EXPECT_EQ(MVE_MergeLayerIntoRect(300, buffer.data(), 0, 0, 1, 1), 0);
    EXPECT_EQ(MVE_MergeLayerIntoRect(9, buffer.data(), 0, 0, 1, 1), 0);
    EXPECT_EQ(MVE_MergeLayerIntoRect(2, nullptr, 0, 0, 1, 1), 0);
}

TEST_F(MergeApiTest, MergePixelMixAndTracingMode)
{
    int r = 5, g = 6, b = 7, a = 0;
    // 40 blends as 28, which needs something beneath: (0, 0, 0, 0).
    MVE_MergePixel(&r, &g, &b, &a, 10, 20, 30, 0x8000, 40, 255, 0);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{0, 0, 0, 0}));
    // Normal onto nothing with level 127: a = (128 x 0x8000) >> 8 = 0x4000.
    MVE_MergePixel(&r, &g, &b, &a, 10, 20, 30, 0x8000, 0, 127, 0);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{10, 20, 30, 0x4000}));
    MVE_MergePixel(nullptr, &g, &b, &a, 10, 20, 30, 0x8000, 0, 127, 0);
    // (200 - 127) / 127 x 16 = 9.2 -> 9; (0 - 127) / 127 x 16 = -16.
    EXPECT_EQ(MVE_SetMixMode(3, 200), 9);
    EXPECT_EQ(MVE_SetMixMode(3, 0), -16);
    EXPECT_EQ(MVE_SetMixMode(3, 127), 0);
    EXPECT_EQ(MVE_SetTracingMode(1), 1);
    EXPECT_EQ(MVE_SetTracingMode(0), 0);
}

}  // namespace
