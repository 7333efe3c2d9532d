// The layer table, layer options, the PaintLayer and the layer queries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

constexpr int W = 4, H = 3;

struct LayersTest : ::testing::Test {
    void SetUp() override { MVE_CreateImage(nullptr, W, H, 4, 0); }
    void TearDown() override { MVE_DeleteImage(); }

    static std::uint16_t* px(int layer, int x, int y)
    {
        return engine().layers.table[layer].begin_write().row(y) + x * 4;
    }
    static void set(int layer, int x, int y, std::uint16_t r, std::uint16_t g, std::uint16_t b, std::uint16_t a)
    {
        std::uint16_t* p = px(layer, x, y);
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
};

}  // namespace

TEST_F(LayersTest, CreateFillsBackgroundWhiteOthersClearAndReuses)
{
    ASSERT_EQ(MVE_CreateLayer(1, W, H), 1);
    ASSERT_EQ(MVE_CreateLayer(5, W, H), 1);
    for (int i = 0; i < W * H * 4; ++i) {
        ASSERT_EQ(engine().layers.table[1].pixels[i], 0xFFFF);
        ASSERT_EQ(engine().layers.table[5].pixels[i], 0);
    }
    EXPECT_EQ(engine().layers.table[5].stride, W * 4);
    set(5, 1, 1, 1, 2, 3, 4);
    const std::uint16_t* before = engine().layers.table[5].pixels.data();
    ASSERT_EQ(MVE_CreateLayer(5, W, H), 1);
    EXPECT_EQ(engine().layers.table[5].pixels.data(), before);
    EXPECT_EQ(px(5, 1, 1)[3], 0);
    // Another size replaces the buffer.
    ASSERT_EQ(MVE_CreateLayer(5, 2, 2), 1);
    EXPECT_EQ(engine().layers.table[5].pixels.size(), 16u);
    EXPECT_EQ(MVE_CreateLayer(272, W, H), 0);
    EXPECT_EQ(MVE_CreateLayer(-1, W, H), 0);
    MVE_DeleteLayer(272);  // outside the table: nothing
    MVE_DeleteLayer(5);
    EXPECT_FALSE(engine().layers.table[5].present());
}

TEST_F(LayersTest, OptionsSetOpacityModeAndName)
{
    MVE_CreateLayer(1, W, H);
    MVE_CreateLayer(3, W, H);
    // 100 % -> 256, 50 % -> 128, 33 % -> 84.48 truncated to 84.
    EXPECT_EQ(MVE_SetLayerOptions(3, 1, 0, 100, "Multiply"), 1);
    EXPECT_EQ(engine().layers.table[3].opacity, 256);
    MVE_SetLayerOptions(3, 1, 0, 50, "Screen");
    EXPECT_EQ(engine().layers.table[3].opacity, 128);
    MVE_SetLayerOptions(3, 0, 1, 33, "Screen");
    const LayerRecord& l = engine().layers.table[3];
    EXPECT_EQ(l.opacity, 84);
    EXPECT_EQ(l.visible, 0);
    EXPECT_EQ(l.lockAlpha, 1);
    EXPECT_EQ(l.level, 255);
    EXPECT_STREQ(l.modeName, "Screen");
    EXPECT_EQ(engine().layers.count, 3);

    // 50 characters: not stored, but the lookup still decides the mode (0 here).
    const std::string longName(50, 'A');
    EXPECT_EQ(MVE_SetLayerOptions(3, 1, 0, 100, longName.c_str()), 0);
    EXPECT_STREQ(engine().layers.table[3].modeName, "");
    const std::string fits(49, 'B');
    MVE_SetLayerOptions(3, 1, 0, 100, fits.c_str());
    EXPECT_EQ(std::string(engine().layers.table[3].modeName), fits);
}

TEST_F(LayersTest, SetLayerSelectsAndRefreshesUnderLayer)
{
    MVE_CreateLayer(2, W, H);
    MVE_SetLayer(7);  // no pixels: nothing happens
    EXPECT_EQ(engine().layers.current, nullptr);
    set(2, 3, 2, 10, 20, 30, 40);
    MVE_SetLayer(2);
    EXPECT_EQ(MVE_GetLayerNum(), 2);
    EXPECT_EQ(engine().layers.current, &engine().layers.table[2]);
    const std::uint16_t* under = engine().undo.under.pixels.data();
    EXPECT_EQ(under[(2 * W + 3) * 4 + 3], 40);
}

