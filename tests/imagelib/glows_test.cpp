// Outer and inner glows on a row with one opaque red pixel, worked by hand.
#include <gtest/gtest.h>

#include "filter_test_pictures.h"
#include "imagelib/glows.h"

using namespace mve::il;
using namespace filter_test;

namespace {

// 5 x 1: opaque red at x = 0, transparent black elsewhere.
Pixels red_dot()
{
    Pixels p(5 * 4, 0);
    p[0] = 255, p[3] = 255;
    return p;
}

}  // namespace

TEST(Glows, OuterGlowSpreadsBehindTheShape)
{
    // Radius 2: two means of radius 1 over alpha 255, 0, 0, 0, 0 (rows repeat):
    // first 170, 85, 0, 0, 0; then 142 (425 / 3), 85, 28, 0, 0.
    const Pixels in = red_dot();
    Pixels out(in.size());
    ASSERT_EQ(outer_glow(in.data(), out.data(), 5, 1, 2, 1.0, GlowColour{0, 0, 255}), 1);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 4), (std::vector<int>{255, 0, 0, 255}));  // opaque: kept
    EXPECT_EQ(std::vector<int>(out.begin() + 4, out.begin() + 8), (std::vector<int>{0, 0, 255, 85}));
    EXPECT_EQ(std::vector<int>(out.begin() + 8, out.begin() + 12), (std::vector<int>{0, 0, 255, 28}));
    EXPECT_EQ(std::vector<int>(out.begin() + 12, out.end()), std::vector<int>(8, 0));
    // Strength 2 doubles the coverage: 170 at x = 1.
    ASSERT_EQ(outer_glow(in.data(), out.data(), 5, 1, 2, 2.0, GlowColour{0, 0, 255}), 1);
    EXPECT_EQ(out[7], 170);
    // A fully transparent layer has nothing to glow.
    const Pixels clear(in.size(), 0);
    ASSERT_EQ(outer_glow(clear.data(), out.data(), 5, 1, 50, 5.0, GlowColour{9, 9, 9}), 1);
    EXPECT_EQ(out, clear);
}

TEST(Glows, InnerGlowTintsTheShapeNearItsEdge)
{
    // Inverted alpha 0, 255, 255, 255, 255: first means 85, 170, 255, 255, 255;
    // then 113 at x = 0 ((85 + 85 + 170) / 3). The red pixel mixes 113/255 of
    // blue in: red 255 - 113 = 142, blue 113; alpha stays. Transparent pixels stay.
    const Pixels in = red_dot();
    Pixels out(in.size());
    ASSERT_EQ(inner_glow(in.data(), out.data(), 5, 1, 2, 1.0, GlowColour{0, 0, 255}), 1);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 4), (std::vector<int>{142, 0, 113, 255}));
    EXPECT_EQ(std::vector<int>(out.begin() + 4, out.end()), std::vector<int>(16, 0));
    // An opaque picture has no edge inside it: unchanged.
    const Pixels solid = uniform(4, 4, 10, 20, 30, 255);
    Pixels same(solid.size());
    ASSERT_EQ(inner_glow(solid.data(), same.data(), 4, 4, 3, 4.0, GlowColour{255, 255, 255}), 1);
    EXPECT_EQ(same, solid);
}
