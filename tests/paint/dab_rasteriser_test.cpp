// Whole dabs on a 6 x 6 canvas with a 2 x 2 brush, worked by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "support/worker_threads.h"

using namespace mve;

namespace {

constexpr int W = 6, H = 6, M = 4;

struct DabTest : ::testing::Test {
    void SetUp() override
    {
        // The engine is process-wide: every setting a dab reads starts from a
        // known value here, whatever an earlier test left behind (grit, pick-up,
        // locks, variation, one-shot flags, blend buffer, seed).
        reset_dab_settings();
        MVE_CreateImage(nullptr, W, H, M, 0);
        MVE_CreateLayer(2, W, H);
        // Layer flags outlive the canvas: visible, alpha not locked.
        MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetLayer(2);
        MVE_SetSize(2);
        MVE_SetAlpha(100);
        MVE_SetMixMode(32, 0);
        fill_shape(65535);
    }
    void TearDown() override
    {
        MVE_DeleteImage();
        reset_dab_settings();
    }

    static void reset_dab_settings()
    {
        Engine& e = engine();
        e.brush = BrushSettings{};
        e.random.colourVaryAmount = e.random.lumVaryAmount = 0;
        e.mask.makerOn = 0;
        e.blend.current = 0;
        e.paint.gritPattern = 0;
        e.paint.gritOffset = 0;
        e.paint.gritCountdown = 0;
        MVE_SetRandomSeed(1);
    }

    static void fill_shape(std::uint16_t v)
    {
        Plane16& s = engine().paint.brushShape;
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = v;
    }
    static std::uint16_t& shape(int u, int v) { return engine().paint.brushShape[static_cast<std::size_t>(v) * M + u]; }
    static std::uint16_t* layer(int index, int x, int y)
    {
        return engine().layers.table[index].begin_write().row(y) + x * 4;
    }
    static std::uint16_t* paint(int x, int y) { return engine().layers.paint.begin_write().row(y) + x * 4; }
    static void set(std::uint16_t* p, int r, int g, int b, int a)
    {
        p[0] = static_cast<std::uint16_t>(r), p[1] = static_cast<std::uint16_t>(g);
        p[2] = static_cast<std::uint16_t>(b), p[3] = static_cast<std::uint16_t>(a);
    }
};

}  // namespace

TEST_F(DabTest, CrossingDabDrawsInsideOnlyAndClipsExtents)
{
    Engine& e = engine();
    MVE_CreatePaintLayer(100, 100, "Normal");
    // Size 2 at (0, 0): left = top = -1, the square is -1..0; only canvas (0, 0)
    // lies inside, from shape pixel (1, 1).
    shape(1, 1) = 40000;
    MVE_DrawDabGrit(0, 0, 0xFF12, 0x0034, 0);
    // Nothing below: colour = (0xFF00, 0, 0), alpha (40000 * 65535) >> 16 = 39999.
    EXPECT_EQ(paint(0, 0)[0], 0xFF00);
    EXPECT_EQ(paint(0, 0)[1], 0);
    EXPECT_EQ(paint(0, 0)[3], 39999);
    EXPECT_EQ(paint(1, 0)[3], 0);
    EXPECT_EQ(paint(0, 1)[3], 0);
    // Dirty rectangle widened by the whole square (-1, -1, 1, 1) from empty (5, 5, 0, 0).
    EXPECT_EQ(e.undo.dirty.x0, -1);
    EXPECT_EQ(e.undo.dirty.y0, -1);
    EXPECT_EQ(e.undo.dirty.x1, 1);
    EXPECT_EQ(e.undo.dirty.y1, 1);
    // Extents from empty (6, 6, 0, 0) to (-1, -1, 1, 1), clipped to (0, 0, 1, 1).
    const int* ext = e.layers.paint.extents;
    EXPECT_EQ(ext[0], 0);
    EXPECT_EQ(ext[1], 0);
    EXPECT_EQ(ext[2], 1);
    EXPECT_EQ(ext[3], 1);
    // The call stored the brush colour with its low bytes cleared.
    EXPECT_EQ(e.brush.color[0], 0xFF00);
    EXPECT_EQ(e.brush.color[3], 65535);

    // At the far corner (6, 6): square 5..6, only (5, 5) from shape (0, 0) inside.
    shape(0, 0) = 65535;
    MVE_DrawDabGrit(6, 6, 0, 0xFF00, 0);
    EXPECT_EQ(paint(5, 5)[1], 0xFF00);
    EXPECT_EQ(paint(5, 5)[3], 65534);  // (65535 * 65535) >> 16
    EXPECT_EQ(ext[2], 6);
    EXPECT_EQ(ext[3], 6);
    EXPECT_EQ(e.undo.dirty.x1, 7);
}

