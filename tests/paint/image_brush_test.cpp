// Image brushes on tiny pictures: loading and its size limit, strip frames,
// fill and recolour, sizing and its reallocation, the percent rule of the
// blend-buffer copies, the quarter turn, the PNG written and allocation failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/memory.h"
#include "engine/engine.h"
#include "imagelib/reading.h"
#include "imagelib/sources.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"

using namespace mve;

namespace {

constexpr int W = 8, H = 8, M = 6;

std::string temp_path(const char* name)
{
    return "/tmp/mve_imagebrush_" + std::to_string(getpid()) + "_" + name + ".png";
}

void write_png_file(const std::string& path, const std::vector<std::uint8_t>& rgba, int w, int h)
{
    il::ImageDest* dest = il::open_file_dest(path.c_str(), 0);
    ASSERT_NE(dest, nullptr);
    ASSERT_NE(il::write_png(dest, rgba.data(), w, h, w * 4, 8, 6, 0, 0, 0), 0);
    ASSERT_NE(il::close_dest(dest), 0);
}

struct ImageBrushTest : ::testing::Test {
    void SetUp() override
    {
        MVE_CreateImage(nullptr, W, H, M, 0);
        MVE_SetSize(4);
        engine().imageBrush = ImageBrushState{};
        MVE_SetLastError("");
    }
    void TearDown() override
    {
        test_hooks::fail_allocations_after(-1);
        engine().imageBrush = ImageBrushState{};
        MVE_DeleteImage();
        for (const std::string& p : files) std::remove(p.c_str());
    }
    std::string file(const char* name)
    {
        files.push_back(temp_path(name));
        return files.back();
    }

    static ImageBrushState& ib() { return engine().imageBrush; }
    static const std::uint16_t* source(int x, int y) { return ib().source.data() + (y * ib().sourceWidth + x) * 4; }
    static std::uint16_t* buffer(int u, int v) { return current_blend_buffer(engine()) + (v * M + u) * 4; }
    static std::string last_error() { return MVE_GetLastError(); }

    std::vector<std::string> files;
};

// A w x h picture whose pixel (x, y) is (10x + 1, 10y + 2, x + y, 200).
std::vector<std::uint8_t> gradient(int w, int h)
{
    std::vector<std::uint8_t> p(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* q = &p[(static_cast<std::size_t>(y) * w + x) * 4];
            q[0] = static_cast<std::uint8_t>(10 * x + 1), q[1] = static_cast<std::uint8_t>(10 * y + 2);
            q[2] = static_cast<std::uint8_t>(x + y), q[3] = 200;
        }
    return p;
}

}  // namespace

TEST_F(ImageBrushTest, BufferLoadConvertsAndKeepsThePreviousSourceWhenTooLarge)
{
    const auto small = gradient(2, 3);
    MVE_LoadImageBrushFromRGBA32(small.data(), 2, 3);
    ASSERT_EQ(ib().sourceWidth, 2);
    ASSERT_EQ(ib().sourceHeight, 3);
    // Pixel (1, 2) = (11, 22, 3, 200); 8-bit values enter as v << 8.
    EXPECT_EQ(source(1, 2)[0], 11 << 8);
    EXPECT_EQ(source(1, 2)[1], 22 << 8);
    EXPECT_EQ(source(1, 2)[2], 3 << 8);
    EXPECT_EQ(source(1, 2)[3], 200 << 8);

    // Maximum brush size 6: a 7-wide (or 7-high) picture is ignored, without a message.
    const auto wide = gradient(M + 1, 1);
    MVE_LoadImageBrushFromRGBA32(wide.data(), M + 1, 1);
    MVE_LoadImageBrushFromRGBA32(wide.data(), 1, M + 1);
    MVE_LoadImageBrushFromRGBA32(nullptr, 2, 2);
    EXPECT_EQ(ib().sourceWidth, 2);
    EXPECT_EQ(ib().sourceHeight, 3);
    EXPECT_EQ(source(1, 2)[0], 11 << 8);
    EXPECT_EQ(last_error(), "");

    // Exactly the maximum is accepted.
    const auto full = gradient(M, M);
    MVE_LoadImageBrushFromRGBA32(full.data(), M, M);
    EXPECT_EQ(ib().sourceWidth, M);
}

