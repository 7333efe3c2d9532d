// The grey picture and the bump-map transform of the image library, on 4 x 1,
// 1 x 3 and 5 x 5 pictures.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imagelib/displacement.h"
#include "imagelib/transforms.h"
#include "ipl/photo_pop.h"

using namespace mve::il;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One bump transform over a one-byte picture.
Bytes displace(const Bytes& src, int w, int h, const Bytes& map, float strength)
{
    Bytes out(src.size(), 0);
    clear_all_transforms();
    EXPECT_NE(add_bump_map_displacement_transform(w, h, strength, map.data(), w, h), 0);
    EXPECT_NE(transform_process(src.data(), w, h, 1, w, out.data(), w, 2, 0, 0), 0);
    clear_all_transforms();
    return out;
}

TEST(GreyPicture, RoundedLumaOfEachPixel)
{
    // (299 x 255 + 500) / 1000 = 76, (587 x 255 + 500) / 1000 = 150, (114 x 255 + 500) / 1000 = 29,
    // (2990 + 11740 + 3420 + 500) / 1000 = 18; alpha is ignored; row stride 17 and 5.
    const Bytes rgba = {255, 0, 0, 9, 0, 255, 0, 9, 0, 0, 255, 9, 10, 20, 30, 0, 0};
    Bytes grey(5, 77);
    ASSERT_NE(image_to_grey8(rgba.data(), 4, 1, 4, 17, grey.data(), 5, 0), 0);
    EXPECT_EQ(grey, (Bytes{76, 150, 29, 18, 77}));
    EXPECT_EQ(image_to_grey8(rgba.data(), 4, 1, 2, 17, grey.data(), 5, 0), 0);
    EXPECT_EQ(image_to_grey8(rgba.data(), 4, 1, 4, 17, grey.data(), 3, 0), 0);
}

TEST(BumpMap, MovesAlongTheCentralDifference)
{
    // Map 0, 0, 255, 255: differences m(x+1) - m(x-1) (edge repeated) are 0, 255, 255, 0.
    const Bytes src = {10, 20, 30, 40}, map = {0, 0, 255, 255};
    // Strength 1: x = 1 reads 2, x = 2 reads 3.
    EXPECT_EQ(displace(src, 4, 1, map, 1.0f), (Bytes{10, 30, 40, 40}));
    // Strength 0.5: 1.5 -> (20 + 30) / 2 = 25; 2.5 -> 35.
    EXPECT_EQ(displace(src, 4, 1, map, 0.5f), (Bytes{10, 25, 35, 40}));
    // Strength -1: x = 1 reads 0, x = 2 reads 1.
    EXPECT_EQ(displace(src, 4, 1, map, -1.0f), (Bytes{10, 10, 20, 40}));
    // Far past the edge: the edge pixel repeats.
    EXPECT_EQ(displace(src, 4, 1, map, 50.0f), (Bytes{10, 40, 40, 40}));

    // Vertically, a 1 x 3 column with map 0, 100, 200 and strength 1.275 (0.005 per grey level):
    // y = 0 moves 0.5 (15), y = 1 moves 1 (30), y = 2 moves 0.5 past the edge (30).
    EXPECT_EQ(displace({10, 20, 30}, 1, 3, {0, 100, 200}, 1.275f), (Bytes{15, 30, 30}));
}

TEST(BumpMap, StrengthZeroAndFlatMapsMoveNothing)
{
    std::mt19937 rng(5);
    Bytes src(25), bumpy(25), flat(25, 200);
    for (auto& v : src) v = static_cast<std::uint8_t>(rng());
    for (auto& v : bumpy) v = static_cast<std::uint8_t>(rng());
    EXPECT_EQ(displace(src, 5, 5, bumpy, 0.0f), src);
    EXPECT_EQ(displace(src, 5, 5, flat, 80.0f), src);
    EXPECT_EQ(add_bump_map_displacement_transform(5, 5, 1.0f, nullptr, 5, 5), 0);
    EXPECT_EQ(add_bump_map_displacement_transform(5, 5, 1.0f, flat.data(), 0, 5), 0);
}

TEST(PhotoPop, SaturationFactorFromTheSlider)
{
    // 0 -> 0 x 0.06 - 2 = -2; 25 -> -0.5; 50 -> 1; 75 -> 25 x 0.04 + 1 = 2; 100 -> 3.
    EXPECT_DOUBLE_EQ(mve::ipl::photo_pop_saturation_factor(0), -2.0);
    EXPECT_DOUBLE_EQ(mve::ipl::photo_pop_saturation_factor(25), -0.5);
    EXPECT_DOUBLE_EQ(mve::ipl::photo_pop_saturation_factor(50), 1.0);
    EXPECT_DOUBLE_EQ(mve::ipl::photo_pop_saturation_factor(75), 2.0);
    EXPECT_DOUBLE_EQ(mve::ipl::photo_pop_saturation_factor(100), 3.0);
}

}  // namespace
