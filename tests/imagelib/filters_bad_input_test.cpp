// Every filter and transform of the image library with absurd parameters on
// 1 x 1, 1 x N and N x 1 pictures: each returns, and writes nothing beyond
// its picture (a fence of bytes after it stays as it was).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "filter_test_pictures.h"
#include "imagelib/blurs.h"
#include "imagelib/distortions.h"
#include "imagelib/glows.h"
#include "imagelib/rank_filters.h"
#include "imagelib/transforms.h"

using namespace mve::il;
using namespace filter_test;

namespace {

using Filter = std::function<int(const std::uint8_t*, std::uint8_t*, int, int)>;

constexpr long long kHuge = 1000000000LL;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<Filter> filters()
{
    const GlowColour gc{1, 2, 3};
    std::vector<Filter> f;
    for (long long r : {-5LL, 0LL, kHuge}) {
        f.push_back([r](auto s, auto d, int w, int h) { return blur_3x3(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return blur_more(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return arithmetic_mean_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return mosaic_image(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return midpoint_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return median_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return maximum_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return geometric_mean_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) { return harmonic_mean_filter(s, d, w, h, r); });
        f.push_back([r](auto s, auto d, int w, int h) {
            return local_histogram_enhancement(s, d, w, h, LocalEnhancement{r, 1e9, 1e9, -1, 1e9});
        });
        f.push_back([r, gc](auto s, auto d, int w, int h) { return outer_glow(s, d, w, h, r, 1e300, gc); });
        f.push_back([r, gc](auto s, auto d, int w, int h) { return inner_glow(s, d, w, h, r, -4, gc); });
        f.push_back([r](auto s, auto d, int w, int h) {
            return adaptive_unsharp_mask(s, d, w, h, 1e300, static_cast<int>(r > 1e6 ? 1e6 : r), -1);
        });
        f.push_back([r](auto s, auto d, int w, int h) { return motion_blur(s, d, w, h, 1e9, r, -1, r > 0); });
        f.push_back([r](auto s, auto d, int w, int h) {
            return motion_blur(s, d, w, h, -725, 1e15, static_cast<int>(r > 0 ? 2000000000 : r), true);
        });
        f.push_back([r](auto s, auto d, int w, int h) { return radial_blur(s, d, w, h, -1e12, 1e12, r, 2000000000); });
        f.push_back([r](auto s, auto d, int w, int h) { return zoom_blur(s, d, w, h, 1e300, -3, r, -1); });
    }
    // NaN and infinite parameters are refused or ignored, never used.
    f.push_back([](auto s, auto d, int w, int h) { return motion_blur(s, d, w, h, kNaN, 5, 3, true) == 0; });
    f.push_back([](auto s, auto d, int w, int h) { return radial_blur(s, d, w, h, 0, 0, kNaN, 8) == 0; });
    f.push_back([](auto s, auto d, int w, int h) { return adaptive_unsharp_mask(s, d, w, h, kNaN, 1, 1) == 0; });
    return f;
}

// Every transform with strengths from absurd to none, run by the processor.
std::vector<std::function<int(int, int)>> transforms()
{
    const Centre far{-1e12, 1e12}, mid{0.5, 0.5};
    std::vector<std::function<int(int, int)>> t;
    for (double s : {-1e9, 0.0, 1e9, 1e300}) {
        t.push_back([=](int w, int h) { return add_spin_transform(w, h, far, s, s, kEdgeMirror); });
        t.push_back([=](int w, int h) { return add_pinch_transform(w, h, mid, -s, s, kEdgeWrap); });
        t.push_back([=](int w, int h) { return add_lens_transform(w, h, mid, s, s, kEdgeExtend); });
        t.push_back([=](int w, int h) { return add_elliptical_transform(w, h, s, kEdgeBackground); });
        t.push_back([=](int w, int h) { return add_ripple_transform(w, h, mid, s, s * 1e-12, s, kEdgeMirror); });
        t.push_back([=](int w, int h) { return add_wave_transform(w, h, s, 0.0, kEdgeWrap); });
        t.push_back([=](int w, int h) { return add_spin_wave_transform(w, h, far, s, -s, kEdgeMirror); });
        t.push_back([=](int w, int h) { return add_wow_transform(w, h, mid, s, s, -7, kEdgeWrap); });
        t.push_back([=](int w, int h) { return add_zigzag_transform(w, h, mid, s, s, 1 << 30, kEdgeExtend); });
        t.push_back([=](int w, int h) { return add_marble_transform(w, h, s, s, s, 3, kEdgeMirror); });
        t.push_back([=](int w, int h) { return add_perlin_displacement_transform(w, h, s, -s, 99, 3, kEdgeWrap); });
        t.push_back([=](int w, int h) { return add_random_transform(w, h, static_cast<int>(s > 0 ? 2e9 : -2e9), 1, 7); });
        t.push_back([=](int w, int h) { return add_offset_transform(w, h, s, -s, kEdgeWrap); });
    }
    return t;
}

constexpr int kFence = 64;

void expect_fence_intact(const Pixels& buf, std::size_t used, const char* what, std::size_t i)
{
    for (std::size_t k = used; k < buf.size(); ++k) ASSERT_EQ(buf[k], 0xA5) << what << " #" << i;
}

}  // namespace

TEST(FiltersBadInput, TinyPicturesAndAbsurdParametersStayInsideTheBuffer)
{
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 3}};
    const auto all = filters();
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        const std::size_t used = static_cast<std::size_t>(w) * h * 4;
        Pixels src = varied(w, h);
        src.resize(used + kFence, 0xA5);
        for (std::size_t i = 0; i < all.size(); ++i) {
            Pixels dst(used + kFence, 0xA5);
            EXPECT_NE(all[i](src.data(), dst.data(), w, h), 0) << "filter #" << i << " on " << w << "x" << h;
            expect_fence_intact(dst, used, "filter", i);
            Pixels same = src;  // in place
            all[i](same.data(), same.data(), w, h);
            expect_fence_intact(same, used, "in-place filter", i);
        }
        const auto list = transforms();
        for (std::size_t i = 0; i < list.size(); ++i) {
            clear_all_transforms();
            EXPECT_EQ(list[i](w, h), 1) << "transform #" << i;
            Pixels dst(used + kFence, 0xA5);
            EXPECT_EQ(transform_process(src.data(), w, h, 4, w * 4, dst.data(), w * 4, 0, 0, 0), 1);
            expect_fence_intact(dst, used, "transform", i);
        }
        clear_all_transforms();
    }
    // Sizes below one pixel and null buffers are refused.
    Pixels one(4);
    EXPECT_EQ(median_filter(one.data(), one.data(), 0, 1, 1), 0);
    EXPECT_EQ(motion_blur(nullptr, one.data(), 1, 1, 0, 3, 3, true), 0);
    EXPECT_EQ(outer_glow(one.data(), nullptr, 1, 1, 3, 1, GlowColour{0, 0, 0}), 0);
    EXPECT_EQ(add_spin_transform(0, 5, Centre{0, 0}, 1, 1, 0), 0);
    EXPECT_EQ(add_wave_transform(5, 5, kNaN, 1, 0), 0);
}