TEST_F(ImageBrushTest, FileLoadObeysTheSizeLimitAndIgnoresUnreadableFiles)
{
    const std::string ok = file("ok"), wide = file("wide");
    write_png_file(ok, gradient(3, 2), 3, 2);
    write_png_file(wide, gradient(M + 1, 2), M + 1, 2);
    MVE_LoadImageBrush(ok.c_str());
    ASSERT_EQ(ib().sourceWidth, 3);
    EXPECT_EQ(source(2, 1)[0], 21 << 8);  // 10 * 2 + 1
    EXPECT_EQ(source(2, 1)[1], 12 << 8);  // 10 * 1 + 2

    MVE_LoadImageBrush(wide.c_str());
    MVE_LoadImageBrush(temp_path("missing").c_str());
    EXPECT_EQ(ib().sourceWidth, 3);
    EXPECT_EQ(ib().sourceHeight, 2);
    EXPECT_EQ(source(2, 1)[0], 21 << 8);
    EXPECT_EQ(last_error(), "");
}

TEST_F(ImageBrushTest, StripFramesAreChosenByTruncatedFraction)
{
    // Five 2 x 2 frames side by side; every pixel of frame f has red 40 f + 10
    // and its green tells the pixel inside the frame (10 v + u).
    const int h = 2, frames = 5, w = h * frames;
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* q = &strip[(static_cast<std::size_t>(y) * w + x) * 4];
            q[0] = static_cast<std::uint8_t>(40 * (x / h) + 10);
            q[1] = static_cast<std::uint8_t>(10 * y + x % h);
            q[2] = 0, q[3] = 255;
        }
    const std::string path = file("strip");
    write_png_file(path, strip, w, h);
    MVE_LoadImageBrushArray(path.c_str());
    ASSERT_EQ(ib().frameCount, 5);
    ASSERT_EQ(ib().sourceWidth, 2);
    ASSERT_EQ(ib().sourceHeight, 2);
    EXPECT_EQ(source(1, 1)[3], 0);  // not yet filled: cleared

    // trunc(5 * 0.99) = trunc(4.95) = frame 4: red 170.
    MVE_CopyFromImageBrushArray(0.99f);
    EXPECT_EQ(source(0, 0)[0], 170 << 8);
    EXPECT_EQ(source(1, 1)[0], 170 << 8);
    EXPECT_EQ(source(1, 1)[1], 11 << 8);
    EXPECT_EQ(source(1, 0)[1], 1 << 8);
    // t = 0: frame 0, red 10; t = 0.5: trunc(2.5) = frame 2, red 90.
    MVE_CopyFromImageBrushArray(0.0f);
    EXPECT_EQ(source(1, 1)[0], 10 << 8);
    MVE_CopyFromImageBrushArray(0.5f);
    EXPECT_EQ(source(0, 1)[0], 90 << 8);
    EXPECT_EQ(source(0, 1)[1], 10 << 8);
    // t = 1 would name a sixth frame that the strip does not have: the last one is taken.
    MVE_CopyFromImageBrushArray(1.0f);
    EXPECT_EQ(source(0, 0)[0], 170 << 8);
}

