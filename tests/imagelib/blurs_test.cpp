// Window blurs, the mosaic and the path blurs, worked by hand on rows and
// small squares (edge pixels repeat outside the picture).
#include <gtest/gtest.h>

#include "filter_test_pictures.h"
#include "imagelib/blurs.h"
#include "core/runtime.h"
#include "support/worker_threads.h"

using namespace mve::il;
using namespace filter_test;

TEST(LocalBlurs, BlurIsTheThreeByThreeMeanWithEdgesRepeated)
{
    // 5 x 5 zeros with 9 at (1, 1) and 90 at (2, 2).
    std::vector<int> v(25, 0);
    v[6] = 9, v[12] = 90;
    const Pixels in = grey(5, 5, v);
    Pixels out(in.size());
    ASSERT_EQ(blur_3x3(in.data(), out.data(), 5, 5, 1), 1);
    const auto r = reds(out);
    EXPECT_EQ(r[6], 11);   // (9 + 90) / 9
    EXPECT_EQ(r[12], 11);  // the same two in its window
    EXPECT_EQ(r[18], 10);  // (3, 3): only the 90
    // (0, 0): the window (-1..1)^2 reads (0, 0) four times, (1, 0) and (0, 1)
    // twice and (1, 1) once: 9 / 9.
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[24], 0);
    EXPECT_EQ(out[12 * 4 + 3], 255);

    // Arithmetic mean of radius 1 on the row 10, 50, 200 (rows repeat):
    // (10 + 50 + 200) / 3 = 86.7 -> 87 in the middle, (10 + 10 + 50) / 3 = 23.3 -> 23 at the start.
    const Pixels row = grey(3, 1, {10, 50, 200});
    Pixels mean(row.size());
    ASSERT_EQ(arithmetic_mean_filter(row.data(), mean.data(), 3, 1, 1), 1);
    EXPECT_EQ(reds(mean), (std::vector<int>{23, 87, 150}));
    // Midpoint: (max + min + 1) / 2: (50 + 10 + 1) / 2 = 30, (200 + 10 + 1) / 2 = 105, (200 + 50 + 1) / 2 = 125.
    ASSERT_EQ(midpoint_filter(row.data(), mean.data(), 3, 1, 1), 1);
    EXPECT_EQ(reds(mean), (std::vector<int>{30, 105, 125}));
}

TEST(LocalBlurs, MosaicBlocksAreUniformBlockMeansAndEdgeBlocksAreCut)
{
    // 5 x 4, value x + 10 y, blocks of 2: the last column forms 1-wide blocks.
    std::vector<int> v;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) v.push_back(x + 10 * y);
    Pixels p = grey(5, 4, v);
    ASSERT_EQ(mosaic_image(p.data(), p.data(), 5, 4, 2), 1);  // in place
    const auto r = reds(p);
    // (0 + 1 + 10 + 11 + 2) / 4 = 6; (4 + 14 + 1) / 2 = 9; (22 + 23 + 32 + 33 + 2) / 4 = 28; (24 + 34 + 1) / 2 = 29.
    for (int i : {0, 1, 5, 6}) EXPECT_EQ(r[i], 6);
    for (int i : {4, 9}) EXPECT_EQ(r[i], 9);
    for (int i : {12, 13, 17, 18}) EXPECT_EQ(r[i], 28);
    for (int i : {14, 19}) EXPECT_EQ(r[i], 29);
    // A block of the whole picture or more: every pixel the mean, (0 + ... + 34) = 340 / 20 = 17.
    p = grey(5, 4, v);
    ASSERT_EQ(mosaic_image(p.data(), p.data(), 5, 4, 1000000000LL), 1);
    EXPECT_EQ(reds(p), std::vector<int>(20, 17));
}

TEST(PathBlurs, MotionBlurAveragesAlongItsLine)
{
    // Centred, length 2, 3 samples at -1, 0, +1: 90 spreads to 30 over three pixels.
    const Pixels row = grey(5, 1, {0, 0, 90, 0, 0});
    Pixels out(row.size());
    ASSERT_EQ(motion_blur(row.data(), out.data(), 5, 1, 0.0, 2.0, 3, true), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{0, 30, 30, 30, 0}));
    // At 90 degrees the same line runs down a column.
    ASSERT_EQ(motion_blur(row.data(), out.data(), 1, 5, 90.0, 2.0, 3, true), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{0, 30, 30, 30, 0}));
    // A horizontal line does not mix a column picture's rows: each row's line reads only itself.
    ASSERT_EQ(motion_blur(row.data(), out.data(), 1, 5, 0.0, 2.0, 3, true), 1);
    EXPECT_EQ(reds(out), reds(row));
    // Trailing: samples at 0, -1, -2 weighted 3, 2, 1: 120 at x = 2 leaves
    // 120 * 3/6 = 60 there, 40 one pixel later and 20 two pixels later.
    const Pixels row2 = grey(5, 1, {0, 0, 120, 0, 0});
    ASSERT_EQ(motion_blur(row2.data(), out.data(), 5, 1, 0.0, 2.0, 3, false), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{0, 0, 60, 40, 20}));
}