TEST_F(DabTest, OpacityAndTextureScaleCoverage)
{
    Engine& e = engine();
    fill_shape(40000);
    // Dab at (3, 3): left = top = 2, pixels (2..3, 2..3).
    MVE_SetAlpha(50);  // (40000 * 64) >> 7 = 20000, alpha (20000 * 65535) >> 16 = 19999
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(2, 2, 2)[3], 19999);
    EXPECT_EQ(layer(2, 3, 3)[3], 19999);
    EXPECT_EQ(layer(2, 4, 3)[3], 0);

    MVE_SetAlpha(100);
    ASSERT_TRUE(e.texture.plane.allocate(W * H));
    std::memset(e.texture.plane.data(), 255, W * H);
    e.texture.plane[1 * W + 1] = 0;    // suppresses (1, 1)
    e.texture.plane[1 * W + 2] = 128;  // (128 * 40000) >> 8 = 20000 -> alpha 19999
    // Dab at (2, 1): pixels (1..2, 0..1) on a transparent part of the layer.
    MVE_DrawDabGrit(2, 1, 0, 0, 0);
    EXPECT_EQ(layer(2, 1, 0)[3], 39999);  // texture 255: (40000 * 65535) >> 16
    EXPECT_EQ(layer(2, 1, 1)[3], 0);
    EXPECT_EQ(layer(2, 2, 1)[3], 19999);
}

TEST_F(DabTest, BackgroundAndLockedLayersKeepAlpha)
{
    // Layer 1 is opaque white; painting red at k = 32768 with source over:
    // a = 32767; red = (2147418112 + 2139029504) / 65535 = 65406, green = 2147418112 / 65535 = 32767.
    MVE_CreateLayer(1, W, H);
    MVE_SetLayer(1);
    fill_shape(32768);
    std::uint16_t* p = layer(1, 2, 2);
    p[3] = 50000;  // a background alpha the dab must not touch
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0);
    EXPECT_EQ(layer(1, 3, 3)[0], 65406);
    EXPECT_EQ(layer(1, 3, 3)[1], 32767);
    EXPECT_EQ(layer(1, 3, 3)[3], 65535);
    EXPECT_EQ(p[3], 50000);

    // Layer 2 with the brush's alpha lock: colour changes, alpha stays.
    MVE_SetLayer(2);
    set(layer(2, 2, 2), 0, 0, 0, 30000);
    MVE_SetAlphaLocked(1);
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0);
    EXPECT_EQ(layer(2, 2, 2)[3], 30000);
    EXPECT_GT(layer(2, 2, 2)[0], 0);
    // Colour lock: alpha changes, colour stays.
    MVE_SetAlphaLocked(0);
    MVE_SetColorLocked(1);
    set(layer(2, 2, 2), 100, 100, 100, 30000);
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0);
    EXPECT_EQ(layer(2, 2, 2)[0], 100);
    // Ra = ((65535 - 30000) * 32767 >> 16) + 30000: 1164375345 >> 16 = 17766, + 30000.
    EXPECT_EQ(layer(2, 2, 2)[3], 47766);
}

TEST_F(DabTest, BlobLockedEraseKeepsAFloor)
{
    // Full coverage erase: Ra = 0 everywhere the pixel has alpha.
    set(layer(2, 2, 2), 10, 20, 30, 8191);
    set(layer(2, 3, 2), 10, 20, 30, 8192);
    set(layer(2, 2, 3), 10, 20, 30, 65535);
    MVE_SetBlobLocked(1);
    MVE_SetEraseModeOn();
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(2, 2, 2)[3], 8191);  // at or below 8191: untouched
    EXPECT_EQ(layer(2, 3, 2)[3], 9216);
    EXPECT_EQ(layer(2, 2, 3)[3], 9216);
    EXPECT_EQ(layer(2, 2, 3)[0], 10);  // erase writes alpha only
    EXPECT_EQ(engine().brush.eraseMode, 0);  // one dab only

    // The flag is gone: the next dab paints black source over again.
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(2, 2, 3)[0], 0);
}