TEST_F(ImageBrushTest, FillAndRecolour)
{
    // Full size 4: a 4 x 4 source of (255, 128, 0) * 257, opaque.
    MVE_FillImageBrush(255, 128, 0);
    ASSERT_EQ(ib().sourceWidth, 4);
    ASSERT_EQ(ib().sourceHeight, 4);
    EXPECT_EQ(source(3, 3)[0], 65535);
    EXPECT_EQ(source(3, 3)[1], 32896);
    EXPECT_EQ(source(3, 3)[2], 0);
    EXPECT_EQ(source(3, 3)[3], 65535);

    // Recolouring a loaded source keeps its alpha (200 << 8).
    const auto pic = gradient(2, 2);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 2, 2);
    MVE_ColorImageBrush(10, 20, 30);
    EXPECT_EQ(source(1, 1)[0], 2570);
    EXPECT_EQ(source(1, 1)[1], 5140);
    EXPECT_EQ(source(1, 1)[2], 7710);
    EXPECT_EQ(source(1, 1)[3], 200 << 8);

    // Without a source: a 4 x 4 opaque brush of the colour.
    ib() = ImageBrushState{};
    MVE_ColorImageBrush(1, 2, 3);
    ASSERT_EQ(ib().sourceWidth, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(source(x, y)[0], 257);
            EXPECT_EQ(source(x, y)[2], 771);
            EXPECT_EQ(source(x, y)[3], 65535);
        }
}

TEST_F(ImageBrushTest, CopyToImageBrushTakesTheBufferSquareRowByRow)
{
    // Buffer pixel (u, v) lives at v * M + u; the new 4 x 4 source is packed 4 a row.
    buffer(3, 2)[0] = 111, buffer(3, 2)[3] = 222;
    buffer(4, 0)[0] = 999;  // outside the full-size square
    MVE_CopyToImageBrush();
    ASSERT_EQ(ib().sourceWidth, 4);
    EXPECT_EQ(source(3, 2)[0], 111);
    EXPECT_EQ(source(3, 2)[3], 222);
    EXPECT_EQ(source(0, 1)[0], 0);  // (4, 0) would land here with a packed copy
}

TEST_F(ImageBrushTest, SizingCopiesResamplesAndReallocatesOnlyOnChange)
{
    // A 4 x 4 source at full size 4 is copied exactly.
    const auto pic = gradient(4, 4);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 4, 4);
    MVE_SizeImageBrush();
    ASSERT_EQ(ib().sizedSide, 4);
    EXPECT_EQ(std::memcmp(ib().sized.data(), ib().source.data(), ib().source.bytes()), 0);

    // Shrinking 4 x 4 to 2 x 2 averages 2 x 2 blocks: with red 0, 200 on the
    // first row and 400, 600 on the second of the top-left block, rows give
    // 100 and 500 and the column (100 + 500) / 2 = 300.
    std::vector<std::uint8_t> blocks(4 * 4 * 4, 0);
    MVE_LoadImageBrushFromRGBA32(blocks.data(), 4, 4);
    std::uint16_t* s = ib().source.data();
    s[0] = 0, s[4] = 200, s[16] = 400, s[20] = 600;
    MVE_SetSize(2);
    MVE_SizeImageBrush();
    ASSERT_EQ(ib().sizedSide, 2);
    EXPECT_EQ(ib().sized[0], 300);
    EXPECT_EQ(ib().sized[4], 0);  // the top-right block is all 0

    // Enlarging a constant 2 x 2 keeps it constant (weights sum to one exactly).
    std::vector<std::uint8_t> flat(2 * 2 * 4, 0x34);
    MVE_LoadImageBrushFromRGBA32(flat.data(), 2, 2);
    MVE_SetSize(5);
    MVE_SizeImageBrush();
    ASSERT_EQ(ib().sizedSide, 5);
    for (std::size_t i = 0; i < 5 * 5 * 4; ++i) ASSERT_EQ(ib().sized[i], 0x3400) << i;

    // At an unchanged size no allocation is needed: sizing still works with
    // every allocation failing. A new full size needs one, and fails.
    test_hooks::fail_allocations_after(0);
    MVE_SizeImageBrush();
    EXPECT_EQ(last_error(), "");
    MVE_SetSize(3);
    MVE_SizeImageBrush();
    EXPECT_EQ(last_error(), "SizeImageBrush Excpt");
    EXPECT_FALSE(ib().sized);
    test_hooks::fail_allocations_after(-1);
    MVE_SizeImageBrush();
    EXPECT_EQ(ib().sizedSide, 3);
    EXPECT_EQ(ib().sized[0], 0x3400);
}

