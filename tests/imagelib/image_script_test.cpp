// Image scripts: parsing, rendering, effects (rotation) and the session.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imagelib/image_script.h"

namespace mve::il {
namespace {

bool parses(const std::string& text, ImageScript* out = nullptr)
{
    ImageScript s;
    const bool ok = parse_image_script(text.data(), text.size(), s);
    if (out) *out = s;
    return ok;
}

std::vector<std::uint8_t> render(const std::string& text)
{
    ImageScript s;
    EXPECT_TRUE(parse_image_script(text.data(), text.size(), s)) << text;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(s.header.width) * s.header.height * 4);
    EXPECT_TRUE(render_image_script(s, px.data()));
    return px;
}

TEST(ImageScriptParse, AcceptsHeaderStepsCommentsAndCrLf)
{
    ImageScript s;
    ASSERT_TRUE(parses("# comment\r\n\r\nISL 1\r\nsize 3 2 # trailing\r\nseed 42\r\nbackground 1 2 3\r\n"
                       "plasma roughness=10 color1=4,5,6\r\n51 3=30 4=100\r\n",
                       &s));
    EXPECT_EQ(s.header.width, 3);
    EXPECT_EQ(s.header.height, 2);
    EXPECT_EQ(s.header.seed, 42u);
    EXPECT_EQ(s.header.background[2], 3);
    EXPECT_EQ(s.header.background[3], 255);  // alpha defaults to opaque
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].id, 4);
    EXPECT_EQ(s.steps[0].values[10], 10.0);
    EXPECT_EQ(s.steps[0].values[2], 4.0);   // color1 -> slots 2..5
    EXPECT_EQ(s.steps[0].values[4], 6.0);
    EXPECT_EQ(s.steps[0].values[5], 255.0);  // three values keep the default alpha
    EXPECT_EQ(s.steps[0].values[0], 100.0);  // opacity default
    EXPECT_EQ(s.steps[1].id, kIslRotateEffect);
    EXPECT_EQ(s.steps[1].values[3], 30.0);
}

TEST(ImageScriptParse, RejectsMalformedScripts)
{
    const char* bad[] = {
        "",                                   // empty
        "size 4 4\n",                         // no magic
        "ISL 2\nsize 4 4\n",                  // unknown version
        "ISL 1\n",                            // no size
        "ISL 1\nsize 0 4\n",                  // zero width
        "ISL 1\nsize 4 4097\n",               // too high
        "ISL 1\nsize 4\n",                    // missing height
        "ISL 1\nsize 4.5 4\n",                // not whole
        "ISL 1\nsize 4 4\nsize 4 4\n",        // twice
        "ISL 1\nfill\nsize 4 4\n",            // step before size
        "ISL 1\nsize 4 4\nfill\nseed 3\n",    // header after a step
        "ISL 1\nsize 4 4\nsparkle\n",         // unknown step
        "ISL 1\nsize 4 4\n49\n",              // unknown number
        "ISL 1\nsize 4 4\nfill colour=1,2,3\n",     // unknown value name
        "ISL 1\nsize 4 4\nfill color1=1,2\n",       // colour of two values
        "ISL 1\nsize 4 4\nfill opacity=1e999\n",    // overflow
        "ISL 1\nsize 4 4\nfill opacity=nan\n",      // not finite
        "ISL 1\nsize 4 4\nfill opacity=\n",         // empty value
        "ISL 1\nsize 4 4\nfill 20=1\n",             // slot out of range
        "ISL 1\nsize 4 4\nfill opacity\n",          // no '='
        "ISL 1\nsize 4 4\nbackground 1 2 256\n",    // channel out of range
        "ISL 1\nsize 4 4\nseed -1\n",               // negative seed
    };
    for (const char* text : bad) EXPECT_FALSE(parses(text)) << text;
    const std::string withNul("ISL 1\nsize 4 4\nfi\0ll\n", 20);
    EXPECT_FALSE(parses(withNul));
    ImageScript none;
    EXPECT_FALSE(parse_image_script(nullptr, 5, none));

    std::string many = "ISL 1\nsize 2 2\n";
    for (int i = 0; i <= kIslMaxSteps; ++i) many += "invert\n";
    EXPECT_FALSE(parses(many));  // 257 steps

    std::string error;
    ImageScript s;
    const std::string text = "ISL 1\nsize 4 4\n\nsparkle\n";
    EXPECT_FALSE(parse_image_script(text.data(), text.size(), s, &error));
    EXPECT_EQ(error.rfind("line 4:", 0), 0u) << error;
}

