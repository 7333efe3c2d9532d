// MVE_Render through the public header: tiny canvases whose output bytes are
// worked by hand from the compositing rules. Output pixels are B, G, R.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "morvane/morvane.h"

namespace {

using Px = std::array<unsigned short, 4>;

// A w x h canvas with layer 1 (opaque white, visible, Normal) as current layer,
// 1:1 scale and a view size large enough for every test.
class RenderApi : public ::testing::Test {
protected:
    int w = 0, h = 0;

    void canvas(int width, int height)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 16, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        MVE_SetLayer(1);
        MVE_SetScale(1, 1.0f);
        MVE_SetViewSize(1000, 1000);
        MVE_SetTracingMode(0);
        MVE_DisplayMask(0);
    }
    void TearDown() override
    {
        MVE_SetTracingMode(0);
        MVE_DisplayMask(0);
        MVE_DeleteImage();
    }
    // Creates a layer filled with one pixel value, visible, in `mode`.
    void layer(int index, Px p, const char* mode, int visible = 1)
    {
        ASSERT_EQ(MVE_CreateLayer(index, w, h), 1);
        fill(index, p);
        MVE_SetLayerOptions(index, visible, 0, 100, mode);
    }
    void fill(int index, Px p)
    {
        std::vector<unsigned short> plane(static_cast<std::size_t>(w) * h * 4);
        for (std::size_t i = 0; i < plane.size(); i += 4)
            for (int c = 0; c < 4; ++c) plane[i + c] = p[c];
        MVE_SetLayerData(plane.data(), index);
    }
    void set_pixel(int index, int x, int y, Px p)
    {
        std::vector<unsigned short> plane(static_cast<std::size_t>(w) * h * 4);
        MVE_GetLayerData(plane.data(), index);
        for (int c = 0; c < 4; ++c) plane[(static_cast<std::size_t>(y) * w + x) * 4 + c] = p[c];
        MVE_SetLayerData(plane.data(), index);
    }
    // Renders the whole canvas 1:1 into a tight buffer.
    std::vector<unsigned char> render_all()
    {
        std::vector<unsigned char> out(static_cast<std::size_t>(w) * h * 3, 0xAB);
        MVE_Render(out.data(), w * 3, 0, 0, w, h);
        return out;
    }
    static std::array<int, 3> bgr(const std::vector<unsigned char>& out, int stride, int x, int y)
    {
        const unsigned char* p = &out[static_cast<std::size_t>(y) * stride + x * 3];
        return {p[0], p[1], p[2]};
    }
};

using Bgr = std::array<int, 3>;

TEST_F(RenderApi, BackgroundAloneIsForcedOpaqueWithoutCheckerboard)
{
    canvas(40, 2);
    fill(1, {0x1234, 0x5678, 0x9ABC, 0});  // alpha 0, yet shown opaque
    const auto out = render_all();
    // High bytes 0x12, 0x56, 0x9A written B, G, R; cells (0,0) and (32,0) alike.
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{0x9A, 0x56, 0x12}));
    EXPECT_EQ(bgr(out, w * 3, 33, 1), (Bgr{0x9A, 0x56, 0x12}));
}

TEST_F(RenderApi, HiddenBackgroundShowsTwoGreysIn32PixelCells)
{
    canvas(64, 64);
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    layer(2, {0xFFFF, 0xFFFF, 0xFFFF, 0x8000}, "Normal");
    const auto out = render_all();
    // A = 32768 over light cells: (32768*65535/256 + 65535*32767/256)/256
    //   = (8388480 + 8388224)/256 = 65534 -> 255.
    // Dark cells (40959): (8388480 + 40959*32767/256)/256 = (8388480 + 5242591)/256 = 53246 -> 207.
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(bgr(out, w * 3, 31, 31), (Bgr{255, 255, 255}));
    EXPECT_EQ(bgr(out, w * 3, 32, 0), (Bgr{207, 207, 207}));
    EXPECT_EQ(bgr(out, w * 3, 0, 32), (Bgr{207, 207, 207}));
    EXPECT_EQ(bgr(out, w * 3, 63, 63), (Bgr{255, 255, 255}));
}

