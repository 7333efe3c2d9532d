// Rank and statistical filters on a 5 x 5 picture with outliers and on rows
// worked by hand (edge pixels repeat outside the picture).
#include <gtest/gtest.h>

#include <algorithm>

#include "filter_test_pictures.h"
#include "imagelib/rank_filters.h"
#include "support/worker_threads.h"

using namespace mve::il;
using namespace filter_test;

namespace {

// 5 x 5 of 100 with a bright outlier 250 at (2, 2) and a dark one 0 at (0, 0).
Pixels outliers()
{
    std::vector<int> v(25, 100);
    v[12] = 250, v[0] = 0;
    return grey(5, 5, v);
}

}  // namespace

TEST(RankFilters, MedianMaximumAndMinimumOnAPictureWithOutliers)
{
    const Pixels in = outliers();
    Pixels out(in.size());
    // Every 3 x 3 window holds at most one outlier among 9 values: the median is 100 everywhere.
    ASSERT_EQ(median_filter(in.data(), out.data(), 5, 5, 1), 1);
    EXPECT_EQ(reds(out), std::vector<int>(25, 100));
    EXPECT_EQ(out[3], 255);
    // Maximum: the 3 x 3 block around (2, 2) is 250, the rest 100 (the 0 never wins).
    ASSERT_EQ(maximum_filter(in.data(), out.data(), 5, 5, 1), 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(reds(out)[y * 5 + x], (x >= 1 && x <= 3 && y >= 1 && y <= 3) ? 250 : 100) << x << "," << y;
    // Minimum: the windows that reach (0, 0) are those of (0..1, 0..1).
    ASSERT_EQ(minimum_filter(in.data(), out.data(), 5, 5, 1), 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(reds(out)[y * 5 + x], (x <= 1 && y <= 1) ? 0 : 100) << x << "," << y;
}

TEST(RankFilters, MedianMatchesSortedWindowsAndClampsAHugeRadius)
{
    const mve::WorkerThreads threads(2);
    // Against a plain sort of every window, all four channels, radius 2 on 7 x 6.
    const int w = 7, h = 6, r = 2;
    const Pixels in = varied(w, h, 3);
    Pixels out(in.size());
    ASSERT_EQ(median_filter(in.data(), out.data(), w, h, r), 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                std::vector<int> win;
                for (int j = -r; j <= r; ++j)
                    for (int i = -r; i <= r; ++i) {
                        const int sx = std::clamp(x + i, 0, w - 1), sy = std::clamp(y + j, 0, h - 1);
                        win.push_back(in[(sy * w + sx) * 4 + c]);
                    }
                std::sort(win.begin(), win.end());
                ASSERT_EQ(out[(y * w + x) * 4 + c], win[win.size() / 2]) << x << "," << y << "," << c;
            }

    // A column 10, 20, 200 with radius 10^9: the radius becomes 3 (the larger
    // side). Row 0's window reads rows 0,0,0,0,1,2,2 (each 7 times): 28 tens
    // of 49 values, so the median (rank 24) is 10. Row 2 reads 0,0,1,2,2,2,2:
    // 14 tens, 7 twenties, 28 of 200: rank 24 is 200.
    const Pixels col = grey(1, 3, {10, 20, 200});
    Pixels m(col.size());
    ASSERT_EQ(median_filter(col.data(), m.data(), 1, 3, 1000000000LL), 1);
    EXPECT_EQ(reds(m), (std::vector<int>{10, 20, 200}));
}

TEST(RankFilters, GeometricAndHarmonicMeans)
{
    // Row 4, 16, 64 with radius 1: the middle (4 * 16 * 64)^(1/3) = 16; the
    // start (4 * 4 * 16)^(1/3) = 6.35 -> 6; the end (16 * 64 * 64)^(1/3) = 40.3 -> 40.
    const Pixels row = grey(3, 1, {4, 16, 64});
    Pixels out(row.size());
    ASSERT_EQ(geometric_mean_filter(row.data(), out.data(), 3, 1, 1), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{6, 16, 40}));
    EXPECT_EQ(out[3], 255);
    // A zero in the window makes the product, and the mean, 0.
    const Pixels zero = grey(4, 1, {0, 50, 50, 50});
    out.resize(zero.size());
    ASSERT_EQ(geometric_mean_filter(zero.data(), out.data(), 4, 1, 1), 1);
    EXPECT_EQ(reds(out)[1], 0);
    EXPECT_EQ(reds(out)[2], 50);
    ASSERT_EQ(harmonic_mean_filter(zero.data(), out.data(), 4, 1, 1), 1);
    EXPECT_EQ(reds(out)[1], 0);
    // Harmonic mean of 2, 4, 4: 3 / (1/2 + 1/4 + 1/4) = 3; of 2, 2, 4: 3 / 1.25 = 2.4 -> 2.
    const Pixels h = grey(3, 1, {2, 4, 4});
    out.resize(h.size());
    ASSERT_EQ(harmonic_mean_filter(h.data(), out.data(), 3, 1, 1), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{2, 3, 4}));
}

TEST(RankFilters, LocalEnhancementLiftsDarkTexturedAreasOnly)
{
    // Grey row 20, 30, 20, 200, 200, 200: luminance M = 111.7, D = 88.4.
    // x = 0 and 1: window mean 23.3 <= 0.4 M and deviation 4.7 within
    // [0.02 D, 0.4 D]: multiplied by 4. x = 2 sees 30, 20, 200 (mean 83 > 0.4 M):
    // kept; the bright flat end is kept.
    const Pixels row = grey(6, 1, {20, 30, 20, 200, 200, 200});
    Pixels out(row.size());
    ASSERT_EQ(local_histogram_enhancement(row.data(), out.data(), 6, 1, LocalEnhancement{1, 4.0, 0.4, 0.02, 0.4}), 1);
    EXPECT_EQ(reds(out), (std::vector<int>{80, 120, 20, 200, 200, 200}));
    EXPECT_EQ(out[7], 255);
    // A flat picture has no deviation anywhere, and a gain of 1 changes nothing.
    const Pixels flat = uniform(4, 3, 10, 10, 10, 255);
    Pixels flatOut(flat.size());
    ASSERT_EQ(local_histogram_enhancement(flat.data(), flatOut.data(), 4, 3, LocalEnhancement{}), 1);
    EXPECT_EQ(flatOut, flat);
    const Pixels any = varied(5, 4);
    Pixels same(any.size());
    ASSERT_EQ(local_histogram_enhancement(any.data(), same.data(), 5, 4, LocalEnhancement{2, 1.0, 1, 0, 10}), 1);
    for (std::size_t i = 0; i < any.size(); ++i) ASSERT_EQ(same[i], any[i]);
}
