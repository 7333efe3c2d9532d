// MVE_SetTool: stored settings, generated grit patterns, grit from picture
// files, and the guards around file grit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "brush/tool_setup.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "paint/brush_shape_picture.h"

namespace mve {
namespace {

constexpr int kMaxBrush = 40;  // D: pattern stride; patterns are 65 x 65 bytes

class ToolSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        MVE_SetRandomSeed(0);
        MVE_CreateImage(nullptr, 8, 8, kMaxBrush, 0);
        MVE_SetSize(10);  // S = 35
    }
    void TearDown() override
    {
        MVE_DeleteImage();
        MVE_SetRandomSeed(0);
    }
    // SetTool with the grit values under test and a round brush.
    static void set_tool(int dot, int dotThreshold, int pixelThreshold, const char* grit = "", int drawing = 7)
    {
        MVE_SetTool(1.0f, dot, dotThreshold, pixelThreshold, 0, 0, drawing, 40, 30, 1, 0x1FF, 0, 0, grit, "", 0);
    }
    static std::vector<std::uint8_t> pattern(int i)
    {
        std::vector<std::uint8_t> out((kMaxBrush + 25) * (kMaxBrush + 25));
        EXPECT_EQ(MVE_GetGritPattern(i, out.data()), static_cast<int>(out.size()));
        return out;
    }
    static std::vector<std::vector<std::uint8_t>> all_patterns()
    {
        std::vector<std::vector<std::uint8_t>> v;
        for (int i = 0; i < kGritPatternCount; ++i) v.push_back(pattern(i));
        return v;
    }
    static std::string write_file(const std::string& name, const std::string& text)
    {
        const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

TEST_F(ToolSetup, StoresSettingsAndClearsOneShotFlags)
{
    Engine& e = engine();
    MVE_TempDisableBlend();
    MVE_SetEraseModeOn();
    e.mask.makerOn = 1;
    e.brush.mixMode = 3;
    MVE_SetTool(0.5f, 0, 1, 2, 0x1FE, 5, 9, 40, 30, 0x101, 0x1FF, 1, 0x102, "", "", 33);
    const BrushSettings& b = e.brush;
    EXPECT_EQ(b.shapeIntensity, 0.5f);
    EXPECT_EQ(b.gritDotThreshold, 1);
    EXPECT_EQ(b.gritPixelThreshold, 2);
    EXPECT_EQ(b.softness, 0xFE);   // low byte
    EXPECT_EQ(b.colorVary, 5);
    EXPECT_EQ(b.drawingLength, 9);
    EXPECT_EQ(b.blendRemix, 1);
    EXPECT_EQ(b.reservedB, 0xFF);  // low byte, zero-extended
    EXPECT_EQ(b.shapeOption, 1);
    EXPECT_EQ(b.reservedA, 2);
    EXPECT_EQ(b.shapeArgument, 33);
    EXPECT_EQ(b.mixMode, 32);
    EXPECT_EQ(b.blendStrengthInverse, 216);              // 256 - 40
    EXPECT_EQ(b.blendPrimaryColorStrengthInverse, 226);  // 256 - 30
    EXPECT_EQ(b.blendDisabledOnce, 0);
    EXPECT_EQ(b.eraseMode, 0);
    EXPECT_EQ(e.mask.makerOn, 0);
}

TEST_F(ToolSetup, GeneratedGritFollowsTheTables)
{
    // Every dot placed and every pixel set (all table A bytes, 0..254, are
    // below 255): the S x S corner holds dot levels from table B (0..253),
    // uniform inside each 5 x 5 dot; everything else stays 255.
    set_tool(5, 255, 255);
    const Engine& e = engine();
    EXPECT_EQ(e.paint.gritCountdown, 7);
    EXPECT_EQ(e.paint.gritPattern, kGritPatternCount - 1);  // left on the last one built
    for (int b = 0; b < kGritPatternCount; ++b) {
        const std::vector<std::uint8_t> g = pattern(b);
        for (int y = 0; y < kMaxBrush + 25; ++y)
            for (int x = 0; x < kMaxBrush; ++x) {
                const std::uint8_t v = g[static_cast<std::size_t>(y) * kMaxBrush + x];
                if (y < 35 && x < 35) {
                    ASSERT_LE(v, 253) << b << " " << x << "," << y;
                    ASSERT_EQ(v, g[static_cast<std::size_t>(y / 5 * 5) * kMaxBrush + x / 5 * 5]);
                } else if (y >= 35 || x >= 35) {
                    // Row y >= 35 or column 35..39 of rows above: never written.
                    ASSERT_EQ(v, 255) << b << " " << x << "," << y;
                }
            }
    }
    // The first dot of pattern 0 is table B at q = rand#2 * floor((10^6 - 5) / 32767)
    // after reseeding with 0 (rand#1 is p).
    CrtRandom rng;
    rng.seed(0);
    rng.next();
    const std::size_t q = static_cast<std::size_t>(rng.next()) * ((1000000u - 5u) / 32767u);
    EXPECT_EQ(pattern(0)[0], e.random.toolB.data[q]);
}

TEST_F(ToolSetup, ThresholdZeroPlacesNothing)
{
    set_tool(3, 0, 255);
    for (const auto& g : all_patterns())
        for (std::uint8_t v : g) ASSERT_EQ(v, 255);
}

TEST_F(ToolSetup, EqualSeedsGiveIdenticalPatterns)
{
    MVE_SetRandomSeed(1234);
    set_tool(2, 120, 200);
    const auto first = all_patterns();
    MVE_SetColor(1, 2, 3);  // unrelated settings between calls change nothing
    set_tool(2, 120, 200);
    EXPECT_EQ(all_patterns(), first);
    EXPECT_NE(first[0], first[1]);  // the 20 patterns differ from each other

    MVE_SetRandomSeed(1235);
    set_tool(2, 120, 200);
    EXPECT_NE(all_patterns(), first);
}

TEST_F(ToolSetup, NoDotSizeKeepsPreviousPatterns)
{
    set_tool(4, 200, 200, "", 3);
    const auto before = all_patterns();
    engine().paint.gritCountdown = 1;
    set_tool(0, 200, 200, "", 9);
    EXPECT_EQ(all_patterns(), before);
    EXPECT_EQ(engine().paint.gritCountdown, 1);
    set_tool(-2, 200, 200);  // a negative dot size would never end its loop: nothing is built
    EXPECT_EQ(all_patterns(), before);
}

TEST_F(ToolSetup, LargeDotsReadPastTheTableEndSafely)
{
    // Dots of 40 with every pixel read: a row reads up to 2 * (1 + 1600) bytes
    // from a start the formula keeps only 80 bytes from the end. Must not crash.
    MVE_SetRandomSeed(99);
    set_tool(40, 255, 255);
    for (const auto& g : all_patterns()) EXPECT_LE(g[0], 253);
}

TEST_F(ToolSetup, GritFromScriptTilesItsPicture)
{
    // A uniform script picture of grey (R = G = B = 100) gives grey 100 over
    // the whole 600 x 600 tile canvas: every pattern's 35 x 35 corner is 100.
    const std::string path = write_file("grit_uniform.isl", "ISL 1\nsize 7 5\nfill color1=100,100,100\n");
    set_tool(3, 255, 255, path.c_str(), 11);
    EXPECT_EQ(engine().paint.gritCountdown, 11);
    for (const auto& g : all_patterns())
        for (int y = 0; y < kMaxBrush + 25; ++y)
            for (int x = 0; x < kMaxBrush; ++x)
                ASSERT_EQ(g[static_cast<std::size_t>(y) * kMaxBrush + x], (y < 35 && x < 35) ? 100 : 255);
}

TEST_F(ToolSetup, GritFromScriptIsReproducible)
{
    const std::string path =
        write_file("grit_plasma.isl", "ISL 1\nsize 64 64\nseed 5\nplasma roughness=70\npoints count=40 size=2\n");
    MVE_SetRandomSeed(8);
    set_tool(0, 0, 0, path.c_str());
    const auto first = all_patterns();
    set_tool(0, 0, 0, path.c_str());
    EXPECT_EQ(all_patterns(), first);
    EXPECT_NE(first[0], first[1]);  // blocks cut at different offsets
}

TEST_F(ToolSetup, ShortSourceOrLargeBrushOpensNoFile)
{
    const std::string path = write_file("grit_never.isl", "ISL 1\nsize 8 8\nfill color1=9,9,9\n");
    set_tool(3, 200, 200);
    const auto generated = all_patterns();
    const long before = picture_file_requests();
    set_tool(3, 200, 200, "g");  // one character: no source
    EXPECT_EQ(picture_file_requests(), before);
    EXPECT_EQ(all_patterns(), generated);

    MVE_SetSize(575);  // S = 600: the source is ignored
    set_tool(3, 200, 200, path.c_str());
    EXPECT_EQ(picture_file_requests(), before);
    MVE_SetSize(574);  // S = 599: it is read
    set_tool(3, 200, 200, path.c_str());
    EXPECT_GT(picture_file_requests(), before);
}

TEST_F(ToolSetup, UnreadableSourceKeepsGeneratedPatterns)
{
    set_tool(3, 200, 200);
    const auto generated = all_patterns();
    set_tool(3, 200, 200, "/nonexistent/grit.png");
    EXPECT_EQ(all_patterns(), generated);
    // A broken script is not an image either.
    const std::string bad = write_file("grit_bad.isl", "ISL 1\nsize 0 4\n");
    set_tool(3, 200, 200, bad.c_str());
    EXPECT_EQ(all_patterns(), generated);
}

TEST(ToolSetupBlock, CopyClipsToPictureAndPattern)
{
    // A 3 x 2 picture, block side 4 at (1, 0): only columns 1..2 of rows 0..1 exist.
    const std::uint8_t grey[6] = {1, 2, 3, 4, 5, 6};
    std::vector<std::uint8_t> pattern(20, 255);
    copy_grit_block(grey, 3, 2, 1, 0, 4, pattern.data(), pattern.size(), 5);
    const std::vector<std::uint8_t> expected = {2, 3, 255, 255, 255, 5, 6, 255, 255, 255,
                                                255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(pattern, expected);
    // Rows beyond the pattern's end are cut, not written past it.
    std::vector<std::uint8_t> small(7, 255);
    copy_grit_block(grey, 3, 2, 0, 0, 3, small.data(), small.size(), 5);
    EXPECT_EQ(small, (std::vector<std::uint8_t>{1, 2, 3, 255, 255, 4, 5}));
}

TEST(ToolSetupBlock, ImageExactlySWideUsesOffsetZero)
{
    // S = 35 (full size 10) and a 35 x 40 BMP: x offset modulo 0 -> 0.
    MVE_SetRandomSeed(0);
    MVE_CreateImage(nullptr, 8, 8, kMaxBrush, 0);
    MVE_SetSize(10);
    const int w = 35, h = 40, rowBytes = (w * 3 + 3) & ~3;
    std::string bmp(54 + static_cast<std::size_t>(rowBytes) * h, '\0');
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(&bmp[static_cast<std::size_t>(at)], &v, 4); };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);  // bottom-up rows
    bmp[26] = 1, bmp[28] = 24;
    // Column x has grey x * 7 (R = G = B), so a copied row must read 0, 7, 14, ...
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) bmp[54 + static_cast<std::size_t>(y) * rowBytes + x * 3 + c] = static_cast<char>(x * 7);
    const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + "grit_35.bmp";
    std::ofstream(path, std::ios::binary) << bmp;
    MVE_SetTool(1.0f, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, path.c_str(), "", 0);
    std::vector<std::uint8_t> g((kMaxBrush + 25) * (kMaxBrush + 25));
    for (int i = 0; i < kGritPatternCount; ++i) {
        ASSERT_GT(MVE_GetGritPattern(i, g.data()), 0);
        for (int x = 0; x < 35; ++x) ASSERT_EQ(g[static_cast<std::size_t>(34) * kMaxBrush + x], x * 7) << i;
    }
    EXPECT_EQ(MVE_GetGritPattern(20, g.data()), 0);
    EXPECT_EQ(MVE_GetGritPattern(-1, g.data()), 0);
    MVE_DeleteImage();
}

}  // namespace
}  // namespace mve
