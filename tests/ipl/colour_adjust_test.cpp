// HSL and HSV adjustment worked by hand on single pixels and 2 x 2 buffers.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ipl/colour_adjust.h"
#include "ipl/colour_adjust_fast.h"
#include "morvane/morvane.h"
#include "support/worker_threads.h"

using namespace mve;
using namespace mve::ipl;

namespace {

std::vector<int> rgb(Rgb8 c)
{
    return {c.r, c.g, c.b};
}

// (150, 50, 30): HSL hue 60 (g - b) / delta = 10, S = 120 / 180, L = 90 / 255;
// hi = L (1 + S) = 150 / 255, lo = 2 L - hi = 30 / 255.
// HSV: hue 10, S = 120 / 150, V = 150 / 255.
TEST(ColourAdjust, HueShiftWrapsOnceAndBeyondOneTurn)
{
    // 10 + 400 = 410 -> 50: red (hue + 120 = 170) is hi, green lo + (hi - lo) 50 / 60 = 130, blue (290) lo.
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, 400, 0, 0)), (std::vector<int>{150, 130, 30}));
    // HSV at 50: sector 0, f = 5/6: (V, t, p) with t = V (1 - S / 6) = 130 / 255, p = V (1 - S) = 30 / 255.
    EXPECT_EQ(rgb(hsv_adjust_pixel(150, 50, 30, 400, 0, 0)), (std::vector<int>{150, 130, 30}));
    // 10 - 400 = -390: one correction gives -30, which is 330: red (90) hi, green lo,
    // blue (210) lo + (hi - lo)(240 - 210) / 60 = 90.
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, -400, 0, 0)), (std::vector<int>{150, 30, 90}));
    // HSV at 330: sector 5, f = 0.5: (V, p, q), q = V (1 - 0.4) = 90 / 255.
    EXPECT_EQ(rgb(hsv_adjust_pixel(150, 50, 30, -400, 0, 0)), (std::vector<int>{150, 30, 90}));
    // 10 + 1000 = 1010 -> 650 after the one correction -> 290: red (410 -> 50) lo + 120 * 50 / 60 = 130,
    // green (290) lo, blue (170) hi.
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, 1000, 0, 0)), (std::vector<int>{130, 30, 150}));
}

TEST(ColourAdjust, GreysStayGreyAndTheShiftsClamp)
{
    // A grey keeps hue and saturation 0: +50 saturation and any hue leave 128 grey.
    EXPECT_EQ(rgb(hsl_adjust_pixel(128, 128, 128, 77, 50, 0)), (std::vector<int>{128, 128, 128}));
    EXPECT_EQ(rgb(hsv_adjust_pixel(128, 128, 128, 77, 50, 0)), (std::vector<int>{128, 128, 128}));
    // Lightness of the grey +20: 128 / 255 + 0.2 = 0.70196 -> 179.
    EXPECT_EQ(rgb(hsl_adjust_pixel(128, 128, 128, 0, 0, 20)), (std::vector<int>{179, 179, 179}));
    // Lightness clamps at both ends: white and black for a colour and a grey.
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, 0, 0, 100)), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, 0, 0, -100)), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rgb(hsl_adjust_pixel(40, 40, 40, 0, 0, 250)), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(rgb(hsv_adjust_pixel(150, 50, 30, 0, 0, -300)), (std::vector<int>{0, 0, 0}));
    // Saturation -100 clamps to 0: the HSL grey of L = 90 / 255 is 90.
    EXPECT_EQ(rgb(hsl_adjust_pixel(150, 50, 30, 0, -100, 0)), (std::vector<int>{90, 90, 90}));
    // HSV saturation 0.8 + 0.5 clamps to 1: p = 0, t = V (1 - 5/6) = 25 / 255 -> 24 (truncated).
    EXPECT_EQ(rgb(hsv_adjust_pixel(150, 50, 30, 0, 50, 0)), (std::vector<int>{150, 24, 0}));
}