TEST_F(ImageBrushTest, PercentRuleOfTheBlendBufferCopy)
{
    // A 4 x 4 brush of 2000 in every channel over a buffer of 1000.
    MVE_FillImageBrush(0, 0, 0);
    std::fill(ib().source.data(), ib().source.data() + ib().source.size(), std::uint16_t{2000});
    auto reset_buffer = [] {
        std::uint16_t* q = current_blend_buffer(engine());
        std::fill(q, q + M * M * 4, std::uint16_t{1000});
    };
    // p = 0: b = 0, the brush replaces the square.
    reset_buffer();
    MVE_CopyFromImageBrush(0);
    EXPECT_EQ(buffer(0, 0)[0], 2000);
    EXPECT_EQ(buffer(3, 3)[3], 2000);
    EXPECT_EQ(buffer(4, 0)[0], 1000);  // outside the 4 x 4 square
    EXPECT_EQ(buffer(0, 4)[0], 1000);
    // p = 100: b = (int)255.9 = 255: (255 * 1000 + 2000 * 0) >> 8 = 996.
    reset_buffer();
    MVE_CopyFromImageBrush(100);
    EXPECT_EQ(buffer(2, 1)[1], 996);
    // p = 50: b = (int)127.95 = 127: (127 * 1000 + 128 * 2000) >> 8 = 383000 >> 8 = 1496.
    reset_buffer();
    MVE_CopyFromImageBrush(50);
    EXPECT_EQ(buffer(2, 1)[2], 1496);
    // p = 1: b = 2: (2 * 1000 + 253 * 2000) >> 8 = 508000 >> 8 = 1984.
    reset_buffer();
    MVE_CopyFromImageBrush(1);
    EXPECT_EQ(buffer(1, 1)[0], 1984);
}

TEST_F(ImageBrushTest, CopyWithZeroIsAnExactCopyOfTheSizedBrush)
{
    const auto pic = gradient(3, 3);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 3, 3);
    MVE_CopyFromImageBrush(0);
    ASSERT_EQ(ib().sizedSide, 4);
    for (int v = 0; v < 4; ++v)
        for (int u = 0; u < 4; ++u)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(buffer(u, v)[c], ib().sized[(v * 4 + u) * 4 + c]) << u << v << c;
}

