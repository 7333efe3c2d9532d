// The artistic and edge families (colour only, alpha kept), worked by hand
// on tiny canvases.
#include <cctype>
#include <string>

#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

struct ArtisticFamilies : DispatchFixture {
    // Opaque pixels from RGB triples.
    static std::vector<std::uint8_t> opaque(std::initializer_list<std::array<int, 3>> colours)
    {
        std::vector<std::uint8_t> out;
        for (const auto& c : colours)
            out.insert(out.end(), {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2]), 255});
        return out;
    }
    // One channel of every pixel of the layer.
    std::vector<int> channel(int c) const
    {
        std::vector<int> out;
        const auto px = layer32();
        for (std::size_t k = 0; k < px.size(); k += 4) out.push_back(px[k + c]);
        return out;
    }
};

}  // namespace

TEST_F(ArtisticFamilies, NegativeInvertsAndTwiceRestores)
{
    canvas(3, 2);
    const auto picture =
        opaque({{10, 20, 30}, {0, 128, 255}, {200, 100, 50}, {1, 2, 3}, {254, 253, 252}, {77, 0, 9}});
    set_layer(picture);
    ASSERT_EQ(process("Negative"), 1);
    const auto once = layer32();
    EXPECT_EQ((std::vector<int>{once[0], once[1], once[2], once[3]}), (std::vector<int>{245, 235, 225, 255}));
    EXPECT_EQ((std::vector<int>{once[4], once[5], once[6]}), (std::vector<int>{255, 127, 0}));
    ASSERT_EQ(process("Negative"), 1);
    EXPECT_EQ(layer32(), picture);
}

TEST_F(ArtisticFamilies, PosterizeAtTwoLevelsAndSolarizeSplitAtTheirLevel)
{
    // p1 = 20: f1 = 2, two levels: below 128 -> 0, from 128 on -> 255.
    canvas(3, 2);
    set_layer(opaque(
        {{0, 127, 128}, {255, 64, 200}, {1, 126, 129}, {100, 150, 250}, {127, 127, 127}, {128, 128, 128}}));
    ASSERT_EQ(process("Posterize", with_p({20})), 1);
    EXPECT_EQ(layer32(),
              opaque({{0, 0, 255}, {255, 0, 255}, {0, 0, 255}, {0, 255, 255}, {0, 0, 0}, {255, 255, 255}}));
    // Solarize p1 = 500: threshold trunc(50 * 2.559) = 127; above it v -> 255 - v.
    set_layer(opaque(
        {{0, 127, 128}, {255, 64, 200}, {1, 126, 129}, {100, 150, 250}, {127, 127, 127}, {128, 128, 128}}));
    ASSERT_EQ(process("Solarize", with_p({500})), 1);
    EXPECT_EQ(
        layer32(),
        opaque({{0, 127, 127}, {0, 64, 55}, {1, 126, 126}, {100, 105, 5}, {127, 127, 127}, {127, 127, 127}}));
}

TEST_F(ArtisticFamilies, GrayscaleGivesEqualChannelsOfTheLuma)
{
    // (77 R + 150 G + 29 B + 128) / 256: red 77, green 149, blue 29, white 255.
    canvas(2, 2);
    set_layer(opaque({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}));
    ASSERT_EQ(process("Grayscale"), 1);
    EXPECT_EQ(layer32(), opaque({{77, 77, 77}, {149, 149, 149}, {29, 29, 29}, {255, 255, 255}}));
}

TEST_F(ArtisticFamilies, SurfaceBlurAndNoiseReduction2AreOneOperation)
{
    canvas(5, 5);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 25; ++k)
        picture.insert(picture.end(), {std::uint8_t(k * 10), std::uint8_t(250 - k * 7),
                                       std::uint8_t(k % 2 ? 200 : 30), 255});
    const Call c = with_p({300, 600});
    set_layer(picture);
    ASSERT_EQ(process("Surface Blur", c), 1);
    const auto surface = layer32();
    set_layer(picture);
    ASSERT_EQ(process("Noise Reduction 2", c), 1);
    EXPECT_EQ(layer32(), surface);
    EXPECT_NE(surface, picture);  // the blur did something
}

