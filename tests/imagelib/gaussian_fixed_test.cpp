// The fixed-point Gaussian blur: the integer taps and both passes worked by
// hand, the vector loops (SSE and AVX2) against the plain loops on seeded
// random lines, and the banded, tiled whole blur against the formula applied
// to the whole picture at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/merge_float_batch.h"
#include "core/parallel.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/gaussian_fixed.h"

using namespace mve::il;

namespace {

unsigned next(unsigned& seed)
{
    return (seed = seed * 1103515245u + 12345u) >> 16;
}

// sigma 0.5: weights 1, e^-2 = 0.135335, e^-8 = 0.000335 summing (both sides)
// to 1.271341; times 16384: 1744.1 -> 1744 and 4.32 -> 4; the centre takes
// the rest, 16384 - 2 * 1748 = 12888.
TEST(GaussianFixed, TapsWorkedByHand)
{
    const gauss::FixedKernel k = gauss::fixed_kernel(0.5);
    ASSERT_EQ(k.radius, 2);
    EXPECT_EQ(k.taps[0], 12888);
    EXPECT_EQ(k.taps[1], 1744);
    EXPECT_EQ(k.taps[2], 4);
    // Wide kernels still sum to exactly 16384.
    const gauss::FixedKernel wide = gauss::fixed_kernel(7.9);
    ASSERT_EQ(wide.radius, 24);
    int sum = wide.taps[0];
    for (int m = 1; m <= wide.radius; ++m) sum += 2 * wide.taps[m];
    EXPECT_EQ(sum, 16384);
}

// Both passes by hand with the sigma 0.5 taps on 17 values (one or two
// vector groups and a plain tail), at every vector level.
TEST(GaussianFixed, PassesWorkedByHand)
{
    const gauss::FixedKernel k = gauss::fixed_kernel(0.5);
    // Row pass, one channel: an impulse of 200 at value 8 and one at 16 (the
    // tail), two values of padding on either side.
    std::vector<std::uint8_t> line(2 + 17 + 2 + 16, 0);
    line[2 + 8] = 200, line[2 + 16] = 200;
    // 200 * 12888 + 128 >> 8 = 10069 (10069.25), 200 * 1744 -> 1363 (1363.0),
    // 200 * 4 -> 3 (3.6).
    std::vector<std::int16_t> expectRow(17, 0);
    expectRow[6] = expectRow[10] = 3, expectRow[7] = expectRow[9] = 1363, expectRow[8] = 10069;
    expectRow[14] = 3, expectRow[15] = 1363, expectRow[16] = 10069;
    // Column pass on five rows: column 0 holds 6400 (100 * 64) in the centre
    // only: 100 * 12888 / 16384 = 78.66, plus one half, 79. Column 16 holds it
    // in all rows but the centre: 100 * 3496 / 16384 = 21.34 -> 21. The rest
    // are flat at 64 * 37 and stay 37.
    std::vector<std::vector<std::int16_t>> rows(5, std::vector<std::int16_t>(17, 64 * 37));
    for (int t = 0; t < 5; ++t) rows[t][0] = t == 2 ? 6400 : 0, rows[t][16] = t == 2 ? 0 : 6400;
    const std::int16_t* rowPointers[5];
    for (int t = 0; t < 5; ++t) rowPointers[t] = rows[t].data();
    std::vector<std::uint8_t> expectColumn(17, 37);
    expectColumn[0] = 79, expectColumn[16] = 21;
    const mve::SimdLevel ceiling = mve::simd_ceiling();
    for (mve::SimdLevel level : {mve::SimdLevel::Sse2, mve::SimdLevel::Avx2}) {
        mve::set_simd_ceiling(level);
        std::vector<std::int16_t> h(17, -1);
        gauss::fixed_row(line.data() + 2, 1, k, h.data(), 17);
        EXPECT_EQ(h, expectRow) << static_cast<int>(level);
        std::vector<std::uint8_t> out(17, 0);
        gauss::fixed_column(rowPointers, k, out.data(), 17);
        EXPECT_EQ(out, expectColumn) << static_cast<int>(level);
    }
    mve::set_simd_ceiling(ceiling);
}

TEST(GaussianFixed, VectorLoopsMatchThePlainLoops)
{
    const mve::SimdLevel ceiling = mve::simd_ceiling();
    for (unsigned start = 1; start <= 30; ++start) {
        unsigned seed = start;
        const int C = 1 + static_cast<int>(start % 4);
        const gauss::FixedKernel k = gauss::fixed_kernel(0.3 + (next(seed) % 770) / 100.0);
        const int n = 1 + static_cast<int>(next(seed) % 90);
        std::vector<std::uint8_t> line(static_cast<std::size_t>(n + 2 * k.radius * C));
        for (auto& v : line) v = static_cast<std::uint8_t>(next(seed));
        std::vector<std::int16_t> ring(static_cast<std::size_t>(2 * k.radius + 1) * n);
        for (auto& v : ring) v = static_cast<std::int16_t>(next(seed) % 16321);
        std::vector<const std::int16_t*> rows;
        for (int t = 0; t <= 2 * k.radius; ++t) rows.push_back(ring.data() + static_cast<std::size_t>(t) * n);
        std::vector<std::int16_t> hSlow(static_cast<std::size_t>(n));
        std::vector<std::uint8_t> oSlow(static_cast<std::size_t>(n));
        gauss::fixed_row_reference(line.data() + k.radius * C, C, k, hSlow.data(), n);
        gauss::fixed_column_reference(rows.data(), k, oSlow.data(), n);
        for (mve::SimdLevel level : {mve::SimdLevel::Sse2, mve::SimdLevel::Avx2}) {
            mve::set_simd_ceiling(level);
            std::vector<std::int16_t> h(static_cast<std::size_t>(n));
            std::vector<std::uint8_t> o(static_cast<std::size_t>(n));
            gauss::fixed_row(line.data() + k.radius * C, C, k, h.data(), n);
            gauss::fixed_column(rows.data(), k, o.data(), n);
            EXPECT_EQ(h, hSlow) << "row, seed " << start << " level " << static_cast<int>(level);
            EXPECT_EQ(o, oSlow) << "column, seed " << start << " level " << static_cast<int>(level);
        }
    }
    mve::set_simd_ceiling(ceiling);
}

// The formula of gaussian_fixed.h over the whole picture, edges repeated.
std::vector<std::uint8_t> whole_picture_formula(const std::vector<std::uint8_t>& src, int w, int h, int C,
                                                const gauss::FixedKernel& k)
{
    const auto at = [&](int x, int y, int c) {
        return src[(static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)) * C + c];
    };
    std::vector<std::int32_t> mid(src.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < C; ++c) {
                std::int32_t s = k.taps[0] * at(x, y, c);
                for (int m = 1; m <= k.radius; ++m) s += k.taps[m] * (at(x - m, y, c) + at(x + m, y, c));
                mid[(static_cast<std::size_t>(y) * w + x) * C + c] = (s + 128) >> 8;
            }
    std::vector<std::uint8_t> out(src.size());
    const auto m_at = [&](int x, int y, int c) {
        return mid[(static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + x) * C + c];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < C; ++c) {
                std::int32_t s = k.taps[0] * m_at(x, y, c);
                for (int m = 1; m <= k.radius; ++m) s += k.taps[m] * (m_at(x, y - m, c) + m_at(x, y + m, c));
                out[(static_cast<std::size_t>(y) * w + x) * C + c] =
                    static_cast<std::uint8_t>((s + (1 << 19)) >> 20);
            }
    return out;
}

