// The paint bucket's six modes, the tolerance bound and the key colour, on
// 5 x 5 pictures worked by hand.
#include <gtest/gtest.h>

#include <vector>

#include "core/runtime.h"
#include "ipl/fill_region.h"
#include "ipl/fills_fixture.h"

namespace {

using namespace mve;
using mve::test::Px;

struct FillModesTest : mve::test::FillsFixture {};

const Px kRed{200, 0, 0, 200};
const Px kBlue{0, 0, 200, 255};
const Px kGreenFill{0, 255, 0, 255};

TEST_F(FillModesTest, ConnectedFillsOneRegionOpaque)
{
    two_regions(2, kRed, kBlue);
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, "Paint Connected");
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(at(2, 0, y), kGreenFill);
        EXPECT_EQ(at(2, 1, y), kGreenFill);
        EXPECT_EQ(at(2, 2, y), kBlue);
        EXPECT_EQ(at(2, 3, y), kRed);  // same colour, not connected
    }
    EXPECT_TRUE(dirty_all());
}

TEST_F(FillModesTest, NonConnectedPaintsEveryMatchKeepingAlpha)
{
    two_regions(2, kRed, kBlue);
    MVE_IPLFloodFill(0, 255, 0, 2, 4, 0, "Paint Non-connected");  // seed in the blue column
    EXPECT_EQ(at(2, 2, 4), (Px{0, 255, 0, 255}));
    EXPECT_EQ(at(2, 0, 0), kRed);
    MVE_IPLFloodFill(0, 255, 0, 4, 4, 0, "Paint Non-connected");
    // Both red regions take the colour; their alpha 200 stays.
    EXPECT_EQ(at(2, 0, 0), (Px{0, 255, 0, 200}));
    EXPECT_EQ(at(2, 4, 0), (Px{0, 255, 0, 200}));
}

TEST_F(FillModesTest, EraseMakesTheRegionTransparent)
{
    // Column 2 alternates (0,0,0) and (1,0,0), so the key colour is (2,0,0);
    // the write-back stores a pixel of alpha 0 as (0, 0, 0, 0).
    two_regions(2, kRed, kBlue);
    for (int y = 0; y < 5; ++y) set(2, 2, y, y % 2 ? Px{1, 0, 0, 255} : Px{0, 0, 0, 255});
    MVE_IPLFloodFill(0, 255, 0, 4, 0, 0, "Erase Connected");
    EXPECT_EQ(at(2, 4, 2), (Px{0, 0, 0, 0}));
    EXPECT_EQ(at(2, 3, 4), (Px{0, 0, 0, 0}));
    EXPECT_EQ(at(2, 0, 0), kRed);
    EXPECT_EQ(at(2, 2, 0), (Px{0, 0, 0, 255}));  // a colour close to the key stays
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, "Erase Non-connected");
    EXPECT_EQ(at(2, 0, 3), (Px{0, 0, 0, 0}));
    EXPECT_EQ(at(2, 2, 1), (Px{1, 0, 0, 255}));
}

TEST_F(FillModesTest, TheBackgroundIsPaintedNotErased)
{
    two_regions(1, kRed, kBlue);
    MVE_SetLayer(1);
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, "Erase Connected");
    EXPECT_EQ(at(1, 1, 1), kGreenFill);
    EXPECT_EQ(at(1, 3, 1), kRed);
}

TEST_F(FillModesTest, AlphaModes)
{
    // Alpha 200 in columns 0-1 and 3-4, 255 in column 2.
    two_regions(2, kRed, kBlue);
    MVE_IPLFloodFill(9, 8, 7, 0, 0, 0, "Paint Alpha Connected");
    EXPECT_EQ(at(2, 1, 4), (Px{9, 8, 7, 255}));
    EXPECT_EQ(at(2, 3, 4), kRed);
    // Range width 500 / 500 = 1 %: trunc(2.56) = 2 around alpha 200 at (4, 0).
    set(2, 4, 1, Px{200, 0, 0, 202});
    set(2, 4, 2, Px{200, 0, 0, 203});
    MVE_IPLFloodFill(6, 5, 4, 4, 0, 500, "Paint Alpha Non-Connected");
    EXPECT_EQ(at(2, 3, 0), (Px{6, 5, 4, 255}));
    EXPECT_EQ(at(2, 4, 1), (Px{6, 5, 4, 255}));
    EXPECT_EQ(at(2, 4, 2), (Px{200, 0, 0, 203}));
    EXPECT_EQ(at(2, 2, 0), kBlue);
}