TEST_F(LayersTest, TextureFollowsModeTwentyNineLayers)
{
    MVE_CreateLayer(2, W, H);
    MVE_CreateLayer(3, W, H);
    MVE_SetLayer(2);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) set(3, x, y, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
    // Not current, visible, mode 29: options build the texture and return the width.
    EXPECT_EQ(MVE_SetLayerOptions(3, 1, 0, 100, "Texturize3"), W);
    ASSERT_TRUE(engine().texture.plane);
    // (3 * 65535) / 768 = 255, clamped to 250.
    EXPECT_EQ(engine().texture.plane[0], 250);
    // Selecting the texture layer deletes the plane; leaving it rebuilds it.
    MVE_SetLayer(3);
    EXPECT_FALSE(engine().texture.plane);
    MVE_SetLayer(2);
    EXPECT_TRUE(engine().texture.plane);
    // Setting the options of a mode-29 layer deletes it (then mode Normal keeps it deleted).
    MVE_SetLayerOptions(3, 1, 0, 100, "Normal");
    EXPECT_FALSE(engine().texture.plane);
}

TEST_F(LayersTest, SwapTwiceRestoresBothRecords)
{
    MVE_CreateLayer(2, W, H);
    MVE_CreateLayer(3, W, H);
    MVE_SetLayerOptions(2, 1, 0, 40, "Multiply");
    MVE_SetLayerOptions(3, 0, 1, 90, "Screen");
    const std::uint16_t* p2 = engine().layers.table[2].pixels.data();
    MVE_SwapLayers(2, 3);
    EXPECT_EQ(engine().layers.table[3].pixels.data(), p2);
    EXPECT_EQ(engine().layers.table[3].blendMode, 1);
    EXPECT_STREQ(engine().layers.table[2].modeName, "Screen");
    MVE_SwapLayers(2, 3);
    EXPECT_EQ(engine().layers.table[2].pixels.data(), p2);
    EXPECT_EQ(engine().layers.table[2].opacity, 102);
    EXPECT_EQ(engine().layers.table[3].lockAlpha, 1);
    MVE_SwapLayers(2, 400);  // outside the table: nothing
    EXPECT_EQ(engine().layers.table[2].pixels.data(), p2);
}

TEST_F(LayersTest, ExtentsAndTransparency)
{
    MVE_CreateLayer(2, W, H);
    int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
    MVE_FindDataExtentsLayer(2, &x0, &y0, &x1, &y1);
    EXPECT_EQ(x0, W);
    EXPECT_EQ(y0, H);
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(y1, 0);
    set(2, 1, 0, 0, 0, 0, 1);
    set(2, 2, 2, 0, 0, 0, 9);
    MVE_FindDataExtentsLayer(2, &x0, &y0, &x1, &y1);
    EXPECT_EQ(x0, 1);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(y1, 2);
    int untouched = 77;
    MVE_FindDataExtentsLayer(9, &untouched, &untouched, &untouched, &untouched);
    EXPECT_EQ(untouched, 77);

    MVE_CreateLayer(1, W, H);
    EXPECT_EQ(MVE_IsLayerTransparent(1), 0);
    set(1, 3, 2, 0xFFFF, 0xFFFF, 0xFFFF, 0xFEFF);
    EXPECT_EQ(MVE_IsLayerTransparent(1), 1);
    set(1, 3, 2, 0xFFFF, 0xFFFF, 0xFFFF, 0xFF00);
    EXPECT_EQ(MVE_IsLayerTransparent(1), 0);
    EXPECT_EQ(MVE_IsLayerTransparent(50), 1);
}