TEST(ImageScriptRender, FillOpacityAndBlendModes)
{
    // Output bytes are B, G, R, A.
    auto px = render("ISL 1\nsize 2 1\nfill color1=10,20,30,40\n");
    EXPECT_EQ(px, (std::vector<std::uint8_t>{30, 20, 10, 40, 30, 20, 10, 40}));
    // 50 % over black: 200 * 0.5 = 100; alpha 255 stays 255.
    px = render("ISL 1\nsize 1 1\nbackground 0 0 0\nfill color1=200,200,200 opacity=50\n");
    EXPECT_EQ(px, (std::vector<std::uint8_t>{100, 100, 100, 255}));
    // Multiply: 200 * 128 / 255 = 100.39 -> 100.
    px = render("ISL 1\nsize 1 1\nbackground 200 200 200\nfill color1=128,128,128 mode=1\n");
    EXPECT_EQ(px[0], 100);
    // Screen: 255 - 55 * 127 / 255 = 227.6 -> 228.
    px = render("ISL 1\nsize 1 1\nbackground 200 200 200\nfill color1=128,128,128 mode=2\n");
    EXPECT_EQ(px[0], 228);
    // Gradient left to right over 2 pixels: t = 0.25 and 0.75 of 0..200.
    px = render("ISL 1\nsize 2 1\ngradient color1=0,0,0 color2=200,200,200\n");
    EXPECT_EQ(px[2], 50);
    EXPECT_EQ(px[6], 150);
}

TEST(ImageScriptRender, SeededAndReproducible)
{
    const std::string a = "ISL 1\nsize 16 16\nseed 3\nplasma\n";
    EXPECT_EQ(render(a), render(a));
    EXPECT_NE(render(a), render("ISL 1\nsize 16 16\nseed 4\nplasma\n"));
    // A 16 x 16 plasma samples its 16 x 16 grid at the grid points, and the
    // grid is stretched to 0..1: both end colours occur.
    const auto px = render(a);
    std::uint8_t lo = 255, hi = 0;
    for (std::size_t i = 0; i < px.size(); i += 4) {
        lo = std::min(lo, px[i]);
        hi = std::max(hi, px[i]);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 255);
}

TEST(ImageScriptRender, ShapesDrawAndZeroCountsDoNot)
{
    const std::string base = "ISL 1\nsize 24 24\nseed 9\nbackground 0 0 0\n";
    const auto empty = render(base);
    for (const char* step : {"lines count=0\n", "points count=0\n", "circles count=0\n"})
        EXPECT_EQ(render(base + step), empty) << step;
    for (const char* step : {"lines count=3\n", "points count=10\n", "circles count=3\n", "perlin cell=8\n",
                             "noise cell=2\n"})
        EXPECT_NE(render(base + step), empty) << step;
    // A filled circle of radius 3 reaches full coverage at its centre pixel.
    const auto c = render(base + "circles count=1 min=3 max=3\n");
    EXPECT_EQ(*std::max_element(c.begin(), c.end()), 255);
}

