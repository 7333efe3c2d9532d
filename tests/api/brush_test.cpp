// Brush settings, tool set-up and brush shapes as a host sees them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace {

constexpr int kMax = 12;

struct BrushApiTest : ::testing::Test {
    void SetUp() override
    {
        MVE_SetRandomSeed(0);
        MVE_CreateImage(nullptr, 6, 6, kMax, 0);
        MVE_SetSize(6);
    }
    void TearDown() override { MVE_DeleteImage(); }

    static std::vector<unsigned short> shape()
    {
        std::vector<unsigned short> s(kMax * kMax);
        EXPECT_EQ(MVE_GetBrushShape16(s.data()), kMax * kMax);
        return s;
    }
    static std::vector<unsigned char> grit(int i)
    {
        std::vector<unsigned char> g((kMax + 25) * (kMax + 25));
        EXPECT_EQ(MVE_GetGritPattern(i, g.data()), static_cast<int>(g.size()));
        return g;
    }
};

TEST_F(BrushApiTest, SetToolBuildsRoundBrushAndReproducibleGrit)
{
    MVE_SetRandomSeed(5);
    MVE_SetTool(1.0f, 2, 128, 200, 0, 0, 4, 0, 0, 0, 0, 0, 0, "", "", 0);
    // n = 6, r = 3, c = 3: corner (0,0) at distance sqrt(2 * 2.5^2) = 3.54 -> 0,
    // centre pixel (2,2) at 0.71 -> 65535.
    auto s = shape();
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[2 * kMax + 2], 65535);
    EXPECT_EQ(s[2 * kMax + 6], 0);  // beyond the 6 x 6 square
    const auto g0 = grit(0);
    MVE_SetTool(1.0f, 2, 128, 200, 0, 0, 4, 0, 0, 0, 0, 0, 0, "", "", 0);
    EXPECT_EQ(grit(0), g0);

    // Inverted soft brush (option byte 1, softness 255): centre low, rim high.
    MVE_SetTool(1.0f, 0, 0, 0, 255, 0, 4, 0, 0, 0, 0, 1, 0, "", "", 0);
    s = shape();
    EXPECT_LT(s[2 * kMax + 2], s[0 * kMax + 2]);
}

// A script-made white picture becomes the shape; a file that cannot be read
// leaves the round brush.
TEST_F(BrushApiTest, ScriptShapeAndFailures)
{
    const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + "api_shape.isl";
    std::ofstream(path) << "ISL 1\nsize 6 6\nfill color1=255,255,255\n";
    MVE_SetTool(1.0f, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, "", "", 0);  // hard, not inverted
    MVE_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(shape()[5 * kMax + 5], 65280);  // white picture: 255 << 8
    MVE_UnloadBrushShape();
    MVE_SetBrushShape("/nonexistent.png", 0);
    EXPECT_EQ(shape()[0], 0);  // round brush corner
    EXPECT_EQ(shape()[2 * kMax + 2], 65535);
    EXPECT_EQ(MVE_GetGritPattern(20, nullptr), 0);
    EXPECT_EQ(MVE_SetWindowRedraw(nullptr, 1), 0);
    EXPECT_EQ(MVE_RedrawWindow(nullptr), 0);
    std::remove(path.c_str());
}

}  // namespace
