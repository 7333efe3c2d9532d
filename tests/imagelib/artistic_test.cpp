// The artistic, tone, halftone, noise and sharpen operations of the image
// library on tiny RGB24 pictures, worked by hand.
#include <gtest/gtest.h>

#include <vector>

#include "core/runtime.h"
#include "imagelib/artistic.h"
#include "imagelib/artistic_tones.h"
#include "imagelib/halftone.h"
#include "imagelib/noise_patterns.h"
#include "imagelib/sharpen.h"

using namespace mve::il;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Grey RGB24 pixels, one value each.
Bytes greys(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values) out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
    return out;
}

// The red channel of an RGB24 picture.
std::vector<int> reds(const Bytes& rgb)
{
    std::vector<int> out;
    for (std::size_t k = 0; k < rgb.size(); k += 3) out.push_back(rgb[k]);
    return out;
}

}  // namespace

TEST(OilPaint, TakesTheMeanOfTheCommonestBandDarkerOnTies)
{
    // 3 x 1, radius 1, 2 bands: 10 and 20 fall in band 0 ((R+G+B) * 2 / 768 = 0),
    // 250 in band 1. x = 0 sees {10, 20}: 15; x = 1 sees {10, 20 | 250}: 15;
    // x = 2 sees {20 | 250}, a tie, the darker band: 20.
    const Bytes src = greys({10, 20, 250});
    Bytes dst(src.size());
    ASSERT_EQ(oil_paint_rgb24(src.data(), dst.data(), 3, 1, 1, 2), 1);
    EXPECT_EQ(dst, greys({15, 15, 20}));
    EXPECT_EQ(oil_paint_rgb24(src.data(), dst.data(), 3, 1, 1, 1), 0);  // fewer than 2 bands
}

TEST(DustAndScratches, ReplacesOnlySpecksBeyondTheThreshold)
{
    // 3 x 3 of 100 with a 250 speck in the middle; every 3 x 3 median is 100.
    const Bytes src = greys({100, 100, 100, 100, 250, 100, 100, 100, 100});
    Bytes dst(src.size());
    ASSERT_EQ(dust_and_scratches_rgb24(src.data(), dst.data(), 3, 3, 1, 20), 1);
    EXPECT_EQ(dst, greys({100, 100, 100, 100, 100, 100, 100, 100, 100}));
    // |250 - 100| = 150 is within a threshold of 200: kept.
    ASSERT_EQ(dust_and_scratches_rgb24(src.data(), dst.data(), 3, 3, 1, 200), 1);
    EXPECT_EQ(dst, src);
}

TEST(ToneTables, PosterizeBandsAndTheFastPathMatchTheTable)
{
    // 3 levels: band v * 3 / 256 -> (band * 255 + 1) / 2: 0, 128, 255.
    const ToneTable t = posterize_table(3);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[85], 0);
    EXPECT_EQ(t[86], 128);
    EXPECT_EQ(t[170], 128);
    EXPECT_EQ(t[171], 255);
    EXPECT_EQ(t[255], 255);
    // Half a megabyte (the pair-table path) mapped both ways; an odd length
    // leaves a tail for the byte loop.
    Bytes src(512 * 1024 + 7), fast(src.size()), plain(src.size());
    for (std::size_t k = 0; k < src.size(); ++k) src[k] = static_cast<std::uint8_t>(k * 7 + k / 251);
    const ToneTable s = solarize_table(100);
    mve::set_fast_paths(true);
    apply_tone_table(s, src.data(), fast.data(), src.size());
    mve::set_fast_paths(false);
    apply_tone_table(s, src.data(), plain.data(), src.size());
    mve::set_fast_paths(true);
    EXPECT_EQ(fast, plain);
    EXPECT_EQ(fast[1], 7);           // 7 <= 100 kept
    EXPECT_EQ(fast[20], 255 - 140);  // 140 > 100 inverted
}

TEST(Halftone, InkCoversTheShareOfTheTone)
{
    // White takes no ink, black is inked everywhere, and a grey of 128
    // inks about 1 - 128 / 255 = 0.498 of the pixels of each screen.
    const int n = 60;
    Bytes dst(n * n * 3);
    for (const auto& [level, lo, hi] :
         {std::tuple{255, 0.0, 0.0}, std::tuple{0, 1.0, 1.0}, std::tuple{128, 0.45, 0.55}}) {
        const Bytes src(n * n * 3, static_cast<std::uint8_t>(level));
        ASSERT_EQ(halftone_rgb24(src.data(), dst.data(), n, n, 6, 0), 1);
        for (int c = 0; c < 3; ++c) {
            int inked = 0;
            for (int k = 0; k < n * n; ++k) {
                ASSERT_TRUE(dst[k * 3 + c] == 0 || dst[k * 3 + c] == 255);
                inked += dst[k * 3 + c] == 0;
            }
            EXPECT_GE(inked, lo * n * n) << "level " << level << " channel " << c;
            EXPECT_LE(inked, hi * n * n) << "level " << level << " channel " << c;
        }
    }
}

