// Pixel transfer through the public interface: loads, read-outs, fills,
// converters, premultiplication and single-pixel queries.
#include <gtest/gtest.h>

#include <vector>

#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Shorts = std::vector<unsigned short>;

// A w x h canvas with layer 2 current, the Mask switched off.
struct TransferApiTest : mve_test::CanvasFixture {
    void make(int width, int height)
    {
        CanvasFixture::make(width, height, 2);
        MVE_EnableMask(0);
    }
    Shorts pixel(int index, int x, int y)
    {
        Shorts d = layer(index);
        auto p = d.begin() + (static_cast<std::size_t>(y) * w + x) * 4;
        return Shorts(p, p + 4);
    }
};

}  // namespace

TEST_F(TransferApiTest, LoadsWidenByTimes256AndLoadIsOpaque)
{
    make(2, 1);
    // White -> 255 * 256 = 0xFF00 in all four; alpha 0 clears the colour too.
    const Bytes rgba = {255, 255, 255, 255, 40, 50, 60, 0};
    MVE_LoadRGBA32(rgba.data(), 8, 0);
    EXPECT_EQ(layer(2), (Shorts{0xFF00, 0xFF00, 0xFF00, 0xFF00, 0, 0, 0, 0}));
    // MVE_Load reads B, G, R and makes alpha 65535; a width beyond the canvas is cut.
    const Bytes bgr = {10, 20, 30, 255, 255, 255, 7, 7, 7};
    MVE_Load(bgr.data(), 9, 3, 1);
    EXPECT_EQ(layer(2), (Shorts{7680, 5120, 2560, 0xFFFF, 0xFF00, 0xFF00, 0xFF00, 0xFFFF}));
}

TEST_F(TransferApiTest, LockAlphaKeepsAlpha)
{
    make(1, 1);
    const Shorts start = {1, 2, 3, 0x1234};
    MVE_SetLayerData(start.data(), 2);
    MVE_SetLayerOptions(2, 1, 1, 100, "Normal");
    const Bytes rgba = {1, 2, 3, 0};
    MVE_LoadRGBA32(rgba.data(), 4, 0);
    EXPECT_EQ(layer(2), (Shorts{256, 512, 768, 0x1234}));
    MVE_EnableMask(1);  // all-65535 Mask: full coverage, still no alpha change
    const Bytes rgba2 = {4, 4, 4, 200};
    MVE_LoadRGBA32Into(rgba2.data(), 4, 2, 0, 0, 1, 1);
    EXPECT_EQ(layer(2), (Shorts{1024, 1024, 1024, 0x1234}));
}

TEST_F(TransferApiTest, LoadIntoAtMinusTenSkipsTenColumns)
{
    make(12, 1);
    // Buffer pixel i has red i; at x = -10 layer columns 0..3 get buffer 10..13.
    Bytes buf(14 * 4);
    for (int i = 0; i < 14; ++i) buf[i * 4] = static_cast<unsigned char>(i), buf[i * 4 + 3] = 255;
    MVE_LoadRGBA32Into(buf.data(), 14 * 4, 2, -10, 0, 14, 1);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixel(2, x, 0)[0], (10 + x) * 256) << x;
    EXPECT_EQ(pixel(2, 4, 0), (Shorts{0, 0, 0, 0}));
    // Absent layer and out-of-range indices do nothing.
    MVE_LoadRGBA32Layer(buf.data(), 56, 7, 0, 0, 14, 1, 0);
    MVE_LoadRGBA32Layer(buf.data(), 56, 272, 0, 0, 14, 1, 0);
    MVE_LoadRGBA32Layer(buf.data(), 56, -1, 0, 0, 14, 1, 0);
    MVE_LoadRGBA32Layer(nullptr, 56, 2, 0, 0, 14, 1, 0);
}

