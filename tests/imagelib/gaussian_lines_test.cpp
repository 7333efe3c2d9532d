// The Gaussian blur's line filters: the roundings and the row-wise column
// kernel worked by hand, and every vector path against its plain loop (same
// bits) on seeded random lines of odd sizes, then whole blurs with the fast
// paths on and off.
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

TEST(GaussianLines, RowWiseColumnKernelWorkedByHand)
{
    // Taps 1/4, 1/2, 1/4 (divided by 256 for the fixed-point rows) over rows
    // of 9 values 0, 100 and 200 (times 256): 0/4 + 100/2 + 200/4 = 100; the
    // ninth value (the scalar tail) has 40, 41, 43: 10 + 20.5 + 10.75 = 41.25.
    std::vector<std::uint16_t> r0(9, 0), r1(9, 100 * 256), r2(9, 200 * 256);
    r0[8] = 40 * 256, r1[8] = 41 * 256, r2[8] = 43 * 256;
    const std::uint16_t* rows[] = {r0.data(), r1.data(), r2.data()};
    const float taps[] = {0.25f / 256, 0.5f / 256, 0.25f / 256};
    std::vector<std::uint8_t> out(9);
    gauss::convolve_rows(rows, taps, 3, out.data(), 9);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{100, 100, 100, 100, 100, 100, 100, 100, 41}));
}

TEST(GaussianLines, VectorFiltersMatchThePlainLoops)
{
    const float taps[] = {0.05f, 0.1f, 0.2f, 0.3f, 0.2f, 0.1f, 0.05f};
    const gauss::Recursive rec{0.2f, 1.6f, -0.95f, 0.15f};
    for (unsigned start = 1; start <= 24; ++start) {
        unsigned seed = start;
        const int n = 2 * static_cast<int>(next(seed) % 30) + 1;
        const int lanes[] = {1, 3, 4, 7, 12, 16, 20, 128};
        const int k = lanes[start % 8];
        const std::vector<float> in = random_floats(static_cast<std::size_t>(n + 6) * k, seed);
        std::vector<float> fast(static_cast<std::size_t>(n) * k), slow(fast.size());
        gauss::convolve_line(in.data(), fast.data(), n, k, taps, 7);
        gauss::convolve_line_reference(in.data(), slow.data(), n, k, taps, 7);
        EXPECT_TRUE(same_bits(fast, slow)) << "convolve, seed " << start << " n " << n << " k " << k;
        std::vector<float> rfast = in, rslow = in;
        gauss::recursive_line(rfast.data(), n + 6, k, rec);
        gauss::recursive_line_reference(rslow.data(), n + 6, k, rec);
        EXPECT_TRUE(same_bits(rfast, rslow)) << "recursive, seed " << start << " n " << n << " k " << k;
        std::vector<std::uint16_t> rowData(static_cast<std::size_t>(7) * n);
        for (auto& v : rowData) v = static_cast<std::uint16_t>(next(seed));
        const std::uint16_t* rows[7];
        for (int t = 0; t < 7; ++t) rows[t] = rowData.data() + static_cast<std::size_t>(t) * n;
        float scaled[7];
        for (int t = 0; t < 7; ++t) scaled[t] = taps[t] / 256;
        std::vector<std::uint8_t> bfast(static_cast<std::size_t>(n)), bslow(bfast.size());
        gauss::convolve_rows(rows, scaled, 7, bfast.data(), n);
        gauss::convolve_rows_reference(rows, scaled, 7, bslow.data(), n);
        EXPECT_EQ(bfast, bslow) << "rows, seed " << start << " n " << n;
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
