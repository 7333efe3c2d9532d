// Image-script values have ranges and the executor a work bound: absurd
// values end at once instead of running for minutes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "imagelib/image_script.h"
#include "imagelib/image_script_steps.h"

namespace mve::il {
namespace {

IslStep step(int id, std::initializer_list<std::pair<int, double>> values)
{
    IslStep s;
    EXPECT_TRUE(default_step(id, s));
    for (auto [slot, v] : values) s.values[static_cast<std::size_t>(slot)] = v;
    return s;
}

TEST(ImageScriptBounds, WorkEstimateFollowsTheClampedValues)
{
    using isl_detail::step_work;
    // Blur on 4096 x 4096, radius 2: each pass is two directions of the
    // area plus each line's window, 2 * (16777216 + 8192 * 5) = 33636352.
    // Three passes (100909056) fit the 2^27 budget, four (134545408) do not.
    EXPECT_DOUBLE_EQ(step_work(step(52, {{0, 2}, {1, 3}}), 4096, 4096), 100909056.0);
    EXPECT_LT(step_work(step(52, {{0, 2}, {1, 3}}), 4096, 4096), kIslWorkBudget);
    EXPECT_GT(step_work(step(52, {{0, 2}, {1, 4}}), 4096, 4096), kIslWorkBudget);
    // Radius and passes of 10^9 count as 256 and 8.
    EXPECT_DOUBLE_EQ(step_work(step(52, {{0, 1e9}, {1, 1e9}}), 10, 10), 8 * 2 * (100 + 20 * 513.0));
    // Points on 100 x 100: 10000 + count 10 * (size 3 + 2)^2 = 10250; a count
    // of 10^9 counts as 100000, each shape at most nine areas.
    EXPECT_DOUBLE_EQ(step_work(step(7, {{10, 10}, {11, 3}}), 100, 100), 10250.0);
    EXPECT_DOUBLE_EQ(step_work(step(7, {{10, 1e9}, {11, 1e9}}), 100, 100), 10000 + 100000 * 90000.0);
    // Perlin: one area per octave, at most 8.
    EXPECT_DOUBLE_EQ(step_work(step(5, {{11, 1e9}}), 10, 10), 800.0);
}

TEST(ImageScriptBounds, AbsurdScriptsAreRefusedAtOnceAndSmallOnesRender)
{
    const std::string absurd = "ISL 1\nsize 512 512\nlines count=100000 thickness=1000000000\n"
                               "blur radius=1000000000 passes=1000000000\n";
    ImageScript script;
    ASSERT_TRUE(parse_image_script(absurd.data(), absurd.size(), script));
    std::vector<std::uint8_t> px(512 * 512 * 4);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(render_image_script(script, px.data()));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);

    // A one-step run on its own meets the same bound.
    EXPECT_EQ(run_image_step(step(6, {{10, 1e9}, {11, 1e9}}), px.data(), 512, 512, 1), false);

    // Within the bound: a fill of 2 x 1 renders its colour (B G R A order).
    const std::string fill = "ISL 1\nsize 2 1\nfill color1=10,20,30\nblur radius=1000000000 passes=2\n";
    ASSERT_TRUE(parse_image_script(fill.data(), fill.size(), script));
    std::vector<std::uint8_t> two(2 * 4);
    ASSERT_TRUE(render_image_script(script, two.data()));
    EXPECT_EQ(two, (std::vector<std::uint8_t>{30, 20, 10, 255, 30, 20, 10, 255}));
}

}  // namespace
}  // namespace mve::il
