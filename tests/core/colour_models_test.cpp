// Colour models: expected values worked from the conversion formulas.
#include <gtest/gtest.h>

#include <vector>

#include "core/colour_models.h"

namespace mve {
namespace {

TEST(ColourModelsHsv, PrimariesGreyAndTruncation)
{
    const Hsv red = rgb_to_hsv(255, 0, 0);
    EXPECT_DOUBLE_EQ(red.h, 0);
    EXPECT_DOUBLE_EQ(red.s, 1);
    EXPECT_DOUBLE_EQ(red.v, 1);
    EXPECT_DOUBLE_EQ(rgb_to_hsv(0, 0, 255).h, 240);
    EXPECT_DOUBLE_EQ(rgb_to_hsv(0, 255, 0).h, 120);
    // Magenta: r is the maximum, (g - b) / delta = -1 -> -60 + 360.
    EXPECT_DOUBLE_EQ(rgb_to_hsv(255, 0, 255).h, 300);
    const Hsv grey = rgb_to_hsv(128, 128, 128);
    EXPECT_EQ(grey.h, -1);
    EXPECT_EQ(grey.s, 0);
    // HSV to RGB: hue 30 is sector 0 with f = .5, t = .5 -> 127.5 truncated.
    const Rgb8 orange = hsv_to_rgb(30, 1, 1);
    EXPECT_EQ(orange.r, 255);
    EXPECT_EQ(orange.g, 127);
    EXPECT_EQ(orange.b, 0);
    // 360 counts as 0; S = 0 gives V everywhere.
    EXPECT_EQ(hsv_to_rgb(360, 1, 1).r, 255);
    EXPECT_EQ(hsv_to_rgb(360, 1, 1).g, 0);
    EXPECT_EQ(hsv_to_rgb(200, 0, 0.5).b, 127);
    // Sector 4 (240..300): (t, p, V); hue 270: f = .5, t = .5.
    const Rgb8 violet = hsv_to_rgb(270, 1, 1);
    EXPECT_EQ(violet.r, 127);
    EXPECT_EQ(violet.g, 0);
    EXPECT_EQ(violet.b, 255);
}

TEST(ColourModelsHsl, WhitePrimariesAndTruncation)
{
    const Hsl white = rgb_to_hsl(255, 255, 255);
    EXPECT_EQ(white.s, 0);
    EXPECT_EQ(white.l, 1);
    EXPECT_EQ(white.h, 0);
    // Blue: b maximum, dG + 2/3 - dR with dG = dR -> 240; L = .5, S = 1 / (2 - 1) = 1.
    const Hsl blue = rgb_to_hsl(0, 0, 255);
    EXPECT_NEAR(blue.h, 240, 1e-9);
    EXPECT_DOUBLE_EQ(blue.s, 1);
    EXPECT_DOUBLE_EQ(blue.l, 0.5);
    // S .5, L .5: hi = .75, lo = .25 -> red 191.25, green and blue 63.75, truncated.
    const Rgb8 c = hsl_to_rgb(0, 0.5, 0.5);
    EXPECT_EQ(c.r, 191);
    EXPECT_EQ(c.g, 63);
    EXPECT_EQ(c.b, 63);
    // The hue wraps once: -120 is 240, 480 is 120.
    EXPECT_EQ(hsl_to_rgb(-120, 1, 0.5).b, 255);
    EXPECT_EQ(hsl_to_rgb(480, 1, 0.5).g, 255);
    EXPECT_EQ(hsl_to_rgb(10, 0, 0.5).r, 127);
}

TEST(ColourModelsHsl, FloatVariantMatchesDouble)
{
    const RgbF c = hsl_to_rgb_f(0, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(c.r, 0.75f);
    EXPECT_FLOAT_EQ(c.g, 0.25f);
    const HslF h = rgb_to_hsl_f(0, 1, 0);  // green: 120 degrees
    EXPECT_NEAR(h.h, 120, 1e-3);
    EXPECT_FLOAT_EQ(h.s, 1);
    // Round trip on a few byte colours within one step of truncation.
    for (int r = 0; r < 256; r += 51)
        for (int g = 0; g < 256; g += 85)
            for (int b = 0; b < 256; b += 64) {
                const Hsl d = rgb_to_hsl(r, g, b);
                const HslF f = rgb_to_hsl_f(r / 255.0f, g / 255.0f, b / 255.0f);
                EXPECT_NEAR(d.h, f.h, 1e-2);
                EXPECT_NEAR(d.l, f.l, 1e-5);
                const Rgb8 back = hsl_to_rgb(d.h, d.s, d.l);
                EXPECT_NEAR(back.r, r, 1);
                EXPECT_NEAR(back.g, g, 1);
                EXPECT_NEAR(back.b, b, 1);
            }
}

TEST(ColourModelsLab, WhiteBlackAndRoundTrip)
{
    // White: X 95.05, Y 100, Z 108.9, all within a hair of the reference white.
    const Lab white = rgb_to_lab(255, 255, 255);
    EXPECT_NEAR(white.l, 100, 0.01);
    EXPECT_NEAR(white.a, 0, 0.02);
    EXPECT_NEAR(white.b, 0, 0.02);
    const Lab black = rgb_to_lab(0, 0, 0);
    EXPECT_NEAR(black.l, 0, 1e-9);
    // Linear segment below 0.04045: 10/255 / 12.92 x 100 x 0.2126 ...
    const Xyz dark = rgb_to_xyz(10, 0, 0);
    EXPECT_NEAR(dark.y, 10 / 255.0 / 12.92 * 100 * 0.2126, 1e-9);
    const Rgb8 back =
        lab_to_rgb(rgb_to_lab(200, 100, 50).l, rgb_to_lab(200, 100, 50).a, rgb_to_lab(200, 100, 50).b);
    EXPECT_NEAR(back.r, 200, 1);
    EXPECT_NEAR(back.g, 100, 1);
    EXPECT_NEAR(back.b, 50, 1);
    // Out-of-gamut XYZ clamps to the byte range.
    const Rgb8 over = xyz_to_rgb(200, 200, 200);
    EXPECT_EQ(over.r, 255);
    const Rgb8 under = xyz_to_rgb(0, 0, 100);  // R = -0.4986 (held at 0), B = 1.057 (held at 255)
    EXPECT_EQ(under.r, 0);
    EXPECT_EQ(under.b, 255);
}

TEST(ColourModelsCmyk, BlackPrimariesAndTruncation)
{
    const Cmyk black = rgb_to_cmyk(0, 0, 0);
    EXPECT_EQ(black.k, 1);
    EXPECT_EQ(black.c + black.m + black.y, 0);
    const Cmyk red = rgb_to_cmyk(255, 0, 0);
    EXPECT_EQ(red.k, 0);
    EXPECT_EQ(red.c, 0);
    EXPECT_EQ(red.m, 1);
    const Rgb8 back = cmyk_to_rgb(0, 1, 1, 0);
    EXPECT_EQ(back.r, 255);
    EXPECT_EQ(back.g, 0);
    // (1 - .5) x 255 = 127.5 -> 127; K .5 with C 0: c' = .5.
    EXPECT_EQ(cmy_to_rgb(0.5, 0.5, 0.5).r, 127);
    EXPECT_EQ(cmyk_to_rgb(0, 0, 0, 0.5).b, 127);
}

TEST(ColourModelsAbsent, SearchOrder)
{
    // No pure black: 0.
    std::vector<std::uint8_t> img = {10, 20, 30, 255, 255, 255, 255, 0};
    EXPECT_EQ(find_absent_colour(img.data(), 2, 1), 0);
    // Black and red 1 present (alpha ignored): red 2 is the first absent.
    img = {0, 0, 0, 0, 1, 0, 0, 255};
    EXPECT_EQ(find_absent_colour(img.data(), 1, 2), 2);
    // Every red with green 0, blue 0: the next green, (0, 1, 0) = 256.
    img.clear();
    for (int r = 0; r < 256; ++r) img.insert(img.end(), {static_cast<std::uint8_t>(r), 0, 0, 255});
    EXPECT_EQ(find_absent_colour(img.data(), 16, 16), 256);
    EXPECT_EQ(find_absent_colour(nullptr, 16, 16), 0);
}

}  // namespace
}  // namespace mve
