// Clipboard pastes worked by hand on small pictures, through the in-process
// clipboard: scaling of the longer side, quarter turns about the centre,
// centring, clipping, the paste cache, the PaintLayer, the Mask, exact flips,
// the brush-shape file and the image brush, and the PNG-bytes exports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "morvane/morvane.h"
#include "platform/clipboard.h"
#include "support/canvas_fixture.h"

namespace {

using Px = std::array<unsigned char, 4>;
using Picture = std::vector<unsigned char>;

constexpr Px A{10, 20, 30, 255};
constexpr Px B{40, 50, 60, 255};
constexpr Px C{70, 80, 90, 255};
constexpr Px D{100, 110, 120, 255};
constexpr Px None{0, 0, 0, 0};

Picture picture(std::initializer_list<Px> pixels)
{
    Picture p;
    for (const Px& q : pixels) p.insert(p.end(), q.begin(), q.end());
    return p;
}

struct ClipboardPaste : mve_test::CanvasFixture {
    void SetUp() override
    {
        mve::platform::set_clipboard_in_process_only(mve::engine().platform, true);
        make(6, 4, 2);  // layer 2 (transparent) is current
    }
    void copy(const Picture& p, int width, int height)
    {
        MVE_RGBA32ToClipboardRect(p.data(), 0, 0, width, height, 0);
    }
    // A pixel of a layer, narrowed back to 8 bits; merges of opaque pixels
    // onto transparent ones keep the widened value c << 8 exactly.
    Px at(int index, int x, int y) const
    {
        const std::vector<unsigned short> l = layer(index);
        const unsigned short* p = &l[(static_cast<std::size_t>(y) * w + x) * 4];
        for (int c = 0; c < 4; ++c) EXPECT_EQ(p[c] & 0xFF, 0) << "channel " << c << " not widened by << 8";
        return Px{static_cast<unsigned char>(p[0] >> 8), static_cast<unsigned char>(p[1] >> 8),
                  static_cast<unsigned char>(p[2] >> 8), static_cast<unsigned char>(p[3] >> 8)};
    }
    // Every pixel of layer 2 other than those listed is still transparent.
    void expect_only(std::initializer_list<std::pair<std::array<int, 2>, Px>> set)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Px want = None;
                for (const auto& s : set)
                    if (s.first[0] == x && s.first[1] == y) want = s.second;
                EXPECT_EQ(at(2, x, y), want) << "at " << x << "," << y;
            }
    }
};

TEST_F(ClipboardPaste, ScalingDoublesEachPixelWhenTheLongerSideDoubles)
{
    // [A B] with size 4: m = 4 / 2 = 2, so 4 x 2, each pixel twice across and down.
    copy(picture({A, B}), 2, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(1, 1, 4, 0, 0, 0, 256, 0, 0), 1);
    expect_only({{{1, 1}, A},
                 {{2, 1}, A},
                 {{3, 1}, B},
                 {{4, 1}, B},
                 {{1, 2}, A},
                 {{2, 2}, A},
                 {{3, 2}, B},
                 {{4, 2}, B}});
}

TEST_F(ClipboardPaste, QuarterTurnsAboutTheCentre)
{
    // [A B] turned a quarter counter-clockwise stands 1 x 2 with B on top;
    // centred at (2, 2) it starts at (2 - 1/2, 2 - 2/2) = (2, 1).
    copy(picture({A, B}), 2, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(2, 2, 2, 9000, 1, 0, 256, 0, 0), 1);
    expect_only({{{2, 1}, B}, {{2, 2}, A}});
}

TEST_F(ClipboardPaste, ClockwiseQuarterTurnAndFullTurn)
{
    copy(picture({A, B}), 2, 1);
    // -90 degrees: A on top. 36000 is a full turn and is not rotated at all.
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, -9000, 0, 0, 256, 0, 0), 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(3, 3, 2, 36000, 0, 0, 256, 0, 0), 1);
    expect_only({{{0, 0}, A}, {{0, 1}, B}, {{3, 3}, A}, {{4, 3}, B}});
}

TEST_F(ClipboardPaste, HalfTurnIsExactWhenSmooth)
{
    // A half turn lands every pixel centre on a pixel centre: no mixing even
    // with smoothing on. [A B; C D] becomes [D C; B A].
    copy(picture({A, B, C, D}), 2, 2);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, 18000, 0, 1, 256, 0, 0), 1);
    expect_only({{{0, 0}, D}, {{1, 0}, C}, {{0, 1}, B}, {{1, 1}, A}});
}

