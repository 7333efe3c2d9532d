// The image-script effects and distortions of the dispatcher's script
// family, worked by hand on tiny pictures. Pixels are B, G, R, A; most
// pictures here are grey (B = G = R) so one value per pixel says it all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/image_script.h"

namespace mve::il {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Opaque grey pixels from their values.
Pixels grey(std::initializer_list<int> values)
{
    Pixels p;
    for (int v : values) p.insert(p.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 255});
    return p;
}

// The grey value (blue byte) of every pixel.
std::vector<int> values_of(const Pixels& p)
{
    std::vector<int> out;
    for (std::size_t i = 0; i < p.size(); i += 4) out.push_back(p[i]);
    return out;
}

// Runs step `id` with its defaults changed by {slot, value} on the picture.
Pixels run(int id, std::initializer_list<std::pair<int, double>> values, Pixels p, int w, int h)
{
    IslStep step;
    EXPECT_TRUE(default_step(id, step)) << id;
    for (const auto& [slot, v] : values) step.values[static_cast<std::size_t>(slot)] = v;
    EXPECT_TRUE(run_image_step(step, p.data(), w, h, 1)) << id;
    return p;
}

// 0..15 over a 4 x 4 picture, value 10 * (index + 1), row by row.
Pixels counting4x4()
{
    Pixels p;
    for (int i = 0; i < 16; ++i) {
        const auto v = std::uint8_t(10 * (i + 1));
        p.insert(p.end(), {v, v, v, 255});
    }
    return p;
}
int at4(const std::vector<int>& v, int x, int y)
{
    return v[static_cast<std::size_t>(y * 4 + x)];
}

TEST(ImageScriptDistortions, KaleidoscopeMirrorsTheFirstWedge)
{
    // Two segments about the middle (2, 2) from angle 0: the upper half is the
    // wedge; the lower half shows it mirrored, so row 3 repeats row 0 and row 2 row 1.
    const std::vector<int> two = values_of(run(kIslKaleidoscope, {{0, 2}}, counting4x4(), 4, 4));
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(at4(two, x, 0), 10 * (x + 1)) << x;
        EXPECT_EQ(at4(two, x, 1), 10 * (x + 5)) << x;
        EXPECT_EQ(at4(two, x, 2), 10 * (x + 5)) << x;
        EXPECT_EQ(at4(two, x, 3), 10 * (x + 1)) << x;
    }
    // Four segments: the upper-right quadrant (columns 2, 3 of rows 0, 1)
    // everywhere, mirrored left to right and top to bottom.
    const std::vector<int> four = values_of(run(kIslKaleidoscope, {{0, 4}}, counting4x4(), 4, 4));
    const int quadrant[2][2] = {{30, 40}, {70, 80}};  // rows 0, 1 at columns 2, 3
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int qx = x < 2 ? 1 - x : x - 2, qy = y < 2 ? y : 3 - y;
            EXPECT_EQ(at4(four, x, y), quadrant[qy][qx]) << x << "," << y;
        }
}

TEST(ImageScriptDistortions, ZoomAboutTheMiddleSamplesBilinearly)
{
    const Pixels row = grey({0, 40, 80, 120});
    EXPECT_EQ(run(kIslZoom, {{0, 100}}, row, 4, 1), row);
    // Scale 200 about x = 2: the centre of pixel 0 (0.5) reads 2 + (0.5 - 2) / 2
    // = 1.25, a quarter of pixel 0 and three quarters of pixel 1: 30; pixel 1
    // reads 1.75 -> 50, pixel 2 reads 2.25 -> 70, pixel 3 reads 2.75 -> 90.
    EXPECT_EQ(values_of(run(kIslZoom, {{0, 200}}, row, 4, 1)), (std::vector<int>{30, 50, 70, 90}));
    // Scale 50: pixel 0 reads 2 - 1.5 * 2 = -1, outside: transparent; pixel
    // 1 reads 2 - 0.5 * 2 = 1.0, halfway between pixels 0 and 1: 20.
    const Pixels half = run(kIslZoom, {{0, 50}}, row, 4, 1);
    EXPECT_EQ(half[3], 0);
    EXPECT_EQ(half[4], 20);
    EXPECT_EQ(half[7], 255);
}

