// The distortion transforms through the transform processor: identity at
// zero strength, and single pixels followed through their formulas.
#include <gtest/gtest.h>

#include "filter_test_pictures.h"
#include "imagelib/distortions.h"
#include "imagelib/transforms.h"
#include "core/runtime.h"
#include "support/worker_threads.h"

using namespace mve::il;
using namespace filter_test;

namespace {

constexpr std::uint32_t kBackground = 0x11223344u;  // bytes 0x44, 0x33, 0x22, 0x11

Pixels run(const Pixels& in, int w, int h)
{
    Pixels out(in.size(), 0);
    EXPECT_EQ(transform_process(in.data(), w, h, 4, w * 4, out.data(), w * 4, 0, kBackground, 0), 1);
    clear_all_transforms();
    return out;
}

}  // namespace

TEST(Distortions, EveryTransformAtZeroStrengthIsTheIdentity)
{
    const int w = 6, h = 5;
    const Pixels in = varied(w, h);
    const Centre c{2.5, 2.0};
    auto expect_identity = [&](int queued, const char* what) {
        ASSERT_EQ(queued, 1) << what;
        EXPECT_EQ(run(in, w, h), in) << what;
    };
    clear_all_transforms();
    expect_identity(add_spin_transform(w, h, c, 0, 0.0, kEdgeBackground), "spin");
    expect_identity(add_pinch_transform(w, h, c, 4, 0.0, kEdgeBackground), "pinch");
    expect_identity(add_lens_transform(w, h, c, 4, 0.0, kEdgeBackground), "lens");
    expect_identity(add_elliptical_transform(w, h, 0.0, kEdgeBackground), "elliptical");
    expect_identity(add_ripple_transform(w, h, c, 0.0, 5, 30, kEdgeBackground), "ripple");
    expect_identity(add_wave_transform(w, h, 0.0, 5, kEdgeBackground), "wave");
    expect_identity(add_spin_wave_transform(w, h, c, 0.0, 5, kEdgeBackground), "spin wave");
    expect_identity(add_wow_transform(w, h, c, 3, 0.0, 5, kEdgeBackground), "wow");
    expect_identity(add_zigzag_transform(w, h, c, 4, 0.0, 3, kEdgeBackground), "zig zag");
    expect_identity(add_marble_transform(w, h, 0.0, 8, 2, 5, kEdgeBackground), "marble old");
    expect_identity(add_perlin_displacement_transform(w, h, 0.0, 8, 3, 5, kEdgeBackground), "marble");
    expect_identity(add_random_transform(w, h, 0, 5, kEdgeBackground), "frosted glass");
    expect_identity(add_offset_transform(w, h, 0, 0, kEdgeBackground), "offset");
}

TEST(Distortions, OffsetByOneColumnFillsByTheEdgeMode)
{
    // 3 x 2, values 1..6: destination (x, y) reads (x - 1, y).
    const Pixels in = grey(3, 2, {1, 2, 3, 4, 5, 6});
    clear_all_transforms();
    ASSERT_EQ(add_offset_transform(3, 2, 1, 0, kEdgeBackground), 1);
    Pixels out = run(in, 3, 2);
    EXPECT_EQ(reds(out), (std::vector<int>{0x44, 1, 2, 0x44, 4, 5}));
    EXPECT_EQ(out[3], 0x11);  // the whole background pixel, alpha included
    ASSERT_EQ(add_offset_transform(3, 2, 1, 0, kEdgeWrap), 1);
    EXPECT_EQ(reds(run(in, 3, 2)), (std::vector<int>{3, 1, 2, 6, 4, 5}));
    ASSERT_EQ(add_offset_transform(3, 2, 1, 0, kEdgeExtend), 1);
    EXPECT_EQ(reds(run(in, 3, 2)), (std::vector<int>{1, 1, 2, 4, 4, 5}));
}