TEST(ColourAdjust, BuffersKeepAlphaAndDoNotDependOnThreads)
{
    // 2 x 2 through the exports: every pixel shifted, alpha untouched. Saturation
    // 2/3 + 0.5 clamps to 1: hi = 2 L = 180 / 255, lo = 0, green at hue 50 = 150.
    std::vector<std::uint8_t> px = {150, 50, 30, 7, 128, 128, 128, 0, 150, 50, 30, 255, 128, 128, 128, 99};
    MVE_ProcessBuffer_HSLAdjust(px.data(), 2, 2, 400, 50, 0);
    EXPECT_EQ(px, (std::vector<std::uint8_t>{180, 150, 0, 7, 128, 128, 128, 0, 180, 150, 0, 255, 128, 128,
                                             128, 99}));
    MVE_ProcessBuffer_HSVAdjust(px.data(), 2, 2, 0, 0, -100);
    EXPECT_EQ(px, (std::vector<std::uint8_t>{0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 99}));
    MVE_ProcessBuffer_HSLAdjust(nullptr, 2, 2, 10, 10, 10);  // nothing to do, no crash

    // A seeded 37 x 29 picture: one thread, two threads and the pixel reference agree.
    std::mt19937 rng(17);
    std::vector<std::uint8_t> pic(37 * 29 * 4);
    for (auto& v : pic) v = static_cast<std::uint8_t>(rng());
    std::vector<std::uint8_t> one = pic, two = pic;
    {
        WorkerThreads t(1);
        hsl_adjust(one.data(), 37, 29, -35, 20, -10);
    }
    {
        WorkerThreads t(2);
        hsl_adjust(two.data(), 37, 29, -35, 20, -10);
    }
    EXPECT_EQ(one, two);
    for (std::size_t i = 0; i < pic.size(); i += 4) {
        const Rgb8 c = hsl_adjust_pixel(pic[i], pic[i + 1], pic[i + 2], -35, 20, -10);
        ASSERT_EQ(rgb(c), (std::vector<int>{one[i], one[i + 1], one[i + 2]})) << "pixel " << i / 4;
        ASSERT_EQ(one[i + 3], pic[i + 3]);
    }
    one = pic, two = pic;
    {
        WorkerThreads t(1);
        hsv_adjust(one.data(), 37, 29, 123, -20, 15);
    }
    {
        WorkerThreads t(2);
        hsv_adjust(two.data(), 37, 29, 123, -20, 15);
    }
    EXPECT_EQ(one, two);
}

// The four-lane rows against the pixel reference, byte for byte, over a sweep
// of colours (channels in steps of 3, 7 and 5) and shifts at their ends.
// A row of 37 pixels also takes the one-pixel tail.
TEST(ColourAdjust, FastRowsMatchThePixelReference)
{
    struct Shift {
        int hue, saturation, lightness;
    };
    const Shift shifts[] = {{0, 0, 0},         {-35, 20, -10}, {360, -100, 100},
                            {-360, 100, -100}, {123, -20, 15}, {200, 37, 61}};
    std::vector<std::uint8_t> colours;
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 7)
            for (int b = 0; b < 256; b += 5)
                colours.insert(colours.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 9});
    for (int k = 0; k < 37; ++k)
        colours.insert(colours.end(), {std::uint8_t(k * 7), 128, std::uint8_t(255 - k), 1});
    const int n = static_cast<int>(colours.size() / 4);
    for (const Shift& sh : shifts)
        for (bool hsv : {false, true}) {
            std::vector<std::uint8_t> fast = colours;
            if (hsv)
                hsv_adjust_row_fast(fast.data(), n, sh.hue, sh.saturation, sh.lightness);
            else
                hsl_adjust_row_fast(fast.data(), n, sh.hue, sh.saturation, sh.lightness);
            for (int i = 0; i < n; ++i) {
                const std::uint8_t* c = &colours[i * 4];
                const Rgb8 ref =
                    hsv ? hsv_adjust_pixel(c[0], c[1], c[2], sh.hue, sh.saturation, sh.lightness)
                        : hsl_adjust_pixel(c[0], c[1], c[2], sh.hue, sh.saturation, sh.lightness);
                ASSERT_EQ(rgb(ref), (std::vector<int>{fast[i * 4], fast[i * 4 + 1], fast[i * 4 + 2]}))
                    << (hsv ? "HSV" : "HSL") << " shift " << sh.hue << "/" << sh.saturation << "/"
                    << sh.lightness << " colour " << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
                ASSERT_EQ(fast[i * 4 + 3], c[3]);
            }
        }
}

}  // namespace