TEST_F(ClipboardPaste, CacheServesTheSameKeyUntilCleared)
{
    copy(picture({A, B}), 2, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, 0, 0, 0, 256, 0, 0), 1);
    copy(picture({C, D}), 2, 1);
    // Same (size, angle, smooth): the cached [A B] again, though the clipboard changed.
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 1, 2, 0, 0, 0, 256, 0, 0), 1);
    MVE_ClearClipEX2Cache();
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 2, 2, 0, 0, 0, 256, 0, 0), 1);
    // A different key reads the clipboard too: [C D] turned a half turn.
    ASSERT_EQ(MVE_FromClipboardIntoEX2(3, 0, 2, 18000, 0, 0, 256, 0, 0), 1);
    expect_only({{{0, 0}, A},
                 {{1, 0}, B},
                 {{0, 1}, A},
                 {{1, 1}, B},
                 {{0, 2}, C},
                 {{1, 2}, D},
                 {{3, 0}, D},
                 {{4, 0}, C}});
}

TEST_F(ClipboardPaste, CentredPictureOf101StartsAtColumnZero)
{
    MVE_DeleteImage();
    make(120, 1, 2);
    Picture p;
    for (int i = 0; i < 101; ++i) p.insert(p.end(), B.begin(), B.end());
    copy(p, 101, 1);
    // x = 50 - 101 / 2 = 0: columns 0..100 covered, 101 not.
    ASSERT_EQ(MVE_FromClipboardIntoEX2(50, 0, 101, 0, 1, 0, 256, 0, 0), 1);
    EXPECT_EQ(at(2, 0, 0), B);
    EXPECT_EQ(at(2, 100, 0), B);
    EXPECT_EQ(at(2, 101, 0), None);
}

TEST_F(ClipboardPaste, PictureStickingOutIsClipped)
{
    copy(picture({A, B, C, D}), 2, 2);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(-1, -1, 2, 0, 0, 0, 256, 0, 0), 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(5, 3, 2, 0, 0, 0, 256, 0, 0), 1);
    // Wholly outside: nothing happens.
    ASSERT_EQ(MVE_FromClipboardIntoEX2(6, 0, 2, 0, 0, 0, 256, 0, 0), 1);
    expect_only({{{0, 0}, D}, {{5, 3}, A}});
}

TEST_F(ClipboardPaste, HalfOpacityMixesWithTheLayerBeneath)
{
    MVE_SetLayer(1);  // opaque white background (65535 per channel)
    copy(picture({Px{0, 0, 0, 255}}), 1, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 1, 0, 0, 0, 128, 0, 0), 1);
    // Black of alpha 65280 * 128 / 256 = 32640 (0.498) over white:
    // 65535 * (1 - 0.498) = 32895, within the merge core's rounding. Full
    // opacity would give 0, none 65535.
    const std::vector<unsigned short> l = layer(1);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(l[c], 32895, 300) << c;
    EXPECT_EQ(l[4], 65535);  // the neighbour stays white
}

TEST_F(ClipboardPaste, PaintLayerTakesThePasteAndSpansTheCanvas)
{
    ASSERT_GE(MVE_CreatePaintLayer(100, 100, "Normal"), 0);
    copy(picture({A}), 1, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(3, 2, 1, 0, 0, 0, 256, 1, 0), 1);
    const mve::LayerRecord& paint = mve::engine().layers.paint;
    const std::uint16_t* p = paint.pixels.data() + (2 * paint.stride + 3 * 4);
    EXPECT_GT(p[3], 0);
    EXPECT_EQ(p[0] >> 8, A[0]);
    EXPECT_EQ(paint.extents[0], 0);
    EXPECT_EQ(paint.extents[2], 6);
    EXPECT_EQ(paint.extents[3], 4);
    expect_only({});  // the current layer is untouched
}

TEST_F(ClipboardPaste, MaskBlocksThePasteOnlyWhenAsked)
{
    std::vector<unsigned short> m(static_cast<std::size_t>(w) * h, 65535);
    m[0] = 0;  // (0, 0) blocked
    MVE_SetMaskData16(m.data());
    MVE_EnableMask(1);
    copy(picture({A, B}), 2, 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, 0, 0, 0, 256, 0, 1), 1);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 1, 2, 0, 0, 0, 256, 0, 0), 1);
    expect_only({{{1, 0}, B}, {{0, 1}, A}, {{1, 1}, B}});
}

