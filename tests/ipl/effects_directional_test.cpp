// Directional passes, "Adaptive Blur" and the 3x3 effects on 3 x 3 images.
//
// On a 3 x 3 image the eight passes visit one pixel pair each:
//   1: (0,0)->(1,0)  2: (2,2)->(1,2)  3: (2,1)->(1,1)  4: (0,2)->(1,2)
//   5: (0,0)->(0,1)  6: (2,2)->(2,1)  7: (2,0)->(2,1)  8: (0,2)->(0,1)
// (current pixel -> neighbour that is modified).
#include "effects_test_rig.h"

using namespace effects_test;

namespace {

using EffectsDirectional = EffectsTest;

// Black transparent, with one grey pixel at (2, 1).
Img one_grey(int v)
{
    Img in(3, 3);
    in.set(2, 1, {v, v, v, 255});
    return in;
}

TEST_F(EffectsDirectional, ValueBlurAtFullWeightsChangesNothing)
{
    Img in(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) in.set(x, y, {x * 90 + 5, y * 100 + 1, 255 - x * 30 - y * 40, 255 - x * y * 20});
    EXPECT_EQ(run("Value Blur", in, args({1000, 1000})).px, in.px);
}

TEST_F(EffectsDirectional, ValueBlurSpreadsBrightIntoDark)
{
    // P1 = 0.5 (w = 32767) spreads bright into dark, P2 = 1 (w = 65535) keeps.
    // Pass 3: n = (1,1) black, c = grey 200: ((32768 * 200 >> 8) >> 8) = 100,
    // alpha ((32768 * 255 >> 8) >> 8) = 127. Passes 6 and 7 meet the grey from
    // a darker pixel and leave it at full weight.
    Img out = run("Value Blur", one_grey(200), args({500, 1000}));
    Img expected = one_grey(200);
    expected.set(1, 1, {100, 100, 100, 127});
    EXPECT_EQ(out.px, expected.px);
}

TEST_F(EffectsDirectional, NoiseReductionSmoothsSmallSteps)
{
    // P1' = 1 - 1 * 0.5 = 0.5 -> w = 32767; t = trunc(0.5 * 255) = 127.
    // Pass 3: (1,1) = ((32768 * 100 >> 8) >> 8) = 50, alpha 127.
    // Pass 6: (2,1) toward black (2,2): (32767 * 100 >> 8) >> 8 = 12799 >> 8 = 49, alpha 127.
    // Pass 7: (2,1) toward black (2,0): (32767 * 49 >> 8) >> 8 = 24, alpha (32767 * 127 >> 8) >> 8 = 63.
    Img out = run("Noise Reduction", one_grey(100), args({1000, 500}));
    Img expected = one_grey(100);
    expected.set(1, 1, {50, 50, 50, 127});
    expected.set(2, 1, {24, 24, 24, 63});
    EXPECT_EQ(out.px, expected.px);
    EXPECT_DOUBLE_EQ(mve::ipl::named_effect_block().P[1], 0.5);  // the block keeps the replaced value
    // A step of 200 is not below the threshold: an edge survives untouched.
    EXPECT_EQ(run("Noise Reduction", one_grey(200), args({1000, 500})).px, one_grey(200).px);
}

TEST_F(EffectsDirectional, NoiseReductionRgbLeavesAlpha)
{
    // Every channel: w = 32767, t = 255. Colours as in the luminance case:
    // (1,1) 50 after pass 3, (2,1) 49 then 24; alpha stays as it was.
    Img in = one_grey(100);
    in.set(0, 0, {0, 0, 0, 17});
    Img out = run("Noise Reduction RGB", in, args({1000, 1000, 1000, 1000, 1000, 1000}));
    Img expected = in;
    expected.set(1, 1, {50, 50, 50, 0});
    expected.set(2, 1, {24, 24, 24, 255});
    EXPECT_EQ(out.px, expected.px);
}

TEST_F(EffectsDirectional, AntiAliasFillsAStaircaseStep)
{
    // White at (0,0) and (1,1), black elsewhere, all opaque; P1 = P2 = 0.5, T1 = T2 = 0.
    // Pass 1: c (0,0) 255, n (1,0) 0, d (1,1) 255: 255 > 0 and 255 <= 255 -> n = trunc(127.5) = 127.
    // Pass 3: c (2,1) 0, n (1,1) 255, d (1,2) 0: n - c > 0 and 0 <= 0 -> n = 127.
    // No other pass finds a step with the diagonal on the right side.
    Img in(3, 3, {0, 0, 0, 255});
    in.set(0, 0, {255, 255, 255, 255});
    in.set(1, 1, {255, 255, 255, 255});
    Img expected = in;
    expected.set(1, 0, {127, 127, 127, 255});
    expected.set(1, 1, {127, 127, 127, 255});
    EXPECT_EQ(run("Anti Alias", in, args({500, 500, 1000, 1000})).px, expected.px);
}

TEST_F(EffectsDirectional, AdaptiveBlurWeightsTheFourNeighbours)
{
    // Centre 100, left 0, right 40, above 80, below 120. t = (1 - 1) * 255 = 0;
    // the left neighbour is darker -> w = P2 = 0.5.
    // Colour: s = 50; a = 0 + 50 = 50; 20 + 50 + 50 = 120; 40 + 120 + 50 = 210;
    // 60 + 210 + 50 = 320 -> 320 / 4 = 80.
    // Alpha 255: s = 127; 127.5 + 127 -> 254; 127.5 + 254 + 127 -> 508; -> 762; -> 1016 -> 254.
    Img in(3, 3, {0, 0, 0, 0});
    in.set(1, 1, {100, 100, 100, 255});
    in.set(0, 1, {0, 0, 0, 255});
    in.set(2, 1, {40, 40, 40, 255});
    in.set(1, 0, {80, 80, 80, 255});
    in.set(1, 2, {120, 120, 120, 255});
    EXPECT_EQ(run("Adaptive Blur", in, args({1000, 500, 250})).at(1, 1), (Rgba{80, 80, 80, 254}));
    // P1 = 0: t = 255, no neighbour differs that much -> unchanged.
    EXPECT_EQ(run("Adaptive Blur", in, args({0, 500, 250})).px, in.px);
}

TEST_F(EffectsDirectional, DetailBlurReplacesOutliers)
{
    // Centre lum 90 among eight black pixels: m = trunc(90 / 9) = 10, |90 - 10| = 80.
    Img in(3, 3, {0, 0, 0, 255});
    in.set(1, 1, {90, 90, 90, 255});
    // t = trunc(0.2 * 255) = 51 < 80: the 3x3 average (10, 10, 10, 255).
    EXPECT_EQ(run("Detail Blur", in, args({200})).at(1, 1), (Rgba{10, 10, 10, 255}));
    // t = trunc(0.4 * 255) = 102 >= 80: kept.
    EXPECT_EQ(run("Detail Blur", in, args({400})).px, in.px);
}

TEST_F(EffectsDirectional, LineArtCleanerRemovesSpecks)
{
    // Phase 1 with t = 127: the centre (lum 100) turns black, the rest (200) white.
    // Phase 2: m = 8 * 255 / 9 = 226; with t2 = 51, 0 < 226 - 51 -> white again.
    Img in(3, 3, {200, 200, 200, 255});
    in.set(1, 1, {100, 100, 100, 255});
    Img src(1, 1);
    Img out = run("Line Art Cleaner", in, args({500, 200}), &src);
    EXPECT_EQ(out.px, Img(3, 3, {255, 255, 255, 255}).px);
    // The flush after phase 1 copied the thresholded image into the source.
    EXPECT_EQ(src.at(1, 1), (Rgba{0, 0, 0, 255}));
    // t2 = 255: 0 < 226 - 255 fails, the speck stays.
    EXPECT_EQ(run("Line Art Cleaner", in, args({500, 1000})).at(1, 1), (Rgba{0, 0, 0, 255}));
}

TEST_F(EffectsDirectional, BasReliefFollowsTheReference)
{
    // Centre grey 102 (L = 0.4), d = 0.25. Brighter than the reference:
    // L = 0.4 + 0.6 * 0.25 = 0.55 -> 140; darker: 0.4 * 0.75 = 0.3 -> 76.
    Img in(3, 3, {0, 0, 0, 255});
    in.set(1, 1, {102, 102, 102, 255});
    in.set(0, 1, {255, 255, 255, 255});  // left: white
    EXPECT_EQ(run("Bas Relief", in, args({250}, {0})).at(1, 1), (Rgba{76, 76, 76, 255}));
    EXPECT_EQ(run("Bas Relief", in, args({250}, {1})).at(1, 1), (Rgba{140, 140, 140, 255}));  // above: black
    Img diag(3, 3, {0, 0, 0, 255});
    diag.set(1, 1, {102, 102, 102, 255});
    diag.set(0, 0, {255, 255, 255, 255});  // upper left: white
    EXPECT_EQ(run("Bas Relief", diag, args({250}, {2})).at(1, 1), (Rgba{76, 76, 76, 255}));
    EXPECT_EQ(run("Bas Relief", diag, args({250}, {0})).at(1, 1), (Rgba{140, 140, 140, 255}));
}

}  // namespace
