// The Mask and texture paths of the exports that read the global engine:
// RGB24 loads, masked fills and the alpha adjustment.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/coverage.h"
#include "core/memory.h"
#include "core/runtime.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

using Px = std::vector<unsigned>;

// A 3 x 1 canvas with layer 2 current, filled with (0x1000, 0x2000, 0x3000, 0x4000).
struct TransferMaskedTest : ::testing::Test {
    void SetUp() override
    {
        MVE_CreateImage(nullptr, 3, 1, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(2, 3, 1), 1);
        MVE_SetLayer(2);
        // Layer flags and brush locks outlive canvases: set what the tests rely on.
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetAlphaLocked(0);
        std::vector<unsigned short> data;
        for (int i = 0; i < 3; ++i) data.insert(data.end(), {0x1000, 0x2000, 0x3000, 0x4000});
        MVE_SetLayerData(data.data(), 2);
    }
    void TearDown() override { MVE_DeleteImage(); }

    void mask(std::initializer_list<unsigned short> values)
    {
        std::copy(values.begin(), values.end(), engine().mask.plane.begin_write());
        engine().mask.enabled = 1;
    }
    void texture(std::uint8_t value)
    {
        ASSERT_TRUE(engine().texture.plane.allocate(3));
        for (int i = 0; i < 3; ++i) engine().texture.plane[i] = value;
    }
    Px px(int x)
    {
        return {static_cast<unsigned>(MVE_GetRed64(x, 0)), static_cast<unsigned>(MVE_GetGreen64(x, 0)),
                static_cast<unsigned>(MVE_GetBlue64(x, 0)), static_cast<unsigned>(MVE_GetAlpha64(x, 0))};
    }
};

}  // namespace

TEST_F(TransferMaskedTest, LoadRGB24ThroughMaskKeepsAlpha)
{
    // Mask 65535, 0, 0x8000: c = 65535 writes s * 256; 0 leaves; h = 128 gives
    // c = 33023: R = (33023*200 + (32512*4096 >> 8)) >> 8 = 7124792 >> 8 = 27831.
    mask({0xFFFF, 0, 0x8000});
    const unsigned char rgb[9] = {200, 0, 0, 200, 0, 0, 200, 0, 0};
    MVE_LoadRGB24(rgb, 9, 1);
    EXPECT_EQ(px(0), (Px{51200, 0, 0, 0x4000}));
    EXPECT_EQ(px(1), (Px{0x1000, 0x2000, 0x3000, 0x4000}));
    EXPECT_EQ(px(2)[0], 27831u);
    // G: (33023*0 + (32512*8192 >> 8)) >> 8 = 1040384 >> 8 = 4064.
    EXPECT_EQ(px(2)[1], 4064u);
    EXPECT_EQ(px(2)[3], 0x4000u);
    // Unmasked: straight s * 256 everywhere, the Mask notwithstanding.
    MVE_LoadRGB24(rgb, 9, 0);
    EXPECT_EQ(px(1), (Px{51200, 0, 0, 0x4000}));
}

TEST_F(TransferMaskedTest, LoadRGB24TextureVariant)
{
    // Mask disabled, texture 127: RGB24 factor 65279, C = 256:
    // (65279*200 + (256*4096 >> 8)) >> 8 = (13055800 + 4096) >> 8 = 51015.
    engine().mask.enabled = 0;
    texture(127);
    const unsigned char rgb[9] = {200, 0, 0, 200, 0, 0, 200, 0, 0};
    MVE_LoadRGB24(rgb, 9, 1);
    EXPECT_EQ(px(0)[0], 51015u);
}

