// The magic wand's modes and strengths on 5 x 5 pictures. A selected pixel
// gets ((65535 - s) << 8) kept to 16 bits: strength 100 (s = 255) gives 0,
// strength 50 (s = trunc(127.95) = 127) gives 0xFF8000 & 0xFFFF = 32768.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipl/fills_fixture.h"

namespace {

using namespace mve;
using mve::test::Px;

struct WandTest : mve::test::FillsFixture {
    // Mask values as rows: 'S' selected at strength 100 (0), 'h' at 50
    // (32768), '.' untouched (65535), '?' anything else.
    std::vector<std::string> mask_map()
    {
        const std::vector<unsigned short> m = mask();
        std::vector<std::string> rows(h, std::string(w, '?'));
        for (int i = 0; i < w * h; ++i)
            rows[i / w][i % w] = m[i] == 0 ? 'S' : m[i] == 32768 ? 'h' : m[i] == 65535 ? '.' : '?';
        return rows;
    }
};

const Px kRed{200, 0, 0, 200};
const Px kBlue{0, 0, 200, 255};

TEST_F(WandTest, ConnectedAndNonConnected)
{
    two_regions(2, kRed, kBlue);
    MVE_IPLMaskWand(0, 0, 0, 100, "Connected");
    EXPECT_EQ(mask_map(), std::vector<std::string>(5, "SS..."));
    MVE_ClearMask(0, 0, 0);  // grey 0: every pixel 65535 again
    MVE_IPLMaskWand(4, 0, 0, 50, "Non-connected");
    EXPECT_EQ(mask_map(), std::vector<std::string>(5, "hh.hh"));
    EXPECT_FALSE(engine().ipl.toolSrc32);
}

TEST_F(WandTest, RangeModes)
{
    // Range width 500 / 500 = 1 %: a channel bound of trunc(2.56) = 2.
    two_regions(2, Px{100, 100, 100, 255}, Px{103, 100, 100, 255});
    set(2, 0, 0, Px{102, 98, 100, 255});
    MVE_IPLMaskWand(4, 4, 500, 100, "Color Range");
    std::vector<std::string> expected(5, "SS.SS");
    EXPECT_EQ(mask_map(), expected);
    MVE_ClearMask(0, 0, 0);  // grey 0: every pixel 65535 again
    // Alpha: 200 at the seed; 202 inside the bound, 203 outside.
    two_regions(2, kRed, kBlue);
    set(2, 0, 1, Px{200, 0, 0, 202});
    set(2, 0, 2, Px{200, 0, 0, 203});
    MVE_IPLMaskWand(4, 4, 500, 100, "Alpha Non-connected");
    expected = {"SS.SS", "SS.SS", ".S.SS", "SS.SS", "SS.SS"};
    EXPECT_EQ(mask_map(), expected);
    MVE_ClearMask(0, 0, 0);  // grey 0: every pixel 65535 again
    MVE_IPLMaskWand(0, 0, 0, 100, "Alpha Connected");
    expected = {"SS...", ".S...", ".S...", "SS...", "SS..."};
    EXPECT_EQ(mask_map(), expected);
}

TEST_F(WandTest, OffCanvasAndUnknownModes)
{
    two_regions(2, kRed, kBlue);
    clear_dirty();
    MVE_IPLMaskWand(0, 5, 0, 100, "Connected");
    MVE_IPLMaskWand(-1, 0, 0, 100, "Connected");
    EXPECT_FALSE(dirty_all());
    EXPECT_EQ(mask_map(), std::vector<std::string>(5, "....."));
    MVE_IPLMaskWand(0, 0, 0, 100, "connected");
    MVE_IPLMaskWand(0, 0, 0, 100, nullptr);
    EXPECT_EQ(mask_map(), std::vector<std::string>(5, "....."));
    EXPECT_TRUE(dirty_all());
}

TEST_F(WandTest, WandSelectionLimitsAFill)
{
    // Select the left region, invert nothing: the selection blocks (0), so
    // a fill over everything changes only what the wand left alone.
    two_regions(2, kRed, kBlue);
    MVE_EnableMask(1);
    MVE_IPLMaskWand(0, 0, 0, 100, "Connected");
    MVE_IPLRectangle(0, 255, 0, 0, 0, 5, 4, 100);
    EXPECT_EQ(at(2, 0, 0), kRed);
    EXPECT_EQ(at(2, 2, 0), (Px{0, 255, 0, 255}));
}

}  // namespace