TEST_F(RenderApi, Texturize3LayerNeverShows)
{
    canvas(4, 1);
    layer(2, {0xFF00, 0, 0, 0xFFFF}, "Texturize3");
    EXPECT_EQ(bgr(render_all(), w * 3, 1, 0), (Bgr{255, 255, 255}));
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");  // the same layer in Normal is red
    EXPECT_EQ(bgr(render_all(), w * 3, 1, 0), (Bgr{0, 0, 255}));
}

TEST_F(RenderApi, LayerMaskScalesTheLayerBelowAndIsInvisible)
{
    canvas(3, 1);
    layer(2, {0, 0, 0, 0xFFFF}, "Normal");
    set_pixel(2, 2, 0, {0, 0, 0, 0});
    layer(3, {40000, 40000, 40000, 0xFFFF}, "Layer Mask");
    set_pixel(3, 1, 0, {40000, 40000, 40000, 0});  // mask without alpha: no scaling
    set_pixel(3, 2, 0, {0xFFFF, 0, 0, 0xFFFF});    // red mask over nothing
    const auto out = render_all();
    // x=0: A = 65535*40000/65536 = 39999; black over white leaves
    //      65535*(1 - 39999/65535) = 25536 -> 99 (float stage, far from a byte edge).
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{99, 99, 99}));
    // x=1: the black layer stays opaque.
    EXPECT_EQ(bgr(out, w * 3, 1, 0), (Bgr{0, 0, 0}));
    // x=2: the mask layer itself shows nothing: white stays (65280 -> 255).
    EXPECT_EQ(bgr(out, w * 3, 2, 0), (Bgr{255, 255, 255}));
}

TEST_F(RenderApi, ColorOverNothingLeavesTheCheckerboard)
{
    canvas(40, 1);
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    layer(2, {0xFF00, 0, 0, 0xFFFF}, "Color");
    const auto out = render_all();
    // Empty composite, A = 0: light cell (65535*65535/256)/256 = 65534 -> 255;
    // dark cell (40959*65535/256)/256 = 10485344/256 = 40958 -> 159.
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(bgr(out, w * 3, 32, 0), (Bgr{159, 159, 159}));
}

