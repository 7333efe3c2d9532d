// Tone, colour and noise effects through the dispatcher, worked by hand on
// tiny canvases: slider mappings, histogram tables, flips and the seeded noise.
#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

struct ToneEffects : DispatchFixture {
    // Opaque pixels, (r, g, b) each.
    static std::vector<std::uint8_t> opaque(std::initializer_list<std::array<int, 3>> colours)
    {
        std::vector<std::uint8_t> out;
        for (auto c : colours)
            out.insert(out.end(), {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2]), 255});
        return out;
    }
    static std::vector<std::uint8_t> greys(std::initializer_list<int> values)
    {
        std::vector<std::uint8_t> out;
        for (int v : values) out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 255});
        return out;
    }
    // Runs `name` on `picture` (a width x height canvas) and returns the layer.
    std::vector<std::uint8_t> run(const char* name, int width, int height, const std::vector<std::uint8_t>& picture,
                                  const Call& call = {})
    {
        canvas(width, height);
        set_layer(picture);
        EXPECT_EQ(process(name, call), 1) << name;
        return layer32();
    }
};

}  // namespace

TEST_F(ToneEffects, ThresholdSplitsARampAtItsLevel)
{
    const auto ramp = greys({0, 50, 100, 150, 200, 250});
    // p1 = 500: level trunc(50 * 2.559) = 127; 800: trunc(80 * 2.559) = 204.
    EXPECT_EQ(run("Threshold", 6, 1, ramp, with_p({500})), greys({0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(run("Threshold", 6, 1, ramp, with_p({800})), greys({0, 0, 0, 0, 0, 255}));
    // Pure red has grey (255 + 0 + 0) / 3 = 85, below 127: black.
    EXPECT_EQ(run("Threshold", 1, 1, opaque({{255, 0, 0}}), with_p({500})), greys({0}));
}

TEST_F(ToneEffects, FlipsMirrorExactly)
{
    // 3 x 2: a b c / d e f.
    const auto a = std::array{1, 2, 3}, b = std::array{4, 5, 6}, c = std::array{7, 8, 9};
    const auto d = std::array{10, 11, 12}, e = std::array{13, 14, 15}, g = std::array{16, 17, 18};
    const auto picture = opaque({a, b, c, d, e, g});
    EXPECT_EQ(run("Horizontal Flip", 3, 2, picture), opaque({c, b, a, g, e, d}));
    EXPECT_EQ(run("Vertical Flip", 3, 2, picture), opaque({d, e, g, a, b, c}));
}

TEST_F(ToneEffects, BrightnessContrastAndGammaMapTheirSliders)
{
    const auto picture = greys({0, 100, 200, 255});
    // 500, 500: brightness 0, contrast 0 leave the picture.
    EXPECT_EQ(run("Brightness and Contrast", 4, 1, picture, with_p({500, 500})), picture);
    // p1 = 600: brightness 0.2 adds 51; p2 = 250: contrast -0.5 halves about 127.5:
    // 0 -> -63.75 + 178.5 = 114.75, 100 -> 164.75, 200 -> 214.75, 255 -> 242.25.
    EXPECT_EQ(run("Brightness and Contrast", 4, 1, picture, with_p({600, 250})), greys({115, 165, 215, 242}));
    // Gamma p1 = 1000 is 2: 255 * sqrt(v / 255); 100 -> 159.69, 200 -> 225.83.
    EXPECT_EQ(run("Gamma", 4, 1, picture, with_p({1000})), greys({0, 160, 226, 255}));
    // Gamma p1 = 250 is 0.5: v^2 / 255; 100 -> 39.2, 200 -> 156.86.
    EXPECT_EQ(run("Gamma", 4, 1, picture, with_p({250})), greys({0, 39, 157, 255}));
}

TEST_F(ToneEffects, HistogramStretchAndEqualizeBuildTheirTables)
{
    // Two levels go to the ends.
    EXPECT_EQ(run("Histogram Stretch", 2, 2, greys({50, 200, 200, 50})), greys({0, 255, 255, 0}));
    // Brightness levels 60 and 180 span the table; (90, 60, 30) has brightness 60:
    // 90 -> (90 - 60) * 255 / 120 = 63.75, 30 -> below 0.
    EXPECT_EQ(run("Histogram Stretch", 3, 1, opaque({{60, 60, 60}, {180, 180, 180}, {90, 60, 30}})),
              opaque({{0, 0, 0}, {255, 255, 255}, {64, 0, 0}}));
    // A flat picture stays as it is (no range to stretch over).
    EXPECT_EQ(run("Histogram Stretch", 2, 1, greys({77, 77})), greys({77, 77}));
    // A transparent pixel does not count: 50 and 200 are still the ends.
    auto withHole = greys({50, 200, 0});
    withHole[11] = 0;
    const auto out = run("Histogram Stretch", 3, 1, withHole);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 8), greys({0, 255}));
    // Equalize of 10, 20, 20, 30: cdf 1, 3, 4 less the first 1, over 3: 0, 170, 255.
    EXPECT_EQ(run("Histogram Equalize", 4, 1, greys({10, 20, 20, 30})), greys({0, 170, 170, 255}));
    // The per-channel stretch: red 10..20, green 100..200, blue flat at 50.
    EXPECT_EQ(run("Histogram Stretch PHASED OUT", 2, 1, opaque({{10, 100, 50}, {20, 200, 50}})),
              opaque({{0, 0, 50}, {255, 255, 50}}));
}

TEST_F(ToneEffects, ColourBalanceAndTintShiftTheirChannels)
{
    // Red shift (1000 - 500) * 51 / 100 = 255 at p1 = 1000, weighted 4 v (255 - v) / 255^2:
    // 51 -> 51 + 255 * 0.64 = 214.2; black and white stay.
    EXPECT_EQ(run("Adjust Color Balance", 3, 1, greys({0, 51, 255}), with_p({1000, 500, 500})),
              opaque({{0, 0, 0}, {214, 51, 51}, {255, 255, 255}}));
    // Tint (200, 100, 0) has mean 100: offsets +100, 0, -100 at p1 = 500 (half).
    Call call = with_p({500});
    call.r = 200, call.g = 100, call.b = 0;
    EXPECT_EQ(run("Tint", 1, 1, greys({100}), call), opaque({{150, 100, 50}}));
}

TEST_F(ToneEffects, DespeckleAndDeinterlaceRepairFromNeighbours)
{
    // A speck of 250 in a 3 x 3 field of 100 takes the median 100 at tolerance 0,
    // and stays when the tolerance (p1 = 1000: 255) exceeds its difference.
    const auto speck = greys({100, 100, 100, 100, 250, 100, 100, 100, 100});
    EXPECT_EQ(run("Despeckle", 3, 3, speck), std::vector<std::uint8_t>(greys({100, 100, 100, 100, 100, 100, 100, 100, 100})));
    EXPECT_EQ(run("Despeckle", 3, 3, speck, with_p({1000})), speck);
    // 1 x 3 rows 10, 200, 30: the odd row becomes (10 + 30 + 1) / 2 = 20; with
    // i1 = 1 the even rows copy their one neighbour.
    EXPECT_EQ(run("Deinterlace", 1, 3, greys({10, 200, 30})), greys({10, 20, 30}));
    EXPECT_EQ(run("Deinterlace", 1, 3, greys({10, 200, 30}), with_p({}, {1})), greys({200, 200, 200}));
}

TEST_F(ToneEffects, NoiseReproducesFromItsSeedAndAmountZeroChangesNothing)
{
    const auto grey = greys({128, 128, 128, 128, 128, 128});
    for (const char* name :
         {"Add Gaussian Noise", "Add Negative Exponential Noise", "Add Rayleigh Noise", "Add Uniform Noise"}) {
        // p1 = 100: amount 2000, scale 20 levels; p2 = 1000: opacity 255, blend mode 0.
        Call call = with_p({100, 1000});
        call.seed = 42;
        const auto first = run(name, 3, 2, grey, call);
        EXPECT_EQ(run(name, 3, 2, grey, call), first) << name;
        EXPECT_NE(first, grey) << name;
        // Grey noise (low byte of i3 zero): one offset per pixel, alpha kept.
        for (std::size_t k = 0; k < first.size(); k += 4) {
            EXPECT_EQ(first[k], first[k + 1]) << name;
            EXPECT_EQ(first[k], first[k + 2]) << name;
            EXPECT_EQ(first[k + 3], 255) << name;
        }
        call.seed = 43;
        EXPECT_NE(run(name, 3, 2, grey, call), first) << name;
        // Amount 0 (p1 = 0) merges the unchanged copy.
        call.p[0] = 0;
        EXPECT_EQ(run(name, 3, 2, grey, call), grey) << name;
    }
}
