// Filled rectangle and ellipse, the shape selections and gradients on tiny
// canvases; expected values from the span and stop rules worked by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "ipl/fills_fixture.h"
#include "ipl/gradient.h"
#include "ipl/shape_geometry.h"

namespace {

using namespace mve;
using mve::test::Px;

struct ShapesTest : mve::test::FillsFixture {
    // Which pixels of layer 2 are opaque, as rows of '#' and '.'.
    std::vector<std::string> opaque_map()
    {
        std::vector<std::string> rows(h, std::string(w, '.'));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (at(2, x, y)[3] == 255) rows[y][x] = '#';
        return rows;
    }
};

TEST(ShapeGeometry, TheSecondPointsColumnIsLeftOut)
{
    const ipl::Box a = ipl::tool_box(10, 10, 20, 20);
    EXPECT_EQ(a.left, 10);
    EXPECT_EQ(a.right, 19);
    EXPECT_EQ(a.top, 10);
    EXPECT_EQ(a.bottom, 20);
    const ipl::Box b = ipl::tool_box(20, 20, 10, 10);
    EXPECT_EQ(b.left, 11);
    EXPECT_EQ(b.right, 20);
    EXPECT_TRUE(ipl::tool_box(7, 1, 7, 9).empty());  // equal x: nothing
    // A box 3 pixels wide (0..2) has radius (2 - 0) / 2 = 1, raised to 2.
    const ipl::Ellipse el = ipl::ellipse_in(ipl::tool_box(0, 0, 3, 2));
    EXPECT_EQ(el.rx, 2);
    EXPECT_EQ(el.cx, 2);
}

TEST_F(ShapesTest, RectangleAtFullOpacityAndSwappedCorners)
{
    MVE_IPLRectangle(255, 0, 0, 1, 1, 3, 3, 100);  // columns 1-2, rows 1-3
    EXPECT_EQ(opaque_map(), (std::vector<std::string>{".....", ".##..", ".##..", ".##..", "....."}));
    EXPECT_EQ(at(2, 1, 1), (Px{255, 0, 0, 255}));  // 100 % gives 255: copied as it is
    MVE_IPLRectangle(0, 0, 255, 4, 4, 2, 0, 100);  // columns 3-4, rows 0-4
    EXPECT_EQ(opaque_map(), (std::vector<std::string>{"...##", ".####", ".####", ".####", "...##"}));
    EXPECT_EQ(at(2, 4, 4), (Px{0, 0, 255, 255}));
    EXPECT_TRUE(dirty_all());
}

TEST_F(ShapesTest, RectangleOpacityZeroAndOffCanvas)
{
    MVE_IPLRectangle(255, 0, 0, 0, 0, 5, 5, 0);
    MVE_IPLRectangle(255, 0, 0, -100, -100, -50, -50, 100);
    MVE_IPLRectangle(255, 0, 0, 2, 2, 2, 4, 100);  // equal x: empty
    EXPECT_EQ(opaque_map(), std::vector<std::string>(5, "....."));
    // Far corners clip to the canvas.
    MVE_IPLRectangle(255, 0, 0, -2000000000, 3, 2000000000, 9, 100);
    EXPECT_EQ(opaque_map(), (std::vector<std::string>{".....", ".....", ".....", "#####", "#####"}));
}

TEST_F(ShapesTest, EllipseSpans)
{
    // Box 0..3 x 0..4: rx = max(3 / 2, 2) = 2, ry = 2, centre (2, 2). Row 1:
    // half-width 2 * sqrt(1 - 1/4) = 1.73, so columns 1..3; rows 0 and 4
    // only the centre column.
    MVE_IPLEllipse(0, 128, 0, 0, 0, 4, 4, 100);
    EXPECT_EQ(opaque_map(), (std::vector<std::string>{"..#..", ".###.", "#####", ".###.", "..#.."}));
    EXPECT_EQ(at(2, 2, 2), (Px{0, 128, 0, 255}));
}

TEST_F(ShapesTest, ShapesGoThroughTheMask)
{
    MVE_EnableMask(1);
    for (int x = 0; x < 5; ++x) engine().mask.plane.begin_write()[2 * 5 + x] = 0;  // row 2 blocked
    MVE_IPLRectangle(255, 0, 0, 0, 0, 5, 4, 100);
    EXPECT_EQ(opaque_map(), (std::vector<std::string>{"#####", "#####", ".....", "#####", "#####"}));
}

TEST_F(ShapesTest, MaskRectangleAndEllipseCombine)
{
    // Grey 255 inside (strength 100); with combine flag 1 the black outside
    // adds level 255: 65535 - 255 * 256 = 255. Inside stays 65535.
    MVE_IPLMaskRectangle(3, 3, 1, 1, 100, 1, "Add");
    const std::vector<unsigned short> m = mask();
    EXPECT_EQ(m[1 * 5 + 1], 65535);
    EXPECT_EQ(m[3 * 5 + 3], 65535);  // max corner included
    EXPECT_EQ(m[0], 255);
    EXPECT_EQ(m[4 * 5 + 3], 255);
    // "Replace" with strength 50 (level trunc(127.95) = 127): outside pixels
    // become 65280 - 127 * 256 = 32768; the ellipse inside keeps its value.
    MVE_IPLMaskEllipse(0, 0, 4, 4, 50, 1, "Replace");
    const std::vector<unsigned short> n = mask();
    EXPECT_EQ(n[0], 32768);
    EXPECT_EQ(n[2 * 5 + 0], 255);  // on the ellipse, kept from before
    EXPECT_EQ(n[2 * 5 + 2], 65535);
    EXPECT_TRUE(dirty_all());
}

TEST(Gradient, StopsByCount)
{
    const std::array<std::array<int, 3>, 4> c = {
        std::array<int, 3>{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    const ipl::GradientStops three = ipl::gradient_stops(c, 3);
    ASSERT_EQ(three.count, 3);
    EXPECT_EQ(three.stop[1].position, 50);                      // v = 100 / 2
    const ipl::GradientStops four = ipl::gradient_stops(c, 9);  // clamped to 4: v = 33
    ASSERT_EQ(four.count, 4);
    EXPECT_EQ(four.stop[3].position, 99);
    std::uint8_t px[4];
    ipl::gradient_colour(four, 100, px);  // past the last stop
    EXPECT_EQ(px[0], 9);
    const ipl::GradientStops zero = ipl::gradient_stops(c, -3);  // as 0
    ipl::gradient_colour(zero, 50, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[3], 128);  // 0 + 255 * 0.5 = 127.5, rounded
    const ipl::GradientStops one = ipl::gradient_stops(c, 1);
    ipl::gradient_colour(one, 0, px);
    EXPECT_EQ(px[3], 255);
}

TEST(Gradient, ReferenceRowsAndTheTableAgree)
{
    // Linear 0 -> 4 along a row: positions 0, 25, 50, 75, 100; three stops
    // red, green, blue. x = 1: halfway red to green, 127.5 each, rounded up.
    const std::array<std::array<int, 3>, 4> c = {
        std::array<int, 3>{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    const ipl::GradientStops s = ipl::gradient_stops(c, 3);
    const ipl::GradientShape lin = ipl::gradient_shape(0, 0, 4, 0, "Linear");
    std::uint8_t row[5 * 4];
    ipl::gradient_row(s, lin, 0, 5, row, nullptr);
    const std::uint8_t expected[5 * 4] = {255, 0,   0, 255, 128, 128, 0, 255, 0,   255,
                                          0,   255, 0, 128, 128, 255, 0, 0,   255, 255};
    EXPECT_EQ(std::memcmp(row, expected, sizeof row), 0);
    // Radial of radius 4 around (0, 0): (0, 3) is at 75, (4, 3) past the rim.
    const ipl::GradientShape rad = ipl::gradient_shape(0, 0, 0, 4, "Radial");
    ipl::gradient_row(s, rad, 3, 5, row, nullptr);
    EXPECT_EQ(row[0 * 4 + 1], 128);
    EXPECT_EQ(row[4 * 4 + 2], 255);
    // Radius 0: every pixel at the last stop.
    ipl::gradient_row(s, ipl::gradient_shape(2, 2, 2, 2, "Radial"), 2, 5, row, nullptr);
    EXPECT_EQ(row[2 * 4 + 2], 255);
    EXPECT_EQ(row[2 * 4 + 0], 0);

    // The table path against the reference, seeded sweep of shapes.
    std::vector<std::uint8_t> table(ipl::kGradientTableSize * 4);
    ipl::gradient_table(s, table.data());
    std::vector<std::uint8_t> ref(97 * 4), fast(97 * 4);
    unsigned seed = 12345;
    auto next = [&] { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % 200 - 50; };
    for (int k = 0; k < 200; ++k) {
        const ipl::GradientShape g =
            ipl::gradient_shape(next(), next(), next(), next(), k % 2 ? "Linear" : "Radial");
        const int y = next();
        ipl::gradient_row(s, g, y, 97, ref.data(), nullptr);
        ipl::gradient_row(s, g, y, 97, fast.data(), table.data());
        for (std::size_t i = 0; i < ref.size(); ++i)
            ASSERT_LE(std::abs(ref[i] - fast[i]), 1) << "case " << k << " byte " << i;
    }
}

TEST_F(ShapesTest, GradientMergesOverTheLayer)
{
    // Count 0 in colour 1 across the row: alpha 0 at x = 0 up to 255 at x = 4;
    // layer 2 is transparent, so each pixel takes the source as it is.
    set_fast_paths(false);
    MVE_IPLGradient(10, 20, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, "Linear");
    set_fast_paths(true);
    EXPECT_EQ(at(2, 4, 3), (Px{10, 20, 30, 255}));
    EXPECT_EQ(at(2, 2, 0)[3], 128);
    EXPECT_EQ(at(2, 0, 1)[3], 0);
    EXPECT_TRUE(dirty_all());
}

}  // namespace
