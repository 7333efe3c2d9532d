// Document geometry and the single-buffer tools through the public header,
// on canvases small enough to work out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "morvane/morvane.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Layer 2 of a w x h canvas holds pixel k = y * w + x + 1 as (k * 10, k, 200, 255).
struct GeometryApiTest : ::testing::Test {
    int w = 0, h = 0;
    static void SetUpTestSuite() { MVE_IPLInit(0); }
    void make(int width, int height)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        ASSERT_EQ(MVE_CreateLayer(2, w, h), 1);
        MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetLayer(2);
        MVE_EnableMask(0);
        Bytes px(static_cast<std::size_t>(w) * h * 4);
        for (int k = 0; k < w * h; ++k) {
            px[k * 4] = static_cast<unsigned char>((k + 1) * 10);
            px[k * 4 + 1] = static_cast<unsigned char>(k + 1);
            px[k * 4 + 2] = 200;
            px[k * 4 + 3] = 255;
        }
        MVE_LoadRGBA32Layer(px.data(), w * 4, 2, 0, 0, w, h, 0);
    }
    // The canvas follows the layers, as the host does after a geometry call.
    void resize_canvas(int width, int height)
    {
        w = width, h = height;
        MVE_NewSize(nullptr, w, h, 8, 0);
    }
    void TearDown() override { MVE_DeleteImage(); }
    Bytes rgba(int index)
    {
        Bytes out(static_cast<std::size_t>(w) * h * 4, 0x77);
        MVE_GetRGBA32Layer(out.data(), w * 4, index);
        return out;
    }
    // The pixel numbers k (green channel) of layer 2, row by row.
    Bytes ids()
    {
        Bytes all = rgba(2), out;
        for (std::size_t i = 1; i < all.size(); i += 4) out.push_back(all[i]);
        return out;
    }
};

TEST_F(GeometryApiTest, QuarterTurnsOfAThreeByTwoCanvas)
{
    // 1 2 3     clockwise   4 1     counter-clockwise   3 6
    // 4 5 6                 5 2                         2 5
    //                       6 3                         1 4
    make(3, 2);
    MVE_IPLRotateRight();
    resize_canvas(2, 3);
    EXPECT_EQ(ids(), (Bytes{4, 1, 5, 2, 6, 3}));
    make(3, 2);
    MVE_IPLRotateLeft();
    resize_canvas(2, 3);
    EXPECT_EQ(ids(), (Bytes{3, 6, 2, 5, 1, 4}));
    // The background was turned too and is still opaque white.
    for (unsigned char v : rgba(1)) EXPECT_EQ(v, 255);
}

TEST_F(GeometryApiTest, FlipsKeepTheSize)
{
    make(3, 2);
    MVE_IPLFlipHorizontal();
    EXPECT_EQ(ids(), (Bytes{3, 2, 1, 6, 5, 4}));
    MVE_IPLFlipVertical();
    EXPECT_EQ(ids(), (Bytes{6, 5, 4, 3, 2, 1}));
}

TEST_F(GeometryApiTest, CropInsideAndOutside)
{
    make(3, 2);
    // Columns 1..2, rows 0..1: 2 3 / 5 6.
    MVE_IPLCrop(1, 0, 3, 2);
    resize_canvas(2, 2);
    EXPECT_EQ(ids(), (Bytes{2, 3, 5, 6}));
    // Outside the canvas, empty or inverted: nothing changes.
    make(3, 2);
    const Bytes before = rgba(2);
    MVE_IPLCrop(-1, 0, 2, 2);
    MVE_IPLCrop(0, 0, 4, 2);
    MVE_IPLCrop(2, 1, 1, 2);
    MVE_IPLCrop(0, 0, 0, 0);
    EXPECT_EQ(rgba(2), before);
}