TEST_F(TransferMaskedTest, LoadRGB24ToAlphaPlainAndMasked)
{
    // Unmasked: A = ((10 + 20 + 31) / 3) * 256 = 20 * 256 = 5120; colours kept.
    const unsigned char grey[9] = {10, 20, 31, 10, 20, 31, 200, 0, 0};
    MVE_LoadRGB24ToAlpha(grey, 9, 0);
    EXPECT_EQ(px(0), (Px{0x1000, 0x2000, 0x3000, 5120}));
    // Pixel 2 got (200 + 0 + 0) / 3 = 66 -> 16896.
    // Masked, full variant: m = 65535 takes the first byte: 10 * 256 = 2560;
    // m = 0 leaves 5120; m = 0x8000: e = 65535 * 32768 >> 16 = 32767,
    // A = (32767*200 + (32768*16896 >> 8)) >> 8 = (6553400 + 2162688) >> 8 = 34047.
    mask({0xFFFF, 0, 0x8000});
    MVE_LoadRGB24ToAlpha(grey, 9, 1);
    EXPECT_EQ(px(0)[3], 2560u);
    EXPECT_EQ(px(1)[3], 5120u);
    EXPECT_EQ(px(2)[3], 34047u);
}

TEST_F(TransferMaskedTest, ClearMaskedBlendsPartialPixelsToOpaque)
{
    // m = 65535: (200, 10, 0, 7) * 256; m = 0: untouched; m = 0x8000:
    // R = (200*32768 + (32767*4096 >> 8)) >> 8 = (6553600 + 524272) >> 8 = 27647, A = 65535.
    mask({0xFFFF, 0, 0x8000});
    MVE_ClearMasked(200, 10, 0, 7);
    EXPECT_EQ(px(0), (Px{51200, 2560, 0, 1792}));
    EXPECT_EQ(px(1), (Px{0x1000, 0x2000, 0x3000, 0x4000}));
    EXPECT_EQ(px(2)[0], 27647u);
    EXPECT_EQ(px(2)[3], 65535u);
    // Mask disabled: a plain clear.
    engine().mask.enabled = 0;
    MVE_ClearMasked(1, 2, 3, 4);
    EXPECT_EQ(px(1), (Px{256, 512, 768, 1024}));
}

TEST_F(TransferMaskedTest, ClearMaskedAlphaGoesThroughTheLoadPath)
{
    // Enabled Mask 65535, 0, 0x8000: full coverage sets all four * 256; blocked
    // stays; c = 33023, C = 32512 (dA, a != 0): A = (33023*128 + (16384*32512 >> 8)) >> 8 = 24639.
    mask({0xFFFF, 0, 0x8000});
    MVE_ClearMaskedAlpha(200, 100, 50, 128);
    EXPECT_EQ(px(0), (Px{51200, 25600, 12800, 32768}));
    EXPECT_EQ(px(1), (Px{0x1000, 0x2000, 0x3000, 0x4000}));
    EXPECT_EQ(px(2), (Px{27831, 16963, 12545, 24639}));
    // Mask disabled but lock alpha: colours only.
    engine().mask.enabled = 0;
    MVE_SetLayerOptions(2, 1, 1, 100, "Normal");
    MVE_ClearMaskedAlpha(1, 2, 3, 0);
    EXPECT_EQ(px(1), (Px{256, 512, 768, 0x4000}));
    // Neither: a plain clear, alpha included.
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
    MVE_ClearMaskedAlpha(1, 2, 3, 0);
    EXPECT_EQ(px(1), (Px{256, 512, 768, 0}));
}

TEST_F(TransferMaskedTest, AdjustAlphaByMaskAndTexture)
{
    // Mask 65535, 0, 0x8000 (full variant 32767): alpha 200 -> 200, 0, 200*32767/65535 = 99.
    mask({0xFFFF, 0, 0x8000});
    unsigned char buf[12] = {1, 1, 1, 200, 1, 1, 1, 200, 1, 1, 1, 200};
    MVE_AdjustRGBA32ByMaskAndTexture(buf, 3, 1);
    EXPECT_EQ(buf[3], 200);
    EXPECT_EQ(buf[7], 0);
    EXPECT_EQ(buf[11], 99);
    EXPECT_EQ(buf[8], 1);
    // Texture 127 alone (alpha variant 65023): 255 * 65023 / 65535 = 253.
    engine().mask.enabled = 0;
    texture(127);
    unsigned char one[4] = {0, 0, 0, 255};
    MVE_AdjustRGBA32ByMaskAndTexture(one, 1, 1);
    EXPECT_EQ(one[3], 253);
    // Neither source: nothing changes.
    engine().texture.plane.reset();
    one[3] = 255;
    MVE_AdjustRGBA32ByMaskAndTexture(one, 1, 1);
    EXPECT_EQ(one[3], 255);
}