// Canvas pixel (x, y) gets the colour R = x * 0x1000, G = y * 0x1000, B = 0x4000.
void paint_coordinates(int index, int w, int h)
{
    std::vector<unsigned short> plane(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned short* p = &plane[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<unsigned short>((x % 16) * 0x1000);
            p[1] = static_cast<unsigned short>((y % 16) * 0x1000);
            p[2] = 0x4000, p[3] = 0xFFFF;
        }
    MVE_SetLayerData(plane.data(), index);
}
Bgr coordinate_colour(int x, int y) { return {0x40, (y % 16) * 0x10, (x % 16) * 0x10}; }

TEST_F(RenderApi, MagnifiedThreeTimesWrites30x30Blocks)
{
    canvas(10, 10);
    paint_coordinates(1, 10, 10);
    MVE_SetScale(3, 1.0f);
    const int stride = 40 * 3;
    std::vector<unsigned char> out(static_cast<std::size_t>(stride) * 35, 0xAB);
    MVE_Render(out.data(), stride, 0, 0, 10, 10);
    for (int oy = 0; oy < 30; ++oy)
        for (int ox = 0; ox < 30; ++ox) ASSERT_EQ(bgr(out, stride, ox, oy), coordinate_colour(ox / 3, oy / 3));
    // Nothing beyond 30 x 30.
    EXPECT_EQ(bgr(out, stride, 30, 0), (Bgr{0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(bgr(out, stride, 0, 30), (Bgr{0xAB, 0xAB, 0xAB}));
}

TEST_F(RenderApi, ReducedStepTwoShowsEverySecondPixel)
{
    canvas(100, 100);
    paint_coordinates(1, 100, 100);
    MVE_SetScale(1, 2.0f);
    const int stride = 60 * 3;
    std::vector<unsigned char> out(static_cast<std::size_t>(stride) * 60, 0xAB);
    MVE_Render(out.data(), stride, 0, 0, 100, 100);
    for (int i = 0; i < 50; ++i)
        for (int j = 0; j < 50; ++j) ASSERT_EQ(bgr(out, stride, j, i), coordinate_colour(2 * j, 2 * i));
    EXPECT_EQ(bgr(out, stride, 50, 0), (Bgr{0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(bgr(out, stride, 0, 50), (Bgr{0xAB, 0xAB, 0xAB}));
}

TEST_F(RenderApi, ReducedStepTwoAndAHalfSamplesFractionally)
{
    canvas(14, 1);
    paint_coordinates(1, 14, 1);
    MVE_SetScale(1, 2.5f);
    std::vector<unsigned char> out(10 * 3, 0xAB);
    // Last column trunc(1 + 13 * 0.4 - 1) = 5: five columns from x = 1,
    // sources 1 + floor(j * 2.5) = 1, 3, 6, 8, 11.
    MVE_Render(out.data(), 30, 1, 0, 13, 1);
    const int expected[5] = {1, 3, 6, 8, 11};
    for (int j = 0; j < 5; ++j) EXPECT_EQ(bgr(out, 30, j, 0), coordinate_colour(expected[j], 0)) << j;
    EXPECT_EQ(bgr(out, 30, 5, 0), (Bgr{0xAB, 0xAB, 0xAB}));
}

TEST_F(RenderApi, RectanglesAreClippedToTheCanvas)
{
    canvas(10, 10);
    paint_coordinates(1, 10, 10);
    const int stride = 8 * 3;
    std::vector<unsigned char> out(static_cast<std::size_t>(stride) * 6, 0xAB);
    // (-3, -2, 5, 4): x and y become 0, the size stays 5 x 4.
    MVE_Render(out.data(), stride, -3, -2, 5, 4);
    EXPECT_EQ(bgr(out, stride, 0, 0), coordinate_colour(0, 0));
    EXPECT_EQ(bgr(out, stride, 4, 3), coordinate_colour(4, 3));
    EXPECT_EQ(bgr(out, stride, 5, 0), (Bgr{0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(bgr(out, stride, 0, 4), (Bgr{0xAB, 0xAB, 0xAB}));
    // (8, 7, 10, 10) is cut to 2 x 3.
    std::fill(out.begin(), out.end(), 0xAB);
    MVE_Render(out.data(), stride, 8, 7, 10, 10);
    EXPECT_EQ(bgr(out, stride, 0, 0), coordinate_colour(8, 7));
    EXPECT_EQ(bgr(out, stride, 1, 2), coordinate_colour(9, 9));
    EXPECT_EQ(bgr(out, stride, 2, 0), (Bgr{0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(bgr(out, stride, 0, 3), (Bgr{0xAB, 0xAB, 0xAB}));
}

TEST_F(RenderApi, NothingIsWrittenWithoutViewSizeOrCurrentLayer)
{
    canvas(4, 4);
    MVE_SetViewSize(0, 0);
    std::vector<unsigned char> out(4 * 4 * 3, 0xAB);
    MVE_Render(out.data(), 12, 0, 0, 4, 4);
    EXPECT_EQ(out, std::vector<unsigned char>(48, 0xAB));
    // The view size caps the output: 2 x 1 of a 4 x 4 rectangle.
    MVE_SetViewSize(2, 1);
    MVE_Render(out.data(), 12, 0, 0, 4, 4);
    EXPECT_EQ(bgr(out, 12, 1, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(bgr(out, 12, 2, 0), (Bgr{0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(bgr(out, 12, 0, 1), (Bgr{0xAB, 0xAB, 0xAB}));
    // A fresh canvas has no current layer: nothing is drawn.
    MVE_CreateImage(nullptr, 4, 4, 16, 0);
    MVE_CreateLayer(1, 4, 4);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    std::fill(out.begin(), out.end(), 0xAB);
    MVE_Render(out.data(), 12, 0, 0, 4, 4);
    EXPECT_EQ(out, std::vector<unsigned char>(48, 0xAB));
}

TEST_F(RenderApi, TracingHalvesTowardsTheTraceImage)
{
    canvas(2, 1);
    fill(1, {0x8000, 0x8000, 0x8000, 0xFFFF});
    ASSERT_EQ(MVE_CreateLayer(0, w, h), 1);
    fill(0, {0x2000, 0x4000, 0x6000, 0xFFFF});
    EXPECT_EQ(bgr(render_all(), w * 3, 0, 0), (Bgr{0x80, 0x80, 0x80}));
    MVE_SetTracingMode(1);
    // R = (0x2000 + 0x8000) / 2 = 0x5000, G = 0x6000, B = 0x7000.
    EXPECT_EQ(bgr(render_all(), w * 3, 1, 0), (Bgr{0x70, 0x60, 0x50}));
}

TEST_F(RenderApi, MaskTintWithAndWithoutStrength)
{
    canvas(40, 1);
    std::vector<unsigned short> mask(40, 0);
    mask[1] = 65535;
    MVE_SetMaskData16(mask.data());
    MVE_SetMaskOptions(255, 0, 0, 0, 0, 255, 1);  // odd cells red, even cells blue
    EXPECT_EQ(bgr(render_all(), w * 3, 0, 0), (Bgr{255, 255, 255}));  // not displayed yet
    MVE_DisplayMask(1);
    auto out = render_all();
    // Strength on, m = 0, white C = 65535: byte = (65535*T/256)/65536;
    // T = 65280 gives 16711425/65536 = 254, T = 0 gives 0.
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{254, 0, 0}));       // even cell: blue
    EXPECT_EQ(bgr(out, w * 3, 32, 0), (Bgr{0, 0, 254}));      // odd cell: red
    EXPECT_EQ(bgr(out, w * 3, 1, 0), (Bgr{255, 255, 255}));   // selected: untinted
    // Strength off: m = 0/2 + 32767; T = 0: (32767*65535/256)/65536 = 8388224/65536 = 127;
    // T = 65280: (8388224 + 32768*65280/256)/65536 = 16744064/65536 = 255.
    MVE_SetMaskOptions(255, 0, 0, 0, 0, 255, 0);
    out = render_all();
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{255, 127, 127}));
    // A disabled Mask is not shown.
    MVE_EnableMask(0);
    EXPECT_EQ(bgr(render_all(), w * 3, 0, 0), (Bgr{255, 255, 255}));
    MVE_EnableMask(1);
}

TEST_F(RenderApi, StrokeShowsInTheVisibleLayerBelowAHiddenCurrentLayer)
{
    canvas(2, 1);
    layer(2, {0, 0, 0, 0}, "Normal");     // visible, transparent
    layer(3, {0, 0, 0, 0}, "Normal", 0);  // hidden current layer
    MVE_SetLayer(3);
    // The stroke: a layer filled through the public data path, swapped in as
    // the PaintLayer (opacity 100 % = 256, level 255, Normal).
    layer(10, {0, 0, 0, 0}, "Normal", 0);
    set_pixel(10, 0, 0, {0xFF00, 0, 0, 0xFFFF});
    MVE_SwapPaintLayer(10);
    const auto out = render_all();
    // x=0: merged into layer 2's transparent pixel: source alpha 65535*256>>8 = 65535,
    //      a transparent destination takes the source; opaque Normal -> red.
    EXPECT_EQ(bgr(out, w * 3, 0, 0), (Bgr{0, 0, 255}));
    // x=1: no paint, layer 2 transparent: white stays.
    EXPECT_EQ(bgr(out, w * 3, 1, 0), (Bgr{255, 255, 255}));
    // With layers 1 and 2 hidden as well there is no visible layer below: no stroke.
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    MVE_SetLayerOptions(2, 0, 0, 100, "Normal");
    // Empty composite over the light cell: 255 grey, not red.
    EXPECT_EQ(bgr(render_all(), w * 3, 0, 0), (Bgr{255, 255, 255}));
}

}  // namespace
