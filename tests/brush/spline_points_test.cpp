// Spline points: controls (0, 0), (50, 100), (100, 0) give C = 2 P1 - (P0 +
// P2) / 2 = (50, 200), so B(t) = (100 t, 400 t (1 - t)) at t = i / 99.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "brush/spline_points.h"
#include "morvane/morvane.h"

namespace {

TEST(SplinePoints, ReadBeforeAnyCurveIsZero)
{
    // The point count is 0: "the last point" would be entry -1.
    EXPECT_EQ(MVE_GetSplinePointCount(), 0);
    EXPECT_EQ(MVE_GetSplinePointX(0), 0);
    EXPECT_EQ(MVE_GetSplinePointY(4000000000u), 0);
}

TEST(SplinePoints, ThroughTheControlsTruncated)
{
    MVE_CalcSpline3(0, 0, 50, 100, 100, 0, 12345);
    EXPECT_EQ(MVE_GetSplinePointCount(), 100);
    EXPECT_EQ(MVE_GetSplinePointX(0), 0);
    EXPECT_EQ(MVE_GetSplinePointY(0), 0);
    EXPECT_EQ(MVE_GetSplinePointX(99), 100);
    EXPECT_EQ(MVE_GetSplinePointY(99), 0);
    // i = 49: t = 0.494949..., x = 49.49 -> 49, y = 400 t (1 - t) = 99.9898 -> 99.
    EXPECT_EQ(MVE_GetSplinePointX(49), 49);
    EXPECT_EQ(MVE_GetSplinePointY(49), 99);
    // i = 10: t = 0.10101, y = 400 * 0.10101 * 0.89899 = 36.32 -> 36.
    EXPECT_EQ(MVE_GetSplinePointY(10), 36);
    // At or past the count: the last point.
    EXPECT_EQ(MVE_GetSplinePointX(100), 100);
    EXPECT_EQ(MVE_GetSplinePointX(4294967295u), 100);
}

TEST(SplinePoints, TheMiddleControlLiesOnTheCurve)
{
    // Uneven controls: the segment between samples 49 and 50 passes P1.
    mve::SplineState s;
    mve::brush::calc_spline3(s, 10, 300, 200, 40, 260, 280);
    const double ax = s.x[49], ay = s.y[49], bx = s.x[50], by = s.y[50];
    const double px = 200, py = 40;
    const double t =
        ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / ((bx - ax) * (bx - ax) + (by - ay) * (by - ay));
    const double cx = ax + std::clamp(t, 0.0, 1.0) * (bx - ax), cy = ay + std::clamp(t, 0.0, 1.0) * (by - ay);
    EXPECT_LT(std::hypot(px - cx, py - cy), 0.5);
}

TEST(SplinePoints, NegativeArgumentsEnterAsUnsigned)
{
    // -10 enters as 4294967286, beyond the int range: the getter saturates.
    MVE_CalcSpline3(-10, 5, 0, 5, 0, 5, 0);
    EXPECT_EQ(MVE_GetSplinePointX(0), INT_MAX);
    EXPECT_EQ(MVE_GetSplinePointY(0), 5);
    EXPECT_EQ(MVE_GetSplinePointX(99), 0);
}

}  // namespace
