// The image-library operations behind the dispatcher's blocks, worked by
// hand on pictures of a few pixels: quadrilateral warp, brightness
// histogram, contrast mask, bilateral filter, Gaussian noise and scribble.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "imagelib/bilateral.h"
#include "imagelib/contrast_mask.h"
#include "imagelib/histogram.h"
#include "imagelib/noise.h"
#include "imagelib/polygon_warp.h"
#include "imagelib/scribble.h"

using namespace mve::il;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The unit square of a 2 x 2 grey picture [0 100 / 0 100] doubled onto
// (0, 0)..(2, 2) of a 4 x 3 picture: (1, 0) reads source x 0.5 -> 50,
// (2, 2) reads (1, 1) -> 100, (0, 1) reads (0, 0.5) -> 0; column 3 lies
// outside the target and keeps its 7.
TEST(PolygonWarp, MapsTheSquareBilinearly)
{
    const Bytes src = {0, 100, 0, 100};
    Bytes dst(4 * 3, 7);
    const Quad from = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const Quad to = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    ASSERT_EQ(polygon_warp(src.data(), 2, 2, 2, dst.data(), 4, 3, 4, 1, from, to), 1);
    EXPECT_EQ(dst[1], 50);
    EXPECT_EQ(dst[2 * 4 + 2], 100);
    EXPECT_EQ(dst[1 * 4 + 0], 0);
    EXPECT_EQ(dst[2 * 4 + 1], 50);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(dst[y * 4 + 3], 7) << y;
    // A target with two corners on one point has no area: refused, untouched.
    const Quad flat = {{0, 0}, {0, 0}, {2, 2}, {0, 2}};
    Bytes kept(4 * 3, 7);
    EXPECT_EQ(polygon_warp(src.data(), 2, 2, 2, kept.data(), 4, 3, 4, 1, from, flat), 0);
    const Quad line = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    EXPECT_EQ(polygon_warp(src.data(), 2, 2, 2, kept.data(), 4, 3, 4, 1, from, line), 0);
    EXPECT_EQ(kept, Bytes(4 * 3, 7));
    const Quad nan = {{NAN, 0}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_EQ(polygon_warp(src.data(), 2, 2, 2, kept.data(), 4, 3, 4, 1, nan, to), 0);
}

TEST(BrightnessHistogram, CountsTheMeanOfTheColourBytes)
{
    const Bytes px = {30, 60, 90, 1, 0, 0, 1, 200, 255, 255, 255, 0};
    std::uint32_t counts[256];
    ASSERT_EQ(brightness_histogram(px.data(), 3, 1, 4, 12, counts), 1);
    EXPECT_EQ(counts[60], 1u);
    EXPECT_EQ(counts[0], 1u);
    EXPECT_EQ(counts[255], 1u);
    std::uint32_t total = 0;
    for (std::uint32_t c : counts) total += c;
    EXPECT_EQ(total, 3u);
    EXPECT_EQ(brightness_histogram(px.data(), 3, 1, 4, 11, counts), 0);
}

// One pixel of 200: its surroundings are itself, m = 55 / 255, a = 200 / 255,
// s = (1 - 2m) a^2 + 2 m a = 0.688120, 255 s = 175.47 -> 175; at strength
// 0.5 beside green 128 (grey 176, m = 79 / 255, s = 0.719964, 255 s = 183.59),
// 200 + 0.5 (183.59 - 200) = 191.8 -> 192. Grey 128 stays (127.75 -> 128).
TEST(ContrastMask, SoftLightsByTheBlurredNegative)
{
    Bytes px = {200, 200, 200, 9};
    ASSERT_EQ(contrast_mask(px.data(), 1, 1, 4, 4, 2.0, 1.0), 1);
    EXPECT_EQ(px, (Bytes{175, 175, 175, 9}));
    px = {200, 128, 200};
    ASSERT_EQ(contrast_mask(px.data(), 1, 1, 3, 3, 2.0, 0.5), 1);
    EXPECT_EQ(px[0], 192);
    px = {128, 128, 128};
    ASSERT_EQ(contrast_mask(px.data(), 1, 1, 3, 3, 5.0, 1.0), 1);
    EXPECT_EQ(px, (Bytes{128, 128, 128}));
    EXPECT_EQ(contrast_mask(px.data(), 1, 1, 2, 2, 5.0, 1.0), 0);
}

// A step 0 0 200: with a narrow range sigma the far side of the edge has no
// weight and the step stays sharp; with a wide one, pixel 1 is the spatial
// mean 200 * 0.5945 / (0.6065 + 1 + 0.5945) = 54.0 (weights e^-0.5 and
// e^-0.5 * e^-0.02 for the range).
TEST(BilateralFilter, KeepsEdgesTheRangeWeightSeparates)
{
    const Bytes step = {0, 0, 200};
    Bytes out(3, 9);
    ASSERT_EQ(bilateral_filter(step.data(), 3, 1, 1, 3, out.data(), 3, 1.0, 10.0), 1);
    EXPECT_EQ(out, step);
    ASSERT_EQ(bilateral_filter(step.data(), 3, 1, 1, 3, out.data(), 3, 1.0, 1000.0), 1);
    EXPECT_EQ(out[1], 54);
    EXPECT_EQ(bilateral_filter(step.data(), 3, 1, 1, 3, out.data(), 3, 0.0, 10.0), 0);
    EXPECT_EQ(bilateral_filter(step.data(), 3, 1, 1, 3, out.data(), 3, 1.0, -1.0), 0);
}

TEST(GaussianNoise, SpreadMatchesTheAmountAndSeedsRepeat)
{
    const int w = 64, h = 64;
    Bytes grey(static_cast<std::size_t>(w) * h * 4, 128);
    Bytes a = grey, b = grey, c = grey;
    ASSERT_EQ(add_gaussian_noise(a.data(), w, h, 4, w * 4, 1000, 0, 5), 1);
    add_gaussian_noise(b.data(), w, h, 4, w * 4, 1000, 0, 5);
    add_gaussian_noise(c.data(), w, h, 4, w * 4, 1000, 0, 6);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    // Grey noise (channels 0): R = G = B, alpha kept; deviation 1000 / 100 = 10.
    double sum = 0, squares = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        EXPECT_EQ(a[i], a[i + 1]);
        EXPECT_EQ(a[i], a[i + 2]);
        EXPECT_EQ(a[i + 3], 128);
        sum += a[i] - 128.0;
        squares += (a[i] - 128.0) * (a[i] - 128.0);
    }
    const double n = w * h;
    EXPECT_NEAR(sum / n, 0.0, 1.0);
    EXPECT_NEAR(std::sqrt(squares / n), 10.0, 1.0);
    // Coloured noise draws each channel.
    Bytes coloured = grey;
    add_gaussian_noise(coloured.data(), w, h, 4, w * 4, 1000, 1, 5);
    int differing = 0;
    for (std::size_t i = 0; i < coloured.size(); i += 4) differing += coloured[i] != coloured[i + 1];
    EXPECT_GT(differing, w * h / 2);
    EXPECT_EQ(add_gaussian_noise(grey.data(), w, h, 2, w * 2, 1000, 0, 5), 0);
}

