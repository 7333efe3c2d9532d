// Displacement and photo pop through the public header, on canvases of 3 x 1,
// 4 x 1 and 6 x 6 worked by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct AdjustApiTest : ::testing::Test {
    int w = 0, h = 0;
    static void SetUpTestSuite() { MVE_IPLInit(0); }
    // One layer holding `px` (RGBA32), current, both processing buffers allocated.
    void make(int width, int height, const Bytes& px)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        MVE_SetLayer(1);
        MVE_EnableMask(0);
        MVE_LoadRGBA32Layer(px.data(), w * 4, 1, 0, 0, w, h, 0);
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
    }
    void TearDown() override { MVE_DeleteImage(); }
    Bytes layer() const
    {
        Bytes out(static_cast<std::size_t>(w) * h * 4);
        MVE_GetRGBA32Layer(out.data(), w * 4, 1);
        return out;
    }
};

// Opaque pixels A = (10, 0, 0), B = (20, 0, 0), C = (30, 0, 0), D = (40, 0, 0).
Bytes row_of(std::initializer_list<int> reds)
{
    Bytes px;
    for (int r : reds) px.insert(px.end(), {static_cast<unsigned char>(r), 0, 0, 255});
    return px;
}

TEST_F(AdjustApiTest, BumpMapMovesAlongTheGradientOfItsGrey)
{
    // Map grey 0, 0, 255; strength 0.2 x 5 = 1 pixel per full step. x = 1: m(2) - m(0) = 255 reads
    // x = 2; x = 2: m(2) - m(1) = 255 reads x = 3, repeated edge = x = 2; x = 0: m(1) - m(0) = 0.
    const Bytes map = {0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    make(3, 1, row_of({10, 20, 30}));
    MVE_IPLDisplacementBumpRGBA(map.data(), 0.2, 0);
    EXPECT_EQ(layer(), row_of({10, 30, 30}));
    // Strength 0 and a flat map move nothing.
    make(3, 1, row_of({10, 20, 30}));
    MVE_IPLDisplacementBumpRGBA(map.data(), 0.0, 0);
    EXPECT_EQ(layer(), row_of({10, 20, 30}));
    const Bytes flat(12, 128);
    MVE_IPLDisplacementBumpRGBA(flat.data(), 40.0, 0);
    EXPECT_EQ(layer(), row_of({10, 20, 30}));
    // Without Dst32 nothing happens.
    MVE_IPLFreeDstBuffer32();
    MVE_IPLDisplacementBumpRGBA(map.data(), 0.2, 0);
    EXPECT_EQ(layer(), row_of({10, 20, 30}));
}

TEST_F(AdjustApiTest, ScriptTextureTilesFromTheTopLeftAndBadScriptsMoveNothing)
{
    // A 2 x 1 ramp, dark then light, tiled from (0, 0) over 4 x 1: grey a, b, a, b with b > a.
    // x = 0: m(1) - m(0) > 0 moves right by strength (b - a) / 255, past the end at strength 10:
    // the repeated edge D. x = 1, 2: m(x + 1) - m(x - 1) = 0. x = 3: b - a reads past the end: D.
    // (Tiled from (-1, 0) the map would be b, a, b, a and pixels 0 and 3 would read A.)
    const std::string script = ::testing::TempDir() + "mve_ramp.isl";
    std::ofstream(script) << "ISL 1\nsize 2 1\ngradient angle=0 color1=0,0,0 color2=255,255,255\n";
    make(4, 1, row_of({10, 20, 30, 40}));
    MVE_IPLDisplacementBumpISLFile(script.c_str(), 10.0, 0, 0);
    EXPECT_EQ(layer(), row_of({40, 20, 30, 40}));

    // A missing file and a corrupt script leave the map black: nothing moves, nothing fails.
    const std::string corrupt = ::testing::TempDir() + "mve_corrupt.isl";
    std::ofstream(corrupt) << "ISL 1\nsize -3 zz\n\x01\x02";
    make(4, 1, row_of({10, 20, 30, 40}));
    MVE_SetLastError("");
    MVE_IPLDisplacementBumpISLFile("/nonexistent/mve.isl", 10.0, 0, 0);
    MVE_IPLDisplacementBumpISLFile(corrupt.c_str(), 10.0, 1, 0);
    MVE_IPLDisplacementBumpISLFile(nullptr, 10.0, 1, 0);
    EXPECT_EQ(layer(), row_of({10, 20, 30, 40}));
    EXPECT_STREQ(MVE_GetLastError(), "");
    std::remove(script.c_str());
    std::remove(corrupt.c_str());
}

// A flat 6 x 6 picture of (200, 100, 50): the sharpen keeps it; "Hyper Contrast" at first real 0
// (a = 250, k = (200 + 50) / 510) gives per channel (1 - k)(255 - (255 - c)^2 div 250) + k (c^2 div 250):
// 200 -> 0.5098 * 243 + 0.4902 * 160 = 202.3 -> 202; 100 -> 0.5098 * 159 + 0.4902 * 40 = 100.7 -> 100;
// 50 -> 0.5098 * 87 + 0.4902 * 10 = 49.3 -> 49. Then the saturation about grey
// 0.299 * 202 + 0.587 * 100 + 0.114 * 49 = 124.684.
TEST_F(AdjustApiTest, PhotoPopSaturationFactorAtItsThreePoints)
{
    const auto flat = [](int r, int g, int b) {
        Bytes px;
        for (int i = 0; i < 36; ++i)
            px.insert(px.end(), {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                 static_cast<unsigned char>(b), 255});
        return px;
    };
    make(6, 6, flat(200, 100, 50));
    EXPECT_NE(MVE_IPLPhotoPop(0, 50, 0), 0);  // factor 1
    EXPECT_EQ(layer(), flat(202, 100, 49));
    // Factor -2: 124.684 - 2 * 77.316 -> 0, 124.684 + 2 * 24.684 = 174.05 -> 174, 124.684 + 2 * 75.684 ->
    // 255.
    make(6, 6, flat(200, 100, 50));
    EXPECT_NE(MVE_IPLPhotoPop(0, 0, 0), 0);
    EXPECT_EQ(layer(), flat(0, 174, 255));
    // Factor 3: 124.684 + 3 * 77.316 -> 255, 124.684 - 3 * 24.684 = 50.63 -> 51, 124.684 - 3 * 75.684 -> 0.
    make(6, 6, flat(200, 100, 50));
    EXPECT_NE(MVE_IPLPhotoPop(0, 100, 0), 0);
    EXPECT_EQ(layer(), flat(255, 51, 0));
    // Without the processing buffers: 0 and the layer as it was.
    make(6, 6, flat(200, 100, 50));
    MVE_IPLFreeSrcBuffer32();
    EXPECT_EQ(MVE_IPLPhotoPop(0, 100, 0), 0);
    EXPECT_EQ(layer(), flat(200, 100, 50));
}

}  // namespace