TEST_F(ArtisticFamilies, CannyMarksAStepOnePixelThickOnItsDarkSide)
{
    // 6 x 3, columns 0..2 black and 3..5 white, no blur (p1 = 0), high
    // threshold f2 = 20, low half of it. The Sobel magnitude
    // / 4 is 255 at columns 2 and 3 and 0 elsewhere; of the two equal crests
    // the first along the gradient (column 2) survives.
    canvas(6, 3);
    set_layer([] {
        std::vector<std::uint8_t> out;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 6; ++x) {
                const std::uint8_t v = x < 3 ? 0 : 255;
                out.insert(out.end(), {v, v, v, 255});
            }
        return out;
    }());
    ASSERT_EQ(process("Edge2", with_p({0, 200, 500})), 1);
    const std::vector<int> row = {0, 0, 255, 0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        const auto values = channel(c);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(std::vector<int>(values.begin() + y * 6, values.begin() + y * 6 + 6), row)
                << "row " << y;
    }
    // A flat picture has no edges at any threshold.
    set_layer(solid({90, 90, 90, 255}));
    ASSERT_EQ(process("Edge2", with_p({0, 0, 0})), 1);
    EXPECT_EQ(channel(0), std::vector<int>(18, 0));
}

TEST_F(ArtisticFamilies, BevelLightsTopLeftAndShadesBottomRight)
{
    // p1 = 20: frame max(trunc(2 * 0.5), 1) = 1 pixel; p2 = 1000: full strength.
    canvas(3, 3);
    set_layer(solid({100, 100, 100, 255}));
    ASSERT_EQ(process("Bevel", with_p({20, 1000})), 1);
    EXPECT_EQ(channel(0), (std::vector<int>{255, 255, 255, 255, 100, 0, 255, 0, 0}));
}

TEST_F(ArtisticFamilies, UnsharpMaskThresholdAndEdgeOvershoot)
{
    // A 6 x 1 step 50 | 200 with amount 1 (p2 = 1000) and blur sigma 4.2 (p3 = 1000).
    canvas(6, 1);
    const auto step =
        opaque({{50, 50, 50}, {50, 50, 50}, {50, 50, 50}, {200, 200, 200}, {200, 200, 200}, {200, 200, 200}});
    // Threshold trunc(100 * 2.559) = 255: no difference exceeds it, nothing changes.
    set_layer(step);
    ASSERT_EQ(process("Unsharp Mask", with_p({1000, 1000, 1000})), 1);
    EXPECT_EQ(layer32(), step);
    // Threshold 0: the dark side of the step darkens, the bright side brightens.
    set_layer(step);
    ASSERT_EQ(process("Unsharp Mask", with_p({0, 1000, 1000})), 1);
    const auto red = channel(0);
    EXPECT_LT(red[2], 50);
    EXPECT_GT(red[3], 200);
}

TEST_F(ArtisticFamilies, GeneratedNoiseReproducesFromItsSeed)
{
    canvas(4, 3);
    for (const char* name : {"Color Noise", "Perlin Noise", "Hugo Noise", "Stipple", "Crackle"}) {
        const auto picture = solid({120, 60, 200, 255});
        Call c = with_p({1000, 500, 500});
        c.seed = 77;
        set_layer(picture);
        ASSERT_EQ(process(name, c), 1);
        const auto first = layer32();
        set_layer(picture);
        ASSERT_EQ(process(name, c), 1);
        EXPECT_EQ(layer32(), first) << name;
    }
}

namespace {

const char* const kColourOnlyEffects[] = {
    "Oil Paint",
    "Stipple",
    "Negative",
    "Posterize",
    "Solarize",
    "Watercolor Tint",
    "Surface Blur",
    "Noise Reduction 2",
    "Dust and Scratches",
    "Halftone",
    "Color Noise",
    "Hugo Noise",
    "Perlin Noise",
    "Sharpen",
    "Sharpen More",
    "Unsharp Mask",
    "Bevel",
    "Crackle",
    "Gausy",
    "Scribble",
    "Grayscale",
    "Emboss",
    "Fingerprint",
    "Edge2",
    "Feather",
};

struct AlphaKept : ArtisticFamilies, ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(AlphaKept, EffectChangesColourOnly)
{
    // 5 x 4, alpha 0..255 in steps, colours varied.
    canvas(5, 4);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 20; ++k)
        picture.insert(picture.end(), {std::uint8_t(k * 13), std::uint8_t(255 - k * 11),
                                       std::uint8_t(k * 40 % 256), std::uint8_t(k == 0 ? 0 : k * 13 + 8)});
    set_layer(picture);
    ASSERT_EQ(process(GetParam(), with_p({500, 500, 500, 500, 500, 500})), 1);
    const auto after = layer32();
    for (std::size_t k = 3; k < after.size(); k += 4) EXPECT_EQ(after[k], picture[k]) << "pixel " << k / 4;
}

INSTANTIATE_TEST_SUITE_P(ArtisticAndEdges, AlphaKept, ::testing::ValuesIn(kColourOnlyEffects),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });
