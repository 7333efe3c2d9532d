// Channel planes and the 16-bit resize of the image library, on 2 x 2 and 4 x 1 pictures.
#include <gtest/gtest.h>

#include <vector>

#include "imagelib/channels.h"
#include "imagelib/resample16.h"
#include "imagelib/resampling.h"

using namespace mve::il;

TEST(ChannelPlanes, SplitSkipsNullPlanesAndCombineKeepsUntouchedChannels)
{
    // 2 x 2 picture with a padded row (12 bytes): pixel i = (i, 10 + i, 20 + i, 30 + i).
    std::vector<std::uint8_t> pic(2 * 12, 99);
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) pic[(i / 2) * 12 + (i % 2) * 4 + c] = static_cast<std::uint8_t>(10 * c + i);
    std::vector<std::uint8_t> red(4, 0), alpha(4, 0);
    std::uint8_t* const planes[4] = {red.data(), nullptr, nullptr, alpha.data()};
    ASSERT_EQ(split_image(pic.data(), 2, 2, 12, planes), 1);
    EXPECT_EQ(red, (std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(alpha, (std::vector<std::uint8_t>{30, 31, 32, 33}));

    // Putting the red plane into alpha only: colour stays, padding stays.
    const std::uint8_t* const back[4] = {nullptr, nullptr, nullptr, red.data()};
    ASSERT_EQ(combine_image_channels(back, 2, 2, pic.data(), 12), 1);
    EXPECT_EQ(pic[12 + 4 + 3], 3);   // pixel 3's alpha now its red
    EXPECT_EQ(pic[12 + 4 + 1], 13);  // its green untouched
    EXPECT_EQ(pic[8], 99);           // padding after row 0
    EXPECT_EQ(split_image(nullptr, 2, 2, 8, planes), 0);
    EXPECT_EQ(combine_image_channels(back, 2, 2, pic.data(), 4), 0);  // rows too short
}

TEST(Resize16, AreaHalvesAndNearestPicksAndBadArgumentsFail)
{
    // One channel, 4 x 1 to 2 x 1 by area: (1000 + 3000) / 2 = 2000, (65535 + 65535) / 2 = 65535.
    const std::vector<std::uint16_t> in = {1000, 3000, 65535, 65535};
    std::vector<std::uint16_t> out(2, 7);
    ASSERT_EQ(resize_image16(in.data(), 4, 1, 8, out.data(), 2, 1, 4, 1, kFilterAreaAverage), 1);
    EXPECT_EQ(out, (std::vector<std::uint16_t>{2000, 65535}));
    // Nearest, 4 to 2: centres 0.5 and 1.5 of the output map to inputs 1 and 3.
    ASSERT_EQ(resize_image16(in.data(), 4, 1, 8, out.data(), 2, 1, 4, 1, kFilterNearest), 1);
    EXPECT_EQ(out, (std::vector<std::uint16_t>{3000, 65535}));
    // Enlarging a constant line with Lanczos keeps it constant: every output's
    // weights sum to exactly 1 << 14, and the rounding half is dropped by the shift.
    const std::vector<std::uint16_t> flat(4, 50000);
    std::vector<std::uint16_t> big(8, 0);
    ASSERT_EQ(resize_image16(flat.data(), 4, 1, 8, big.data(), 8, 1, 16, 1, kFilterLanczos3), 1);
    EXPECT_EQ(big, std::vector<std::uint16_t>(8, 50000));
    EXPECT_EQ(resize_image16(in.data(), 4, 1, 8, out.data(), 0, 1, 4, 1, kFilterNearest), 0);
    EXPECT_EQ(resize_image16(in.data(), 4, 1, 8, out.data(), 2, 1, 4, 5, kFilterNearest), 0);
    EXPECT_EQ(resize_image16(in.data(), 4, 1, 4, out.data(), 2, 1, 4, 1, kFilterNearest), 0);
}