TEST_F(LayersTest, ExtentsExAgainstOpaqueCorner)
{
    MVE_CreateLayer(1, W, H);
    // Opaque white corner: the box of pixels that differ from it.
    set(1, 2, 1, 0xFFFF, 0, 0xFFFF, 0xFFFF);
    int x0, y0, x1, y1;
    MVE_FindDataExtentsLayerEX(1, &x0, &y0, &x1, &y1);
    EXPECT_EQ(x0, 2);
    EXPECT_EQ(y0, 1);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(y1, 1);
    EXPECT_EQ(MVE_IsSingleColor(1), 0);
    set(1, 2, 1, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(MVE_IsSingleColor(1), 1);
    EXPECT_EQ(MVE_IsSingleColor(8), 0);
}

TEST_F(LayersTest, AlphaOperations)
{
    MVE_CreateLayer(2, W, H);
    MVE_SetLayerAlpha(2, 1000);
    EXPECT_EQ(px(2, 3, 2)[3], 1000);
    MVE_InvertAlpha(2);
    EXPECT_EQ(px(2, 0, 0)[3], 64535);

    // Opacity 128 baked in: 128 * 64535 / 256 = 32267 (integer division).
    MVE_SetLayerOptions(2, 1, 0, 50, "Normal");
    MVE_NormalizeLayerAlpha(2);
    EXPECT_EQ(px(2, 1, 1)[3], 32267);
    EXPECT_EQ(engine().layers.table[2].opacity, 256);
    // Alpha modes are left as they are.
    MVE_SetLayerOptions(2, 1, 0, 50, "Alpha Shader Texture2");
    MVE_NormalizeLayerAlpha(2);
    EXPECT_EQ(px(2, 1, 1)[3], 32267);
    EXPECT_EQ(engine().layers.table[2].opacity, 128);
}

TEST_F(LayersTest, SetColorAlphaOnlyTouchesNearlyTransparentPixels)
{
    MVE_CreateLayer(2, W, H);
    MVE_SetColorAlpha(1, 2, 3);  // no current layer yet: nothing
    EXPECT_EQ(px(2, 0, 0)[0], 0);
    MVE_SetLayer(2);
    set(2, 1, 0, 5, 5, 5, 255);
    set(2, 2, 0, 5, 5, 5, 256);
    MVE_SetColorAlpha(255, 1, 0);
    // * 257: 255 -> 65535, 1 -> 257.
    EXPECT_EQ(px(2, 1, 0)[0], 65535);
    EXPECT_EQ(px(2, 1, 0)[1], 257);
    EXPECT_EQ(px(2, 1, 0)[3], 0);
    EXPECT_EQ(px(2, 2, 0)[0], 5);
    EXPECT_EQ(px(2, 2, 0)[3], 256);
}

TEST_F(LayersTest, Rgba32BufferOperations)
{
    std::vector<unsigned char> buf(W * H * 4, 0);
    buf[4 * 1 + 0] = 10, buf[4 * 1 + 1] = 20, buf[4 * 1 + 2] = 30, buf[4 * 1 + 3] = 200;
    MVE_SetColorAlphaRGBABuf(buf.data(), W, H, 7, 8, 9);
    EXPECT_EQ(buf[0], 7);     // alpha 0: recoloured
    EXPECT_EQ(buf[4], 10);    // alpha 200: kept
    MVE_SetAlphaFromRGBAImageColor(buf.data(), 10, 20, 30);
    EXPECT_EQ(buf[7], 0);
    MVE_InvertAlpha_RGBA32(buf.data());
    EXPECT_EQ(buf[7], 255);
    MVE_SetColorRGBABuf(buf.data(), W, H, 1, 2, 3);
    EXPECT_EQ(buf[4 * 11 + 2], 3);
    EXPECT_EQ(buf[7], 255);
    MVE_SetColorRGBABuf(nullptr, W, H, 1, 2, 3);  // ignored
}

TEST_F(LayersTest, BlobReliefDarkensBrightAndLightensDark)
{
    MVE_CreateLayer(2, W, H);
    // Bright pixel: L = 60000, u = (60000 - 32767) / 65534 = 0.41556...;
    // c = trunc(60000 - 60000 * u) = trunc(35066.5...) = 35066; A = trunc(60000 * 0.843 + 10239) = 60819.
    set(2, 0, 0, 60000, 60000, 60000, 9000);
    // Dark pixel with small alpha: L = 0, u = 32767 / 65534 = 0.5, c = trunc(0 + 65535 * 0.5) = 32767; A stays.
    set(2, 1, 0, 0, 0, 0, 8191);
    MVE_CreateBlobFromImage(2, 1);
    EXPECT_EQ(px(2, 0, 0)[0], 35066);
    EXPECT_EQ(px(2, 0, 0)[3], 60819);
    EXPECT_EQ(px(2, 1, 0)[2], 32767);
    EXPECT_EQ(px(2, 1, 0)[3], 8191);
    MVE_CreateBlobFromImage(2, 0);
    EXPECT_EQ(px(2, 0, 0)[1], 0x7FFF);
}

TEST_F(LayersTest, PaintLayerLifecycle)
{
    // 80 % -> 204.8 -> 204; level 100 % -> 255.9 -> 255.
    EXPECT_EQ(MVE_CreatePaintLayer(80, 100, "Multiply"), 1);
    LayerRecord& paint = engine().layers.paint;
    ASSERT_TRUE(paint.present());
    EXPECT_EQ(paint.opacity, 204);
    EXPECT_EQ(paint.level, 255);
    EXPECT_EQ(paint.visible, 1);
    EXPECT_EQ(paint.extents[0], W);
    EXPECT_EQ(paint.extents[3], 0);

    MVE_SetPaintLayerExtents(1, 1, 3, 2);
    MVE_ClearPaintLayer_old();
    // Every byte 0xFF except the extents rectangle x 1..2, y 1.
    EXPECT_EQ(paint.row(0)[0], 0xFFFF);
    EXPECT_EQ(paint.row(1)[4], 0);
    EXPECT_EQ(paint.row(1)[8 + 3], 0);
    EXPECT_EQ(paint.row(1)[12], 0xFFFF);
    EXPECT_EQ(paint.extents[0], W);

    MVE_ClearPaintLayer();
    EXPECT_EQ(paint.row(0)[0], 0);
    MVE_CreateLayer(2, W, H);
    const std::uint16_t* paintPixels = paint.pixels.data();
    MVE_SwapPaintLayer(2);
    EXPECT_EQ(engine().layers.table[2].pixels.data(), paintPixels);
    MVE_SwapPaintLayer(2);
    MVE_DeletePaintLayer();
    EXPECT_FALSE(engine().layers.paint.present());
}

TEST_F(LayersTest, BlurPaintLayerAlphaKeepsSolidPaintAndSoftensEdges)
{
    MVE_DeleteImage();
    MVE_CreateImage(nullptr, 16, 16, 4, 0);
    MVE_CreatePaintLayer(100, 100, "Normal");
    const LayerRows paint = engine().layers.paint.begin_write();
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x) paint.row(y)[x * 4 + 3] = 0xF000;  // high byte 240: stays solid
    paint.row(0)[3] = 0x8000;  // an isolated half-covered pixel is spread out
    MVE_BlurPaintLayerAlpha();
    EXPECT_EQ(paint.row(8)[8 * 4 + 3], 0xFFFF);
    EXPECT_LT(paint.row(0)[3], 0x8000);
    EXPECT_GT(paint.row(8)[3 * 4 + 3], 0);      // next to the square: blurred in
    EXPECT_EQ(paint.row(8)[3 * 4 + 3] & 0xFF, 0);  // written as byte * 256
}

TEST_F(LayersTest, AlphaLayerOpacityAndLayerCount)
{
    // 50 % -> 0.5 * 65535 = 32767.5 -> 32767.
    EXPECT_EQ(MVE_SetAlphaLayerOpacity(50), 32767);
    EXPECT_EQ(engine().layers.alphaLayerOpacity, 32767);
    EXPECT_EQ(MVE_SetAlphaLayerOpacity(100), 65535);
    EXPECT_EQ(MVE_GetLayerCount(), 0);
    MVE_CreateLayer(0, W, H);
    MVE_CreateLayer(9, W, H);
    EXPECT_EQ(MVE_GetLayerCount(), 2);
    MVE_SetLayerOptions(9, 1, 0, 100, "Normal");
    EXPECT_EQ(engine().layers.count, 9);
}
