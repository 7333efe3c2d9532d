// Unsharp mask, sharpen and saturation of the image library on 5 x 5 and 2 x 1 pictures.
#include <gtest/gtest.h>

#include <vector>

#include "imagelib/saturation.h"
#include "imagelib/sharpen.h"

using namespace mve::il;

namespace {

// 5 x 5 RGB picture of grey 100 with one pixel of 150 in the middle; row stride 16 (one byte of padding).
std::vector<std::uint8_t> spot_picture()
{
    std::vector<std::uint8_t> pic(5 * 16, 7);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 15; ++x) pic[y * 16 + x] = 100;
    for (int c = 0; c < 3; ++c) pic[2 * 16 + 2 * 3 + c] = 150;
    return pic;
}

// Radius 1 (sigma 0.5): taps e^-2 / (1 + 2 e^-2) = 0.106507 and 1 / (1 + 2 e^-2) = 0.786986.
// The 2-D weights are 0.619347 (centre), 0.083820 (side), 0.011344 (corner); the blur of
// the spot is 100 + 50 w: centre 130.97 -> 131, side 104.19 -> 104, corner 100.57 -> 101.
// Amount 1 adds o - b: centre 150 + 19 = 169, side 100 - 4 = 96, corner 100 - 1 = 99.
TEST(UnsharpMask, AddsTheDifferenceFromTheBlurAboveTheThreshold)
{
    const std::vector<std::uint8_t> pic = spot_picture();
    std::vector<std::uint8_t> out(5 * 16, 33);
    ASSERT_NE(unsharp_mask(pic.data(), 5, 5, 3, 16, out.data(), 16, 1.0, 1, 0), 0);
    EXPECT_EQ(out[2 * 16 + 2 * 3], 169);
    EXPECT_EQ(out[1 * 16 + 2 * 3 + 1], 96);  // above the spot
    EXPECT_EQ(out[1 * 16 + 1 * 3 + 2], 99);  // corner
    EXPECT_EQ(out[0], 100);                  // far away: the blur is 100
    EXPECT_EQ(out[15], 33);                  // padding untouched

    // Threshold 4: |d| = 4 at the side and 1 at the corner are not above it.
    ASSERT_NE(unsharp_mask(pic.data(), 5, 5, 3, 16, out.data(), 16, 1.0, 1, 4), 0);
    EXPECT_EQ(out[2 * 16 + 2 * 3], 169);
    EXPECT_EQ(out[1 * 16 + 2 * 3], 100);
    EXPECT_EQ(out[1 * 16 + 1 * 3], 100);

    // Amount 2.5 at the centre: 150 + 2.5 * 19 = 197.5 -> 198; side 100 - 10 = 90.
    ASSERT_NE(unsharp_mask(pic.data(), 5, 5, 3, 16, out.data(), 16, 2.5, 1, 0), 0);
    EXPECT_EQ(out[2 * 16 + 2 * 3 + 2], 198);
    EXPECT_EQ(out[2 * 16 + 1 * 3], 90);
}

TEST(UnsharpMask, KeepsAlphaWorksInPlaceAndRejectsBadArguments)
{
    // The same spot as RGBA with alpha 5 everywhere, sharpened in place by sharpen level 10.
    std::vector<std::uint8_t> pic(5 * 5 * 4, 100);
    for (int i = 0; i < 25; ++i) pic[i * 4 + 3] = 5;
    for (int c = 0; c < 3; ++c) pic[12 * 4 + c] = 150;
    ASSERT_NE(sharpen_image(pic.data(), 5, 5, 4, 20, pic.data(), 20, 10, 1), 0);
    EXPECT_EQ(pic[12 * 4], 169);
    EXPECT_EQ(pic[7 * 4 + 1], 96);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(pic[i * 4 + 3], 5) << i;

    EXPECT_EQ(unsharp_mask(pic.data(), 5, 5, 2, 10, pic.data(), 10, 1.0, 1, 0), 0);    // 2 bytes a pixel
    EXPECT_EQ(unsharp_mask(pic.data(), 5, 5, 4, 20, pic.data(), 20, 1.0, 1, 256), 0);  // threshold
    EXPECT_EQ(unsharp_mask(pic.data(), 5, 5, 4, 16, pic.data(), 20, 1.0, 1, 0), 0);    // short rows
    EXPECT_EQ(unsharp_mask(nullptr, 5, 5, 4, 20, pic.data(), 20, 1.0, 1, 0), 0);
    EXPECT_EQ(sharpen_image(pic.data(), 5, 5, 4, 20, pic.data(), 20, -1, 1), 0);
}

// (200, 100, 50): grey = 59.8 + 58.7 + 5.7 = 124.2.
TEST(ModifySaturation, ScalesTheDistanceFromTheLumaAndKeepsGreyAndAlpha)
{
    auto run = [](double factor) {
        std::vector<std::uint8_t> p = {200, 100, 50, 77, 90, 90, 90, 11};
        EXPECT_NE(modify_saturation(p.data(), 2, 1, 4, 8, factor), 0);
        return p;
    };
    // 0: all 124.2 -> 124. 1: unchanged.
    EXPECT_EQ(run(0), (std::vector<std::uint8_t>{124, 124, 124, 77, 90, 90, 90, 11}));
    EXPECT_EQ(run(1), (std::vector<std::uint8_t>{200, 100, 50, 77, 90, 90, 90, 11}));
    // 2: 124.2 + 2 * 75.8 = 275.8 -> 255, 124.2 - 48.4 = 75.8 -> 76, 124.2 - 148.4 -> 0.
    EXPECT_EQ(run(2), (std::vector<std::uint8_t>{255, 76, 0, 77, 90, 90, 90, 11}));
    // -1: 124.2 - 75.8 = 48.4 -> 48, 124.2 + 24.2 = 148.4 -> 148, 124.2 + 74.2 = 198.4 -> 198.
    EXPECT_EQ(run(-1), (std::vector<std::uint8_t>{48, 148, 198, 77, 90, 90, 90, 11}));

    std::vector<std::uint8_t> rgb = {200, 100, 50};
    ASSERT_NE(modify_saturation(rgb.data(), 1, 1, 3, 3, 0.0), 0);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{124, 124, 124}));
    EXPECT_EQ(modify_saturation(rgb.data(), 1, 1, 1, 3, 0.0), 0);
    EXPECT_EQ(modify_saturation(nullptr, 1, 1, 3, 3, 0.0), 0);
}

}  // namespace