TEST_F(ImageBrushTest, QuarterTurnMovesPixelsClockwise)
{
    // 4 x 4, transparent but for red at (1, 0) opaque and green at (0, 2) with alpha 128.
    std::vector<std::uint8_t> pic(4 * 4 * 4, 0);
    auto px = [&](int x, int y) { return &pic[(y * 4 + x) * 4]; };
    px(1, 0)[0] = 255, px(1, 0)[3] = 255;
    px(0, 2)[1] = 255, px(0, 2)[3] = 128;
    MVE_LoadImageBrushFromRGBA32(pic.data(), 4, 4);
    MVE_SizeImageBrush();
    MVE_RotateImageBrush(90);
    ASSERT_TRUE(ib().rotationValid);
    ASSERT_EQ(ib().rotationSide, 4);
    // A clockwise quarter turn of a 4-wide square sends (u, v) to (3 - v, u):
    // (1, 0) -> (3, 1) and (0, 2) -> (1, 0).
    auto rot = [](int x, int y) { return ib().rotated.data() + (y * 4 + x) * 4; };
    EXPECT_EQ(rot(3, 1)[0], 255);
    EXPECT_EQ(rot(3, 1)[3], 255);
    EXPECT_EQ(rot(1, 0)[1], 255);
    EXPECT_EQ(rot(1, 0)[3], 128);
    EXPECT_EQ(rot(1, 0)[0], 0);
    int opaque = 0;
    for (int i = 0; i < 16; ++i) opaque += ib().rotated[i * 4 + 3] != 0;
    EXPECT_EQ(opaque, 2);
    // The unrotated copy is the sized brush's high bytes, untouched by the turn.
    EXPECT_EQ(ib().unrotated[(0 * 4 + 1) * 4 + 0], 255);

    // Rotated copy at p = 0: each channel c << 8.
    MVE_CopyFromImageBrushRotate(0);
    EXPECT_EQ(buffer(3, 1)[0], 65280);
    EXPECT_EQ(buffer(1, 0)[3], 128 << 8);
    EXPECT_EQ(buffer(1, 1)[3], 0);
    // p = 50: r = 127, b = 128: (127 * 65280) >> 8 + 255 * 128 = 32385 + 32640 = 65025
    // for the red of (3, 1); its green (brush 0) becomes (127 * 0) >> 8 + 0 = 0.
    MVE_CopyFromImageBrushRotate(50);
    EXPECT_EQ(buffer(3, 1)[0], 65025);
    EXPECT_EQ(buffer(3, 1)[1], 0);
    // Alpha of (1, 0): (127 * 32768) >> 8 + 128 * 128 = 16256 + 16384 = 32640.
    EXPECT_EQ(buffer(1, 0)[3], 32640);
}

TEST_F(ImageBrushTest, NewFullSizeRebuildsTheRotationCopy)
{
    MVE_FillImageBrush(255, 0, 0);
    MVE_SizeImageBrush();
    MVE_RotateImageBrush(0);
    ASSERT_TRUE(ib().rotationValid);
    ASSERT_EQ(ib().rotationSide, 4);

    // A new full size: sizing reallocates the brush and drops the cache, so
    // the rotated copy can no longer be copied into the buffer...
    MVE_SetSize(3);
    MVE_SizeImageBrush();
    EXPECT_EQ(ib().sizedSide, 3);
    EXPECT_FALSE(ib().rotationValid);
    current_blend_buffer(engine())[0] = 7;
    MVE_CopyFromImageBrushRotate(0);
    EXPECT_EQ(buffer(0, 0)[0], 7);
    // ...until the next rotation rebuilds the 8-bit copy at 3 x 3.
    MVE_ColorImageBrush(0, 255, 0);
    MVE_SizeImageBrush();
    MVE_RotateImageBrush(0);
    ASSERT_TRUE(ib().rotationValid);
    EXPECT_EQ(ib().rotationSide, 3);
    EXPECT_EQ(ib().unrotated.size(), 3u * 3 * 4);
    EXPECT_EQ(ib().rotated[(2 * 3 + 2) * 4 + 0], 0);    // red 65535 >> 8 = 255 before recolouring: now 0
    EXPECT_EQ(ib().rotated[(2 * 3 + 2) * 4 + 1], 255);  // green 65535 >> 8
    EXPECT_EQ(ib().rotated[(2 * 3 + 2) * 4 + 3], 255);
}

namespace {

// The pHYs chunk of a PNG file: x and y pixels per unit and the unit byte.
bool read_phys(const std::string& path, unsigned& x, unsigned& y, int& unit)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto be32 = [&](std::size_t i) {
        return (unsigned(b[i]) << 24) | (unsigned(b[i + 1]) << 16) | (unsigned(b[i + 2]) << 8) | b[i + 3];
    };
    for (std::size_t i = 8; i + 8 <= b.size();) {  // after the 8-byte signature: length, type, data, CRC
        const unsigned length = be32(i);
        if (std::memcmp(&b[i + 4], "pHYs", 4) == 0 && length == 9 && i + 17 <= b.size()) {
            x = be32(i + 8), y = be32(i + 12), unit = b[i + 16];
            return true;
        }
        i += 12 + length;
    }
    return false;
}

}  // namespace

