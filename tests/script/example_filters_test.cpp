// The example filters shipped in scripts/filters, each on a small canvas
// with results worked by hand.
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "lua_test_rig.h"

using namespace lua_test;
using mve::script::FilterOutcome;

namespace {

struct ExampleFilters : LuaFilterTest {
    static std::string filter(const char* name)
    {
        const char* data = std::getenv("MVE_TEST_DATA");
        return std::string(data ? data : "tests/data") + "/../../scripts/filters/" + name;
    }
    FilterOutcome run_example(const char* name, mve::script::FilterArgs args = {})
    {
        const std::string path = filter(name);
        args.path = path.c_str();
        const FilterOutcome out = mve::script::run_filter(mve::engine(), args);
        EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text);
        return out;
    }
};

TEST_P(ExampleFilters, Sepia)
{
    make(2, 1, {{100, 50, 0, 255}, {255, 255, 255, 128}});
    mve::script::FilterArgs args;
    args.p[0] = 1000;  // full strength
    ASSERT_EQ(run_example("sepia.lua", args), FilterOutcome::Done);
    // (100, 50, 0): 0.393*100 + 0.769*50 = 77.75, 0.349*100 + 0.686*50 = 69.2,
    // 0.272*100 + 0.534*50 = 53.9. White: 1.351 and 1.203 clamp, 0.937 * 255 = 238.9.
    EXPECT_EQ(layer_at(0, 0), (Rgba{77, 69, 53, 255}));
    EXPECT_EQ(layer_at(1, 0), (Rgba{255, 255, 238, 128}));
}

TEST_P(ExampleFilters, HueSwap)
{
    make(3, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}, {90, 90, 90, 255}});
    ASSERT_EQ(run_example("hue_swap.lua"), FilterOutcome::Done);
    // Hue + 120: red -> green, blue (240) -> 360 % 360 = red; grey has no hue.
    EXPECT_EQ(layer_at(0, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(layer_at(1, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(layer_at(2, 0), (Rgba{90, 90, 90, 255}));
}

TEST_P(ExampleFilters, VignetteThroughTheMask)
{
    make(3, 3, std::vector<Rgba>(9, {200, 200, 200, 255}));
    mve::script::FilterArgs args;
    args.p[0] = 500;
    ASSERT_EQ(run_example("vignette.lua", args), FilterOutcome::Done);
    // Centre (1, 1), reach sqrt(2). Centre: d = 0, mask 0, unchanged.
    // Edge middle: d = 1 / sqrt(2), m = (0.7071 - 0.5) / 0.5 = 0.41421 -> mask 27145;
    // 200 x (1 - 27145 / 65535) = 117.16 -> 117. Corner: d = 1, mask 65535, black.
    unsigned short mask[9] = {};
    MVE_GetMaskData16(mask);
    EXPECT_EQ(mask[4], 0);
    EXPECT_EQ(mask[1], 27145);
    EXPECT_EQ(mask[0], 65535);
    // The write-back goes through the Mask it left: coverage 0 keeps the
    // centre, 65535 writes the black corner, and at the edge c = 27145,
    // C = 38390: colour (27145 x 117 + (38390 x 51200 >> 8)) >> 8 = 42398,
    // high byte 165; alpha (27145 x 255 + (65280 x 38390 >> 8)) >> 8 = 65279 -> 254.
    EXPECT_EQ(layer_at(1, 1), (Rgba{200, 200, 200, 255}));
    EXPECT_EQ(layer_at(1, 0), (Rgba{165, 165, 165, 254}));
    EXPECT_EQ(layer_at(2, 1), (Rgba{165, 165, 165, 254}));
    EXPECT_EQ(layer_at(2, 2), (Rgba{0, 0, 0, 255}));
}

TEST_P(ExampleFilters, SoftGlowMergesItsIntermediateResult)
{
    make(2, 1, std::vector<Rgba>(2, {100, 100, 100, 255}));
    ASSERT_EQ(run_example("soft_glow.lua"), FilterOutcome::Done);
    // Blur of a flat 100 is 100, brightened x 1.2 = 120. Screen of 120 over
    // 100: 255 (1 - (135/255)(155/255)) = 172.9, at opacity 255/256 a little
    // less; integer stages may lose one more.
    for (int x = 0; x < 2; ++x) {
        const Rgba p = layer_at(x, 0);
        EXPECT_NEAR(p[0], 172, 2);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_EQ(p[3], 255);
    }
}

TEST_P(ExampleFilters, RecordStrokes)
{
    const std::string dir = ::testing::TempDir() + "examples_start/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "scripts");
    MVE_SetStartDir(dir.c_str());
    const Rgba white{255, 255, 255, 255};
    make(2, 4, {{0, 0, 0, 255}, {0, 0, 0, 255}, white, white, {51, 102, 0, 255}, white, white, white});
    mve::script::FilterArgs args;
    args.seed = 7;
    ASSERT_EQ(run_example("record_strokes.lua", args), FilterOutcome::Done);
    std::ifstream in(dir + "scripts/luapaint.srp", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    // Band height 1; rows 0 (black, grey 0) and 2 (grey 153 / 3 = 51 -> 0.2)
    // are darker than 0.5: a stroke each from x 0 through width / 2 = 1 to 1.
    std::string expected;
    for (const char* line : {"1554", "Description", "1", " ", "RandomSeed", "7", "SetBrushSize", "1",
                             "SetColor", "0", "0", "0", "DrawStart", "0", "0", "-1", "SmoothPlot2", "0", "0", "0",
                             "1", "0", "SmoothPlot2", "1", "0", "0.5", "0", "0", "SmoothPlot2", "1", "0", "1", "0",
                             "0", "SmoothPlot2", "0", "0", "0", "0", "1", "DrawStop", "1",
                             "SetColor", "51", "102", "0", "DrawStart", "0", "2", "-1", "SmoothPlot2", "0", "0", "0",
                             "1", "0", "SmoothPlot2", "1", "2", "0.5", "0", "0", "SmoothPlot2", "1", "2", "1", "0",
                             "0", "SmoothPlot2", "0", "0", "0", "0", "1", "DrawStop", "1", "ScriptEnd"})
        expected += std::string(line) + "\r\n";
    EXPECT_EQ(text.str(), expected);
    EXPECT_EQ(layer_at(0, 0), (Rgba{0, 0, 0, 255}));
}

INSTANTIATE_TEST_SUITE_P(BothForms, ExampleFilters, ::testing::Bool(), param_name);

}  // namespace