TEST_F(TransferApiTest, ReadOutsTakeHighBytesAndKeepRowPadding)
{
    make(2, 1);
    const Shorts data = {0x12FF, 0x3400, 0x56AB, 0x7801, 0xFFFF, 0x00FF, 0x8000, 0x9A00};
    MVE_SetLayerData(data.data(), 2);
    // Rows of 12 bytes for 8 bytes of RGBA32: the 4 padding bytes stay 0xEE.
    Bytes out(12, 0xEE);
    MVE_GetRGBA32Layer(out.data(), 12, 2);
    EXPECT_EQ(out, (Bytes{0x12, 0x34, 0x56, 0x78, 0xFF, 0x00, 0x80, 0x9A, 0xEE, 0xEE, 0xEE, 0xEE}));
    Bytes same(8);
    MVE_GetRGBA32(same.data(), 8);
    EXPECT_EQ(same, Bytes(out.begin(), out.begin() + 8));
    Bytes rgb(7, 0xEE);
    MVE_GetRGB24(rgb.data(), 7);
    EXPECT_EQ(rgb, (Bytes{0x12, 0x34, 0x56, 0xFF, 0x00, 0x80, 0xEE}));
    Bytes rgbLayer(6);
    MVE_GetRGB24Layer(rgbLayer.data(), 6, 2);
    EXPECT_EQ(rgbLayer, Bytes(rgb.begin(), rgb.begin() + 6));
    Bytes alpha(6);
    MVE_GetRGB24FromAlpha(alpha.data(), 6);
    EXPECT_EQ(alpha, (Bytes{0x78, 0x78, 0x78, 0x9A, 0x9A, 0x9A}));
    // An absent layer writes nothing.
    Bytes untouched(8, 0xEE);
    MVE_GetRGBA32Layer(untouched.data(), 8, 9);
    MVE_GetRGB24Layer(untouched.data(), 8, 300);
    EXPECT_EQ(untouched, Bytes(8, 0xEE));
}