TEST_F(TransferMaskedTest, AdjustRectOnlyChangesThePartOnTheCanvas)
{
    // A 2 x 2 buffer at (-1, 0): buffer (1, 0) lies on canvas (0, 0), mask 0;
    // buffer column 0 and row 1 are off the canvas and keep their alpha.
    mask({0, 0xFFFF, 0xFFFF});
    unsigned char buf[16] = {0, 0, 0, 50, 0, 0, 0, 60, 0, 0, 0, 70, 0, 0, 0, 80};
    MVE_AdjustRGBA32RectByMaskAndTexture(buf, -1, 0, 2, 2);
    EXPECT_EQ(buf[3], 50);
    EXPECT_EQ(buf[7], 0);
    EXPECT_EQ(buf[11], 70);
    EXPECT_EQ(buf[15], 80);
    // At (2, 0): buffer (0, 0) on canvas (2, 0) with mask 65535 stays.
    MVE_AdjustRGBA32RectByMaskAndTexture(buf, 2, 0, 2, 2);
    EXPECT_EQ(buf[3], 50);
}

TEST_F(TransferMaskedTest, MergedColourWithoutMemoryIsZero)
{
    // No undo history to free, so the failed 8-byte allocation gives 0.
    test_hooks::fail_allocations_after(0);
    const unsigned colour = MVE_GetColorAtMerged(0, 0);
    test_hooks::fail_allocations_after(-1);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(MVE_GetColorAtMerged(3, 0), 0xFFFFFFu);
}

TEST(TransferMaskedRows, FullyOpenRowsMatchThePerPixelLoad)
{
    // Masked RGBA32 loads on odd canvases whose Mask has fully open rows
    // (high byte 255, which passes the coverage unchanged) beside mixed ones,
    // with and without a texture of values >= 128, alpha locked or not: the
    // whole-row shortcut and the per-pixel path leave the same layer.
    for (unsigned start = 1; start <= 16; ++start) {
        unsigned seed = start;
        auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
        const int W = 2 * static_cast<int>(next() % 9) + 3, H = 4;
        const bool withTexture = start % 2 == 0, lock = start % 4 >= 2;
        std::vector<unsigned short> start16(static_cast<std::size_t>(W) * H * 4);
        for (auto& v : start16) v = static_cast<unsigned short>(next());
        std::vector<unsigned char> buf(static_cast<std::size_t>(W) * H * 4);
        for (std::size_t i = 0; i < buf.size(); ++i)
            buf[i] = static_cast<unsigned char>(i % 4 == 3 && next() % 4 == 0 ? 0 : next());
        std::vector<unsigned short> result[2];
        for (int fast = 0; fast < 2; ++fast) {
            MVE_CreateImage(nullptr, W, H, 8, 0);
            ASSERT_EQ(MVE_CreateLayer(2, W, H), 1);
            MVE_SetLayer(2);
            MVE_SetLayerOptions(2, 1, lock ? 1 : 0, 100, "Normal");
            MVE_SetAlphaLocked(lock ? 1 : 0);
            MVE_SetLayerData(start16.data(), 2);
            unsigned s2 = start;
            auto again = [&s2] { return (s2 = s2 * 69069u + 1u) >> 16; };
            for (int i = 0; i < W * H; ++i)
                engine().mask.plane.begin_write()[i] =
                    static_cast<unsigned short>((i / W) % 2 == 0 ? 0xFF00 | (again() & 0xFF) : again());
            engine().mask.enabled = 1;
            if (withTexture) {
                ASSERT_TRUE(engine().texture.plane.allocate(static_cast<std::size_t>(W) * H));
                for (int i = 0; i < W * H; ++i) engine().texture.plane[i] = static_cast<std::uint8_t>(128 + again() % 128);
            }
            set_fast_paths(fast == 1);
            MVE_LoadRGBA32(buf.data(), W * 4, 1);
            set_fast_paths(true);
            result[fast].resize(start16.size());
            MVE_GetLayerData(result[fast].data(), 2);
            engine().texture.plane.reset();
            engine().mask.enabled = 0;
            MVE_SetAlphaLocked(0);
            MVE_DeleteImage();
        }
        EXPECT_EQ(result[1], result[0]) << "seed " << start;
        EXPECT_NE(result[1], start16) << "seed " << start;
    }
}

