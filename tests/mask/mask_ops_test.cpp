// Mask settings, whole-mask operations, grey pictures, layer conversions,
// alpha application and mask lines, worked by hand on tiny canvases.
#include "mask/mask_fixture.h"

namespace mve::test {
namespace {

using MaskOps = MaskFixture;

TEST_F(MaskOps, SettingsAreStored)
{
    make(2, 2);
    Engine& e = engine();
    EXPECT_EQ(e.mask.enabled, 1);  // canvas creation enables the Mask
    EXPECT_EQ(MVE_EnableMask(0), 0);
    EXPECT_EQ(e.mask.enabled, 0);
    EXPECT_EQ(MVE_DisplayMask(1), 1);
    EXPECT_EQ(e.mask.displayed, 1);
    MVE_SetMaskMakerOn();
    EXPECT_EQ(e.mask.makerOn, 1);
    // Six values kept as (v & 0xFFFFFF) << 8, the seventh as given:
    // 0x1000005 keeps only its low 24 bits, 5, and becomes 1280.
    MVE_SetMaskOptions(255, 0, 128, 0x1000005, 2, 3, 7);
    EXPECT_EQ(e.mask.tint, (std::array<int, 6>{65280, 0, 32768, 1280, 512, 768}));
    EXPECT_EQ(e.mask.strengthFlag, 7);
}

TEST_F(MaskOps, InvertClearAndRawCopies)
{
    make(2, 1);
    set_mask({0x1234, 65535});
    MVE_InvertMask();
    EXPECT_EQ(mask(), (Mask16{0xEDCB, 0}));
    MVE_InvertMask();
    EXPECT_EQ(mask(), (Mask16{0x1234, 65535}));

    // Grey of the 16-bit channels: < 256 passes, >= 65281 blocks, else 65280 - grey.
    MVE_ClearMask(255, 255, 255);
    EXPECT_EQ(m(1, 0), 65535);
    MVE_ClearMask(256, 256, 256);  // grey 256
    EXPECT_EQ(m(0, 0), 65024);
    MVE_ClearMask(1000, 2000, 3000);  // grey 2000
    EXPECT_EQ(m(1, 0), 63280);
    MVE_ClearMask(65280, 65280, 65280);
    EXPECT_EQ(m(0, 0), 0);
    MVE_ClearMask(65535, 65535, 65535);
    EXPECT_EQ(m(1, 0), 0);

    const Mask16 in = {7, 9};
    MVE_SetMaskData16(in.data());
    Mask16 out(2);
    MVE_GetMaskData16(out.data());
    EXPECT_EQ(out, in);
    MVE_SetMaskData16(nullptr);  // null buffers are ignored
    MVE_GetMaskData16(nullptr);
    EXPECT_EQ(mask(), in);
}

TEST_F(MaskOps, GetMask64NeedsLayerEnabledMaskAndInsidePoint)
{
    MVE_CreateImage(nullptr, 2, 1, 8, 0);
    w = 2, h = 1;
    m(1, 0) = 0x1000;
    EXPECT_EQ(MVE_GetMask64(1, 0), 0);  // no current layer yet
    ASSERT_EQ(MVE_CreateLayer(1, 2, 1), 1);
    MVE_SetLayer(1);
    EXPECT_EQ(MVE_GetMask64(1, 0), 65535 - 0x1000);
    EXPECT_EQ(MVE_GetMask64(2, 0), 0);
    EXPECT_EQ(MVE_GetMask64(-1, 0), 0);
    MVE_EnableMask(0);
    EXPECT_EQ(MVE_GetMask64(1, 0), 0);
}

TEST_F(MaskOps, GreyPictures)
{
    make(3, 1);
    // Shown as 255 - (m >> 8): 0x8000 -> 127, 0 -> 255, 65535 -> 0.
    set_mask({0x8000, 0, 65535});
    Bytes pic(9, 0x55);
    MVE_SaveMask(pic.data(), 9);
    EXPECT_EQ(pic, (Bytes{127, 127, 127, 255, 255, 255, 0, 0, 0}));

    // Read back: black passes (65535); (30, 60, 90) -> 60 * 256 = 15360 -> 49920;
    // white -> 65280 -> 0.
    const Bytes in = {0, 0, 0, 30, 60, 90, 255, 255, 255};
    MVE_LoadMask(in.data(), 9, 3, 1);
    EXPECT_EQ(mask(), (Mask16{65535, 49920, 0}));

    // A picture narrower than the canvas only writes its own columns.
    const Bytes one = {255, 255, 255};
    set_mask({1, 2, 3});
    MVE_LoadMask(one.data(), 3, 1, 1);
    EXPECT_EQ(mask(), (Mask16{0, 2, 3}));
}

TEST_F(MaskOps, LayerFromMaskAndMaskFromLayer)
{
    make(4, 1);
    // Colour 65535 - m when m > 254, else 65280; alpha 65535.
    set_mask({65535, 254, 255, 0x8000});
    MVE_CreateImageFromMask();
    const std::uint16_t colour[4] = {0, 65280, 65280, 32767};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(px(x, 0)[0], colour[x]) << x;
        EXPECT_EQ(px(x, 0)[2], colour[x]) << x;
        EXPECT_EQ(px(x, 0)[3], 65535) << x;
    }

    // Average: 300 -> 64980; 0 -> 65535; 65280 -> 0; (100, 200, 300) -> 200 -> 65535.
    set_px(0, 0, 300, 300, 300, 1);
    set_px(1, 0, 0, 0, 0, 1);
    set_px(2, 0, 65280, 65280, 65280, 1);
    set_px(3, 0, 100, 200, 300, 1);
    MVE_CreateMaskFromImage();
    EXPECT_EQ(mask(), (Mask16{64980, 65535, 0, 65535}));

