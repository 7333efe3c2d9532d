// Whole dabs exercising the rarer features: rotation, image-brush pick-up,
// the brush colour's pull on picked-up paint, luminance variation, the grit
// pattern change and some table mix modes, worked by hand on a 6 x 6 canvas
// whose maximum brush size is 5.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"

using namespace mve;

namespace {

constexpr int W = 6, H = 6, M = 5;

struct DabFeatures : ::testing::Test {
    void SetUp() override
    {
        MVE_CreateImage(nullptr, W, H, M, 0);
        ASSERT_EQ(MVE_CreateLayer(2, W, H), 1);
        MVE_SetLayer(2);
        MVE_SetSize(2);
        MVE_SetAlpha(100);
        MVE_SetMixMode(32, 0);
        MVE_SetRandomSeed(1);
        fill_shape(65535);
    }
    void TearDown() override { MVE_DeleteImage(); }

    static void fill_shape(std::uint16_t v)
    {
        Plane16& s = engine().paint.brushShape;
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = v;
    }
    static std::uint16_t& shape(int u, int v)
    {
        return engine().paint.brushShape[static_cast<std::size_t>(v) * M + u];
    }
    static std::uint16_t* layer(int x, int y)
    {
        return engine().layers.table[2].begin_write().row(y) + x * 4;
    }
    static std::uint16_t* buffer(int u, int v)
    {
        return current_blend_buffer(engine()) + (static_cast<std::size_t>(v) * M + u) * 4;
    }
    static void set(std::uint16_t* p, int r, int g, int b, int a)
    {
        p[0] = static_cast<std::uint16_t>(r), p[1] = static_cast<std::uint16_t>(g);
        p[2] = static_cast<std::uint16_t>(b), p[3] = static_cast<std::uint16_t>(a);
    }
    static void expect_px(const std::uint16_t* p, int r, int g, int b, int a)
    {
        EXPECT_EQ(p[0], r);
        EXPECT_EQ(p[1], g);
        EXPECT_EQ(p[2], b);
        EXPECT_EQ(p[3], a);
    }
    static void clear_layer()
    {
        LayerRecord& l = engine().layers.table[2];
        std::memset(l.pixels.begin_write(), 0, l.pixels.bytes());
    }
};

// Shape pixel (u, v) holds 1001 + 100u + 10v, so on a transparent layer the
// alpha it leaves, (k * 65535) >> 16 = k - 1, reads back as 1000 + 100u + 10v.
void write_coded_shape()
{
    for (int v = 0; v < M; ++v)
        for (int u = 0; u < M; ++u)
            engine().paint.brushShape[static_cast<std::size_t>(v) * M + u] =
                static_cast<std::uint16_t>(1001 + 100 * u + 10 * v);
}
int coded(int u, int v)
{
    return 1000 + 100 * u + 10 * v;
}

}  // namespace

