// The per-pixel formulas of a dab, one group per step, worked by hand.
#include <gtest/gtest.h>

#include "paint/dab_pixel.h"

using namespace mve;
using namespace mve::dab;

TEST(DabPixel, CoverageFromOpacityTextureAndMask)
{
    // 100 %: unscaled; 50 % (scaled 64): (40000 * 64) >> 7 = 20000.
    EXPECT_EQ(opacity_coverage(40000, 100, 128), 40000u);
    EXPECT_EQ(opacity_coverage(40000, 50, 64), 20000u);
    // Texture 255 keeps k, 0 removes it, 128: (128 * 40000) >> 8 = 20000.
    EXPECT_EQ(texture_coverage(40000, 255), 40000u);
    EXPECT_EQ(texture_coverage(40000, 0), 0u);
    EXPECT_EQ(texture_coverage(40000, 128), 20000u);
    // Mask 65535 keeps k; 32768: (32768 * 40000) >> 16 = 20000.
    EXPECT_EQ(mask_coverage(40000, 65535), 40000u);
    EXPECT_EQ(mask_coverage(40000, 32768), 20000u);
}

TEST(DabPixel, ColourAndLuminanceVariation)
{
    // n = 5: (4 - 2 * (b % 5)) * 128. b = 7: 4 - 4 = 0; b = 4: (4 - 8) * 128 = -512; b = 0: +512.
    EXPECT_EQ(vary_colour(1000, 5, 7), 1000u);
    EXPECT_EQ(vary_colour(1000, 5, 4), 488u);
    EXPECT_EQ(vary_colour(100, 5, 4), 0u);        // clamped at 0
    EXPECT_EQ(vary_colour(65300, 5, 0), 65535u);  // clamped at 65535
    // n = 64, b = 100: f = (96 + 36) / 256 = 0.515625: c + 0.03125 (65535 - c); 1535 + 2000.
    EXPECT_EQ(vary_luminance(1535, luminance_factor(64, 100)), 3535u);
    // b = 0: f = 96 / 256 = 0.375: c - c * 0.25; 40000 -> 30000.
    EXPECT_EQ(vary_luminance(40000, luminance_factor(64, 0)), 30000u);
    // Primary pull q = 64 toward 65280: (1000 * 192 + 65280 * 64) >> 8 = 750 + 16320.
    EXPECT_EQ(primary_pull(1000, 64, 65280u * 64), 17070u);
}

TEST(DabPixel, AlphaAwareCodes)
{
    const Px red = {65280, 0, 0, 65535};
    const Px blueOpaque = {0, 0, 65280, 65535};
    // Nothing below: S with alpha (32768 * 65535) >> 16 = 32767.
    Px r = compose_low({false, false, 32}, red, {1, 2, 3, 0}, 32768);
    EXPECT_EQ(r, (Px{65280, 0, 0, 32767}));
    // Source over, k = 32768: a = 32767, Ra = 0 + 65535.
    // Red: (32767 * 65280) & 0xFFFF0000 = 2139029504, / 65535 = 32639.
    // Blue: d' = 65279, 32768 * 65279 & 0xFFFF0000 = 2139029504 -> 32639.
    r = compose_low({false, false, 32}, red, blueOpaque, 32768);
    EXPECT_EQ(r, (Px{32639, 0, 32639, 65535}));
    // Wet mix (pick-up, 32): Ra = ((8388480 + 8388480) >> 8) = 65535;
    // red = ((32768 * 65280) >> 8) >> 8 = 32640; blue = 32640 likewise.
    r = compose_low({true, false, 32}, red, blueOpaque, 32768);
    EXPECT_EQ(r, (Px{32640, 0, 32640, 65535}));
    // Wet mix with a transparent source keeps D's colour.
    r = compose_low({true, false, 32}, {65280, 0, 0, 0}, blueOpaque, 32768);
    EXPECT_EQ(r[2], 65280u);
    EXPECT_EQ(r[0], 0u);
    // Erase: ((65535 - 16384) * 40000) >> 16 = 29999, colour kept.
    r = compose_low({false, true, 32}, {65535, 65535, 65535, 0}, {7, 8, 9, 40000}, 16384);
    EXPECT_EQ(r, (Px{7, 8, 9, 29999}));
    // Multiply with alpha on white: a = 65535, s' = 32767, d' = 65534, Ra = 65535,
    // colour = (65534 * 32767) / 65535 = 32766.
    r = compose_low({false, false, 33}, {32768, 32768, 32768, 65535}, {65535, 65535, 65535, 65535}, 65535);
    EXPECT_EQ(r, (Px{32766, 32766, 32766, 65535}));
}

TEST(DabPixel, ThinDestinationIsPulledTowardPaint)
{
    const Px S = {65535, 65535, 65535, 65535};
    // Da = 32768, k = 65535: w = min(65535, 32766 * 3) = 65535;
    // D = ((65535 * 65535) >> 8) >> 8 = 16776704 >> 8 = 65534 (4294836225 = 256 * 16776704 + 1).
    Px D = {0, 0, 0, 32768};
    pull_destination(D, S, 65535);
    EXPECT_EQ(D, (Px{65534, 65534, 65534, 32768}));
    // Da = 0 takes S's colour; an opaque destination stays.
    D = {1, 2, 3, 0};
    pull_destination(D, {10, 20, 30, 5}, 100);
    EXPECT_EQ(D, (Px{10, 20, 30, 0}));
    D = {1, 2, 3, 65535};
    pull_destination(D, S, 65535);
    EXPECT_EQ(D, (Px{1, 2, 3, 65535}));
}