TEST_F(DabTest, EraseWithColourVaryWritesOnlyAlpha)
{
    fill_shape(32768);
    set(layer(2, 2, 2), 1000, 2000, 3000, 65535);
    MVE_SetColorVary(40);
    MVE_SetRandomSeed(5);
    MVE_SetEraseModeOn();
    MVE_DrawDabGrit(3, 3, 0x8000, 0x8000, 0x8000);
    // Erase: ((65535 - 32768) * 65535) >> 16 = 32766, colour untouched.
    const std::uint16_t* p = layer(2, 2, 2);
    EXPECT_EQ(p[0], 1000);
    EXPECT_EQ(p[1], 2000);
    EXPECT_EQ(p[2], 3000);
    EXPECT_EQ(p[3], 32766);
}

TEST_F(DabTest, TableModesAtFullCoverage)
{
    // k = 65535 leaves the blend B and Ra = Sa = 65535 unchanged by the coverage blend.
    set(layer(2, 2, 2), 40000, 10000, 30000, 65535);
    MVE_SetMixMode(35, 256);  // min, strength 256 gives B itself
    MVE_DrawDabGrit(3, 3, 0x4E00, 0x4E00, 0x4E00);
    EXPECT_EQ(layer(2, 2, 2)[0], 0x4E00);
    EXPECT_EQ(layer(2, 2, 2)[1], 10000);
    EXPECT_EQ(layer(2, 2, 2)[2], 0x4E00);
    EXPECT_EQ(layer(2, 2, 2)[3], 65535);

    // Screen: 65535 - ((25535 * 45567) >> 16) = 47781 on a 40000 grey.
    set(layer(2, 3, 3), 40000, 40000, 40000, 65535);
    MVE_SetMixMode(34, 256);
    MVE_DrawDabGrit(3, 3, 0x4E00, 0x4E00, 0x4E00);
    EXPECT_EQ(layer(2, 3, 3)[0], 47781);

    // Code 253 with banks: paint mean 0x1000 < 32767 gives bank 0 (0x20 << 8).
    set(layer(2, 3, 2), 40000, 40000, 40000, 65535);
    MVE_SetColorBanks(0x20, 0x30, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    MVE_SetMixMode(253, 256);
    MVE_DrawDabGrit(3, 3, 0x1000, 0x1000, 0x1000);
    EXPECT_EQ(layer(2, 3, 2)[0], 0x2000);
    EXPECT_EQ(layer(2, 3, 2)[2], 0x4000);
}

TEST_F(DabTest, PickUpReproducesCanvasColourAndRemixes)
{
    // The canvas under the brush, copied with c = 0: each colour + 1, white capped at 65280.
    set(layer(2, 2, 2), 1000, 2000, 3000, 65535);
    set(layer(2, 3, 2), 65535, 65535, 65535, 65535);
    MVE_SetBlendStrength(128);
    ASSERT_EQ(MVE_CopyBlendBufferSurface(3, 3, 0, 0), 1);
    MVE_CreatePaintLayer(100, 100, "Normal");
    MVE_SetBlendRemix(1);
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0);
    // PaintLayer empty: colour = S, alpha (65535 * 65535) >> 16 = 65534.
    EXPECT_EQ(paint(2, 2)[0], 1001);
    EXPECT_EQ(paint(2, 2)[1], 2001);
    EXPECT_EQ(paint(2, 2)[2], 3001);
    EXPECT_EQ(paint(2, 2)[3], 65534);
    EXPECT_EQ(paint(3, 2)[0], 65280);
    // Remix with nothing below: buffer (0, 0) keeps S, alpha (65535 * 128) >> 8 = 32767.
    const std::uint16_t* q = current_blend_buffer(engine());
    EXPECT_EQ(q[0], 1001);
    EXPECT_EQ(q[3], 32767);

    // A second pick-up dab mixes into the paint already there (wet mix, k = 65535):
    // Ra = (((1 * 65534) >> 8) + ((65535 * 32767) >> 8)) >> 8 = (255 + 8388224) >> 8 = 32767;
    // red = (((1 * 1001) >> 8) + ((65535 * 1001) >> 8)) >> 8 = (3 + 256252) >> 8 = 1000.
    MVE_DrawDabGrit(3, 3, 0xFF00, 0, 0);
    EXPECT_EQ(paint(2, 2)[0], 1000);
    EXPECT_EQ(paint(2, 2)[3], 32767);
}