TEST_F(FillModesTest, AlphaConnectedDoesNothingOnTheBackground)
{
    two_regions(1, kRed, kBlue);
    MVE_SetLayer(1);
    clear_dirty();
    MVE_IPLFloodFill(9, 8, 7, 0, 0, 0, "Paint Alpha Connected");
    EXPECT_EQ(at(1, 0, 0), kRed);
    EXPECT_TRUE(dirty_all());
}

TEST_F(FillModesTest, SeedsOffTheCanvasAndUnknownModes)
{
    two_regions(2, kRed, kBlue);
    clear_dirty();
    MVE_IPLFloodFill(0, 255, 0, 5, 0, 0, "Paint Connected");
    MVE_IPLFloodFill(0, 255, 0, -1, 2, 0, "Paint Connected");
    EXPECT_FALSE(dirty_all());  // off the canvas: not even marked
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, "paint connected");
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, nullptr);
    EXPECT_EQ(at(2, 0, 0), kRed);
    EXPECT_TRUE(dirty_all());
    EXPECT_FALSE(engine().ipl.toolSrc32);  // freed again
}

TEST_F(FillModesTest, TheMaskLimitsTheFill)
{
    two_regions(2, kRed, kBlue);
    MVE_EnableMask(1);
    // Rows 3-4 blocked entirely.
    for (int y = 3; y < 5; ++y)
        for (int x = 0; x < 5; ++x) engine().mask.plane.begin_write()[y * 5 + x] = 0;
    MVE_IPLFloodFill(0, 255, 0, 0, 0, 0, "Paint Connected");
    EXPECT_EQ(at(2, 0, 2), kGreenFill);
    EXPECT_EQ(at(2, 0, 3), kRed);
    EXPECT_EQ(at(2, 1, 4), kRed);
}

TEST_F(FillModesTest, ToleranceIsASquaredDistanceBound)
{
    // t = 1000: 1000 * 0.00002 * 195075 = 3901.5. (36, 36, 36) away is
    // 3 * 1296 = 3888 (inside); (37, 36, 36) is 1369 + 2592 = 3961 (outside).
    two_regions(2, Px{100, 100, 100, 255}, Px{136, 136, 136, 255});
    set(2, 0, 4, Px{137, 136, 136, 255});
    MVE_IPLFloodFill(0, 0, 0, 4, 4, 1000, "Paint Connected");
    EXPECT_EQ(at(2, 2, 2), (Px{0, 0, 0, 255}));
    EXPECT_EQ(at(2, 0, 0), (Px{0, 0, 0, 255}));
    EXPECT_EQ(at(2, 0, 4), (Px{137, 136, 136, 255}));
    EXPECT_DOUBLE_EQ(ipl::colour_tolerance(-5), 0.0);
    EXPECT_DOUBLE_EQ(ipl::colour_tolerance(90000), 195075.0);  // clamped to 50000: everything
}

TEST_F(FillModesTest, FloodMaskPaintsOnlyOnes)
{
    std::vector<unsigned char> rgba(25 * 4, 10), mask(25, 0);
    mask[3] = 1, mask[7] = 2, mask[24] = 1;
    clear_dirty();
    MVE_ColorRGBA32FromFloodMask(rgba.data(), mask.data(), 1, 2, 3, 4);
    EXPECT_EQ(rgba[3 * 4 + 0], 1);
    EXPECT_EQ(rgba[3 * 4 + 3], 4);
    EXPECT_EQ(rgba[24 * 4 + 2], 3);
    EXPECT_EQ(rgba[7 * 4 + 0], 10);
    EXPECT_TRUE(dirty_all());
}