TEST_F(ClipboardPaste, WarpSizeStretchesAndClips)
{
    copy(picture({C}), 1, 1);
    // 3 x 2 at (4, 3): only (4, 3) and (5, 3) are on the 6 x 4 canvas.
    ASSERT_EQ(MVE_FromClipboardWarpSize(4, 3, 3, 2, 0, 256, 0, 0), 1);
    // A zero size is taken as 1.
    ASSERT_EQ(MVE_FromClipboardWarpSize(0, 0, 0, 0, 0, 256, 0, 0), 1);
    expect_only({{{4, 3}, C}, {{5, 3}, C}, {{0, 0}, C}});
}

TEST_F(ClipboardPaste, PlainPasteCopiesExactlyIncludingAlpha)
{
    MVE_SetLayer(1);
    const Px clear{1, 2, 3, 0};
    copy(picture({A, clear, B}), 3, 1);
    // Centred at (1, 0): x = 1 - 3/2 = 0. A plain paste replaces, alpha too
    // (the layer load stores a transparent pixel as all 0).
    ASSERT_EQ(MVE_FromClipboardInto(1, 0, 1), 1);
    EXPECT_EQ(at(1, 0, 0), A);
    EXPECT_EQ(at(1, 1, 0), None);
    EXPECT_EQ(at(1, 2, 0), B);
    EXPECT_EQ(layer(1)[3 * 4 + 3], 65535);  // beyond the picture the white stays
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 3);    // the staging image was dropped, its size kept
    EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0);
}

TEST_F(ClipboardPaste, FlipsAreExact)
{
    copy(picture({A, B, C}), 3, 1);
    MVE_ClipboardFlip(1);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    Picture got(12);
    MVE_GetNewRGBA32(got.data());
    EXPECT_EQ(got, picture({C, B, A}));

    copy(picture({A, B, C, D}), 2, 2);
    MVE_ClipboardFlip(0);  // any value but 1 flips top-bottom
    ASSERT_EQ(MVE_FromClipboard(), 1);
    got.assign(16, 0);
    MVE_GetNewRGBA32(got.data());
    EXPECT_EQ(got, picture({C, D, A, B}));
}

TEST_F(ClipboardPaste, LayerRectangleThroughTheMaskWithCornersInAnyOrder)
{
    Picture canvas;
    for (int i = 0; i < 24; ++i) canvas.insert(canvas.end(), {static_cast<unsigned char>(i), 7, 9, 255});
    MVE_LoadRGBA32(canvas.data(), 24, 0);
    std::vector<unsigned short> m(24, 65535);
    m[1 * 6 + 2] = 0;       // (2, 1) blocked
    m[0 * 6 + 3] = 0x7F00;  // (3, 0): high byte 127, alpha 255 * 128 >> 8 = 127
    MVE_SetMaskData16(m.data());
    MVE_EnableMask(1);
    // Corners (4, 2) and (2, 0): the 2 x 2 rectangle from (2, 0).
    MVE_ToClipboardRect(4, 2, 2, 0);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    ASSERT_EQ(MVE_GetNewRGBAWidth(), 2);
    ASSERT_EQ(MVE_GetNewRGBAHeight(), 2);
    Picture got(16);
    MVE_GetNewRGBA32(got.data());
    EXPECT_EQ(got, picture({Px{2, 7, 9, 255}, Px{3, 7, 9, 127}, Px{8, 7, 9, 0}, Px{9, 7, 9, 255}}));
}

TEST_F(ClipboardPaste, HostPictureIsOnlyRead)
{
    std::vector<unsigned short> m(24, 0);
    MVE_SetMaskData16(m.data());
    MVE_EnableMask(1);
    const Picture host = picture({A, B});
    Picture copyOfHost = host;
    MVE_RGBA32ToClipboardRect(copyOfHost.data(), 0, 0, 2, 1, 1);
    EXPECT_EQ(copyOfHost, host);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    Picture got(8);
    MVE_GetNewRGBA32(got.data());
    EXPECT_EQ(got[3], 0);  // the clipboard's copy went through the Mask
    EXPECT_EQ(got[7], 0);
}

std::string temp_png(const char* name)
{
    return ::testing::TempDir() + "mve_clip_" + std::to_string(getpid()) + "_" + name + ".png";
}