TEST(ImageScriptEffects, RotationQuarterAndHalfTurns)
{
    // 2 x 2 picture a b / c d (one grey byte per pixel in every channel).
    // A quarter turn counter-clockwise gives b d / a c; a half turn d c / b a.
    auto picture = [] {
        std::vector<std::uint8_t> px;
        for (std::uint8_t v : {10, 20, 30, 40}) px.insert(px.end(), {v, v, v, 255});
        return px;
    };
    IslStep rot;
    ASSERT_TRUE(default_step(kIslRotateEffect, rot));
    EXPECT_EQ(rot.values[4], 100.0);
    rot.values[3] = 90;
    auto px = picture();
    ASSERT_TRUE(run_image_step(rot, px.data(), 2, 2, 1));
    EXPECT_EQ(px[0], 20);
    EXPECT_EQ(px[4], 40);
    EXPECT_EQ(px[8], 10);
    EXPECT_EQ(px[12], 30);
    rot.values[3] = 180;
    px = picture();
    ASSERT_TRUE(run_image_step(rot, px.data(), 2, 2, 1));
    EXPECT_EQ(px[0], 40);
    EXPECT_EQ(px[12], 10);
    rot.values[3] = -360;  // whole turns copy exactly
    px = picture();
    ASSERT_TRUE(run_image_step(rot, px.data(), 2, 2, 1));
    EXPECT_EQ(px, picture());
    // A 45-degree turn of a 3 x 3 picture leaves corners partly outside:
    // the corner pixel centre maps 2.1 pixels from the centre, outside the
    // source square's inner area, so it loses alpha; the centre keeps it.
    std::vector<std::uint8_t> sq(9 * 4, 255);
    rot.values[3] = 45;
    ASSERT_TRUE(run_image_step(rot, sq.data(), 3, 3, 1));
    EXPECT_EQ(sq[4 * 4 + 3], 255);
    EXPECT_LT(sq[3], 255);
}

TEST(ImageScriptEffects, InvertGrayscaleThreshold)
{
    std::vector<std::uint8_t> px = {10, 20, 30, 77};  // B G R A
    IslStep s;
    ASSERT_TRUE(default_step(50, s));
    ASSERT_TRUE(run_image_step(s, px.data(), 1, 1, 1));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{245, 235, 225, 77}));
    // Luma of R 225, G 235, B 245: (67275 + 137945 + 27930 + 500) / 1000 = 233.
    ASSERT_TRUE(default_step(54, s));
    ASSERT_TRUE(run_image_step(s, px.data(), 1, 1, 1));
    EXPECT_EQ(px, (std::vector<std::uint8_t>{233, 233, 233, 77}));
    ASSERT_TRUE(default_step(55, s));
    s.values[0] = 233;  // at the level: white
    ASSERT_TRUE(run_image_step(s, px.data(), 1, 1, 1));
    EXPECT_EQ(px[0], 255);
    px = {233, 233, 233, 77};
    ASSERT_TRUE(default_step(55, s));
    s.values[0] = 234;  // above the luma: black
    ASSERT_TRUE(run_image_step(s, px.data(), 1, 1, 1));
    EXPECT_EQ(px[0], 0);
    EXPECT_FALSE(default_step(49, s));
    EXPECT_FALSE(run_image_step(s, nullptr, 1, 1, 1));
}

class ImageScriptSession : public ::testing::Test {
protected:
    void TearDown() override { isl_finish(); }
    static std::string write_file(const std::string& name, const std::string& text)
    {
        const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }
};

TEST_F(ImageScriptSession, LoadHeaderExecute)
{
    const std::string path = write_file("session.isl", "ISL 1\nsize 3 2\nfill color1=1,2,3\n");
    EXPECT_EQ(isl_load_script_from_file(path.c_str()), 0);  // not initialised
    ASSERT_EQ(isl_initialize(), 1);
    ASSERT_EQ(isl_load_script_from_file(path.c_str()), 1);
    std::vector<std::uint8_t> px(3 * 2 * 4);
    EXPECT_EQ(isl_execute_script(px.data(), 3, 2), 0);  // buffers not prepared
    ASSERT_EQ(isl_init_buffers(), 1);
    IslHeader h;
    ASSERT_EQ(isl_read_script_header_from_file(path.c_str(), &h), 1);
    EXPECT_EQ(h.width, 3);
    EXPECT_EQ(h.height, 2);
    EXPECT_EQ(isl_execute_script(px.data(), 3, 3), 0);  // size mismatch is refused
    ASSERT_EQ(isl_execute_script(px.data(), 3, 2), 1);
    EXPECT_EQ(px[0], 3);  // B first
    EXPECT_EQ(px[2], 1);
    ASSERT_EQ(swap_red_blue(px.data(), 3, 2, 12), 1);
    EXPECT_EQ(px[0], 1);
    isl_finish();
    EXPECT_EQ(isl_execute_script(px.data(), 3, 2), 0);
}