// A size-4 dab at (3, 3) covers canvas 1..4 in both directions from shape
// 0..3; the rotation centre is 2, so dx, dy = -2..1. The sine and cosine are
// 32-bit floats of the angle in radians from 3.14159:
//   90 degrees: cos = 1.3268e-6, sin = 1.0f;  180: cos = -1.0f, sin = 2.6536e-6.
// The small term decides each truncation: e.g. at 90, dab pixel (3, 3) (dx = dy = 1):
// sx = trunc(1.3e-6 - 1) + 2 = 2, sy = trunc(1 + 1.3e-6) + 2 = 3. A rotated
// index of 4 lies inside the 5 x 5 shape plane but not inside the size-4 brush,
// so that pixel falls back to its unrotated index.
TEST_F(DabFeatures, RotationSamplesTheRotatedShapeIndex)
{
    MVE_SetSize(4);
    write_coded_shape();
    struct Src {
        int u, v;
    };
    // Shape pixel sampled by dab pixel (column j, row r), worked from the
    // formulas for each dx, dy; (j, r) itself where the rotated index leaves 0..3.
    const Src quarter[4][4] = {
        {{3, 0}, {3, 1}, {2, 0}, {3, 0}},  // (2, 0) and (3, 0): sx = 4, unrotated
        {{2, 0}, {2, 1}, {3, 2}, {3, 2}},
        {{2, 0}, {2, 1}, {2, 2}, {2, 3}},
        {{1, 1}, {1, 2}, {1, 2}, {2, 3}},
    };
    const Src half[4][4] = {
        {{0, 0}, {3, 3}, {2, 0}, {3, 0}},  // (0, 0): sx = 4; (2, 0), (3, 0): sy = 4
        {{0, 1}, {3, 2}, {2, 3}, {2, 3}},  // (0, 1): sx = 4
        {{0, 2}, {3, 2}, {2, 2}, {1, 2}},  // (0, 2): sx = 4
        {{3, 1}, {2, 1}, {2, 1}, {1, 2}},
    };
    auto check = [&](const Src(&want)[4][4], const char* what) {
        SCOPED_TRACE(what);
        for (int r = 0; r < 4; ++r)
            for (int j = 0; j < 4; ++j)
                EXPECT_EQ(layer(1 + j, 1 + r)[3], coded(want[r][j].u, want[r][j].v))
                    << "dab pixel " << j << "," << r;
    };

    MVE_SetRotateBrushMode(1, 90);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    check(quarter, "90 degrees");

    clear_layer();
    MVE_SetRotateBrushMode(1, 180);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    check(half, "180 degrees");

    // Only mode 1 rotates: mode 2 with the same angle samples (j, r) itself.
    clear_layer();
    MVE_SetRotateBrushMode(2, 180);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    for (int r = 0; r < 4; ++r)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(layer(1 + j, 1 + r)[3], coded(j, r));
}

TEST_F(DabFeatures, RotatedPickUpReadsTheRotatedBufferPixel)
{
    // Pick-up takes its colour from the buffer pixel of the rotated index.
    // Full shape, transparent layer: colour = the buffer pixel's colour.
    MVE_SetSize(4);
    for (int v = 0; v < M; ++v)
        for (int u = 0; u < M; ++u) set(buffer(u, v), coded(u, v), 0, 0, 65535);
    MVE_SetBlendStrength(128);
    MVE_SetRotateBrushMode(1, 180);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(1, 1)[0], coded(0, 0));  // fallback
    EXPECT_EQ(layer(2, 1)[0], coded(3, 3));
    EXPECT_EQ(layer(1, 4)[0], coded(3, 1));
    EXPECT_EQ(layer(4, 4)[0], coded(1, 2));
    EXPECT_EQ(layer(4, 4)[3], 65534);  // (65535 * 65535) >> 16
}