TEST_F(TransferApiTest, RawRectReadIsClippedToTheLayer)
{
    make(2, 2);
    const Shorts data = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};
    MVE_SetLayerData(data.data(), 2);
    // A 2 x 2 rectangle at (1, 1): only its top-left pixel (layer 4) exists.
    Shorts out(8 * 2, 9);
    MVE_GetRGBA64LayerRect(out.data(), 16, 2, 1, 1, 2, 2);
    EXPECT_EQ(out, (Shorts{4, 4, 4, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
    // At (-1, 0), 2 x 1: buffer pixel 1 gets layer (0, 0).
    Shorts left(8, 9);
    MVE_GetRGBA64LayerRect(left.data(), 16, 2, -1, 0, 2, 1);
    EXPECT_EQ(left, (Shorts{9, 9, 9, 9, 1, 1, 1, 1}));
}

TEST_F(TransferApiTest, BufferConversionsFromRGBA64)
{
    make(3, 2);
    // A 3 x 2 plane; pixel value (x, y) = 0x100 * (10 * y + x) in every channel.
    Shorts plane(3 * 2 * 4);
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 4; ++k) plane[i * 4 + k] = static_cast<unsigned short>(((i / 3) * 10 + i % 3) << 8);
    // Rect variant: in already points at (1, 0); x, y only bound the loops.
    Bytes rect(2 * 4 * 2);
    MVE_GetRGBA32FromRGBA64Rect(rect.data(), 8, plane.data() + 4, 24, 1, 0, 2, 2);
    EXPECT_EQ(rect, (Bytes{1, 1, 1, 1, 2, 2, 2, 2, 11, 11, 11, 11, 12, 12, 12, 12}));
    Bytes whole(3 * 4);
    MVE_GetRGBA32FromRGBA64(whole.data(), 12, 3, 1, plane.data(), 24);
    EXPECT_EQ(whole, (Bytes{0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}));
    Bytes rgbRect(3);
    MVE_GetRGB24FromRGBA64Rect(rgbRect.data(), 3, plane.data() + 12, 24, 0, 1, 1, 1);
    EXPECT_EQ(rgbRect, (Bytes{10, 10, 10}));
    Bytes rgb(3 * 3 * 2);
    MVE_GetRGB24FromRGBA64(rgb.data(), 9, plane.data(), 24);
    EXPECT_EQ(rgb[9], 10);
    EXPECT_EQ(rgb[17], 12);

    // x = 0 and w = width: whole rows, packed.
    Bytes rows(3 * 4 * 2);
    MVE_RGBA64RectToRGBA32(plane.data(), 0, 0, 3, 2, 3, 0, rows.data());
    EXPECT_EQ(rows[12], 10);
    EXPECT_EQ(rows[20], 12);
    // x = -1 becomes 0 with the width kept: 2 columns of row 1 (y = 1, 2 rows -> 1).
    Bytes clipped(8, 0xEE);
    MVE_RGBA64RectToRGBA32(plane.data(), -1, 1, 2, 2, 3, 0, clipped.data());
    EXPECT_EQ(clipped, (Bytes{10, 10, 10, 10, 11, 11, 11, 11}));
    // At x = 2 only one column fits: packed rows of 1 pixel.
    Bytes edge(8, 0xEE);
    MVE_RGBA64RectToRGBA32(plane.data(), 2, 0, 5, 2, 3, 0, edge.data());
    EXPECT_EQ(edge, (Bytes{2, 2, 2, 2, 12, 12, 12, 12}));
    // RGB24 variant: not clipped, rows of w * 3.
    Bytes rgb24(6);
    MVE_RGBA64RectToRGBA24(plane.data(), 1, 0, 1, 2, 3, 0, rgb24.data());
    EXPECT_EQ(rgb24, (Bytes{1, 1, 1, 11, 11, 11}));
}

TEST_F(TransferApiTest, ColourQueries)
{
    make(2, 1);
    const Shorts data = {0xFFFF, 0, 0, 0xFFFF, 0x1200, 0x3400, 0x5600, 0x7800};
    MVE_SetLayerData(data.data(), 2);
    // Opaque pure red: A:24 R:16 G:8 B:0 = 0xFFFF0000.
    EXPECT_EQ(MVE_GetColorAtSurface(0, 0), 0xFFFF0000u);
    EXPECT_EQ(MVE_GetColorAtLayer(1, 0, 2), 0x78123456u);
    EXPECT_EQ(MVE_GetColorAt(1, 0, data.data()), 0x78123456u);
    EXPECT_EQ(MVE_GetColorAt(2, 0, data.data()), 0xFFFFFFu);
    EXPECT_EQ(MVE_GetColorAt(0, -1, data.data()), 0xFFFFFFu);
    EXPECT_EQ(MVE_GetColorAt(0, 0, nullptr), 0u);
    EXPECT_EQ(MVE_GetColorAtLayer(0, 0, 5), 0u);
    EXPECT_EQ(MVE_GetColorAtTrace(0, 0), 0u);       // no layer 0
    EXPECT_EQ(MVE_GetColorAtPaintLayer(0, 0), 0u);  // no PaintLayer yet
    // R:24 G:16 B:8 A:0, coordinates clamped: x = -5 reads column 0, 9 reads column 1.
    EXPECT_EQ(MVE_GetRGBAAtSurface(-5, 0), 0xFF0000FFu);
    EXPECT_EQ(MVE_GetRGBAAtLayer(9, 3, 2), 0x12345678u);
    EXPECT_EQ(MVE_GetRGBAAt(-5, 7, data.data()), 0xFF0000FFu);
    EXPECT_EQ(MVE_GetRGBAAt(0, 0, nullptr), 0u);
    EXPECT_EQ(MVE_GetRGBAAtTrace(0, 0), 0u);
    // The background layer is opaque white.
    EXPECT_EQ(MVE_GetRGBAAtLayer(0, 0, 1), 0xFFFFFFFFu);
    // Channels of the current layer; 0 outside the canvas.
    EXPECT_EQ(MVE_GetRed64(1, 0), 0x1200);
    EXPECT_EQ(MVE_GetGreen64(1, 0), 0x3400);
    EXPECT_EQ(MVE_GetBlue64(1, 0), 0x5600);
    EXPECT_EQ(MVE_GetAlpha64(1, 0), 0x7800);
    EXPECT_EQ(MVE_GetAlpha64(2, 0), 0);
    EXPECT_EQ(MVE_GetRed64(0, -1), 0);
    // The PaintLayer once created is cleared: transparent black.
    MVE_CreatePaintLayer(100, 100, "Normal");
    EXPECT_EQ(MVE_GetColorAtPaintLayer(1, 0), 0u);
    EXPECT_EQ(MVE_GetColorAtPaintLayer(2, 0), 0xFFFFFFu);
}

TEST_F(TransferApiTest, UnderLayerQueriesSeeTheBackBuffer)
{
    make(1, 1);
    // SetLayer copied the (transparent) layer into the UnderLayer; a later
    // change of the layer is not seen there until the next refresh.
    const Shorts data = {0x1100, 0x2200, 0x3300, 0x4400};
    MVE_SetLayerData(data.data(), 2);
    EXPECT_EQ(MVE_GetColorAtUnderLayer(0, 0), 0u);
    MVE_SetLayer(2);
    EXPECT_EQ(MVE_GetColorAtUnderLayer(0, 0), 0x44112233u);
    EXPECT_EQ(MVE_GetRGBAAtUnderLayer(-3, 3), 0x11223344u);
}

TEST_F(TransferApiTest, Fills)
{
    make(2, 1);
    MVE_Clear(1, 2, 255, 4);
    EXPECT_EQ(layer(2), (Shorts{256, 512, 65280, 1024, 256, 512, 65280, 1024}));
    // Canvas-sized buffers with padded rows: padding kept.
    Shorts s(10, 7);
    MVE_ClearRGBA64(s.data(), 20, 0xFFFF, 1, 2, 3);
    EXPECT_EQ(s, (Shorts{0xFFFF, 1, 2, 3, 0xFFFF, 1, 2, 3, 7, 7}));
    Bytes b(9, 7);
    MVE_ClearRGBA32(b.data(), 9, 9, 8, 7, 6);
    EXPECT_EQ(b, (Bytes{9, 8, 7, 6, 9, 8, 7, 6, 7}));
    Bytes packed(13, 0);
    MVE_ClearRGBA32Buf(packed.data(), 3, 1, 1, 2, 3, 4);
    EXPECT_EQ(packed, (Bytes{1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 0}));
}

TEST_F(TransferApiTest, PackedConverters)
{
    make(2, 1);
    const Bytes rgb = {10, 20, 30, 90, 0, 0};
    Bytes rgba = {0, 0, 0, 5, 0, 0, 0, 6};
    MVE_RGBToRGBA(rgba.data(), 2, 1, rgb.data());
    EXPECT_EQ(rgba, (Bytes{10, 20, 30, 5, 90, 0, 0, 6}));
    // alpha = (10 + 20 + 30) / 3 = 20 and (90 + 0 + 0) / 3 = 30; colours kept.
    MVE_RGBToRGBAlpha(rgba.data(), 2, 1, rgb.data());
    EXPECT_EQ(rgba, (Bytes{10, 20, 30, 20, 90, 0, 0, 30}));
    Bytes back(6);
    MVE_RGBAToRGB(back.data(), 2, 1, rgba.data());
    EXPECT_EQ(back, rgb);
    MVE_RGBAlphaToRGB(back.data(), 2, 1, rgba.data());
    EXPECT_EQ(back, (Bytes{20, 20, 20, 30, 30, 30}));
    // SetPixelRGB24: high bytes of 16-bit values, inside the canvas only.
    Bytes img(8, 0);
    MVE_SetPixelRGB24(img.data(), 8, 1, 0, 0x12FF, 0xAB00, 0x00FF);
    EXPECT_EQ(img, (Bytes{0, 0, 0, 0x12, 0xAB, 0x00, 0, 0}));
    MVE_SetPixelRGB24(img.data(), 8, 2, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    MVE_SetPixelRGB24(img.data(), 8, -1, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(img, (Bytes{0, 0, 0, 0x12, 0xAB, 0x00, 0, 0}));
    // Tolerance 1 % -> truncate(2.56) = 2: alpha 98..102 match 100.
    Bytes keyed = {1, 1, 1, 97, 1, 1, 1, 102};
    MVE_ReplaceFromRGBAImageAlphaRange(keyed.data(), 100, 1, 5, 6, 7, 8);
    EXPECT_EQ(keyed, (Bytes{1, 1, 1, 97, 5, 6, 7, 8}));
}

TEST_F(TransferApiTest, PremultiplyAroundFilters)
{
    make(1, 1);
    // Pre: 0 < a < 255 only: (255 + 1) * 128 / 255 = 128; (100 + 1) * 128 / 255 = 50; (0 + 1) * 128 / 255 = 0.
    Bytes pre = {255, 100, 0, 128, 9, 9, 9, 255, 9, 9, 9, 0};
    MVE_AdjustRGBA32PreFilter(pre.data(), 3, 1);
    EXPECT_EQ(pre, (Bytes{128, 50, 0, 128, 9, 9, 9, 255, 9, 9, 9, 0}));
    // Post: alpha 254 -> 255 with colours c * 255 / 254: 254 -> 255, 100 -> 100.39 -> 100, 127 -> 127.5 -> 127.
    // Alpha 100: c = alpha gives exactly 255, 64 -> 163.2 -> 163, 200 -> 510 -> 255.
    Bytes post = {254, 100, 127, 254, 100, 64, 200, 100};
    MVE_AdjustRGBA32PostFilter(post.data(), 2, 1);
    EXPECT_EQ(post, (Bytes{255, 100, 127, 255, 255, 163, 255, 100}));
    // 16-bit: a = 32768: 65535 * 32768 / 65535 = 32768, 1000 -> 500.0076 -> 500.
    Shorts pre64 = {65535, 1000, 0, 32768, 7, 7, 7, 0};
    MVE_AdjustRGBA64PreFilter(pre64.data(), 2, 1);
    EXPECT_EQ(pre64, (Shorts{32768, 500, 0, 32768, 7, 7, 7, 0}));
    // Back: 32768 -> 65535, 500 * 65535 / 32768 = 999.98 -> 999, 40000 -> 65535 (clamped).
    Shorts post64 = {32768, 500, 40000, 32768};
    MVE_AdjustRGBA64PostFilter(post64.data(), 1, 1);
    EXPECT_EQ(post64, (Shorts{65535, 999, 65535, 32768}));
    // ForAlphaComp: nothing with flag 0; else a canvas-sized divide by alpha: 50 * 255 / 100 = 127.
    Bytes comp = {50, 100, 200, 100};
    MVE_AdjustRGBA32ForAlphaComp(0, comp.data());
    EXPECT_EQ(comp, (Bytes{50, 100, 200, 100}));
    MVE_AdjustRGBA32ForAlphaComp(1, comp.data());
    EXPECT_EQ(comp, (Bytes{127, 255, 255, 100}));
}

TEST_F(TransferApiTest, RawLayerCopies)
{
    make(2, 1);
    const Shorts data = {1, 2, 3, 4, 5, 6, 7, 8};
    // SetRGBA64Layer with 24-byte rows of which 16 are read.
    Shorts padded = {1, 2, 3, 4, 5, 6, 7, 8, 99, 99, 99, 99};
    MVE_SetRGBA64Layer(padded.data(), 24, 2);
    EXPECT_EQ(layer(2), data);
    MVE_CopyLayerData(2, 1);
    EXPECT_EQ(layer(1), data);
    MVE_CopyLayerData(2, 8);  // absent destination
    Shorts out(12, 0);
    MVE_GetRGBA64Layer(out.data(), 24, 1);
    EXPECT_EQ(out, (Shorts{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
}

TEST_F(TransferApiTest, ColourOfTheComposite)
{
    make(2, 1);
    // Background opaque white, layer 2 opaque red at x = 0 and transparent at x = 1:
    // an opaque Normal source replaces the pixel, a transparent one is skipped.
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
    const Shorts data = {0xFFFF, 0, 0, 0xFFFF, 0x1234, 0x1234, 0x1234, 0};
    MVE_SetLayerData(data.data(), 2);
    EXPECT_EQ(MVE_GetColorAtMerged(0, 0), 0xFFFF0000u);
    EXPECT_EQ(MVE_GetColorAtMerged(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(MVE_GetColorAtMerged(2, 0), 0xFFFFFFu);
    EXPECT_EQ(MVE_GetColorAtMerged(0, -1), 0xFFFFFFu);
}
