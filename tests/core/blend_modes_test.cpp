#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/blend_modes.h"

using namespace mve;

TEST(BlendModesTest, LookupIsExactAndCaseSensitive)
{
    EXPECT_EQ(blend_mode_from_name("normal"), 0);
    EXPECT_EQ(blend_mode_from_name("Multiply"), 1);
    EXPECT_EQ(blend_mode_from_name("Silhoulette"), 30);
    EXPECT_EQ(blend_mode_from_name("Silhouette"), 0);
    EXPECT_EQ(blend_mode_from_name("Alpha Normal"), 32);
    EXPECT_EQ(blend_mode_from_name("Luminance Alpha Invert"), 53);
    EXPECT_EQ(blend_mode_from_name("Multiply "), 0);
    EXPECT_EQ(blend_mode_from_name(""), 0);
    EXPECT_EQ(blend_mode_from_name(nullptr), 0);
}

TEST(BlendModesTest, TableCoversZeroTo53WithoutThirtyOne)
{
    std::set<int> numbers;
    std::set<std::string_view> names;
    for (const auto& entry : kBlendModeNames) {
        numbers.insert(entry.number);
        names.insert(entry.name);
        // Every name maps back to its own number.
        EXPECT_EQ(blend_mode_from_name(std::string(entry.name).c_str()), entry.number) << entry.name;
        EXPECT_EQ(blend_mode_name(entry.number), entry.name);
    }
    EXPECT_EQ(numbers.size(), 53u);
    EXPECT_EQ(names.size(), 53u);
    EXPECT_EQ(numbers.count(31), 0u);
    EXPECT_EQ(*numbers.begin(), 0);
    EXPECT_EQ(*numbers.rbegin(), 53);
    EXPECT_TRUE(blend_mode_name(31).empty());
    EXPECT_TRUE(blend_mode_name(54).empty());
}
