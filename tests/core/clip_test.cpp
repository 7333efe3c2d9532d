// The clipping helper every rectangle, point and stride goes through.
#include <gtest/gtest.h>

#include <climits>

#include "core/clip.h"

namespace mve {
namespace {

TEST(ClipRect, IntersectsWithThePlaneInWideArithmetic)
{
    // (-2, 1, 5, 10) on a 4 x 6 plane: columns -2..2 -> 0..2, rows 1..10 -> 1..5.
    const ClipRect a = clip_rect(-2, 1, 5, 10, 4, 6);
    EXPECT_EQ(a.x0, 0);
    EXPECT_EQ(a.y0, 1);
    EXPECT_EQ(a.x1, 3);
    EXPECT_EQ(a.y1, 6);
    EXPECT_EQ(a.width() * 10 + a.height(), 35);
    // Sums that overflow 32 bits: INT_MAX + 5 lies right of the plane,
    // INT_MIN + INT_MAX = -1 ends left of it, INT_MIN with a huge width
    // covers all of it.
    EXPECT_TRUE(clip_rect(INT_MAX, 0, 5, 1, 4, 6).empty());
    EXPECT_TRUE(clip_rect(INT_MIN, 0, INT_MAX, 1, 4, 6).empty());
    const ClipRect all = clip_rect(INT_MIN, INT_MIN, 1LL << 33, 1LL << 33, 4, 6);
    EXPECT_EQ(all.width() * 10 + all.height(), 46);
    // Empty sizes and empty planes.
    EXPECT_TRUE(clip_rect(0, 0, 0, 3, 4, 6).empty());
    EXPECT_TRUE(clip_rect(0, 0, -3, 3, 4, 6).empty());
    EXPECT_TRUE(clip_rect(0, 0, 3, 3, 0, 6).empty());
}

TEST(ClipRect, PointsStridesAndFarPositions)
{
    EXPECT_TRUE(point_inside(3, 5, 4, 6));
    EXPECT_FALSE(point_inside(4, 5, 4, 6));
    EXPECT_FALSE(point_inside(-1, 0, 4, 6));
    // Rows of 3 RGB pixels need 9 bytes: 9 and 12 hold them; 8, 0 and
    // negative strides (bottom-up buffers) are refused.
    EXPECT_TRUE(stride_holds(9, 3, 3));
    EXPECT_TRUE(stride_holds(12, 3, 3));
    EXPECT_FALSE(stride_holds(8, 3, 3));
    EXPECT_FALSE(stride_holds(0, 0, 3));
    EXPECT_FALSE(stride_holds(-9, 3, 3));
    EXPECT_FALSE(stride_holds(INT_MAX, 1LL << 40, 4));
    // Far positions keep 2^24 of room on either side of the plane.
    EXPECT_EQ(clamp_far(INT_MIN, 10), -kFarOff);
    EXPECT_EQ(clamp_far(INT_MAX, 10), 10 + kFarOff);
    EXPECT_EQ(clamp_far(-7, 10), -7);
    // Plane offsets use the plane's own width: (2, 1) of a 3-wide plane is pixel 5.
    const std::uint16_t px[6 * 4] = {};
    const SizedPlane p{px, 3, 2};
    EXPECT_EQ(p.at(2, 1) - px, 5 * 4);
}

}  // namespace
}  // namespace mve