TEST(PathBlurs, RadialAndZoomBlursSampleTheirPaths)
{
    // 3 x 3, centre (1, 1), arc 180 degrees: pixel (2, 1) at radius 1 takes
    // ceil(pi) + 1 = 5 samples at -90, -45, 0, 45, 90 degrees. Only (2, 1)
    // holds 100: the sample on it gives 100 and the two at 45 degrees each
    // give a bilinear share 0.707 * 0.293 of it: (100 + 2 * 20.71) / 5 = 28.3.
    std::vector<int> v(9, 0);
    v[5] = 100;
    const Pixels in = grey(3, 3, v);
    Pixels out(in.size());
    ASSERT_EQ(radial_blur(in.data(), out.data(), 3, 3, 1.0, 1.0, 180.0, 64), 1);
    EXPECT_EQ(reds(out)[5], 28);
    EXPECT_EQ(reds(out)[4], 0);  // the centre: one sample, itself
    // No arc: the picture unchanged.
    const Pixels any = varied(6, 5);
    Pixels same(any.size());
    ASSERT_EQ(radial_blur(any.data(), same.data(), 6, 5, 2.5, 1.0, 0.0, 64), 1);
    EXPECT_EQ(same, any);

    // Zoom towards (0, 0) by half: pixel 4 of a row averages x = 4, 3, 2 (length 2, 3 samples).
    const Pixels row = grey(5, 1, {0, 0, 30, 0, 90});
    out.resize(row.size());
    ASSERT_EQ(zoom_blur(row.data(), out.data(), 5, 1, 0.0, 0.0, 0.5, 64), 1);
    EXPECT_EQ(reds(out)[4], 40);  // (90 + 0 + 30) / 3
    EXPECT_EQ(reds(out)[0], 0);
    // The sample cap limits the path to 2 samples: x = 4 and 2: (90 + 30) / 2.
    ASSERT_EQ(zoom_blur(row.data(), out.data(), 5, 1, 0.0, 0.0, 0.5, 2), 1);
    EXPECT_EQ(reds(out)[4], 60);
}

TEST(Blurs, UniformPictureStaysUniformUnderEveryBlur)
{
    const mve::WorkerThreads threads(2);
    const Pixels flat = uniform(9, 7, 37, 200, 91, 254);
    Pixels out(flat.size());
    auto check = [&](int ok, const char* what) {
        EXPECT_EQ(ok, 1) << what;
        EXPECT_EQ(out, flat) << what;
        std::fill(out.begin(), out.end(), 0);
    };
    check(blur_3x3(flat.data(), out.data(), 9, 7, 3), "blur");
    check(blur_more(flat.data(), out.data(), 9, 7, 2), "blur more");
    check(arithmetic_mean_filter(flat.data(), out.data(), 9, 7, 4), "mean");
    check(mosaic_image(flat.data(), out.data(), 9, 7, 4), "mosaic");
    check(midpoint_filter(flat.data(), out.data(), 9, 7, 2), "midpoint");
    check(motion_blur(flat.data(), out.data(), 9, 7, 33.0, 7.5, 0, true), "motion");
    check(motion_blur(flat.data(), out.data(), 9, 7, -120.0, 5.0, 9, false), "motion trailing");
    check(radial_blur(flat.data(), out.data(), 9, 7, 2.0, 3.0, 90.0, 64), "radial");
    check(zoom_blur(flat.data(), out.data(), 9, 7, 4.0, 3.0, 0.8, 64), "zoom");
    check(adaptive_unsharp_mask(flat.data(), out.data(), 9, 7, 2.0, 3, 0), "adaptive unsharp");
}

TEST(LocalBlurs, AdaptiveUnsharpMaskSteepensEdgesAndLeavesFlatAreas)
{
    const Pixels step = grey(8, 1, {50, 50, 50, 50, 150, 150, 150, 150});
    Pixels out(step.size());
    ASSERT_EQ(adaptive_unsharp_mask(step.data(), out.data(), 8, 1, 1.0, 2, 0), 1);
    const auto r = reds(out);
    EXPECT_EQ(r[0], 50);   // its blur window (x - 2 .. x + 2) is all 50
    EXPECT_EQ(r[7], 150);
    EXPECT_LT(r[3], 50);   // the dark side of the edge darkens
    EXPECT_GT(r[4], 150);  // the light side lightens
    // A threshold far above the edge's contrast barely acts: weight |dL| / 1000.
    ASSERT_EQ(adaptive_unsharp_mask(step.data(), out.data(), 8, 1, 1.0, 2, 1000), 1);
    EXPECT_GE(reds(out)[3], 45);
}

TEST(PathBlurs, FastPathsMatchTheScalarReference)
{
    const int w = 23, h = 17;
    const Pixels in = varied(w, h, 11);
    Pixels fast(in.size()), plain(in.size());
    auto both = [&](auto op) {
        mve::set_fast_paths(true);
        ASSERT_EQ(op(fast.data()), 1);
        mve::set_fast_paths(false);
        ASSERT_EQ(op(plain.data()), 1);
        mve::set_fast_paths(true);
        EXPECT_EQ(fast, plain);
    };
    both([&](std::uint8_t* out) { return radial_blur(in.data(), out, w, h, 7.3, 5.1, 40.0, 64); });
    both([&](std::uint8_t* out) { return zoom_blur(in.data(), out, w, h, 20.0, -3.0, 0.6, 64); });
}