TEST_F(ClipboardPaste, ShapeFileTurnsWhiteOnBlackIntoBlackShape)
{
    // Opaque [white black] at size 2: alpha 255 - (r + g + b) / 3 gives 0 and
    // 255; centred on 2 x 2 at (0, (2 - 1) / 2 = 0); grey = alpha, alpha 255.
    copy(picture({Px{255, 255, 255, 255}, Px{0, 0, 0, 255}}), 2, 1);
    const std::string path = temp_png("shape");
    MVE_FromClipboardToShapeFile(path.c_str(), 2, 0);
    const mve::exchange::Decoded d = mve::exchange::decode_file(path.c_str());
    ASSERT_TRUE(d);
    ASSERT_EQ(d.width, 2);
    ASSERT_EQ(d.height, 2);
    const Picture got(d.pixels.get(), d.pixels.get() + 16);
    EXPECT_EQ(got, picture({Px{0, 0, 0, 255}, Px{255, 255, 255, 255}, Px{0, 0, 0, 255}, Px{0, 0, 0, 255}}));
    EXPECT_EQ(MVE_GetDPIFromFile(path.c_str()), 300);
    unlink(path.c_str());
}

TEST_F(ClipboardPaste, ShapeFileOfATransparentPictureUsesItsAlpha)
{
    // Not every pixel opaque: the alpha itself becomes the grey.
    copy(picture({Px{255, 255, 255, 200}, Px{0, 0, 0, 0}}), 2, 1);
    const std::string path = temp_png("shape_alpha");
    MVE_FromClipboardToShapeFile(path.c_str(), 2, 0);
    const mve::exchange::Decoded d = mve::exchange::decode_file(path.c_str());
    ASSERT_TRUE(d);
    EXPECT_EQ(d.pixels.get()[0], 200);
    EXPECT_EQ(d.pixels.get()[4], 0);
    unlink(path.c_str());
}

TEST_F(ClipboardPaste, ImageBrushIsTheScaledPictureCentredOnASquare)
{
    // A uniform 2 x 1 picture at size 4: 4 x 2 of the same colour (a
    // normalised kernel on one colour gives that colour), at (0, 1) on 4 x 4.
    copy(picture({A, A}), 2, 1);
    MVE_FromClipboardToImageBrush(4);
    const mve::ImageBrushState& brush = mve::engine().imageBrush;
    ASSERT_EQ(brush.sourceWidth, 4);
    ASSERT_EQ(brush.sourceHeight, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint16_t* p = brush.source.data() + (static_cast<std::size_t>(y) * 4 + x) * 4;
            if (y == 0 || y == 3) {
                EXPECT_EQ(p[3], 0) << x << "," << y;
                continue;
            }
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(p[c] >> 8, A[c], 1) << x << "," << y << " ch " << c;
        }
}

TEST_F(ClipboardPaste, EmptyClipboardChangesNothing)
{
    MVE_SetLastError("");
    EXPECT_EQ(MVE_FromClipboard(), 0);
    EXPECT_EQ(MVE_FromClipboardInto(0, 0, 0), 0);
    EXPECT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, 0, 0, 0, 256, 0, 0), 0);
    EXPECT_STREQ(MVE_GetLastError(), "");
    expect_only({});
}

TEST_F(ClipboardPaste, PngBytesExports)
{
    const unsigned char garbage[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
    EXPECT_EQ(MVE_SetClipboardPNG(garbage, sizeof garbage), 0);
    const std::vector<std::uint8_t> png = mve::exchange::encode_clipboard_png(picture({A, B}).data(), 2, 1);
    ASSERT_EQ(MVE_SetClipboardPNG(png.data(), static_cast<int>(png.size())), 1);
    // Too small a buffer: the size only, nothing written.
    std::vector<unsigned char> out(png.size(), 0xEE);
    EXPECT_EQ(MVE_GetClipboardPNG(out.data(), static_cast<int>(png.size()) - 1),
              static_cast<int>(png.size()));
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_EQ(MVE_GetClipboardPNG(out.data(), static_cast<int>(out.size())), static_cast<int>(png.size()));
    EXPECT_EQ(out, png);
    ASSERT_EQ(MVE_FromClipboardIntoEX2(0, 0, 2, 0, 0, 0, 256, 0, 0), 1);
    expect_only({{{0, 0}, A}, {{1, 0}, B}});
}

}  // namespace
