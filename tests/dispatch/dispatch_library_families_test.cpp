// The image library's families through the dispatcher: slider mappings,
// write-back patterns and edge modes, worked by hand on tiny canvases.
#include <string>

#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

struct LibraryFamilies : DispatchFixture {
    // Opaque greys, one value a pixel.
    std::vector<std::uint8_t> greys(std::initializer_list<int> values) const
    {
        std::vector<std::uint8_t> out;
        for (int v : values) out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 255});
        return out;
    }
    std::vector<int> reds() const
    {
        std::vector<int> out;
        const auto px = layer32();
        for (std::size_t k = 0; k < px.size(); k += 4) out.push_back(px[k]);
        return out;
    }
};

}  // namespace

TEST_F(LibraryFamilies, OffsetByOneColumnFillsByTheEdgeMode)
{
    // 5 x 1: p1 = 600 moves (600 - 500) * 5 / 500 = 1 pixel right, p2 = 500 none down.
    canvas(5, 1);
    const auto row = greys({10, 20, 30, 40, 50});
    set_layer(row);
    Call c = with_p({600, 500}, {0});
    c.r = 9, c.g = 8, c.b = 7;
    ASSERT_EQ(process("Offset", c), 1);
    auto px = layer32();
    EXPECT_EQ(px[3], 0);  // background: the colour, transparent
    EXPECT_EQ(reds()[1], 10);
    EXPECT_EQ(reds()[4], 40);
    // Wrap (i1 = 1): the last column comes round; extend (2): the first repeats.
    set_layer(row);
    ASSERT_EQ(process("Offset", with_p({600, 500}, {1})), 1);
    EXPECT_EQ(reds(), (std::vector<int>{50, 10, 20, 30, 40}));
    set_layer(row);
    ASSERT_EQ(process("Offset", with_p({600, 500}, {2})), 1);
    EXPECT_EQ(reds(), (std::vector<int>{10, 10, 20, 30, 40}));
}

TEST_F(LibraryFamilies, RankFiltersReadSrc32AsItWasLeft)
{
    // Src32 holds 10, 200, 30; the layer is then cleared without a refresh.
    // "Maximum2" with p1 = 50 (radius trunc(5 * 0.2) = 1): every window reaches the 200.
    canvas(3, 1);
    set_layer(greys({10, 200, 30}));
    MVE_IPLUpdateSrcBuffer32();
    set_layer(greys({0, 0, 0}));
    ASSERT_EQ(process("Maximum2", with_p({50})), 1);
    EXPECT_EQ(reds(), (std::vector<int>{200, 200, 200}));
    // "Median" of the same Src32, radius 1: windows (10,10,200) (10,200,30) (200,30,30).
    set_layer(greys({0, 0, 0}));
    ASSERT_EQ(process("Median", with_p({50})), 1);
    EXPECT_EQ(reds(), (std::vector<int>{10, 30, 30}));
}

TEST_F(LibraryFamilies, BlurAndMosaicMapTheirSliders)
{
    // "Blur" with p1 = 10: one pass of the 3 x 3 mean; 90 in the middle of 3 x 3 becomes 10.
    canvas(3, 3);
    set_layer(greys({0, 0, 0, 0, 90, 0, 0, 0, 0}));
    ASSERT_EQ(process("Blur", with_p({10})), 1);
    EXPECT_EQ(reds(), std::vector<int>(9, 10));
    // "Mosaic" with p1 = 40: blocks of trunc(4 * 0.5) = 2 on 4 x 2: means (0+10+40+50)/4 = 25, (20+30+60+70)/4 = 45.
    canvas(4, 2);
    set_layer(greys({0, 10, 20, 30, 40, 50, 60, 70}));
    ASSERT_EQ(process("Mosaic", with_p({40})), 1);
    EXPECT_EQ(reds(), (std::vector<int>{25, 25, 45, 45, 25, 25, 45, 45}));
}

TEST_F(LibraryFamilies, TransformsAtZeroStrengthLeaveTheLayer)
{
    canvas(6, 5);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 30; ++k)
        picture.insert(picture.end(), {std::uint8_t(7 * k), std::uint8_t(255 - 5 * k), std::uint8_t(k * k), 255});
    for (const char* name : {"Elliptical", "Lens", "Marble OLD", "Marble", "Pinch", "Ripple", "Spin", "Spin Wave",
                             "Wave", "Wow", "Zig Zag"}) {
        set_layer(picture);
        ASSERT_EQ(process(name, with_p({0, 300, 600, 400, 500})), 1) << name;
        EXPECT_EQ(layer32(), picture) << name;
    }
}

TEST_F(LibraryFamilies, GlowOuterColoursTheTransparentNeighbours)
{
    // 5 x 1, opaque red at x = 0: p1 = 40 gives softness trunc(4 * 0.5) = 2,
    // p2 = 200 strength 20 * 0.05 = 1: coverage 142, 85, 28, 0, 0 (two means of radius 1).
    canvas(5, 1);
    std::vector<std::uint8_t> dot(20, 0);
    dot[0] = 255, dot[3] = 255;
    set_layer(dot);
    Call c = with_p({40, 200});
    c.r = 0, c.g = 0, c.b = 255;
    ASSERT_EQ(process("Glow Outer", c), 1);
    const auto px = layer32();
    EXPECT_EQ(px[3], 255);
    EXPECT_EQ(px[4 + 3], 85);
    EXPECT_EQ(px[4 + 2], 255);
    EXPECT_EQ(px[8 + 3], 28);
    EXPECT_EQ(px[12 + 3], 0);
}