    // Luma (3R + 4G + B) >> 3: (1000, 2000, 3000) -> 14000 >> 3 = 1750 -> 63530;
    // all 65535 -> 65535 > 65280 -> 0.
    set_px(0, 0, 1000, 2000, 3000, 0);
    set_px(1, 0, 65535, 65535, 65535, 0);
    MVE_CreateMaskFromImageLuma();
    EXPECT_EQ(m(0, 0), 63530);
    EXPECT_EQ(m(1, 0), 0);

    for (int x = 0; x < 4; ++x) px(x, 0)[3] = static_cast<std::uint16_t>(1000 * x + 7);
    MVE_CreateMaskFromAlpha();
    EXPECT_EQ(mask(), (Mask16{7, 1007, 2007, 3007}));
}

TEST_F(MaskOps, AlphaFromMaskKinds)
{
    make(2, 1);
    set_mask({30000, 50000});
    auto alphas = [&] { return Mask16{px(0, 0)[3], px(1, 0)[3]}; };
    auto reset = [&] { px(0, 0)[3] = 40000, px(1, 0)[3] = 40000; };
    reset();
    MVE_CreateAlphaFromMask(0);
    EXPECT_EQ(alphas(), (Mask16{30000, 50000}));
    reset();
    MVE_CreateAlphaFromMask(1);  // 70000 and 90000 saturate
    EXPECT_EQ(alphas(), (Mask16{65535, 65535}));
    reset();
    MVE_CreateAlphaFromMask(2);  // 10000, and -10000 stops at 0
    EXPECT_EQ(alphas(), (Mask16{10000, 0}));
    reset();
    MVE_CreateAlphaFromMask(3);
    EXPECT_EQ(alphas(), (Mask16{40000, 40000}));
}

TEST_F(MaskOps, ApplyMaskToAlpha)
{
    make(2, 2);
    // h = m >> 8: 0x8000 -> 255 * 129 >> 8 = 128; 0 -> 0; 0xFF12 keeps; 0x0100 -> 200 * 2 >> 8 = 1.
    set_mask({0x8000, 0, 0xFF12, 0x0100});
    Bytes buf = {9, 9, 9, 255, 9, 9, 9, 255, 9, 9, 9, 77, 9, 9, 9, 200};
    MVE_ApplyMaskToAlpha_RGBA32(buf.data());
    EXPECT_EQ(buf[3], 128);
    EXPECT_EQ(buf[7], 0);
    EXPECT_EQ(buf[11], 77);
    EXPECT_EQ(buf[15], 1);
    EXPECT_EQ(buf[0], 9);  // colour untouched
}

TEST_F(MaskOps, ApplyMaskToAlphaRectIsRelativeAndClipped)
{
    make(3, 3);
    std::fill(engine().mask.plane.begin_write(), engine().mask.plane.begin_write() + 9, std::uint16_t{0});
    m(2, 2) = 0x8000;
    // A 2 x 2 buffer for canvas (2, 2)..(3, 3): only (2, 2) is on the canvas;
    // it is the buffer's first pixel. The others keep their alpha.
    Bytes buf(16, 255);
    MVE_ApplyMaskToAlphaRect_RGBA32(buf.data(), 8, 2, 2, 3, 3);
    EXPECT_EQ(buf[3], 128);
    EXPECT_EQ(buf[7], 255);
    EXPECT_EQ(buf[11], 255);
    EXPECT_EQ(buf[15], 255);
    // Rectangle (1, 1)..(2, 1) with m = 0: both pixels cleared, the row bytes respected.
    Bytes row(8, 200);
    MVE_ApplyMaskToAlphaRect_RGBA32(row.data(), 8, 1, 1, 2, 1);
    EXPECT_EQ(row[3], 0);
    EXPECT_EQ(row[7], 0);
    // Entirely off the canvas: nothing.
    MVE_ApplyMaskToAlphaRect_RGBA32(buf.data(), 8, 5, 5, 6, 6);
    EXPECT_EQ(buf[7], 255);
}

TEST_F(MaskOps, MaskLines)
{
    make(300, 2);
    // Row 1: 299 values of 0x40xx and one 0; records [255,0x40][44,0x40][1,0].
    for (int x = 0; x < 300; ++x) m(x, 1) = x < 299 ? 0x40AB : 0;
    Bytes line(600, 0);
    ASSERT_EQ(MVE_GetMaskLineRLE(line.data(), 1), 6);
    EXPECT_EQ(line[0], 255);
    EXPECT_EQ(line[2], 44);
    EXPECT_EQ(line[3], 0x40);
    EXPECT_EQ(line[4], 1);
    EXPECT_EQ(line[5], 0);
    MVE_PutMaskLineRLE(line.data(), 0);
    EXPECT_EQ(m(0, 0), 0x4000);
    EXPECT_EQ(m(298, 0), 0x4000);
    EXPECT_EQ(m(299, 0), 0);
    EXPECT_EQ(MVE_GetMaskLineRLE(line.data(), 2), 0);
    EXPECT_EQ(MVE_GetMaskLineRLE(line.data(), -1), 0);
    EXPECT_EQ(MVE_GetMaskLineRLE(nullptr, 0), 0);
    MVE_PutMaskLineRLE(line.data(), 2);  // outside: ignored
    MVE_DeleteImage();
    EXPECT_EQ(MVE_GetMaskLineRLE(line.data(), 0), 0);  // no Mask
}

}  // namespace
}  // namespace mve::test