// The region rules without the engine: 4-connected only, spans on an
// explicit stack, and a whole 4K picture of one colour.
TEST(FillRegion, FourConnectedSpansWithoutRecursion)
{
    // 0 = open, 1 = wall. The open cell (4, 0) touches the region only
    // diagonally, and the spiral tests spans that turn back up and down.
    const int rows[5][5] = {
        {0, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {0, 0, 0, 1, 0}, {0, 1, 1, 1, 0}, {0, 0, 0, 0, 0}};
    std::vector<std::uint8_t> px(25 * 3), region(25);
    for (int i = 0; i < 25; ++i) px[i * 3] = static_cast<std::uint8_t>(rows[i / 5][i % 5] * 255);
    const ipl::PixelView view{px.data(), 5, 5, 3, 15};
    EXPECT_EQ(ipl::flood_region(view, 0, 0, 0, region.data()), 15u);
    EXPECT_EQ(region[4], 0);          // (4, 0): diagonal only
    EXPECT_EQ(region[2 * 5 + 4], 1);  // (4, 2): reached round the bottom
    EXPECT_EQ(region[1 * 5 + 0], 0);  // a wall

    const int W = 3840, H = 2160;
    std::vector<std::uint8_t> big(static_cast<std::size_t>(W) * H * 4, 7),
        bigRegion(static_cast<std::size_t>(W) * H);
    EXPECT_EQ(ipl::flood_region(ipl::PixelView{big.data(), W, H, 4, W * 4}, 1000, 1000, 0, bigRegion.data()),
              static_cast<std::size_t>(W) * H);
}

TEST(FillRegion, ExactColourShortcutMatchesTheDistanceTest)
{
    // Pictures of two colours in random blobs: tolerance 0 through the
    // byte-compare shortcut and through the distance test mark the same.
    unsigned seed = 99;
    for (int k = 0; k < 20; ++k) {
        const int W = 37, H = 23;
        std::vector<std::uint8_t> px(W * H * 4, 0), fast(W * H), slow(W * H);
        for (auto& v : px) v = ((seed = seed * 1103515245u + 12345u) >> 30) == 0 ? 1 : 0;
        const ipl::PixelView view{px.data(), W, H, 4, W * 4};
        const int x = k % W, y = (k * 7) % H;
        set_fast_paths(false);
        const std::size_t n = ipl::flood_region(view, x, y, 0, slow.data());
        set_fast_paths(true);
        EXPECT_EQ(ipl::flood_region(view, x, y, 0, fast.data()), n) << "case " << k;
        EXPECT_EQ(fast, slow) << "case " << k;
    }
}

TEST(FillRegion, FourPixelSpansMatchThePlainScan)
{
    // Mostly one colour with scattered walls, on odd widths (down to 1, below
    // the four-pixel step), alpha noise ignored: the four-pixel span scans
    // and the plain per-pixel scans mark the same pixels.
    for (unsigned start = 1; start <= 30; ++start) {
        unsigned seed = start;
        auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
        const int W = 2 * static_cast<int>(next() % 21) + 1, H = static_cast<int>(next() % 17) + 1;
        std::vector<std::uint8_t> px(static_cast<std::size_t>(W) * H * 4), fast(W * H), slow(W * H);
        for (std::size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<std::uint8_t>(i % 4 == 3 ? next() : next() % 12 == 0 ? 1 : 0);
        const ipl::PixelView view{px.data(), W, H, 4, W * 4};
        const int x = static_cast<int>(next()) % W, y = static_cast<int>(next()) % H;
        set_fast_paths(false);
        const std::size_t n = ipl::flood_region(view, x, y, 0, slow.data());
        set_fast_paths(true);
        EXPECT_EQ(ipl::flood_region(view, x, y, 0, fast.data()), n) << "seed " << start;
        EXPECT_EQ(fast, slow) << "seed " << start;
    }
}

TEST(FillRegion, KeyColourSkipsTakenCandidates)
{
    // Every red 0..255 at green 0, blue 0 is taken, and (0, 1, 0): the key
    // is the next in order, (1, 1, 0).
    std::vector<std::uint8_t> px(257 * 4, 0);
    for (int r = 0; r < 256; ++r) px[r * 4] = static_cast<std::uint8_t>(r);
    px[256 * 4 + 1] = 1;
    ipl::Rgb key;
    ASSERT_TRUE(ipl::find_key_colour(ipl::PixelView{px.data(), 257, 1, 4, 257 * 4}, &key));
    EXPECT_EQ(key.r, 1);
    EXPECT_EQ(key.g, 1);
    EXPECT_EQ(key.b, 0);
}

}  // namespace
