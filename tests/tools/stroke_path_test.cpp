// The demo host's stroke walker: dab spacing, pressure ramps, tapers and the
// direction handed to each dab, worked by hand on short straight strokes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mve/stroke_path.h"

namespace {

using mve_host::StrokeDab;
using mve_host::StrokePoint;
using mve_host::StrokeStyle;

std::vector<StrokeDab> walk(const std::vector<StrokePoint>& pts, const StrokeStyle& style)
{
    std::vector<StrokeDab> dabs;
    const int n = mve_host::walk_stroke(pts, style, [&](const StrokeDab& d) { dabs.push_back(d); });
    EXPECT_EQ(n, static_cast<int>(dabs.size()));
    return dabs;
}

TEST(StrokePath, StraightLineSpacedByAQuarterDiameter)
{
    // Size 16, spacing 0.25: one dab every 4 px over 100 px -> x = 0, 4, ..., 100,
    // 26 dabs, t = x / 100, heading right (0 degrees), full size and opacity.
    StrokeStyle style;
    style.size = 16;
    const auto dabs = walk({{0, 0, 1}, {100, 0, 1}}, style);
    ASSERT_EQ(dabs.size(), 26u);
    for (std::size_t i = 0; i < dabs.size(); ++i) {
        EXPECT_NEAR(dabs[i].x, 4.0 * i, 1e-6) << i;
        EXPECT_NEAR(dabs[i].y, 0.0, 1e-9) << i;
        EXPECT_NEAR(dabs[i].t, 0.04 * i, 1e-9) << i;
        EXPECT_NEAR(dabs[i].angle, 0.0, 1e-9) << i;
        EXPECT_EQ(dabs[i].size, 16);
        EXPECT_EQ(dabs[i].alpha, 100);
    }
}

TEST(StrokePath, DirectionFollowsTravel)
{
    // y grows downward on the canvas: a stroke down is 90 degrees, leftward 180.
    StrokeStyle style;
    style.size = 8;
    for (const auto& d : walk({{10, 0, 1}, {10, 30, 1}}, style)) EXPECT_NEAR(d.angle, 90.0, 1e-9);
    for (const auto& d : walk({{30, 5, 1}, {0, 5, 1}}, style)) EXPECT_NEAR(std::fabs(d.angle), 180.0, 1e-9);
}

TEST(StrokePath, PressureRampSetsSizeOpacityAndNextStep)
{
    // Pressure 0 -> 1 over 100 px; size 20 with minSize 0.5, alpha 100 with minAlpha 0.25.
    // Dab 0 at x 0: p 0 -> size 10, alpha 25; next step 0.25 * 10 = 2.5 px.
    // Dab 1 at x 2.5: p 0.025 -> size round(20 * 0.5125) = 10,
    //                 alpha round(100 * (0.25 + 0.75 * 0.025)) = round(26.875) = 27.
    StrokeStyle style;
    style.size = 20;
    style.minSize = 0.5;
    style.minAlpha = 0.25;
    const auto dabs = walk({{0, 0, 0}, {100, 0, 1}}, style);
    ASSERT_GE(dabs.size(), 3u);
    EXPECT_EQ(dabs[0].size, 10);
    EXPECT_EQ(dabs[0].alpha, 25);
    EXPECT_NEAR(dabs[1].x, 2.5, 1e-6);
    EXPECT_NEAR(dabs[1].pressure, 0.025, 1e-6);
    EXPECT_EQ(dabs[1].size, 10);
    EXPECT_EQ(dabs[1].alpha, 27);
    for (std::size_t i = 1; i < dabs.size(); ++i) {
        EXPECT_GE(dabs[i].size, dabs[i - 1].size);
        // Each step is a quarter of the previous dab's diameter.
        EXPECT_NEAR(dabs[i].x - dabs[i - 1].x, 0.25 * dabs[i - 1].size, 1e-6) << i;
    }
    // Steps are at most 0.25 * 20 = 5 px, so the last dab lies at x >= 95,
    // p >= 0.95: size >= 20 * 0.975 = 19.5, alpha >= 100 * (0.25 + 0.75 * 0.95) = 96.25.
    EXPECT_GE(dabs.back().x, 95.0);
    EXPECT_GE(dabs.back().size, 19);
    EXPECT_GE(dabs.back().alpha, 96);
}

TEST(StrokePath, TaperInStartsAtOnePixelAndStepsAtLeastOnePixel)
{
    // Size 40, minSize 0, taper over the first half of a 100 px line: pressure = 2t.
    // x 0: p 0 -> size max(1, 0) = 1, step max(1, 0.25) = 1.
    // x 1: p 0.02 -> size round(0.8) = 1, step 1.
    // x 2: p 0.04 -> size round(1.6) = 2, step max(1, 0.5) = 1.
    // x 3: p 0.06 -> size round(2.4) = 2.
    StrokeStyle style;
    style.size = 40;
    style.minSize = 0;
    style.taperIn = 0.5;
    const auto dabs = walk({{0, 0, 1}, {100, 0, 1}}, style);
    ASSERT_GE(dabs.size(), 4u);
    const int sizes[] = {1, 1, 2, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(dabs[i].x, double(i), 1e-6) << i;
        EXPECT_EQ(dabs[i].size, sizes[i]) << i;
    }
}

TEST(StrokePath, TaperOutAndClamp)
{
    StrokeStyle style;
    style.taperOut = 0.25;
    // At t 0.9 the tail ramp is (1 - 0.9) / 0.25 = 0.4.
    EXPECT_NEAR(mve_host::tapered_pressure(style, 1.0, 0.9), 0.4, 1e-12);
    // Before the tail nothing changes; pressure above 1 is held at 1.
    EXPECT_NEAR(mve_host::tapered_pressure(style, 0.5, 0.5), 0.5, 1e-12);
    EXPECT_NEAR(mve_host::tapered_pressure(style, 3.0, 0.0), 1.0, 1e-12);
    // Opacity never leaves 1..100 percent.
    style.alpha = 100;
    style.minAlpha = 0;
    EXPECT_EQ(mve_host::dab_alpha(style, 0.0), 1);
    EXPECT_EQ(mve_host::dab_alpha(style, 1.0), 100);
}

TEST(StrokePath, SinglePointAndNoPoints)
{
    StrokeStyle style;
    style.size = 12;
    const auto one = walk({{7, 9, 1}}, style);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].x, 7);
    EXPECT_EQ(one[0].y, 9);
    EXPECT_EQ(one[0].t, 0);
    EXPECT_EQ(one[0].size, 12);
    EXPECT_TRUE(walk({}, style).empty());
}

