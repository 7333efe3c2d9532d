// "Box Blur": hand-worked border cut and wrap, and the running-sum passes
// against a plain window-sum reference on seeded random images.
#include <gtest/gtest.h>

#include "core/random.h"
#include "effects_test_rig.h"
#include "ipl/effects.h"

using namespace effects_test;

namespace {

using EffectsBoxBlur = EffectsTest;

TEST_F(EffectsBoxBlur, BorderCutAgainstWrap)
{
    // p1 = 0: r = trunc(0 * 100 + 1) = 1. A 4 x 1 row of red 90, 0, 0, 0; the
    // vertical passes of a single row change nothing (cut: one sample; wrap:
    // three copies of row 0), so three horizontal passes decide.
    Img in(4, 1, {0, 0, 0, 255});
    in.set(0, 0, {90, 0, 0, 255});
    // Cut (the divisor shrinks at the ends):
    //   pass 1: 90/2 = 45, 90/3 = 30, 0, 0
    //   pass 2: 75/2 = 37, 75/3 = 25, 30/3 = 10, 0
    //   pass 3: 62/2 = 31, 72/3 = 24, 35/3 = 11, 10/2 = 5
    Img src(1, 1);
    Img cut = run("Box Blur", in, args({0}), &src);
    const int cutRed[4] = {31, 24, 11, 5}, fifthRed[4] = {37, 25, 10, 0};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(cut.at(x, 0), (Rgba{cutRed[x], 0, 0, 255})) << x;
        // The source holds the result before the last pass.
        EXPECT_EQ(src.at(x, 0), (Rgba{fifthRed[x], 0, 0, 255})) << x;
    }
    // Wrap with period 3: before column 0 comes column 2, after column 3 column 1.
    //   pass 1: (0+90+0)/3 = 30, 90/3 = 30, 0, (0+0+0)/3 = 0
    //   pass 2: (0+30+30)/3 = 20, 60/3 = 20, 30/3 = 10, (0+0+30)/3 = 10
    //   pass 3: (10+20+20)/3 = 16, 50/3 = 16, 40/3 = 13, (10+10+20)/3 = 13
    Img wrap = run("Box Blur", in, args({0}, {0, 0, 1}));
    const int wrapRed[4] = {16, 16, 13, 13};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(wrap.at(x, 0), (Rgba{wrapRed[x], 0, 0, 255})) << x;
}

// The sample of a line of n at index j: cut gives -1 (absent), wrap folds with period n - 1.
int sample_index(int j, int n, bool wrap)
{
    if (j >= 0 && j < n) return j;
    if (!wrap) return -1;
    const int period = n - 1;
    if (period == 0) return 0;
    return ((j % period) + period) % period;
}

// One pass by plain window sums: out = sum / count per channel.
std::vector<std::uint8_t> reference_pass(const std::vector<std::uint8_t>& in, int w, int h, int r, bool wrap,
                                         bool vertical)
{
    std::vector<std::uint8_t> out(in.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                long sum = 0, count = 0;
                for (int k = -r; k <= r; ++k) {
                    const int j = sample_index((vertical ? y : x) + k, vertical ? h : w, wrap);
                    if (j < 0) continue;
                    const int sx = vertical ? x : j, sy = vertical ? j : y;
                    sum += in[(static_cast<std::size_t>(sy) * w + sx) * 4 + c];
                    ++count;
                }
                out[(static_cast<std::size_t>(y) * w + x) * 4 + c] = static_cast<std::uint8_t>(sum / count);
            }
    return out;
}

TEST_F(EffectsBoxBlur, RunningSumsMatchWindowSums)
{
    struct Case {
        int w, h, r;
    } cases[] = {{7, 5, 1}, {7, 5, 2},   {5, 7, 9},   {1, 6, 2},     {6, 1, 3},
                 {2, 2, 1}, {40, 30, 4}, {33, 3, 40}, {12, 3, 2100}, {3, 2, 2100}};
    std::uint32_t seed = 1;
    for (const Case& k : cases)
        for (bool wrap : {false, true})
            for (bool readDestination : {false, true}) {
                ++seed;
                SCOPED_TRACE(testing::Message() << "seed " << seed << " " << k.w << "x" << k.h << " r " << k.r
                                                << " wrap " << wrap << " readDst " << readDestination);
                mve::CrtRandom rng;
                rng.seed(seed);
                std::vector<std::uint8_t> src(static_cast<std::size_t>(k.w) * k.h * 4), dst(src.size());
                for (auto& v : src) v = static_cast<std::uint8_t>(rng.next() & 0xFF);
                for (auto& v : dst) v = static_cast<std::uint8_t>(rng.next() & 0xFF);
                std::vector<std::uint8_t> state = readDestination ? dst : src, fifth;
                for (int pass = 0; pass < 6; ++pass) {
                    if (pass == 5) fifth = state;
                    state = reference_pass(state, k.w, k.h, k.r, wrap, pass % 2 == 0);
                }
                mve::ipl::box_blur_buffers(src.data(), dst.data(), k.w, k.h, k.r, wrap, readDestination);
                EXPECT_EQ(dst, state);
                EXPECT_EQ(src, fifth);
            }
}

TEST_F(EffectsBoxBlur, OneBufferForBoth)
{
    // Source and destination the same buffer: the result is still the blur.
    Img in(4, 1, {0, 0, 0, 255});
    in.set(0, 0, {90, 0, 0, 255});
    Img same = in;
    ASSERT_TRUE(mve::ipl::run_named_effect_on("Box Blur", same.data(), same.data(), 4, 1, 0, args({0})));
    EXPECT_EQ(same.at(0, 0), (Rgba{31, 0, 0, 255}));
    EXPECT_EQ(same.at(3, 0), (Rgba{5, 0, 0, 255}));
}

}  // namespace