TEST_F(DabFeatures, ImageBrushScalesCoverageByPickedUpAlpha)
{
    // Size 2 at (3, 3): canvas (2..3, 2..3) from shape and buffer (0..1, 0..1).
    fill_shape(40000);
    set(buffer(0, 0), 60000, 40000, 0, 16384);
    set(buffer(1, 0), 60000, 40000, 0, 1);
    set(buffer(0, 1), 60000, 40000, 0, 16384);
    set(buffer(1, 1), 60000, 40000, 0, 65535);
    set(layer(2, 2), 10000, 20000, 30000, 65535);
    set(layer(3, 2), 10000, 20000, 30000, 65535);
    MVE_SetBlendStrength(128);
    MVE_SetImageBrushMode(1);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    // (2, 2): k = (40000 * 16384) >> 16 = 10000, Sa = 65535; wet mix onto opaque D:
    // Ra = ((55536 * 65535 >> 8 = 14216999) + (10000 * 65535 >> 8 = 2559960)) >> 8 = 65534;
    // red = ((55536 * 10000 >> 8 = 2169375) + (10000 * 60000 >> 8 = 2343750)) >> 8 = 17629;
    // green = (4338750 + 1562500) >> 8 = 23051; blue = (6508125 + 0) >> 8 = 25422.
    expect_px(layer(2, 2), 17629, 23051, 25422, 65534);
    // (3, 2): (40000 * 1) >> 16 = 0 is held at 1: Ra = ((65535 * 65535 >> 8) + 255) >> 8
    // = (16776704 + 255) >> 8 = 65534 (coverage 0 would keep 65535);
    // blue = ((65535 * 30000 >> 8 = 7679882) + 0) >> 8 = 29999.
    EXPECT_EQ(layer(3, 2)[3], 65534);
    EXPECT_EQ(layer(3, 2)[2], 29999);
    // (2, 3) on a transparent pixel: S's colour, Ra = (10000 * 65535) >> 16 = 9999.
    expect_px(layer(2, 3), 60000, 40000, 0, 9999);
    // (3, 3): an opaque buffer pixel leaves k = 40000: Ra = (40000 * 65535) >> 16 = 39999.
    EXPECT_EQ(layer(3, 3)[3], 39999);

    // Without image-brush mode the same transparent pixel keeps k = 40000 and
    // Sa = 16384: Ra = (40000 * 16384) >> 16 = 10000.
    clear_layer();
    MVE_SetImageBrushMode(0);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    expect_px(layer(2, 3), 60000, 40000, 0, 10000);
}

TEST_F(DabFeatures, PrimaryStrengthPullsPickedUpPaintTowardTheBrushColour)
{
    // q = 64 with brush colour (0xFF00, 0, 0x8000, 65535): c = (c * 192 + colour * 64) >> 8.
    set(buffer(0, 0), 1000, 40000, 20000, 32768);
    set(buffer(1, 0), 65535, 65535, 65535, 65535);
    MVE_SetBlendStrength(128);
    MVE_SetBlendPrimaryColorStrength(64);
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0x8000);
    // (2, 2): red (192000 + 4177920) >> 8 = 17070; green 7680000 >> 8 = 30000;
    // blue (3840000 + 2097152) >> 8 = 23192; alpha (6291456 + 4194240) >> 8 = 40959.
    // Transparent layer: that colour, Ra = (65535 * 40959) >> 16 = 40958.
    expect_px(layer(2, 2), 17070, 30000, 23192, 40958);
    // (3, 2) from white: red (12582720 + 4177920) >> 8 = 65471, green 12582720 >> 8 = 49151,
    // blue (12582720 + 2097152) >> 8 = 57343, alpha stays 65535 -> Ra 65534.
    expect_px(layer(3, 2), 65471, 49151, 57343, 65534);

    // Without pick-up the strength takes no part: the dab colour itself.
    clear_layer();
    MVE_TempDisableBlend();
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0x8000);
    expect_px(layer(2, 2), 0xFF00, 0, 0x8000, 65534);
}

TEST_F(DabFeatures, LuminanceVariationWithoutPickUpStartsFromTheDabColour)
{
    Engine& e = engine();
    // Tables of one repeated byte, so every row start reads the same values.
    ASSERT_GT(MVE_SetPixColorVary(5), 0);
    ASSERT_GT(MVE_SetPixLumVary(64), 0);
    RandomByteTable& cv = e.random.colourVariation;
    RandomByteTable& lv = e.random.lumVariation;
    std::memset(cv.data.data(), 4, static_cast<std::size_t>(cv.length));
    std::memset(lv.data.data(), 100, static_cast<std::size_t>(lv.length));
    MVE_DrawDabGrit(3, 3, 0x8000, 0, 0xFF00);
    // Colour variation n = 5, byte 4: d = (4 - 8) * 128 = -512 on all four
    // channels, so alpha 65023 and Ra = (65535 * 65023) >> 16 = 65022.
    // Luminance n = 64, byte 100: f = (96 + 36) / 256 = 0.515625, c + 0.03125 (65535 - c)
    // from the dab colour (not the varied one):
    // 32768 + 1023.97 -> 33791; 0 + 2047.97 -> 2047; 65280 + 7.97 -> 65287.
    // (From the varied colour red would have been 32256 + 1039.97 -> 33295.)
    for (int y = 2; y <= 3; ++y)
        for (int x = 2; x <= 3; ++x) expect_px(layer(x, y), 33791, 2047, 65287, 65022);

    // Byte 0 darkens: f = 96 / 256 = 0.375, c - c * 0.25: 24576, 0, 48960.
    // Colour variation off: alpha stays 65535 -> Ra 65534.
    clear_layer();
    MVE_SetPixColorVary(0);
    std::memset(lv.data.data(), 0, static_cast<std::size_t>(lv.length));
    MVE_DrawDabGrit(3, 3, 0x8000, 0, 0xFF00);
    expect_px(layer(3, 2), 24576, 0, 48960, 65534);
}

