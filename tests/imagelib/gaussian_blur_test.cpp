// The engine's Gaussian blur: the sampled kernel worked by hand on a row,
// edges repeated, flat pictures kept, the recursive filter's spread and mass,
// and results independent of threads and of blurring in place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"

using mve::il::gaussian_blur;

namespace {

using Bytes = std::vector<std::uint8_t>;

// sigma 0.5: radius ceil(1.5) = 2, weights exp(-2 k^2) = 1, 0.135335,
// 0.000335 summing to 1.271341, normalised 0.786571, 0.106450, 0.000264.
// An impulse of 200 spreads to 21.29 and 157.31 (0.05 rounds to 0).
TEST(GaussianBlur, SampledKernelOnARow)
{
    Bytes row = {0, 0, 200, 0, 0}, out(5, 9);
    ASSERT_EQ(gaussian_blur(row.data(), 5, 1, 1, 5, out.data(), 5, 0.5), 1);
    EXPECT_EQ(out, (Bytes{0, 21, 157, 21, 0}));
    // The last pixel repeats beyond the edge: 200 * (0.786571 + 0.106450 + 0.000264) = 178.66,
    // its neighbour 200 * (0.106450 + 0.000264) = 21.34.
    Bytes edge = {0, 0, 0, 200};
    out.assign(4, 9);
    ASSERT_EQ(gaussian_blur(edge.data(), 4, 1, 1, 4, out.data(), 4, 0.5), 1);
    EXPECT_EQ(out, (Bytes{0, 0, 21, 179}));
}

TEST(GaussianBlur, FlatPicturesStayFlat)
{
    for (double sigma : {0.7, 2.0, 6.5, 40.0}) {
        Bytes flat(7 * 5 * 4), out(flat.size());
        for (std::size_t i = 0; i < flat.size(); ++i) flat[i] = static_cast<std::uint8_t>((i % 4) * 60 + 15);
        ASSERT_EQ(gaussian_blur(flat.data(), 7, 5, 4, 28, out.data(), 28, sigma), 1);
        EXPECT_EQ(out, flat) << sigma;
    }
}

// A one-pixel line blurred across: the profile keeps the line's mass (255)
// and its variance is sigma^2, within rounding and the filter's error.
void check_spread(double sigma, bool vertical)
{
    const int n = 121, across = 3, c = 60;
    const int w = vertical ? across : n, h = vertical ? n : across;
    Bytes in(static_cast<std::size_t>(w) * h, 0), out(in.size());
    for (int k = 0; k < across; ++k) in[vertical ? static_cast<std::size_t>(c) * w + k : static_cast<std::size_t>(k) * w + c] = 255;
    ASSERT_EQ(gaussian_blur(in.data(), w, h, 1, w, out.data(), w, sigma), 1);
    double mass = 0, second = 0;
    for (int i = 0; i < n; ++i) {
        const int v = out[vertical ? static_cast<std::size_t>(i) * w + 1 : static_cast<std::size_t>(w) + i];
        mass += v;
        second += v * double(i - c) * (i - c);
        if (i > 0 && i <= c) {
            const int mirror = out[vertical ? static_cast<std::size_t>(2 * c - i) * w + 1 : static_cast<std::size_t>(w) + 2 * c - i];
            EXPECT_NEAR(v, mirror, 1) << sigma << " at " << i;
        }
    }
    EXPECT_NEAR(mass, 255, 0.04 * 255 + sigma) << sigma;
    EXPECT_NEAR(std::sqrt(second / mass), sigma, 0.06 * sigma + 0.1) << sigma;
}

TEST(GaussianBlur, SpreadMatchesSigmaAlongRowsAndColumns)
{
    for (double sigma : {1.2, 2.0, 3.0, 8.0}) {
        check_spread(sigma, false);
        check_spread(sigma, true);
    }
}

TEST(GaussianBlur, SameResultOnAnyThreadsAndInPlace)
{
    const int w = 90, h = 70;
    Bytes in(static_cast<std::size_t>(w) * h * 3);
    std::uint32_t s = 12345;
    for (auto& v : in) v = static_cast<std::uint8_t>((s = s * 1103515245u + 12345u) >> 24);
    const double chunk = mve::parallel_settings().chunkNs;
    for (double sigma : {1.5, 4.0}) {
        mve::set_thread_count(1);
        Bytes one(in.size());
        ASSERT_EQ(gaussian_blur(in.data(), w, h, 3, w * 3, one.data(), w * 3, sigma), 1);
        mve::set_thread_count(2);
        mve::parallel_settings().chunkNs = 50;  // many small chunks
        Bytes two = in;
        ASSERT_EQ(gaussian_blur(two.data(), w, h, 3, w * 3, two.data(), w * 3, sigma), 1);
        mve::parallel_settings().chunkNs = chunk;
        EXPECT_EQ(one, two) << sigma;
        EXPECT_NE(one, in);
    }
    mve::set_thread_count(0);
}

TEST(GaussianBlur, RefusesBadArgumentsAndCopiesAtZero)
{
    Bytes in = {1, 2, 3, 4}, out(4, 0);
    EXPECT_EQ(gaussian_blur(nullptr, 2, 2, 1, 2, out.data(), 2, 1.0), 0);
    EXPECT_EQ(gaussian_blur(in.data(), 0, 2, 1, 2, out.data(), 2, 1.0), 0);
    EXPECT_EQ(gaussian_blur(in.data(), 2, 2, 5, 10, out.data(), 10, 1.0), 0);
    EXPECT_EQ(gaussian_blur(in.data(), 2, 2, 1, 1, out.data(), 2, 1.0), 0);
    EXPECT_EQ(gaussian_blur(in.data(), 2, 2, 1, 2, out.data(), 2, NAN), 0);
    EXPECT_EQ(out, Bytes(4, 0));
    EXPECT_EQ(gaussian_blur(in.data(), 2, 2, 1, 2, out.data(), 2, -3.0), 1);
    EXPECT_EQ(out, in);
    // A huge sigma on a tiny picture is capped and ends near the mean (2.5).
    EXPECT_EQ(gaussian_blur(in.data(), 2, 2, 1, 2, out.data(), 2, 1e9), 1);
    for (int v : out) EXPECT_NEAR(v, 2.5, 1.0);
}

}  // namespace