// Every inked pixel of a flat (200, 100, 50) picture becomes its colour at
// shade 128: 200 * 128 / 255 = 100, 50, 25; alpha is kept.
TEST(Scribble, InksStrokesInTheStartColourDarkened)
{
    const int w = 20, h = 10;
    Bytes flat(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < flat.size(); i += 4)
        flat[i] = 200, flat[i + 1] = 100, flat[i + 2] = 50, flat[i + 3] = 77;
    Bytes a = flat, b = flat, none = flat;
    // 200 * 5 / 1000 = one stroke of 1 to 6 pixels.
    ASSERT_EQ(scribble(a.data(), w, h, 4, w * 4, 5, 6, 128, 3), 1);
    scribble(b.data(), w, h, 4, w * 4, 5, 6, 128, 3);
    EXPECT_EQ(a, b);
    int inked = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        EXPECT_EQ(a[i + 3], 77);
        if (a[i] == 200) continue;
        ++inked;
        EXPECT_EQ(a[i], 100);
        EXPECT_EQ(a[i + 1], 50);
        EXPECT_EQ(a[i + 2], 25);
    }
    EXPECT_GE(inked, 1);
    EXPECT_LE(inked, 6);
    // Many strokes ink many pixels.
    Bytes many = flat;
    scribble(many.data(), w, h, 4, w * 4, 1000, 6, 128, 3);
    int changed = 0;
    for (std::size_t i = 0; i < many.size(); i += 4) changed += many[i] != 200;
    EXPECT_GT(changed, w * h / 4);
    ASSERT_EQ(scribble(none.data(), w, h, 4, w * 4, 0, 6, 128, 3), 1);
    EXPECT_EQ(none, flat);
}

}  // namespace