TEST_F(DabFeatures, GritPatternChangesWhenTheCountdownRunsOut)
{
    Engine& e = engine();
    PaintResources& p = e.paint;
    e.brush.gritDotSize = 1;
    e.brush.drawingLength = 3;
    MVE_SetDensity(100);  // density 99
    // Pattern 7 paints nothing (255); every other pattern paints everywhere (0).
    for (int i = 0; i < kGritPatternCount; ++i) {
        Plane8& g = p.gritPatterns[static_cast<std::size_t>(i)];
        std::memset(g.data(), i == 7 ? 255 : 0, g.size());
    }
    p.gritPattern = 7, p.gritOffset = 0, p.gritCountdown = 1;
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(2, 2)[3], 0);  // still pattern 7
    EXPECT_EQ(p.gritPattern, 7);
    EXPECT_EQ(p.gritCountdown, 1);  // a dab alone does not count down

    MVE_DecDrawingLength();
    EXPECT_EQ(p.gritCountdown, 0);
    // Countdown 0: another pattern before the pixels, then the reload.
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_NE(p.gritPattern, 7);
    EXPECT_LE(p.gritOffset, static_cast<std::size_t>(24 * M + 24));
    EXPECT_EQ(p.gritCountdown, 3);
    EXPECT_EQ(layer(2, 2)[3], 65534);

    MVE_DecDrawingLength();
    MVE_DecDrawingLength();
    EXPECT_EQ(p.gritCountdown, 1);
    const int kept = p.gritPattern;
    const std::size_t keptOffset = p.gritOffset;
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(p.gritPattern, kept);
    EXPECT_EQ(p.gritOffset, keptOffset);

    // A negative countdown has run out too.
    p.gritCountdown = -2;
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(p.gritCountdown, 3);

    // Without grit the countdown is left alone.
    e.brush.gritDotSize = 0;
    p.gritCountdown = 0;
    p.gritPattern = 7;
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(p.gritCountdown, 0);
    EXPECT_EQ(p.gritPattern, 7);
}

TEST_F(DabFeatures, GritChangeNeverKeepsTheCurrentStart)
{
    // From a pattern's start (offset 0) the next pattern must differ. For each
    // seed: the pattern a first dab moves to is made current, then the same
    // seed replays the same first pick, which must be drawn again.
    Engine& e = engine();
    PaintResources& p = e.paint;
    e.brush.gritDotSize = 1;
    e.brush.drawingLength = 4;
    MVE_SetDensity(256);
    for (int seed = 1; seed <= 20; ++seed) {
        p.gritPattern = 7, p.gritOffset = 0, p.gritCountdown = 0;
        MVE_SetRandomSeed(seed);
        MVE_DrawDabGrit(3, 3, 0, 0, 0);
        const int first = p.gritPattern;
        EXPECT_NE(first, 7) << "seed " << seed;
        p.gritOffset = 0, p.gritCountdown = 0;
        MVE_SetRandomSeed(seed);
        MVE_DrawDabGrit(3, 3, 0, 0, 0);
        EXPECT_NE(p.gritPattern, first) << "seed " << seed;
        EXPECT_EQ(p.gritCountdown, 4);
    }
}