TEST(ImageScriptDistortions, DividerAndCarpetRepeatTheShrunkPicture)
{
    const Pixels row = grey({10, 20, 30, 40});
    // Two columns: pixel x reads 2 (x + 0.5) modulo 4: 1.0, 3.0, 1.0, 3.0,
    // each between two source pixels: 15, 35, 15, 35.
    EXPECT_EQ(values_of(run(kIslDivider, {{0, 2}, {1, 1}}, row, 4, 1)), (std::vector<int>{15, 35, 15, 35}));
    // The carpet mirrors the second copy: 15, 35, 35, 15.
    EXPECT_EQ(values_of(run(kIslCarpet, {{0, 2}, {1, 1}}, row, 4, 1)), (std::vector<int>{15, 35, 35, 15}));
}

TEST(ImageScriptDistortions, SeamlessFadesIntoTheHalfMovedPicture)
{
    // Band 50 %: keep = min(1, e / 0.5) with e = 0.25, 0.75, 0.75, 0.25 along
    // the row (1 in every row of a one-row picture). Pixel 0: 80 + (0 - 80) *
    // 0.5 = 40; pixel 1 keeps 40; pixel 2 keeps 80; pixel 3: 40 + 80 * 0.5 = 80.
    EXPECT_EQ(values_of(run(kIslSeamless, {{0, 50}}, grey({0, 40, 80, 120}), 4, 1)),
              (std::vector<int>{40, 40, 80, 80}));
}

TEST(ImageScriptDistortions, PatternizeRepeatsTheTileAndMirrorsEveryOtherCell)
{
    // Side 50 % of 4 = 2 about the middle: the tile is pixels 1..2 in x and
    // y; cells of 2 pixels read it exactly (positions 1.5 and 2.5).
    const std::vector<int> plain =
        values_of(run(kIslPatternize, {{0, 2}, {3, 50}, {4, 0}}, counting4x4(), 4, 4));
    const std::vector<int> mirrored =
        values_of(run(kIslPatternize, {{0, 2}, {3, 50}, {4, 1}}, counting4x4(), 4, 4));
    const std::vector<int> source = values_of(counting4x4());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(at4(plain, x, y), at4(source, 1 + x % 2, 1 + y % 2)) << x << "," << y;
            const int mx = x < 2 ? x : 3 - x, my = y < 2 ? y : 3 - y;
            EXPECT_EQ(at4(mirrored, x, y), at4(source, 1 + mx, 1 + my)) << x << "," << y;
        }
}

TEST(ImageScriptDistortions, TwirlTurnsOnlyInsideItsRadius)
{
    // 5 x 5, radius 1.2 pixels about the middle: only the middle pixel (d = 0)
    // and its four neighbours (d = 1, falloff (1 - 1 / 1.2)^2 = 1 / 36) are
    // inside. An angle of 36 * 90 degrees turns the neighbours a quarter
    // counter-clockwise: the right one shows what was below, the top one what
    // was on the right, and so on; everything else stays.
    Pixels p;
    for (int i = 0; i < 25; ++i)
        p.insert(p.end(), {std::uint8_t(i * 10), std::uint8_t(i * 10), std::uint8_t(i * 10), 255});
    const double radiusPercent = 1.2 / (0.5 * std::hypot(5.0, 5.0)) * 100;
    const std::vector<int> out = values_of(run(kIslTwirl, {{0, 36 * 90}, {1, radiusPercent}}, p, 5, 5));
    auto src = [](int x, int y) { return (y * 5 + x) * 10; };
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            int want = src(x, y);
            if (x == 3 && y == 2) want = src(2, 3);  // right <- below
            if (x == 2 && y == 1) want = src(3, 2);  // top <- right
            if (x == 1 && y == 2) want = src(2, 1);  // left <- top
            if (x == 2 && y == 3) want = src(1, 2);  // below <- left
            EXPECT_EQ(out[static_cast<std::size_t>(y * 5 + x)], want) << x << "," << y;
        }
}