TEST(Distortions, PixelsFollowTheirFormulas)
{
    // Wave, amplitude 1, wavelength 4: (1, 0) reads (1 + sin 0, 0 + sin(pi/2)) = (1, 1);
    // (0, 1) reads (0 + sin(pi/2), 1 + sin 0) = (1, 1); (0, 0) reads itself.
    const Pixels in = grey(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    clear_all_transforms();
    ASSERT_EQ(add_wave_transform(3, 3, 1.0, 4.0, kEdgeExtend), 1);
    const auto wave = reds(run(in, 3, 3));
    EXPECT_EQ(wave[1], 5);
    EXPECT_EQ(wave[3], 5);
    EXPECT_EQ(wave[0], 1);

    // Ripple about (0, 0), amplitude 1, wavelength 4: (1, 0) at d = 1 reads
    // distance 1 + sin(pi/2) = 2, the pixel (2, 0).
    ASSERT_EQ(add_ripple_transform(3, 3, Centre{0, 0}, 1.0, 4.0, 0.0, kEdgeExtend), 1);
    EXPECT_EQ(reds(run(in, 3, 3))[1], 3);

    // Lens about (2, 0), R = 4, strength 0.5: (4, 0) at d = 2 reads
    // x = 2 + 2 (1 - 0.5 sqrt(0.75)) = 3.134: 100 + 0.134 (200 - 100) = 113.4.
    const Pixels row = grey(5, 1, {0, 0, 0, 100, 200});
    ASSERT_EQ(add_lens_transform(5, 1, Centre{2, 0}, 4.0, 0.5, kEdgeExtend), 1);
    const auto lens = reds(run(row, 5, 1));
    EXPECT_EQ(lens[4], 113);
    EXPECT_EQ(lens[2], 0);  // the centre stays

    // Spin by 90 degrees about (1, 1) with R = 100: (2, 1) at d = 1 turns by
    // -90 * (0.99)^2 = -88.2 degrees to about (1.03, 0.0): mostly pixel (1, 0).
    ASSERT_EQ(add_spin_transform(3, 3, Centre{1, 1}, 100.0, 90.0, kEdgeExtend), 1);
    EXPECT_EQ(reds(run(in, 3, 3))[5], 2);

    // Elliptical at full strength: the corners lie outside the ellipse and
    // show the background; the centre maps to itself.
    // On 5 x 5 the corner (0, 0) lies at (-0.8, -0.8) of the unit disc.
    std::vector<int> v25;
    for (int i = 1; i <= 25; ++i) v25.push_back(i);
    ASSERT_EQ(add_elliptical_transform(5, 5, 1.0, kEdgeExtend), 1);
    const auto ell = reds(run(grey(5, 5, v25), 5, 5));
    EXPECT_EQ(ell[0], 0x44);
    EXPECT_EQ(ell[12], 13);
}

TEST(Distortions, FrostedGlassReadsNearbyPixelsAlikeOnAnyThreadCount)
{
    const int w = 40, h = 30, spread = 2;
    // Pixel values encode their position: red x, green y.
    Pixels in(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &in[(y * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 0, p[3] = 255;
        }
    Pixels one, two;
    {
        const mve::WorkerThreads t(1);
        clear_all_transforms();
        ASSERT_EQ(add_random_transform(w, h, spread, 99, kEdgeExtend), 1);
        one = run(in, w, h);
    }
    {
        const mve::WorkerThreads t(2);
        ASSERT_EQ(add_random_transform(w, h, spread, 99, kEdgeExtend), 1);
        two = run(in, w, h);
    }
    EXPECT_EQ(one, two);
    int moved = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &one[(y * w + x) * 4];
            EXPECT_LE(std::abs(p[0] - x), spread);
            EXPECT_LE(std::abs(p[1] - y), spread);
            moved += p[0] != x || p[1] != y;
        }
    EXPECT_GT(moved, w * h / 2);  // 24 of 25 offsets move a pixel
}

TEST(Distortions, ProcessorFastPathMatchesTheScalarReference)
{
    const int w = 21, h = 13;
    const Pixels in = varied(w, h, 5);
    auto once = [&](bool fast) {
        mve::set_fast_paths(fast);
        clear_all_transforms();
        EXPECT_EQ(add_spin_transform(w, h, Centre{9.3, 6.1}, 0, 130.0, kEdgeMirror), 1);
        EXPECT_EQ(add_wave_transform(w, h, 2.5, 7.0, kEdgeWrap), 1);
        Pixels out = run(in, w, h);
        mve::set_fast_paths(true);
        return out;
    };
    EXPECT_EQ(once(true), once(false));
}
