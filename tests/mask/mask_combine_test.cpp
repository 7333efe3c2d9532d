// Combining the Mask with grey pictures: the three modes and the threshold.
#include "mask/mask_fixture.h"

namespace mve::test {
namespace {

using MaskCombine = MaskFixture;

// A 4 x 1 picture: greys 30, 10, 0 (black) and 10.
const Bytes kPicture = {30, 30, 30, 5, 10, 15, 0, 0, 0, 10, 10, 10};

TEST_F(MaskCombine, AddBlocksMore)
{
    make(4, 1);
    // d = v * 256: 65535 - 7680 = 57855; 2560 > 1000 -> 0; black unchanged; 3000 - 2560.
    set_mask({65535, 1000, 777, 3000});
    MVE_CombineMask(kPicture.data(), 12, 0, 0, "Add");
    EXPECT_EQ(mask(), (Mask16{57855, 0, 777, 440}));
    // Unknown texts and null act as "Add".
    set_mask({65535, 1000, 777, 3000});
    MVE_CombineMask(kPicture.data(), 12, 0, 0, "add");
    EXPECT_EQ(mask(), (Mask16{57855, 0, 777, 440}));
    set_mask({65535, 1000, 777, 3000});
    MVE_CombineMask(kPicture.data(), 12, 0, 0, nullptr);
    EXPECT_EQ(mask(), (Mask16{57855, 0, 777, 440}));
}

TEST_F(MaskCombine, SubtractAndReplace)
{
    make(4, 1);
    // min(m + d, 65535): 60000 + 7680 saturates; 1000 + 2560; black unchanged.
    set_mask({60000, 1000, 777, 0});
    MVE_CombineMask(kPicture.data(), 12, 0, 0, "Subtract");
    EXPECT_EQ(mask(), (Mask16{65535, 3560, 777, 2560}));
    // 65280 - d: 57600, 62720; black unchanged.
    set_mask({1, 2, 3, 4});
    MVE_CombineMask(kPicture.data(), 12, 0, 0, "Replace");
    EXPECT_EQ(mask(), (Mask16{57600, 62720, 3, 62720}));
    // A black picture changes nothing.
    const Bytes black(12, 0);
    MVE_CombineMask(black.data(), 12, 0, 0, "Replace");
    EXPECT_EQ(mask(), (Mask16{57600, 62720, 3, 62720}));
}

TEST_F(MaskCombine, ThresholdUsesLevelOnBlackOnly)
{
    make(4, 1);
    // Threshold 1: black becomes level 20 (d = 5120), everything else 0 (unchanged).
    set_mask({100, 100, 65535, 100});
    MVE_CombineMask(kPicture.data(), 12, 1, 20, "Add");
    EXPECT_EQ(mask(), (Mask16{100, 100, 60415, 100}));
    // A level past 255 would leave the 16-bit range: 65280 - 300 * 256 stops at 0.
    MVE_CombineMask(kPicture.data(), 12, 1, 300, "Replace");
    EXPECT_EQ(m(2, 0), 0);
}

TEST_F(MaskCombine, RowBytesArePadded)
{
    make(1, 2);
    // Rows of 4 bytes for 1 pixel each: greys 10 and 20.
    const Bytes pic = {10, 10, 10, 99, 20, 20, 20, 99};
    set_mask({0, 0});
    MVE_CombineMask(pic.data(), 4, 0, 0, "Subtract");
    EXPECT_EQ(mask(), (Mask16{2560, 5120}));
}

}  // namespace
}  // namespace mve::test