// Mix level t = 128 and coverage k = 32768 (half) on a size-2 dab at (3, 3):
// B' = (((S * 128) >> 4) + ((B * 128) >> 4)) >> 4, then per channel
// min(65535, ((((B' * k) >> 8) + (((65536 - k) * D) >> 8)) >> 8) + 1) and
// Ra = (((65535 * k) >> 8) + (((65536 - k) * Da) >> 8)) >> 8.
// Paint S = (0x2000, 0x8000, 0xFF00) = (8192, 32768, 65280).
TEST_F(DabFeatures, TableModesWithStrengthAndCoverageBlend)
{
    fill_shape(32768);
    auto opaque = [] { set(layer(2, 2), 40000, 10000, 30000, 65535); };

    // 36, max: B = (40000, 32768, 65280); B' = ((65536 + 320000) >> 4, 32768, 65280)
    // = (24096, 32768, 65280); red ((3084288 + 5120000) >> 8) + 1 = 32049,
    // green ((4194304 + 1280000) >> 8) + 1 = 21385, blue ((8355840 + 3840000) >> 8) + 1 = 47641;
    // Ra = (8388480 + 8388480) >> 8 = 65535.
    opaque();
    MVE_SetMixMode(36, 128);
    MVE_DrawDabGrit(3, 3, 0x2000, 0x8000, 0xFF00);
    expect_px(layer(2, 2), 32049, 21385, 47641, 65535);

    // 47, min(65535, D + S): B = (48192, 42768, 65535); B' = ((65536 + 385536) >> 4,
    // (262144 + 342144) >> 4, (522240 + 524280) >> 4) = (28192, 37768, 65407);
    // red ((3608576 + 5120000) >> 8) + 1 = 34097, green ((4834304 + 1280000) >> 8) + 1 = 23885,
    // blue ((8372096 + 3840000) >> 8) + 1 = 47704.
    opaque();
    MVE_SetMixMode(47, 128);
    MVE_DrawDabGrit(3, 3, 0x2000, 0x8000, 0xFF00);
    expect_px(layer(2, 2), 34097, 23885, 47704, 65535);

    // 262 onto a half-transparent D (Da = 32768): first the pull,
    // w = min(65535, ((32767 * 32768) >> 16) * 3) = 16383 * 3 = 49149, 65535 - w = 16386:
    // red ((16386 * 40000 >> 8 = 2560312) + (49149 * 8192 >> 8 = 1572768)) >> 8 = 16144,
    // green (640078 + 6291072) >> 8 = 27074, blue (1920234 + 12532995) >> 8 = 56457.
    // Posterised S = (0, 32767, 65535); B' = (65536 >> 4, (262144 + 262136) >> 4,
    // (522240 + 524280) >> 4) = (4096, 32767, 65407);
    // red ((524288 + 16144 * 128) >> 8) + 1 = 10121, green ((4194176 + 3465472) >> 8) + 1 = 29921,
    // blue ((8372096 + 7226496) >> 8) + 1 = 60933; Ra = (8388480 + 4194304) >> 8 = 49151.
    set(layer(2, 2), 40000, 10000, 30000, 32768);
    MVE_SetMixMode(262, 128);
    MVE_DrawDabGrit(3, 3, 0x2000, 0x8000, 0xFF00);
    expect_px(layer(2, 2), 10121, 29921, 60933, 49151);
}