TEST_F(ImageBrushTest, SavedPngReadsBackEqualAt2834PixelsPerMetre)
{
    const auto pic = gradient(3, 2);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 3, 2);
    const std::string path = file("saved");
    MVE_SaveImageBrush(path.c_str());
    EXPECT_EQ(last_error(), "");

    il::ImageSource* src = il::open_file_source(path.c_str());
    ASSERT_NE(src, nullptr);
    int w = 0, h = 0;
    std::uint8_t* back = il::read_image_to_rgba(src, &w, &h);
    il::close_source(src);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 3 * 2 * 4), pic);
    il::release_block(back);

    unsigned x = 0, y = 0;
    int unit = -1;
    ASSERT_TRUE(read_phys(path, x, y, unit));
    EXPECT_EQ(x, 2834u);
    EXPECT_EQ(y, 2834u);
    EXPECT_EQ(unit, 1);

    // Without a source nothing is written.
    ib() = ImageBrushState{};
    const std::string none = file("none");
    MVE_SaveImageBrush(none.c_str());
    EXPECT_FALSE(std::ifstream(none).good());
}

TEST_F(ImageBrushTest, AllocationFailuresRecordTheirTexts)
{
    const auto pic = gradient(2, 2);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 2, 2);
    MVE_SizeImageBrush();

    test_hooks::fail_allocations_after(0);
    MVE_RotateImageBrush(45);
    EXPECT_EQ(last_error(), "RotateImageBrush Excpt");
    EXPECT_FALSE(ib().rotationValid);

    const std::string path = file("failed");
    MVE_SaveImageBrush(path.c_str());
    EXPECT_EQ(last_error(), "SaveImageBrush Excpt");

    MVE_LoadImageBrushFromRGBA32(pic.data(), 2, 2);
    EXPECT_EQ(last_error(), "LoadImageBrushFromRGBA32 Excpt");
    // The old source was freed before the failed allocation: absent, not half-set.
    EXPECT_FALSE(ib().source);
    EXPECT_EQ(ib().sourceWidth, 0);

    MVE_FillImageBrush(1, 2, 3);
    EXPECT_EQ(last_error(), "FillImageBrush Excpt");
    MVE_SetLastError("");
    MVE_ColorImageBrush(1, 2, 3);
    EXPECT_EQ(last_error(), "ColorImageBrush Excpt");
    MVE_CopyToImageBrush();
    EXPECT_EQ(last_error(), "CopyToImageBrush Excpt");
    EXPECT_FALSE(ib().source);
    // Nothing to size or copy without a source: no new text.
    MVE_SetLastError("");
    MVE_CopyFromImageBrush(0);
    EXPECT_EQ(last_error(), "");
}

TEST(ImageBrushAssets, ShippedBrushPicturesLoad)
{
    const char* data = std::getenv("MVE_TEST_DATA");
    if (!data) GTEST_SKIP() << "MVE_TEST_DATA not set";
    const std::string assets = std::string(data) + "/../../tools/mve/assets/";
    MVE_CreateImage(nullptr, 64, 64, 48, 0);
    engine().imageBrush = ImageBrushState{};
    MVE_LoadImageBrush((assets + "leaf_brush.png").c_str());
    EXPECT_EQ(engine().imageBrush.sourceWidth, 48);
    EXPECT_EQ(engine().imageBrush.sourceHeight, 48);
    // A 160 x 32 strip: 160 / 32 = 5 frames, the source one 32 x 32 frame.
    MVE_LoadImageBrushArray((assets + "strip_brush.png").c_str());
    EXPECT_EQ(engine().imageBrush.frameCount, 5);
    EXPECT_EQ(engine().imageBrush.sourceWidth, 32);
    engine().imageBrush = ImageBrushState{};
    MVE_DeleteImage();
}