TEST(StrokePath, CurvePassesThroughItsPointsWithEvenSpacing)
{
    // Through (0,0), (50,50), (100,0): the tangent at the middle point is
    // (P2 - P0) / 2 = (50, 0), horizontal. Size 4 -> one dab per pixel of arc,
    // so some dab lies within half a pixel of (50, 50), and chords between
    // neighbours are at most 1 px and barely shorter on this gentle curve.
    StrokeStyle style;
    style.size = 4;
    const auto dabs = walk({{0, 0, 1}, {50, 50, 1}, {100, 0, 1}}, style);
    ASSERT_GT(dabs.size(), 100u);
    std::size_t apex = 0;
    double best = 1e9;
    for (std::size_t i = 0; i < dabs.size(); ++i) {
        const double d = std::hypot(dabs[i].x - 50, dabs[i].y - 50);
        if (d < best) best = d, apex = i;
        if (i > 0) {
            const double chord = std::hypot(dabs[i].x - dabs[i - 1].x, dabs[i].y - dabs[i - 1].y);
            EXPECT_LE(chord, 1.0 + 1e-9) << i;
            EXPECT_GE(chord, 0.95) << i;
            EXPECT_GT(dabs[i].t, dabs[i - 1].t);
        }
    }
    EXPECT_LT(best, 0.5);
    EXPECT_LT(std::fabs(dabs[apex].angle), 5.0);
    EXPECT_GT(dabs.front().angle, 0);  // first half heads down and right
    EXPECT_LT(dabs.back().angle, 0);   // second half heads up and right
    EXPECT_NEAR(dabs.back().t, 1.0, 0.02);
}

}  // namespace