TEST_F(ImageScriptSession, LoadFailures)
{
    ASSERT_EQ(isl_initialize(), 1);
    EXPECT_EQ(isl_load_script_from_file(nullptr), 0);
    EXPECT_EQ(isl_load_script_from_file(""), 0);
    EXPECT_EQ(isl_load_script_from_file("/nonexistent/x.isl"), 0);
    EXPECT_EQ(isl_load_script_from_file(write_file("bad.isl", "ISL 1\nsize 2 2\nfill 3=x\n").c_str()), 0);
    EXPECT_EQ(isl_init_buffers(), 0);
    // A binary file (here a PNG signature) is not a script.
    EXPECT_EQ(isl_load_script_from_file(write_file("pic.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR").c_str()), 0);
    // Larger than 1 MB: refused before parsing.
    std::string big = "ISL 1\nsize 2 2\n";
    big.append(kIslMaxFileBytes, '#');
    EXPECT_EQ(isl_load_script_from_file(write_file("big.isl", big).c_str()), 0);
    IslHeader h;
    EXPECT_EQ(isl_read_script_header_from_file("/nonexistent/x.isl", &h), 0);
    EXPECT_EQ(isl_read_script_header_from_file(nullptr, nullptr), 0);
}

TEST_F(ImageScriptSession, EffectListOnAnImage)
{
    std::vector<std::uint8_t> px;
    for (std::uint8_t v : {10, 20, 30, 40}) px.insert(px.end(), {v, v, v, 255});
    EXPECT_EQ(isl_add_effect(kIslRotateEffect, 1), 0);  // not initialised
    ASSERT_EQ(isl_initialize(), 1);
    EXPECT_EQ(isl_add_effect(999, 1), 0);
    ASSERT_EQ(isl_add_effect(kIslRotateEffect, 1), 1);
    EXPECT_EQ(isl_set_effect_value(1, 3, 90), 0);   // no step 1
    EXPECT_EQ(isl_set_effect_value(0, 20, 90), 0);  // no slot 20
    ASSERT_EQ(isl_set_effect_value(0, 3, 180), 1);
    ASSERT_EQ(isl_set_effect_value(0, 4, 100), 1);
    EXPECT_EQ(isl_execute_script_on_image(px.data(), 0, 2), 0);
    ASSERT_EQ(isl_execute_script_on_image(px.data(), 2, 2), 1);
    EXPECT_EQ(px[0], 40);
    EXPECT_EQ(px[12], 10);
}

TEST(ImageScriptExamples, ShippedScriptsRender)
{
    const char* data = std::getenv("MVE_TEST_DATA");
    if (!data) GTEST_SKIP() << "MVE_TEST_DATA not set";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(data) + "/scripts")) {
        if (entry.path().extension() != ".isl") continue;
        ASSERT_EQ(isl_initialize(), 1);
        ASSERT_EQ(isl_load_script_from_file(entry.path().c_str()), 1) << entry.path();
        ASSERT_EQ(isl_init_buffers(), 1);
        IslHeader h;
        ASSERT_EQ(isl_read_script_header_from_file(entry.path().c_str(), &h), 1);
        std::vector<std::uint8_t> px(static_cast<std::size_t>(h.width) * h.height * 4);
        ASSERT_EQ(isl_execute_script(px.data(), h.width, h.height), 1) << entry.path();
        // A pattern, not a flat colour.
        EXPECT_NE(std::count(px.begin(), px.end(), px[0]), static_cast<long>(px.size())) << entry.path();
        isl_finish();
        ++count;
    }
    EXPECT_GE(count, 4);
}

}  // namespace
}  // namespace mve::il
