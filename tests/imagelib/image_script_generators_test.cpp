// The generators of strokes, fields and the dispatcher's slot layout: seeds,
// exact patterns on tiny pictures, the blend-code renumbering and the work
// bound; and every texture script shipped with the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dispatch/script_blend_code.h"
#include "imagelib/image_script.h"
#include "imagelib/image_script_steps.h"

namespace mve::il {
namespace {

std::vector<std::uint8_t> run(const IslStep& s, int w, int h, std::uint32_t seed)
{
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4, 0);
    for (std::size_t i = 3; i < px.size(); i += 4) px[i] = 255;
    EXPECT_TRUE(run_image_step(s, px.data(), w, h, seed)) << s.id;
    return px;
}

IslStep defaults(int id)
{
    IslStep s;
    EXPECT_TRUE(default_step(id, s)) << id;
    return s;
}

// Every generator with a random part: the same stream gives the same
// picture, another stream another one. The dispatcher's generators take
// their own seed from slot 3.
TEST(ImageScriptGenerators, SeedsReproduceAndDiffer)
{
    for (int id : {9, 10, 11, 12, 13, 14, 15, 16}) {
        IslStep s = defaults(id);
        if (id == 14) s.values[10] = 3;  // a dozen default blobs cover the whole picture
        EXPECT_EQ(run(s, 64, 48, 7), run(s, 64, 48, 7)) << id;
        EXPECT_NE(run(s, 64, 48, 7), run(s, 64, 48, 8)) << id;
    }
    for (int id = 20; id <= 33; ++id) {
        IslStep a = defaults(id), b = a;
        a.values[3] = 11;
        b.values[3] = 12;
        EXPECT_EQ(run(a, 24, 20, 1), run(a, 24, 20, 99)) << id;  // its own seed, not the stream
        EXPECT_NE(run(a, 24, 20, 1), run(b, 24, 20, 1)) << id;
    }
}

// Checks on a 4 x 2 picture with cells of 2: two cells across, one down.
// Pixel centres lie 0.25 of a cell from the cell centre, so the ink (cell
// 0) is 0.25 * 2 + 0.5 = 1 and the other cell -0.5 + 0.5 = 0: the left
// half takes the second colour, the right half the first.
TEST(ImageScriptGenerators, ChecksAreExactOnATinyPicture)
{
    IslStep s = defaults(17);
    s.values[11] = 2;
    for (int i = 0; i < 3; ++i) {
        s.values[static_cast<std::size_t>(2 + i)] = 10 + i;   // first colour 10, 11, 12
        s.values[static_cast<std::size_t>(6 + i)] = 200 + i;  // second colour 200, 201, 202
    }
    const std::vector<std::uint8_t> px = run(s, 4, 2, 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* p = &px[static_cast<std::size_t>(y * 4 + x) * 4];
            const int base = x < 2 ? 200 : 10;  // B G R A order
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}),
                      (std::vector<int>{base + 2, base + 1, base, 255}))
                << x << "," << y;
        }
}

// The dispatcher's blend codes: host "Normal" (0) is code 12, host 1..12
// codes 0..11, and 13.. unchanged; the executor turns each back.
TEST(ImageScriptGenerators, BlendCodesRenumberTheHostModes)
{
    using dispatch::script_blend_code;
    EXPECT_EQ(script_blend_code(0), 12);
    EXPECT_EQ(script_blend_code(1), 0);
    EXPECT_EQ(script_blend_code(12), 11);
    EXPECT_EQ(script_blend_code(13), 13);
    EXPECT_EQ(script_blend_code(17), 17);
    EXPECT_EQ(script_blend_code(40), 40);
    EXPECT_EQ(layer_mode_from_blend_code(12), 0);
    EXPECT_EQ(layer_mode_from_blend_code(0), 1);
    EXPECT_EQ(layer_mode_from_blend_code(11), 12);
    EXPECT_EQ(layer_mode_from_blend_code(15), 15);
    EXPECT_EQ(layer_mode_from_blend_code(-1), 0);  // nonsense is "Normal"
    EXPECT_EQ(layer_mode_from_blend_code(31), 0);
    for (int mode = 0; mode <= 30; ++mode)
        EXPECT_EQ(layer_mode_from_blend_code(script_blend_code(mode)), mode);
}