TEST(DabPixel, TableCodesWithStrengthAndCoverageBlend)
{
    PaintMixInputs in;
    in.code = 36;  // max, with the strength blend
    const Px S = {20000, 20000, 20000, 65535};
    Px D = {40000, 40000, 40000, 65535};
    // B = max = 40000; t = 128: ((20000 * 128) >> 4) + ((40000 * 128) >> 4) = 480000 >> 4 = 30000.
    Px B = blend_high(in, 128, S, D);
    EXPECT_EQ(B, (Px{30000, 30000, 30000, 65535}));
    // Coverage 32768: x = 3840000 + 5120000 = 8960000, >> 8 = 35000, + 1; Ra = 65535.
    EXPECT_EQ(coverage_blend(B, D, 32768), (Px{35001, 35001, 35001, 65535}));
    // Full coverage keeps B as it is.
    EXPECT_EQ(coverage_blend(B, D, 65535), B);

    // Screen at t = 256: 65535 - ((25535 * 45567) >> 16) = 65535 - 17754 = 47781.
    in.code = 34;
    D = {40000, 40000, 40000, 65535};
    B = blend_high(in, 256, {19968, 19968, 19968, 65535}, D);
    EXPECT_EQ(B[0], 47781u);

    // Code 340: grey paint, alpha from the mean (30000 + 60000 + 0) / 3; D greyed too.
    in.code = 340;
    D = {1, 2, 3, 65535};
    B = blend_high(in, 0, {30000, 60000, 0, 65535}, D);
    EXPECT_EQ(B, (Px{32767, 32767, 32767, 30000}));
    EXPECT_EQ(D, (Px{32767, 32767, 32767, 65535}));

    // Code 256 on dark paint (L = 3000 < 20479) keeps D and Da.
    in.code = 256;
    D = {100, 200, 300, 4000};
    EXPECT_EQ(blend_high(in, 256, {3000, 3000, 3000, 65535}, D), D);

    // Code 295 drops the low k = 4 bits and has no strength blend: 0x123F -> 0x1230.
    in.code = 295;
    in.shift = 4;
    D = {0, 0, 0, 65535};
    EXPECT_EQ(blend_high(in, 0, {0x123F, 0x123F, 0x123F, 50000}, D), (Px{0x1230, 0x1230, 0x1230, 50000}));
}

TEST(DabPixel, RemixIntoBlendBuffer)
{
    // s = 64: colour ((20000 * 192 + 64 * 60000) >> 8) + 1 = 30001, alpha 65535.
    EXPECT_EQ(remix({60000, 60000, 60000, 65535}, {20000, 20000, 20000, 65535}, 64),
              (Px{30001, 30001, 30001, 65535}));
    // Transparent paint: D's colour with (40000 * 192) >> 8 = 30000.
    EXPECT_EQ(remix({1, 1, 1, 0}, {5, 6, 7, 40000}, 64), (Px{5, 6, 7, 30000}));
    // Nothing below: S's colour with (40000 * 64) >> 8 = 10000.
    EXPECT_EQ(remix({5, 6, 7, 40000}, {1, 1, 1, 0}, 64), (Px{5, 6, 7, 10000}));
    // Colours are capped: ((65535 * 256) >> 8) + 1 would be 65536.
    EXPECT_EQ(remix({65535, 0, 0, 65535}, {65535, 0, 0, 65535}, 128)[0], 65535u);
}

TEST(DabPixel, AlphaWriteRules)
{
    u32 a = 0;
    AlphaRules erase{true, true, 0, true};  // blob-locked erase
    EXPECT_FALSE(alpha_to_write(erase, 8191, 0, 65535, a));  // at or below 8191: untouched
    ASSERT_TRUE(alpha_to_write(erase, 8192, 100, 65535, a));
    EXPECT_EQ(a, 9216u);                                      // never below 9216
    ASSERT_TRUE(alpha_to_write(erase, 65535, 20000, 65535, a));
    EXPECT_EQ(a, 20000u);
    erase.blob = false;
    ASSERT_TRUE(alpha_to_write(erase, 100, 3, 65535, a));
    EXPECT_EQ(a, 3u);

    AlphaRules paint{true, true, 0, false};
    EXPECT_FALSE(alpha_to_write(paint, 9000, 8000, 65535, a));  // blob: Ra must be above 8191 too
    ASSERT_TRUE(alpha_to_write(paint, 9000, 9000, 65535, a));
    EXPECT_EQ(a, 9000u);
    paint.blob = false;
    paint.level = 30000;  // fixed alpha level, then the mask cap
    ASSERT_TRUE(alpha_to_write(paint, 0, 100, 65535, a));
    EXPECT_EQ(a, 30000u);
    ASSERT_TRUE(alpha_to_write(paint, 0, 100, 20000, a));
    EXPECT_EQ(a, 20000u);
    paint.writable = false;  // background layer, locks
    EXPECT_FALSE(alpha_to_write(paint, 0, 100, 65535, a));
}

TEST(DabPixel, MaskPaintAndRemix)
{
    // m = 65535, v = 0, k = 32768: ((32768 * 65535) >> 8) >> 8 = 32767.
    EXPECT_EQ(mask_paint(65535, 0, 32768), 32767u);
    // Full coverage reaches v: ((1 * 65535) >> 8) + ((65535 * 1000) >> 8) = 255 + 255996 -> >> 8 = 1000.
    EXPECT_EQ(mask_paint(65535, 1000, 65535), 1000u);
    // s = 128: ((65535 * 128 + 0) >> 8) + 1 = 32768; the cap holds at 65535.
    EXPECT_EQ(mask_remix(65535, 0, 128), 32768u);
    EXPECT_EQ(mask_remix(65535, 65535, 128), 65535u);
}