// Wider than one tile (512 pixels) and taller than one band (128 rows),
// with a row stride larger than the row, on one and two threads.
TEST(GaussianFixed, TilesAndBandsMatchTheWholePictureFormula)
{
    const int w = 1100, h = 300;
    unsigned seed = 99;
    for (int C : {1, 4}) {
        std::vector<std::uint8_t> src(static_cast<std::size_t>(w) * h * C);
        for (auto& v : src) v = static_cast<std::uint8_t>(next(seed));
        for (double sigma : {0.7, 6.0}) {
            const std::vector<std::uint8_t> expect =
                whole_picture_formula(src, w, h, C, gauss::fixed_kernel(sigma));
            for (int threads : {1, 2}) {
                mve::set_thread_count(threads);
                const int stride = w * C + 5;
                std::vector<std::uint8_t> dst(static_cast<std::size_t>(stride) * h, 0);
                ASSERT_EQ(gaussian_blur(src.data(), w, h, C, w * C, dst.data(), stride, sigma), 1);
                std::vector<std::uint8_t> packed;
                for (int y = 0; y < h; ++y)
                    packed.insert(packed.end(), dst.begin() + static_cast<std::ptrdiff_t>(y) * stride,
                                  dst.begin() + static_cast<std::ptrdiff_t>(y) * stride + w * C);
                EXPECT_TRUE(packed == expect) << "C " << C << " sigma " << sigma << " threads " << threads;
            }
        }
    }
    mve::set_thread_count(0);
}

}  // namespace