TEST(TransferMaskedRows, RowMinimumFindsOneLowValueAnywhere)
{
    // One value just under the full-coverage limits (mask high byte 0xFE,
    // texture 127) at every place of rows 0..40 long: in the vector part, in
    // the tail, first and last.
    for (int n = 0; n <= 40; ++n) {
        EXPECT_EQ(lowest_value(std::vector<std::uint16_t>(n + 1, 0xFFFF).data(), n), 0xFFFF);
        for (int at = 0; at < n; ++at) {
            std::vector<std::uint16_t> mask(n, 0xFFFF);
            std::vector<std::uint8_t> texture(n, 200);
            mask[at] = 0xFEFF, texture[at] = 127;
            EXPECT_EQ(lowest_value(mask.data(), n), 0xFEFF) << n << " " << at;
            EXPECT_EQ(lowest_value(texture.data(), n), 127) << n << " " << at;
        }
    }
}

TEST_F(TransferMaskedTest, AMaskChangedAfterAFullyOpenLoadIsHonoured)
{
    // A load through a fully open Mask lets the engine remember "open"; each
    // way of closing the Mask afterwards must be seen by the next load: where
    // the Mask blocks (MVE_GetMask64 = 65535 - m = 65535) the layer keeps A,
    // where it is open it takes B (full coverage: v << 8).
    const std::vector<unsigned char> a = {10, 20, 30, 255, 11, 21, 31, 255, 12, 22, 32, 255};
    const std::vector<unsigned char> b = {200, 100, 50, 255, 201, 101, 51, 255, 202, 102, 52, 255};
    const std::function<void()> closers[] = {
        [] {
            const unsigned short m[3] = {0xFFFF, 0, 0xFFFF};
            MVE_SetMaskData16(m);
        },
        [] {
            // White in the middle: a bright grey blocks.
            const unsigned char rgb[9] = {0, 0, 0, 255, 255, 255, 0, 0, 0};
            MVE_LoadMask(rgb, 9, 3, 1);
        },
        [] { MVE_InvertMask(); },
    };
    for (const auto& close : closers) {
        for (bool fast : {true, false}) {
            set_fast_paths(fast);
            mask({0xFFFF, 0xFFFF, 0xFFFF});
            MVE_LoadRGBA32(a.data(), 12, 1);
            close();
            MVE_LoadRGBA32(b.data(), 12, 1);
            ASSERT_EQ(MVE_GetMask64(1, 0), 65535) << "the middle pixel is blocked";
            for (int x = 0; x < 3; ++x) {
                const std::vector<unsigned char>& kept = MVE_GetMask64(x, 0) == 65535 ? a : b;
                const Px want = {kept[x * 4] << 8u, kept[x * 4 + 1] << 8u, kept[x * 4 + 2] << 8u, 255u << 8};
                EXPECT_EQ(px(x), want) << x << " " << fast;
            }
        }
    }
    set_fast_paths(true);
}
