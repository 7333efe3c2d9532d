// Coverage factors and the RGBA32 load paths on tiny private engines.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/coverage.h"
#include "core/transfer.h"
#include "engine/engine.h"

using namespace mve;

namespace {

// A private engine with a w x h canvas, one layer, and optional Mask and texture.
struct Rig {
    std::unique_ptr<Engine> e = std::make_unique<Engine>();
    LayerRecord layer;

    Rig(int w, int h, int layerW = -1, int layerH = -1)
    {
        e->canvas.width = w;
        e->canvas.height = h;
        layer.width = layerW < 0 ? w : layerW;
        layer.height = layerH < 0 ? h : layerH;
        layer.stride = layer.width * 4;
        EXPECT_TRUE(layer.pixels.allocate(static_cast<std::size_t>(layer.width) * layer.height * 4));
        fill(0, 0, 0, 0);
    }
    void fill(std::uint16_t r, std::uint16_t g, std::uint16_t b, std::uint16_t a)
    {
        std::uint16_t* p = layer.pixels.begin_write();
        for (std::size_t i = 0; i < layer.pixels.size(); i += 4)
            p[i] = r, p[i + 1] = g, p[i + 2] = b, p[i + 3] = a;
    }
    void mask(std::uint16_t value)
    {
        const std::size_t n = static_cast<std::size_t>(e->canvas.width) * e->canvas.height;
        ASSERT_TRUE(e->mask.plane.allocate(n));
        for (std::size_t i = 0; i < n; ++i) e->mask.plane.begin_write()[i] = value;
        e->mask.enabled = 1;
    }
    void texture(std::uint8_t value)
    {
        const std::size_t n = static_cast<std::size_t>(e->canvas.width) * e->canvas.height;
        ASSERT_TRUE(e->texture.plane.allocate(n));
        for (std::size_t i = 0; i < n; ++i) e->texture.plane[i] = value;
    }
    std::vector<std::uint16_t> px(int x, int y) const
    {
        const std::uint16_t* p = layer.row(y) + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    void load(const std::vector<std::uint8_t>& buf, int bw, int bh, int x, int y, bool masked)
    {
        load_rgba32_layer(*e, buf.data(), bw * 4, layer, x, y, bw, bh, masked);
    }
};

using Px = std::vector<std::uint16_t>;

}  // namespace

TEST(TransferCoverageTest, TextureFactorVariantsAtBoundaries)
{
    // Load: t = 0 -> 0; t = 1: w = 2, 3 * 65535 >> 8 = 196605 >> 8 = 767;
    // t = 127: w = 254, 255 * 65535 >> 8 = 16711425 >> 8 = 65279; t = 128: w = 256 > 254 -> 65535.
    EXPECT_EQ(texture_factor_load(0), 0u);
    EXPECT_EQ(texture_factor_load(1), 767u);
    EXPECT_EQ(texture_factor_load(127), 65279u);
    EXPECT_EQ(texture_factor_load(128), 65535u);
    EXPECT_EQ(texture_factor_load(255), 65535u);
    // RGB24: t = 0 -> 0; t = 127: (16645890 + 65535) >> 8 = 65279; t >= 128 -> 65535.
    EXPECT_EQ(texture_factor_rgb24(0), 0u);
    EXPECT_EQ(texture_factor_rgb24(1), 767u);
    EXPECT_EQ(texture_factor_rgb24(127), 65279u);
    EXPECT_EQ(texture_factor_rgb24(128), 65535u);
    EXPECT_EQ(texture_factor_rgb24(255), 65535u);
    // Alpha: t = 1: 131070 >> 8 = 511; t = 127: 16645890 >> 8 = 65023 (no + 65535 term).
    EXPECT_EQ(texture_factor_alpha(0), 0u);
    EXPECT_EQ(texture_factor_alpha(1), 511u);
    EXPECT_EQ(texture_factor_alpha(127), 65023u);
    EXPECT_EQ(texture_factor_alpha(128), 65535u);
    EXPECT_EQ(texture_factor_alpha(255), 65535u);
}

TEST(TransferCoverageTest, MaskFactorVariants)
{
    // High byte: h = 0 blocks (m = 255 too); h = 1: 65535 * 2 >> 8 = 511;
    // h = 128: 65535 * 129 >> 8 = 8454015 >> 8 = 33023; h = 255 (m = 0xFF00) passes.
    EXPECT_EQ(mask_factor_high_byte(65535, 0), 0u);
    EXPECT_EQ(mask_factor_high_byte(65535, 255), 0u);
    EXPECT_EQ(mask_factor_high_byte(65535, 0x0100), 511u);
    EXPECT_EQ(mask_factor_high_byte(65535, 0x8000), 33023u);
    EXPECT_EQ(mask_factor_high_byte(65535, 0xFF00), 65535u);
    EXPECT_EQ(mask_factor_high_byte(1000, 0xFFFF), 1000u);
    // Full: m = 65535 passes; 0 blocks; 32768: 65535 * 32768 >> 16 = 32767;
    // 0xFF00: 65535 * 65280 = 4278124800 >> 16 = 65279 (unlike the high-byte variant).
    EXPECT_EQ(mask_factor_full(65535, 65535), 65535u);
    EXPECT_EQ(mask_factor_full(65535, 0), 0u);
    EXPECT_EQ(mask_factor_full(65535, 32768), 32767u);
    EXPECT_EQ(mask_factor_full(65535, 0xFF00), 65279u);
    EXPECT_EQ(mask_factor_full(1000, 255), 3u);  // 255000 >> 16 = 3
}

TEST(TransferCoverageTest, TextureThenMaskAndOnlyInsideCanvas)
{
    Rig rig(2, 1);
    rig.texture(127);
    rig.mask(0x8000);
    CoverageSource cov = coverage_source(*rig.e);
    // Load: 65279 * 129 >> 8 = 8420991 >> 8 = 32894. Alpha: 65023 * 32768 >> 16 = 32511.
    EXPECT_EQ(load_coverage(cov, 1, 0), 32894u);
    EXPECT_EQ(alpha_coverage(cov, 1, 0), 32511u);
    // A disabled mask is not read; the texture still is.
    rig.e->mask.enabled = 0;
    cov = coverage_source(*rig.e);
    EXPECT_EQ(cov.mask, nullptr);
    EXPECT_TRUE(cov.engaged);
    EXPECT_EQ(load_coverage(cov, 0, 0), 65279u);
    // A plane smaller than the canvas is never read.
    rig.e->canvas.width = 3;
    EXPECT_EQ(coverage_source(*rig.e).texture, nullptr);
}

TEST(TransferLoadTest, UnmaskedWidensAndClearsHiddenColour)
{
    Rig rig(2, 1);
    rig.fill(1, 2, 3, 4);
    // (255,255,255,255) -> 255 * 256 = 0xFF00 everywhere; alpha 0 writes all four 0.
    rig.load({255, 255, 255, 255, 9, 8, 7, 0}, 2, 1, 0, 0, false);
    EXPECT_EQ(rig.px(0, 0), (Px{0xFF00, 0xFF00, 0xFF00, 0xFF00}));
    EXPECT_EQ(rig.px(1, 0), (Px{0, 0, 0, 0}));
    // Masked requested but neither Mask nor texture: the same plain path.
    rig.fill(1, 2, 3, 4);
    rig.load({9, 8, 7, 0}, 1, 1, 0, 0, true);
    EXPECT_EQ(rig.px(0, 0), (Px{0, 0, 0, 0}));
}

TEST(TransferLoadTest, LockAlphaKeepsAlphaOnEveryPath)
{
    Rig rig(1, 1);
    rig.layer.lockAlpha = 1;
    rig.fill(0x1000, 0x2000, 0x3000, 0x4000);
    rig.load({10, 20, 30, 0}, 1, 1, 0, 0, false);
    EXPECT_EQ(rig.px(0, 0), (Px{2560, 5120, 7680, 0x4000}));
    // Full coverage: colours replaced, alpha kept.
    rig.mask(0xFFFF);
    rig.load({1, 2, 3, 200}, 1, 1, 0, 0, true);
    EXPECT_EQ(rig.px(0, 0), (Px{256, 512, 768, 0x4000}));
    // Partial coverage with a = 0: colour untouched and alpha kept (not dA * C >> 16).
    rig.mask(0x8000);
    rig.load({50, 50, 50, 0}, 1, 1, 0, 0, true);
    EXPECT_EQ(rig.px(0, 0), (Px{256, 512, 768, 0x4000}));
}

TEST(TransferLoadTest, MaskedFullAndZeroCoverage)
{
    Rig rig(2, 1);
    rig.fill(0x1000, 0x2000, 0x3000, 0x4000);
    rig.mask(0xFFFF);
    rig.e->mask.plane.begin_write()[1] = 0x00FF;  // high byte 0: blocked
    // c = 65535 writes s * 256 even for a = 0 (unlike the plain path); c = 0 leaves the pixel.
    rig.load({10, 20, 30, 0, 10, 20, 30, 255}, 2, 1, 0, 0, true);
    EXPECT_EQ(rig.px(0, 0), (Px{2560, 5120, 7680, 0}));
    EXPECT_EQ(rig.px(1, 0), (Px{0x1000, 0x2000, 0x3000, 0x4000}));
}

TEST(TransferLoadTest, MaskedPartialCoverageThreeCases)
{
    // Mask 0x8000: h = 128, c = 65535 * 129 >> 8 = 33023, C = 32512.
    Rig rig(3, 1);
    rig.mask(0x8000);
    rig.fill(0x1000, 0x2000, 0x3000, 0x4000);
    for (int k = 0; k < 4; ++k) rig.layer.pixels.begin_write()[8 + k] = 0;  // pixel 2: dA = 0
    rig.load({200, 100, 50, 128, 200, 100, 50, 0, 200, 100, 50, 128}, 3, 1, 0, 0, true);
    // dA, a != 0: R = (33023*200 + (32512*4096 >> 8)) >> 8 = (6604600 + 520192) >> 8 = 27831
    //             G = (3302300 + 1040384) >> 8 = 16963, B = (1651150 + 1560576) >> 8 = 12545
    //             A = (33023*128 + (16384*32512 >> 8)) >> 8 = (4226944 + 2080768) >> 8 = 24639
    EXPECT_EQ(rig.px(0, 0), (Px{27831, 16963, 12545, 24639}));
    // a = 0: colour kept, A = 16384 * 32512 >> 16 = 8128.
    EXPECT_EQ(rig.px(1, 0), (Px{0x1000, 0x2000, 0x3000, 8128}));
    // dA = 0: colour = s * 256, A = 33023 * 128 >> 8 = 16511.
    EXPECT_EQ(rig.px(2, 0), (Px{51200, 25600, 12800, 16511}));
}

TEST(TransferLoadTest, TextureAloneDrivesTheMaskedPath)
{
    Rig rig(2, 1);
    rig.texture(0);
    rig.e->texture.plane[1] = 128;
    rig.fill(0x1000, 0x2000, 0x3000, 0x4000);
    // t = 0 blocks; t = 128 is full coverage.
    rig.load({1, 2, 3, 4, 1, 2, 3, 4}, 2, 1, 0, 0, true);
    EXPECT_EQ(rig.px(0, 0), (Px{0x1000, 0x2000, 0x3000, 0x4000}));
    EXPECT_EQ(rig.px(1, 0), (Px{256, 512, 768, 1024}));
    // Unmasked loads ignore the texture.
    rig.load({5, 5, 5, 5}, 1, 1, 0, 0, false);
    EXPECT_EQ(rig.px(0, 0), (Px{1280, 1280, 1280, 1280}));
}

TEST(TransferLoadTest, ClipsNegativeAndFarOffsets)
{
    // A 4 x 3 buffer at (-1, -2) on a 2 x 2 layer: layer (0, 0) <- buffer (1, 2),
    // layer (1, 0) <- buffer (2, 2); layer row 1 would need buffer row 3: untouched.
    Rig rig(2, 2);
    std::vector<std::uint8_t> buf(4 * 3 * 4);
    for (int i = 0; i < 12; ++i) buf[i * 4] = static_cast<std::uint8_t>(i), buf[i * 4 + 3] = 255;
    rig.load(buf, 4, 3, -1, -2, false);
    EXPECT_EQ(rig.px(0, 0)[0], 9 * 256);   // buffer index 2 * 4 + 1
    EXPECT_EQ(rig.px(1, 0)[0], 10 * 256);  // 2 * 4 + 2
    EXPECT_EQ(rig.px(0, 1), (Px{0, 0, 0, 0}));
    // Placed beyond the layer: nothing written, no access outside it.
    rig.load(buf, 4, 3, 2, 0, false);
    rig.load(buf, 4, 3, -4, 0, false);
    EXPECT_EQ(rig.px(0, 1), (Px{0, 0, 0, 0}));
    // At (1, 1): only buffer (0, 0) lands, on layer (1, 1).
    rig.load(buf, 4, 3, 1, 1, false);
    EXPECT_EQ(rig.px(1, 1), (Px{0, 0, 0, 0xFF00}));
    EXPECT_EQ(rig.px(0, 1), (Px{0, 0, 0, 0}));
}

TEST(TransferLoadTest, MaskedPathStaysInsideTheCanvas)
{
    // A layer wider than the canvas (kept from before a resize): the Mask has
    // no value for column 2, so the masked load leaves it alone.
    Rig rig(2, 1, 3, 1);
    rig.mask(0xFFFF);
    rig.load({1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}, 3, 1, 0, 0, true);
    EXPECT_EQ(rig.px(1, 0), (Px{512, 512, 512, 512}));
    EXPECT_EQ(rig.px(2, 0), (Px{0, 0, 0, 0}));
}

TEST(TransferLoadTest, ParallelRowsMatchSerialRows)
{
    // 40 x 40 = 1600 pixels goes parallel; every pixel must equal the
    // single-pixel result of the same buffer and mask values.
    const int n = 40;
    Rig big(n, n);
    big.mask(0);
    std::vector<std::uint8_t> buf(n * n * 4);
    for (int i = 0; i < n * n; ++i) {
        big.e->mask.plane.begin_write()[i] = static_cast<std::uint16_t>(i * 97);
        for (int k = 0; k < 4; ++k) buf[i * 4 + k] = static_cast<std::uint8_t>(i * (k + 3));
    }
    big.fill(0x1234, 0x5678, 0x9ABC, 0x4000);
    big.load(buf, n, n, 0, 0, true);
    for (int i = 0; i < n * n; i += 37) {
        Rig one(1, 1);
        one.mask(static_cast<std::uint16_t>(i * 97));
        one.fill(0x1234, 0x5678, 0x9ABC, 0x4000);
        one.load(std::vector<std::uint8_t>(buf.begin() + i * 4, buf.begin() + i * 4 + 4), 1, 1, 0, 0, true);
        EXPECT_EQ(big.px(i % n, i / n), one.px(0, 0)) << "pixel " << i;
    }
}

TEST(TransferConvertTest, SetAlphaTouchesOnlyAlpha)
{
    std::vector<std::uint8_t> buf = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9};
    set_rgba32_alpha(buf.data(), 2, 1, 77);
    EXPECT_EQ(buf, (std::vector<std::uint8_t>{1, 2, 3, 77, 5, 6, 7, 77, 9, 9, 9, 9}));
    set_rgba32_alpha(nullptr, 2, 1, 1);
}