TEST(ImageScriptDistortions, TiltLeansTheTopAwayInPerspective)
{
    // 5 x 3 grey 200, tilted back 30 degrees seen from 5 pixels (100 % of the
    // longer side). The middle row lies on the turning axis and stays. For
    // the top-left pixel (screen offset -2, -1 from the middle (2.5, 1.5))
    // the ray meets the card at t = 5 / (5 - 0.5 / cos 30) = 1.13055: card
    // offsets a = -2 t = -2.26110 and b = -t / cos 30 = -1.30545, so it reads
    // (0.23890, 0.19455): weight 0.73890 * 0.69455 = 0.51320 on pixel (0, 0)
    // and the rest outside (clear): colour 102.6 -> 103, alpha 130.9 -> 131.
    Pixels p;
    for (int i = 0; i < 15; ++i) p.insert(p.end(), {200, 200, 200, 255});
    const Pixels out = run(kIslTilt, {{0, 30}, {1, 0}, {2, 100}}, p, 5, 3);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(out[static_cast<std::size_t>(5 + x) * 4], 200) << x;
        EXPECT_EQ(out[static_cast<std::size_t>(5 + x) * 4 + 3], 255) << x;
    }
    EXPECT_EQ(out[0], 103);
    EXPECT_EQ(out[3], 131);
}

TEST(ImageScriptEffects2, ReliefEffectsOnARamp)
{
    // Grey 0, 100, 200 in a row: slopes (right - left) / 2 are 50, 100, 50.
    const Pixels ramp = grey({0, 100, 200});
    // Emboss depth 100 %, light from the left (180): relief = +slope; from the right: -slope.
    EXPECT_EQ(values_of(run(kIslEmboss2, {{0, 180}}, ramp, 3, 1)), (std::vector<int>{178, 228, 178}));
    EXPECT_EQ(values_of(run(kIslEmboss2, {{0, 0}}, ramp, 3, 1)), (std::vector<int>{78, 28, 78}));
    // Bump, depth 1 %, elevation 45: the middle normal (-1, 0, 1) / sqrt 2 faces
    // a light from the left squarely (shade sqrt 2: 100 -> 141) and is edge-on
    // to one from the right (0). The last pixel, normal (-0.5, 0, 1): from the
    // left 1.342 (200 -> 255 clamped), from the right 0.447 (200 -> 89).
    EXPECT_EQ(values_of(run(kIslBump, {{0, 180}, {1, 45}, {2, 1}}, ramp, 3, 1)),
              (std::vector<int>{0, 141, 255}));
    EXPECT_EQ(values_of(run(kIslBump, {{0, 0}, {1, 45}, {2, 1}}, ramp, 3, 1)), (std::vector<int>{0, 0, 89}));
    // A flat picture keeps its colour under the bump.
    EXPECT_EQ(run(kIslBump, {}, grey({77, 77, 77, 77}), 2, 2), grey({77, 77, 77, 77}));
    // Sobel on one row (rows above and below repeat it): 4 * (right - left) / 4.
    EXPECT_EQ(values_of(run(kIslEdge, {}, ramp, 3, 1)), (std::vector<int>{100, 200, 100}));
    EXPECT_EQ(values_of(run(kIslEdge, {{1, 1}}, ramp, 3, 1)), (std::vector<int>{155, 55, 155}));
}

TEST(ImageScriptEffects2, ColorizeKeepsLumaAsLightness)
{
    // Pure red (B G R = 0 0 255): luma 76.245, lightness 0.299. Hue 120, full
    // saturation: green = 2 * 0.299 = 0.598 -> 152, red and blue 0.
    const Pixels red = {0, 0, 255, 255};
    EXPECT_EQ(run(kIslColorize, {{0, 120}, {1, 100}, {2, 100}}, red, 1, 1), (Pixels{0, 152, 0, 255}));
    // Amount 50 %: halfway, red 255 -> 128 (127.5 rounded), green 0 -> 76.
    EXPECT_EQ(run(kIslColorize, {{0, 120}, {1, 100}, {2, 50}}, red, 1, 1), (Pixels{0, 76, 128, 255}));
}