TEST_F(DabFeatures, Mode425TintsTheBrushColourByThePickedUpLightness)
{
    // Picked-up greys; the tint uses the brush colour (8192, 32768, 65280), and
    // the strength blend the picked-up S. t = 128, k = 32768 as above.
    fill_shape(32768);
    set(buffer(0, 0), 30000, 30000, 30000, 65535);
    set(buffer(1, 0), 50000, 50000, 50000, 65535);
    set(layer(2, 2), 40000, 10000, 30000, 65535);
    MVE_SetBlendStrength(128);
    MVE_SetMixMode(425, 128);
    MVE_DrawDabGrit(3, 3, 0x2000, 0x8000, 0xFF00);
    // (2, 2): L = 30000 < 32767, u = 60000 >> 8 = 234: B = (7488, 29952, 59670);
    // B' = ((240000 + 59904) >> 4, (240000 + 239616) >> 4, (240000 + 477360) >> 4)
    // = (18744, 29976, 44835); over opaque D: red ((2399232 + 5120000) >> 8) + 1 = 29373,
    // green ((3836928 + 1280000) >> 8) + 1 = 19989, blue ((5738880 + 3840000) >> 8) + 1 = 37418.
    expect_px(layer(2, 2), 29373, 19989, 37418, 65535);
    // (3, 2) transparent, so D takes S's colour: L = 50000, u = (100000 - 65536) >> 8 = 134:
    // B = ((c * 122 + 134 * 65535) >> 8) = (38207, 49919, 65413);
    // B' = ((400000 + 305656) >> 4, (400000 + 399352) >> 4, (400000 + 523304) >> 4)
    // = (44103, 49959, 57706); over D = 50000: red ((5645184 + 6400000) >> 8) + 1 = 47052,
    // green ((6394752 + 6400000) >> 8) + 1 = 49980, blue ((7386368 + 6400000) >> 8) + 1 = 53854;
    // Ra = (8388480 + 0) >> 8 = 32767.
    expect_px(layer(3, 2), 47052, 49980, 53854, 32767);
}

TEST_F(DabFeatures, PickedUpPaintIsVariedThenPulledTowardTheBrushColour)
{
    // With pick-up the order is colour variation on R, G, B, then luminance
    // variation of the varied colour, then the pull by q (alpha too).
    Engine& e = engine();
    ASSERT_GT(MVE_SetPixColorVary(5), 0);
    ASSERT_GT(MVE_SetPixLumVary(64), 0);
    std::memset(e.random.colourVariation.data.data(), 4,
                static_cast<std::size_t>(e.random.colourVariation.length));
    std::memset(e.random.lumVariation.data.data(), 100,
                static_cast<std::size_t>(e.random.lumVariation.length));
    set(buffer(0, 0), 32768, 0, 65280, 40000);
    MVE_SetBlendStrength(128);
    MVE_SetBlendPrimaryColorStrength(64);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    // Variation -512: (32256, 0 (clamped), 64768), alpha 40000 untouched.
    // Luminance f = 0.515625: 32256 + 1039.97 -> 33295, 0 + 2047.97 -> 2047, 64768 + 23.97 -> 64791.
    // Pull toward black, q = 64: c * 192 >> 8 = 24971, 1535, 48593;
    // alpha (40000 * 192 + 65535 * 64) >> 8 = 11874240 >> 8 = 46383, Ra = 46382.
    expect_px(layer(2, 2), 24971, 1535, 48593, 46382);
}

TEST_F(DabFeatures, GritIsReadAtTheRotatedIndex)
{
    // 180 degrees, size 4 at (3, 3): only dab pixel (1, 0), canvas (2, 1),
    // samples shape index (3, 3), the one grit byte that lets paint through.
    Engine& e = engine();
    MVE_SetSize(4);
    e.brush.gritDotSize = 1;
    e.paint.gritPattern = 0, e.paint.gritOffset = 0, e.paint.gritCountdown = 5;
    Plane8& g = e.paint.gritPatterns[0];
    std::memset(g.data(), 255, g.size());
    g[3 * M + 3] = 10;
    MVE_SetDensity(100);
    MVE_SetRotateBrushMode(1, 180);
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    for (int y = 1; y <= 4; ++y)
        for (int x = 1; x <= 4; ++x) EXPECT_EQ(layer(x, y)[3], x == 2 && y == 1 ? 65534 : 0) << x << "," << y;
}
