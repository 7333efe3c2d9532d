// The canvas, layer stack and PaintLayer as a host sees them through the header.
#include <gtest/gtest.h>

#include <vector>

#include "morvane/morvane.h"

namespace {

struct CanvasApiTest : ::testing::Test {
    void SetUp() override { MVE_CreateImage(nullptr, 5, 4, 8, 0); }
    void TearDown() override { MVE_DeleteImage(); }
};

}  // namespace

TEST_F(CanvasApiTest, LayerDataRoundTripsAndSwaps)
{
    ASSERT_EQ(MVE_CreateLayer(1, 5, 4), 1);
    ASSERT_EQ(MVE_CreateLayer(2, 5, 4), 1);
    std::vector<unsigned short> in(5 * 4 * 4), out(5 * 4 * 4);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<unsigned short>(i * 311);
    MVE_SetLayerData(in.data(), 2);
    MVE_GetLayerData(out.data(), 2);
    EXPECT_EQ(in, out);
    MVE_SwapLayers(1, 2);
    MVE_GetLayerData(out.data(), 1);
    EXPECT_EQ(in, out);
    MVE_GetLayerData(out.data(), 2);
    EXPECT_EQ(out[0], 0xFFFF);  // the white background moved up
    EXPECT_EQ(MVE_IsSingleColor(2), 1);
    EXPECT_EQ(MVE_GetLayerCount(), 2);

    // A 2x2 rectangle at (3, 2) with its own row length.
    std::vector<unsigned short> rect(2 * 2 * 4);
    MVE_GetRGBA64LayerRect(rect.data(), 16, 1, 3, 2, 2, 2);
    EXPECT_EQ(rect[0], in[(2 * 5 + 3) * 4]);
    EXPECT_EQ(rect[4 * 3 + 3], in[(3 * 5 + 4) * 4 + 3]);
}

TEST_F(CanvasApiTest, BadIndicesAndNullsAreHarmless)
{
    EXPECT_EQ(MVE_CreateLayer(300, 5, 4), 0);
    MVE_DeleteLayer(-3);
    MVE_SetLayer(300);
    EXPECT_EQ(MVE_SetLayerOptions(300, 1, 0, 100, "Normal"), 0);
    MVE_SwapLayers(-1, 2);
    MVE_InvertAlpha(1000);
    MVE_SetLayerAlpha(-7, 0);
    MVE_SetLayerData(nullptr, 2);
    MVE_GetLayerData(nullptr, 2);
    MVE_FindDataExtentsLayer(2, nullptr, nullptr, nullptr, nullptr);
    MVE_InvertAlpha_RGBA32(nullptr);
    MVE_SwapPaintLayer(999);
    EXPECT_EQ(MVE_IsSingleColor(271), 0);
    EXPECT_EQ(MVE_IsLayerTransparent(271), 1);
    EXPECT_EQ(MVE_GetLayerCount(), 0);
}

TEST_F(CanvasApiTest, PaintLayerReturnsItsMode)
{
    EXPECT_EQ(MVE_CreatePaintLayer(100, 100, "Alpha Normal"), 32);
    EXPECT_EQ(MVE_CreatePaintLayer(100, 100, "no such mode"), 0);
    MVE_DeletePaintLayer();
    MVE_ClearPaintLayer();  // absent: nothing
}