TEST(ImageScriptEffects2, MaximumAndMinimumKeepAlpha)
{
    const Pixels p = {10, 10, 10, 255, 50, 50, 50, 0, 20, 20, 20, 128};
    const Pixels mx = run(kIslMaximum, {{0, 1}}, p, 3, 1), mn = run(kIslMinimum, {{0, 1}}, p, 3, 1);
    EXPECT_EQ(values_of(mx), (std::vector<int>{50, 50, 50}));
    EXPECT_EQ(values_of(mn), (std::vector<int>{10, 10, 20}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(mx[i * 4 + 3], p[i * 4 + 3]);
        EXPECT_EQ(mn[i * 4 + 3], p[i * 4 + 3]);
    }
}

TEST(ImageScriptDistortions, VoxelTakesTheBlockCentreAndScratchFollowsItsSeed)
{
    // 2 x 2 blocks sample their centre: the mean of the block's four pixels.
    const std::vector<int> v = values_of(run(kIslVoxel, {{0, 2}, {1, 0}}, counting4x4(), 4, 4));
    EXPECT_EQ(at4(v, 0, 0), 35);   // (10 + 20 + 50 + 60) / 4
    EXPECT_EQ(at4(v, 3, 3), 135);  // (110 + 120 + 150 + 160) / 4
    // Every column scratched by up to 3 pixels: the same seed gives the same
    // picture, and with length 0 nothing moves.
    const Pixels a = run(kIslScratch, {{0, 100}, {1, 3}, {3, 7}}, counting4x4(), 4, 4);
    EXPECT_EQ(a, run(kIslScratch, {{0, 100}, {1, 3}, {3, 7}}, counting4x4(), 4, 4));
    EXPECT_NE(a, counting4x4());
    EXPECT_EQ(run(kIslScratch, {{0, 100}, {1, 0}}, counting4x4(), 4, 4), counting4x4());
}

TEST(ImageScriptDistortions, ResultsDoNotDependOnTheThreadCount)
{
    Pixels big(64 * 48 * 4);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 % 251);
    const int before = thread_count();
    for (int id : {kIslTwirl, kIslKaleidoscope, kIslTilt, kIslBump, kIslSeamless}) {
        set_thread_count(1);
        const Pixels one = run(id, {}, big, 64, 48);
        set_thread_count(2);
        EXPECT_EQ(run(id, {}, big, 64, 48), one) << id;
    }
    set_thread_count(before);
}

TEST(ImageScriptDistortions, IntegerSamplingStaysWithinOneOfTheReference)
{
    Pixels big(40 * 30 * 4);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 13 % 253);
    for (int id : {kIslTwirl, kIslKaleidoscope, kIslWaves, kIslZoom}) {
        set_fast_paths(false);
        const Pixels reference = run(id, {{0, 7}}, big, 40, 30);
        set_fast_paths(true);
        const Pixels fast = run(id, {{0, 7}}, big, 40, 30);
        for (std::size_t i = 0; i < big.size(); ++i)
            ASSERT_LE(std::abs(int(fast[i]) - int(reference[i])), 1) << id << " byte " << i;
    }
}

TEST(ImageScriptDistortions, KaleidoscopeRowCutsFindTheWedgesOfEveryPixel)
{
    // The fast form finds each row's wedges where the mirrors cross it; the
    // reference asks every pixel's angle. Odd and even counts, turned mirrors,
    // a centre on a pixel row (31 rows: 50 % is the middle of row 15, where
    // the mirrors at 0 and 180 degrees lie along the row) and centres outside.
    Pixels big(40 * 31 * 4);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 29 % 241);
    const double cases[][4] = {{2, 0, 50, 50},    {3, 0, 50, 50},    {4, 45, 50, 50}, {5, 30, 25, 75},
                               {6, -90, 150, 50}, {7, 10, -40, -30}, {64, 0, 50, 50}, {8, 22.5, 37.5, 0}};
    for (const auto& c : cases) {
        const auto once = [&](bool fast) {
            set_fast_paths(fast);
            Pixels p = run(kIslKaleidoscope, {{0, c[0]}, {1, c[1]}, {2, c[2]}, {3, c[3]}}, big, 40, 31);
            set_fast_paths(true);
            return p;
        };
        const Pixels reference = once(false), fast = once(true);
        for (std::size_t i = 0; i < big.size(); ++i)
            ASSERT_LE(std::abs(int(fast[i]) - int(reference[i])), 1) << c[0] << " segments, byte " << i;
    }
}

TEST(ImageScriptDistortions, AbsurdValuesOnTinyPicturesStayInside)
{
    const double absurd[] = {-1e9, 1e9, 0, std::numeric_limits<double>::quiet_NaN()};
    for (int id = kIslColorize; id <= kIslPatternize; ++id) {
        IslStep step;
        if (!default_step(id, step)) continue;
        for (double v : absurd)
            for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}}) {
                IslStep s = step;
                s.values.fill(v);
                Pixels p(static_cast<std::size_t>(w) * h * 4, 99);
                EXPECT_TRUE(run_image_step(s, p.data(), w, h, 1)) << id << " " << v;
            }
    }
}

}  // namespace
}  // namespace mve::il
