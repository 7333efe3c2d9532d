// The four noise distributions keep their shapes: bounds and skew that tell
// them apart, on a mid-grey picture with scale d = 20 levels (amount 2000).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imagelib/noise.h"

namespace {

using mve::il::NoiseKind;

// The offsets from 128 of a 64 x 64 grey picture after coloured noise.
std::vector<int> offsets(NoiseKind kind)
{
    const int w = 64, h = 64;
    std::vector<std::uint8_t> p(static_cast<std::size_t>(w) * h * 4, 128);
    EXPECT_EQ(mve::il::add_noise(kind, p.data(), w, h, 4, w * 4, 2000, 1, 9), 1);
    std::vector<int> out;
    for (std::size_t k = 0; k < p.size(); ++k)
        if (k % 4 != 3) out.push_back(p[k] - 128);
    std::sort(out.begin(), out.end());
    return out;
}

int median(const std::vector<int>& v) { return v[v.size() / 2]; }

}  // namespace

TEST(NoiseKinds, EachDistributionKeepsItsShape)
{
    // Uniform over -20..20: nothing beyond, and both ends nearly reached.
    const auto uniform = offsets(NoiseKind::Uniform);
    EXPECT_GE(uniform.front(), -20);
    EXPECT_LE(uniform.back(), 20);
    EXPECT_LE(uniform.front(), -19);
    EXPECT_GE(uniform.back(), 19);
    // Negative exponential 20 (E - 1): never below -20, median 20 (ln 2 - 1) = -6.1,
    // a long bright tail (E above 4 for 1.8 % of draws: offsets above 60).
    const auto exponential = offsets(NoiseKind::NegativeExponential);
    EXPECT_GE(exponential.front(), -20);
    EXPECT_NEAR(median(exponential), -6, 1);
    EXPECT_GT(exponential.back(), 60);
    // Rayleigh 20 (R - 1.2533): never below -25.07, median 20 (1.1774 - 1.2533) = -1.5.
    const auto rayleigh = offsets(NoiseKind::Rayleigh);
    EXPECT_GE(rayleigh.front(), -25);
    EXPECT_NEAR(median(rayleigh), -1.5, 1);
    // Gaussian: symmetric about 0 and unbounded: beyond 2.5 d on both sides somewhere
    // among 12288 draws (0.6 % each side).
    const auto gaussian = offsets(NoiseKind::Gaussian);
    EXPECT_NEAR(median(gaussian), 0, 1);
    EXPECT_LT(gaussian.front(), -50);
    EXPECT_GT(gaussian.back(), 50);
    // Amount 0 leaves the picture.
    std::vector<std::uint8_t> p(16, 77);
    EXPECT_EQ(mve::il::add_noise(NoiseKind::Rayleigh, p.data(), 2, 2, 4, 8, 0, 1, 3), 1);
    EXPECT_EQ(p, std::vector<std::uint8_t>(16, 77));
}