// "Lines" values: v1 3000 -> 300 strokes, v2 400 -> 4 px, v3 25 -> 90
// degrees, v4 50 % long, v5 5000 -> 180 degrees of jitter, v6 10 % vary; colour 10, 20, 30 over
// black; blend code 0 is the host's mode 1 (mode slot 100 + 1).
TEST(ImageScriptGenerators, DispatcherSlotsBecomeScriptValues)
{
    IslStep host = defaults(20);
    const std::pair<int, double> set[] = {{4, 3000}, {5, 400}, {18, 25}, {6, 50},  {7, 5000},
                                          {17, 10},  {8, 10},  {9, 20},  {10, 30}, {14, 0}};
    for (auto [slot, v] : set) host.values[static_cast<std::size_t>(slot)] = v;
    IslStep s;
    ASSERT_TRUE(isl_detail::host_generator_step(host, s));
    EXPECT_EQ(s.id, 6);
    const std::vector<double> got(s.values.begin(), s.values.begin() + 16);
    EXPECT_EQ(got, (std::vector<double>{100, 101, 0, 0, 0, 255, 10, 20, 30, 255, 300, 4, 90, 180, 50, 10}));
    EXPECT_FALSE(isl_detail::host_generator_step(defaults(6), s));  // a script generator is no host step
}

// A host generator merges with the engine's layer modes. Multiply of colour
// (R 100, G 50, B 200) over (200, 100, 50), in 16 bits:
// 200 * 100 / 255 = 78.4, 100 * 50 / 255 = 19.6, 50 * 200 / 255 = 39.2.
TEST(ImageScriptGenerators, HostBlendCodeMergesWithTheLayerMode)
{
    IslStep s = defaults(34);  // checks: cells of 2 + v1 / 50 = 2 px, one ink cell on 2 x 2
    s.values[4] = 0;
    s.values[8] = 100;
    s.values[9] = 50;
    s.values[10] = 200;
    std::vector<std::uint8_t> px = {50, 100, 200, 255, 50, 100, 200, 255,
                                    50, 100, 200, 255, 50, 100, 200, 255};
    s.values[14] = 12;  // "Normal"
    std::vector<std::uint8_t> normal = px;
    ASSERT_TRUE(run_image_step(s, normal.data(), 2, 2, 1));
    EXPECT_EQ(std::vector<int>(normal.begin(), normal.begin() + 4), (std::vector<int>{200, 50, 100, 255}));
    s.values[14] = 0;  // host mode 1, "Multiply"
    ASSERT_TRUE(run_image_step(s, px.data(), 2, 2, 1));
    EXPECT_NEAR(px[2], 78, 1);
    EXPECT_NEAR(px[1], 20, 1);
    EXPECT_NEAR(px[0], 39, 1);
    EXPECT_EQ(px[3], 255);
}

// Absurd values stop at the work bound instead of running for minutes.
TEST(ImageScriptGenerators, AbsurdValuesAreRefusedByTheWorkBound)
{
    std::vector<std::uint8_t> px(4096u * 64 * 4);
    IslStep trees = defaults(13);
    trees.values[10] = 1e9;  // count
    trees.values[12] = 1e9;  // depth
    trees.values[11] = 100;  // whole-height trees
    EXPECT_FALSE(run_image_step(trees, px.data(), 4096, 64, 1));
    IslStep worms = defaults(25);  // the host layout: v1 and v5 huge
    worms.values[4] = 1e9;
    worms.values[7] = 1e9;
    EXPECT_FALSE(run_image_step(worms, px.data(), 4096, 64, 1));
    IslStep plasma = defaults(30);
    plasma.values[4] = -1e9;  // clamped, not refused
    EXPECT_TRUE(run_image_step(plasma, px.data(), 64, 64, 1));
}

// Every texture script shipped with the library loads, renders, and is not
// one flat colour (papers are subtle: their green spans a few dozen levels).
class ShippedTexture : public ::testing::TestWithParam<std::string> {};

std::vector<std::string> texture_files()
{
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(MVE_TEXTURE_DIR))
        if (e.path().extension() == ".isl") files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ShippedTextures, AtLeastTwenty)
{
    EXPECT_GE(texture_files().size(), 20u);
}

TEST_P(ShippedTexture, LoadsAndRenders)
{
    std::ifstream in(std::string(MVE_TEXTURE_DIR) + "/" + GetParam());
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    ImageScript script;
    std::string error;
    ASSERT_TRUE(parse_image_script(s.data(), s.size(), script, &error)) << error;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(script.header.width) * script.header.height * 4);
    ASSERT_TRUE(render_image_script(script, px.data()));
    int lo = 255, hi = 0;
    for (std::size_t i = 0; i < px.size(); i += 4) {
        lo = std::min<int>(lo, px[i + 1]);
        hi = std::max<int>(hi, px[i + 1]);
    }
    EXPECT_GT(hi - lo, 8) << "green spans only " << lo << ".." << hi;
}

INSTANTIATE_TEST_SUITE_P(Library, ShippedTexture, ::testing::ValuesIn(texture_files()), [](const auto& info) {
    std::string n = info.param.substr(0, info.param.size() - 4);
    return n;
});

}  // namespace
}  // namespace mve::il