TEST(FractalNoise, IsMidGreyOnTheLatticeAndReproducesFromItsSeed)
{
    // Gradient noise is 0 on every lattice point: with cells of 8 pixels and
    // one octave, pixels (0, 0), (8, 0) and (8, 8) are 128 (turbulence: 0).
    const int n = 9;
    Bytes a(n * n * 3, 0), b(n * n * 3, 0), c(n * n * 3, 0);
    ASSERT_EQ(fractal_noise_rgb24(a.data(), n, n, 8, 1, NoiseKind::Plain, 42), 1);
    for (int k : {0, 8, 8 * n + 8}) EXPECT_EQ(a[k * 3], 128) << k;
    ASSERT_EQ(fractal_noise_rgb24(b.data(), n, n, 8, 1, NoiseKind::Plain, 42), 1);
    EXPECT_EQ(a, b);
    ASSERT_EQ(fractal_noise_rgb24(c.data(), n, n, 8, 1, NoiseKind::Turbulence, 42), 1);
    for (int k : {0, 8, 8 * n + 8}) EXPECT_EQ(c[k * 3], 0) << k;
    EXPECT_NE(reds(a), std::vector<int>(n * n, 128));  // not flat between the lattice points
}

TEST(ColourNoise, AmountZeroKeepsThePictureAndOneReproduces)
{
    const Bytes picture = greys({10, 60, 110, 160, 210, 250});
    Bytes a = picture, b = picture;
    ASSERT_EQ(colour_noise_rgb24(a.data(), 3, 2, 0.0, 9), 1);
    EXPECT_EQ(a, picture);
    ASSERT_EQ(colour_noise_rgb24(a.data(), 3, 2, 1.0, 9), 1);
    ASSERT_EQ(colour_noise_rgb24(b.data(), 3, 2, 1.0, 9), 1);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, picture);
}

TEST(SharpenMore, AddsTheDifferenceFromTheRingOfNeighbours)
{
    // 3 x 1 of 100, 200, 100 (edges repeated, so the rows above and below
    // are the row itself). Middle: ring 1000 / 8 = 125, 200 + 75 -> 255;
    // ends: ring (5 * 100 + 3 * 200) / 8 = 137.5, 100 - 37.5 = 62.5 -> 63.
    const Bytes src = greys({100, 200, 100});
    Bytes dst(src.size());
    ASSERT_EQ(sharpen_3x3(src.data(), 3, 1, 3, dst.data(), 1.0), 1);
    EXPECT_EQ(dst, greys({63, 255, 63}));
    // Amount 0.5: 200 + 37.5 = 237.5 -> 238; 100 - 18.75 -> 81.
    ASSERT_EQ(sharpen_3x3(src.data(), 3, 1, 3, dst.data(), 0.5), 1);
    EXPECT_EQ(dst, greys({81, 238, 81}));
}

TEST(UnsharpMaskSigma, MatchesTheRadiusFormAtTheSameSigma)
{
    // Radius 1 is sigma 0.5: both forms blur alike, so a 5 x 5 spot of 150 on
    // 100 sharpens to 169 in the middle, 96 beside it and 99 at its corners.
    Bytes src = greys(std::initializer_list<int>{});
    for (int k = 0; k < 25; ++k) {
        const std::uint8_t v = k == 12 ? 150 : 100;
        src.insert(src.end(), {v, v, v});
    }
    Bytes dst(src.size());
    ASSERT_EQ(unsharp_mask_sigma(src.data(), 5, 5, 3, 15, dst.data(), 15, 1.0, 0.5, 0), 1);
    EXPECT_EQ(dst[12 * 3], 169);
    EXPECT_EQ(dst[7 * 3], 96);
    EXPECT_EQ(dst[6 * 3], 99);
    EXPECT_EQ(dst[0], 100);
    // Sigma 0 blurs nothing, so nothing differs from its blur.
    ASSERT_EQ(unsharp_mask_sigma(src.data(), 5, 5, 3, 15, dst.data(), 15, 1.0, 0.0, 0), 1);
    EXPECT_EQ(dst, src);
}