TEST_F(DabTest, GritSkipsPixelsAboveDensity)
{
    Engine& e = engine();
    e.brush.gritDotSize = 1;
    e.paint.gritCountdown = 5;  // no pattern change on this dab
    e.paint.gritPattern = 0;
    e.paint.gritOffset = 0;
    Plane8& g = e.paint.gritPatterns[0];
    std::memset(g.data(), 255, g.size());
    g[0 * M + 1] = 50;  // shape (1, 0)
    MVE_SetDensity(100);  // density 99: 50 paints, 255 does not
    MVE_DrawDabGrit(3, 3, 0, 0, 0);
    EXPECT_EQ(layer(2, 3, 2)[3], 65534);
    EXPECT_EQ(layer(2, 2, 2)[3], 0);
    EXPECT_EQ(layer(2, 3, 3)[3], 0);
    EXPECT_EQ(e.paint.gritCountdown, 5);
}

TEST_F(DabTest, MaskVariantBlendsRedLevelIntoMask)
{
    Engine& e = engine();
    fill_shape(32768);
    MVE_SetMaskMakerOn();
    // Centred on (0, 0): only (0, 0) is inside. m = ((32768 * 65535) >> 8) >> 8 = 32767.
    MVE_DrawDabGrit(0, 0, 0, 0xFF00, 0xFF00);
    EXPECT_EQ(e.mask.plane[0], 32767);
    EXPECT_EQ(e.mask.plane[1], 65535);
    EXPECT_EQ(layer(2, 0, 0)[3], 0);  // the layer is not painted
    EXPECT_EQ(e.mask.makerOn, 0);
    EXPECT_EQ(e.undo.dirty.x0, -1);

    // Erase paints 65535 back: ((32768 * 32767) >> 8) + ((32768 * 65535) >> 8) = 4194176 + 8388480, >> 8 = 49151.
    MVE_SetEraseModeOn();
    MVE_SetMaskMakerOn();
    MVE_DrawDabGrit(0, 0, 0, 0, 0);
    EXPECT_EQ(e.mask.plane[0], 49151);
}

TEST_F(DabTest, ParallelDabWithVariationIsReproducible)
{
    // A 40-row dab, its rows spread over the threads, on a 48 x 48 canvas with per-pixel
    // colour and luminance variation: the same seed gives the same pixels,
    // however many threads draw the rows.
    MVE_DeleteImage();
    constexpr int S = 48, N = 40;
    MVE_CreateImage(nullptr, S, S, N, 0);
    MVE_CreateLayer(2, S, S);
    MVE_SetLayer(2);
    MVE_SetSize(N);
    fill_shape(50000);
    MVE_SetRandomSeed(11);
    MVE_SetPixColorVary(30);  // the tables are filled once; each run then starts from the seed
    MVE_SetPixLumVary(40);
    auto run = [&](int threads) {
        std::memset(engine().layers.table[2].pixels.begin_write(), 0,
                    engine().layers.table[2].pixels.bytes());
        MVE_SetRandomSeed(11);
        WorkerThreads workers(threads);
        MVE_DrawDabGrit(24, 24, 0x8000, 0x4000, 0x2000);
        const LayerRecord& l = engine().layers.table[2];
        return std::vector<std::uint16_t>(l.pixels.data(), l.pixels.data() + l.pixels.size());
    };
    const auto first = run(2), second = run(2), single = run(1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, single);
    // The variation took effect: the reds of the dab are not all one value.
    const std::uint16_t r0 = first[(4 * S + 4) * 4];
    bool differs = false;
    for (int y = 4; y < 44; ++y)
        for (int x = 4; x < 44; ++x) differs |= first[(static_cast<std::size_t>(y) * S + x) * 4] != r0;
    EXPECT_TRUE(differs);
}