TEST_F(GeometryApiTest, ResizePageAnchorsAndFills)
{
    // 3 x 2 onto 5 x 4 with "MC": dx = 2, dy = 2, offset (1, 1).
    make(3, 2);
    MVE_IPLResizePage(5, 4, "MC", 10, 20, 30);
    resize_canvas(5, 4);
    const Bytes id = ids();
    const Bytes expect = {0, 0, 0, 0, 0,  //
                          0, 1, 2, 3, 0,  //
                          0, 4, 5, 6, 0,  //
                          0, 0, 0, 0, 0};
    EXPECT_EQ(id, expect);
    const Bytes l2 = rgba(2);
    EXPECT_EQ(l2[3], 0);  // uncovered page of layer 2 is transparent
    // Layer 1 was white, so its old content covers the page colour in the
    // middle; the margin shows (10, 20, 30, 255).
    const Bytes l1 = rgba(1);
    EXPECT_EQ(Bytes(l1.begin(), l1.begin() + 4), (Bytes{10, 20, 30, 255}));
    EXPECT_EQ(Bytes(l1.begin() + 24, l1.begin() + 28), (Bytes{255, 255, 255, 255}));  // (1, 1)
    // A smaller page with "BR": dx = -1, dy = -1 cut the top row and left column.
    make(3, 2);
    MVE_IPLResizePage(2, 1, "BR", 0, 0, 0);
    resize_canvas(2, 1);
    EXPECT_EQ(ids(), (Bytes{5, 6}));
    // An unknown anchor places the content at (0, 0).
    make(3, 2);
    MVE_IPLResizePage(4, 2, "XX", 0, 0, 0);
    resize_canvas(4, 2);
    EXPECT_EQ(ids(), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
}

TEST_F(GeometryApiTest, ResizeFilters)
{
    // A constant layer stays constant with every filter name.
    const char* names[] = {"Area Average", "Nearest Neighbor", "Bilinear", "Bicubic", "Box", "Triangle", "Hamming",
                           "Gaussian", "Bell", "B-Spline", "Cubic 1", "Cubic 2", "Lanczos3", "Sinc", "Hermite",
                           "Hanning", "Catrom", "Adaptive", "Mitchell", "no such filter"};
    for (const char* name : names) {
        make(4, 3);
        Bytes flat(4 * 3 * 4);
        for (std::size_t i = 0; i < flat.size(); i += 4) flat[i] = 100, flat[i + 1] = 150, flat[i + 2] = 200, flat[i + 3] = 255;
        MVE_LoadRGBA32Layer(flat.data(), 16, 2, 0, 0, 4, 3, 0);
        MVE_IPLResize(9, 5, name);
        resize_canvas(9, 5);
        const Bytes out = rgba(2);
        for (std::size_t i = 0; i < out.size(); i += 4) {
            ASSERT_NEAR(out[i], 100, 1) << name;
            ASSERT_NEAR(out[i + 1], 150, 1) << name;
            ASSERT_NEAR(out[i + 2], 200, 1) << name;
            ASSERT_EQ(out[i + 3], 255) << name;
        }
    }
    // 2 x 1 (R = 0, 100) to 4 x 1: output centres 0.25, 0.75, 1.25, 1.75 source
    // pixels take pixels 0, 0, 1, 1. "Bilinear" is the same point sampling.
    auto upscale = [&](const char* name) {
        make(2, 1);
        const Bytes px = {0, 0, 0, 255, 100, 0, 0, 255};
        MVE_LoadRGBA32Layer(px.data(), 8, 2, 0, 0, 2, 1, 0);
        MVE_IPLResize(4, 1, name);
        resize_canvas(4, 1);
        Bytes all = rgba(2), red;
        for (std::size_t i = 0; i < all.size(); i += 4) red.push_back(all[i]);
        return red;
    };
    EXPECT_EQ(upscale("Nearest Neighbor"), (Bytes{0, 0, 100, 100}));
    EXPECT_EQ(upscale("Bilinear"), (Bytes{0, 0, 100, 100}));
    EXPECT_EQ(upscale("unknown"), upscale("Lanczos3"));
    // Sizes of 0 or below change nothing.
    make(3, 2);
    const Bytes before = rgba(2);
    MVE_IPLResize(0, 5, "Lanczos3");
    MVE_IPLResize(-4, -4, "Bicubic");
    MVE_IPLResizePage(0, 0, "TL", 0, 0, 0);
    MVE_IPLSeamCarvingRGBA(-1, 2, 0);
    EXPECT_EQ(rgba(2), before);
}

TEST_F(GeometryApiTest, SeamCarvingNarrowsTheLayers)
{
    make(6, 4);
    MVE_IPLSeamCarvingRGBA(4, 4, 0);
    resize_canvas(4, 4);
    const Bytes out = rgba(2);
    for (std::size_t i = 3; i < out.size(); i += 4) EXPECT_EQ(out[i], 255);
}

TEST_F(GeometryApiTest, PanBothEdgeModes)
{
    // Row 1 2 3 / 4 5 6 moved right by one.
    make(3, 2);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_IPLPan(1, 0, 1, 0, 0, 0, 0, false);  // wrap: 3 1 2 / 6 4 5 over the layer
    EXPECT_EQ(ids(), (Bytes{3, 1, 2, 6, 4, 5}));
    make(3, 2);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    // Edge mode 0: the uncovered column is transparent in Dst32, so merging
    // leaves the layer's own column 0; columns 1, 2 take 1, 2 and 4, 5.
    MVE_IPLPan(1, 0, 0, 0, 0, 0, 0, false);
    EXPECT_EQ(ids(), (Bytes{1, 1, 2, 4, 4, 5}));
    // Without the two buffers nothing happens.
    make(3, 2);
    const Bytes before = rgba(2);
    MVE_IPLFreeSrcBuffer32();
    MVE_IPLPan(1, 0, 1, 0, 0, 0, 0, false);
    EXPECT_EQ(rgba(2), before);
}

TEST_F(GeometryApiTest, WarpAndBlurKeepFlatPictures)
{
    make(8, 8);
    Bytes flat(8 * 8 * 4);
    for (std::size_t i = 0; i < flat.size(); i += 4) flat[i] = 40, flat[i + 1] = 80, flat[i + 2] = 120, flat[i + 3] = 255;
    MVE_LoadRGBA32Layer(flat.data(), 32, 2, 0, 0, 8, 8, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_WarpPointToPoint(2, 2, 5, 4, 0);
    EXPECT_EQ(rgba(2), flat);
    // Blur more of a flat RGB24 buffer keeps it; a null buffer is ignored.
    Bytes rgb(6 * 5 * 3, 90);
    MVE_BlurMoreBufferRGB24(rgb.data(), 6, 5, 20, 100);
    EXPECT_EQ(rgb, Bytes(6 * 5 * 3, 90));
    MVE_BlurMoreBufferRGB24(nullptr, 6, 5, 20, 100);
    MVE_BlurMoreBufferRGB24(rgb.data(), 0, 5, 20, 100);
}

}  // namespace
