// The generators and texture families called by name: seeds, the blend
// code of i2, tiling with its period, relief by hand, and bad script files.
#include <fstream>
#include <string>

#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

using DispatchGenerators = DispatchFixture;

std::string script_file(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A fixed seed paints the same picture, another seed another one.
TEST_F(DispatchGenerators, FixedSeedReproducesAndAnotherDiffers)
{
    canvas(64, 48);
    const char* names[] = {"Lines",  "Points",      "Circles",        "Rectangles",           "Splines",
                           "Worms",  "Fibers",      "Trees",          "Generate Noise",       "Blobs",
                           "Plasma", "Sine Plasma", "Fractal Plasma", "Generate Perlin Noise"};
    for (const char* name : names) {
        auto paint = [&](int seed) {
            set_layer(solid({0, 0, 0, 255}));
            Call c = with_p({20, 30, 50, 300, 100, 20});
            c.seed = seed;
            EXPECT_EQ(process(name, c), 1);
            return layer32();
        };
        const auto first = paint(5);
        EXPECT_EQ(first, paint(5)) << name;
        EXPECT_NE(first, paint(6)) << name;
        EXPECT_NE(first, solid({0, 0, 0, 255})) << name;  // it painted something
    }
}

// "Pattern" with p1 = 0 makes cells of 2 pixels: the 2 x 2 canvas is one
// ink cell in the call's colour (i1 = 1). i2 is the host's blend mode: 0
// paints the colour, 1 multiplies: (200, 100, 50) x (100, 50, 200) / 255 =
// (78.4, 19.6, 39.2).
TEST_F(DispatchGenerators, PatternBlendsByTheHostMode)
{
    canvas(2, 2);
    set_layer(solid({200, 100, 50, 255}));
    Call c = with_p({}, {1, 0});
    c.r = 100;
    c.g = 50;
    c.b = 200;
    EXPECT_EQ(process("Pattern", c), 1);
    EXPECT_EQ(layer32(), solid({100, 50, 200, 255}));
    set_layer(solid({200, 100, 50, 255}));
    c.i[1] = 1;
    EXPECT_EQ(process("Pattern", c), 1);
    const auto px = layer32();
    EXPECT_NEAR(px[0], 78, 1);
    EXPECT_NEAR(px[1], 20, 1);
    EXPECT_NEAR(px[2], 39, 1);
    EXPECT_EQ(px[3], 255);
}

// A 3 x 1 texture: a gradient from 0 to 240 across three pixels gives
// 240 x (0.5, 1.5, 2.5) / 3 = 40, 120, 200. Tiled from the top-left corner
// (i4 = 1) over 7 x 2 it repeats every 3 pixels on both rows.
const char* kRamp = "ISL 1\nsize 3 1\ngradient color1=0,0,0 color2=240,240,240\n";

TEST_F(DispatchGenerators, BackgroundTiledFromTheCornerRepeatsWithItsPeriod)
{
    canvas(7, 2);
    set_layer(solid({9, 9, 9, 255}));
    const std::string path = script_file("ramp.isl", kRamp);
    Call c = with_p({}, {0, 0, 0, 1});
    c.text = path.c_str();
    EXPECT_EQ(process("Backgrounds Nature", c), 1);
    const auto px = layer32();
    const int expected[3] = {40, 120, 200};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 7; ++x) {
            const std::size_t k = static_cast<std::size_t>(y * 7 + x) * 4;
            EXPECT_EQ(px[k], expected[x % 3]) << x << "," << y;
            EXPECT_EQ(px[k + 3], 255);
        }
}

// Without i4 the tiles start at an offset drawn from the seed: the same
// seed repeats it, the period stays 3, and the five names run one block.
TEST_F(DispatchGenerators, BackgroundOffsetFollowsTheSeed)
{
    canvas(7, 1);
    const std::string path = script_file("ramp.isl", kRamp);
    auto paint = [&](const char* name, int seed) {
        set_layer(solid({9, 9, 9, 255}));
        Call c;
        c.seed = seed;
        c.text = path.c_str();
        EXPECT_EQ(process(name, c), 1);
        return layer32();
    };
    const auto a = paint("Backgrounds Material", 3);
    for (int x = 0; x + 3 < 7; ++x) EXPECT_EQ(a[x * 4], a[(x + 3) * 4]);
    for (const char* name :
         {"Backgrounds Nature", "Backgrounds Surface", "Backgrounds Other", "Backgrounds Utility"})
        EXPECT_EQ(paint(name, 3), a) << name;
}

// Emboss by the ramp on a 3 x 1 grey layer: the inverted grey is 215, 135,
// 55; each pixel moves by depth x (h(x-1, y-1) - h(x+1, y+1)), edges
// repeated: 215 - 135 = 80, 215 - 55 = 160, 135 - 55 = 80. p3 = 250 gives
// depth 0.5 x 2 = 1: 100 + 80 = 180, 100 + 160 = 260 -> 255, 180. Alpha kept.
TEST_F(DispatchGenerators, TexturizeEmbossShiftsByTheSlope)
{
    canvas(3, 1);
    set_layer(solid({100, 100, 100, 200}));
    const std::string path = script_file("ramp.isl", kRamp);
    Call c = with_p({0, 0, 250}, {0, 0, 0, 1});
    c.text = path.c_str();
    EXPECT_EQ(process("Texturize Emboss Surface", c), 1);
    EXPECT_EQ(layer32(),
              (std::vector<std::uint8_t>{180, 180, 180, 200, 255, 255, 255, 200, 180, 180, 180, 200}));
}

// A flat texture has no slope: the bump light leaves the colour as it is
// and makes the result opaque before it is merged.
TEST_F(DispatchGenerators, TexturizeBumpOfAFlatTextureKeepsTheColour)
{
    canvas(3, 2);
    set_layer(solid({120, 60, 30, 255}));
    const std::string path = script_file("flat.isl", "ISL 1\nsize 2 2\nbackground 90 90 90\n");
    Call c;
    c.text = path.c_str();
    EXPECT_EQ(process("Texturize Bump Other", c), 1);
    EXPECT_EQ(layer32(), solid({120, 60, 30, 255}));
}

// Missing, empty, truncated and oversized scripts change nothing and the
// call still reports that it ran.
TEST_F(DispatchGenerators, BadScriptFilesChangeNothing)
{
    canvas(3, 2);
    const auto before = solid({10, 20, 30, 255});
    const std::string files[] = {
        "/nonexistent/texture.isl",
        script_file("empty.isl", ""),
        script_file("truncated.isl", "ISL 1\nsize 4"),
        script_file("huge.isl", "ISL 1\nsize 1000000 1000000\nplasma\n"),
        script_file("unknown.isl", "ISL 1\nsize 4 4\nsparkles count=3\n"),
        script_file("heavy.isl", "ISL 1\nsize 4096 4096\nblur radius=256 passes=8\n"),
    };
    for (const char* name : {"Backgrounds Other", "Texturize Emboss Other", "Texturize Bump Other"})
        for (const std::string& file : files) {
            set_layer(before);
            Call c;
            c.text = file.c_str();
            EXPECT_EQ(process(name, c), 1);
            EXPECT_EQ(layer32(), before) << name << " " << file;
        }
}

}  // namespace
