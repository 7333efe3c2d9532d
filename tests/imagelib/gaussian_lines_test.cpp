// The recursive Gaussian blur's line filters: the roundings worked by hand,
// and every vector path against its plain loop (same bits) on seeded random
// lines of odd sizes, then whole blurs with the fast paths on and off.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/runtime.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/gaussian_lines.h"

using namespace mve::il;

namespace {

unsigned next(unsigned& seed)
{
    return (seed = seed * 1103515245u + 12345u) >> 16;
}

std::vector<float> random_floats(std::size_t n, unsigned& seed)
{
    std::vector<float> v(n);
    for (float& f : v) f = static_cast<float>(next(seed) % 25600) / 100.0f;
    return v;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(GaussianLines, RoundingWorkedByHand)
{
    // Half rounds up; below 0 and above the top clamp. 17 values: two vector
    // passes of 8 (fixed) or one of 16 (bytes) and a scalar tail.
    const std::vector<float> in = {-3, 0, 0.49f, 0.5f, 1.5f, 100.25f, 254.5f, 255, 300, 2, 3, 4, 5, 6, 7, 8, 0.5f};
    std::vector<std::uint8_t> bytes(in.size());
    gauss::to_bytes(in.data(), bytes.data(), static_cast<int>(in.size()));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 1, 2, 100, 255, 255, 255, 2, 3, 4, 5, 6, 7, 8, 1}));
    // Fixed point: v * 256 rounded, clamped to 65535 (255.999 * 256 = 65535.7).
    const std::vector<float> fin = {-1, 0, 1, 0.001953125f, 255.999f, 300, 0.5f, 2, 1.0f / 512 - 1e-6f};
    std::vector<std::uint16_t> fixed(fin.size());
    gauss::to_fixed(fin.data(), fixed.data(), static_cast<int>(fin.size()));
    EXPECT_EQ(fixed, (std::vector<std::uint16_t>{0, 0, 256, 1, 65535, 65535, 128, 512, 0}));
}

TEST(GaussianLines, VectorFiltersMatchThePlainLoops)
{
    const gauss::Recursive rec{0.2f, 1.6f, -0.95f, 0.15f};
    for (unsigned start = 1; start <= 24; ++start) {
        unsigned seed = start;
        const int n = 2 * static_cast<int>(next(seed) % 30) + 1;
        const int lanes[] = {1, 3, 4, 7, 12, 16, 20, 128};
        const int k = lanes[start % 8];
        const std::vector<float> in = random_floats(static_cast<std::size_t>(n + 6) * k, seed);
        std::vector<float> rfast = in, rslow = in;
        gauss::recursive_line(rfast.data(), n + 6, k, rec);
        gauss::recursive_line_reference(rslow.data(), n + 6, k, rec);
        EXPECT_TRUE(same_bits(rfast, rslow)) << "recursive, seed " << start << " n " << n << " k " << k;
    }
}

TEST(GaussianLines, WholeBlurSameWithAndWithoutFastPaths)
{
    unsigned seed = 7;
    const int w = 37, h = 23;
    for (int channels : {1, 3, 4}) {
        std::vector<std::uint8_t> src(static_cast<std::size_t>(w) * h * channels);
        for (auto& v : src) v = static_cast<std::uint8_t>(next(seed));
        for (double sigma : {0.8, 2.0, 2.9, 4.0, 20.0}) {
            std::vector<std::uint8_t> fast(src.size()), slow(src.size());
            ASSERT_EQ(gaussian_blur(src.data(), w, h, channels, w * channels, fast.data(), w * channels, sigma), 1);
            mve::set_fast_paths(false);
            ASSERT_EQ(gaussian_blur(src.data(), w, h, channels, w * channels, slow.data(), w * channels, sigma), 1);
            mve::set_fast_paths(true);
            EXPECT_EQ(fast, slow) << "channels " << channels << " sigma " << sigma;
        }
    }
}

}  // namespace
