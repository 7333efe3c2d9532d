// Image brushes as a host sees them. The only way out of the engine for a
// brush is its PNG file, so each case compares the file of the brush under
// test with the file of a brush loaded directly from the expected pixels
// (same encoder, so equal pixels give equal bytes).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace {

constexpr int kMax = 12;

using Bytes = std::vector<unsigned char>;

struct ImageBrushApiTest : ::testing::Test {
    void SetUp() override
    {
        MVE_CreateImage(nullptr, kMax, kMax, kMax, 0);
        MVE_SetSize(4);
        MVE_SetLastError("");
    }
    void TearDown() override
    {
        MVE_DeleteImage();
        for (const std::string& p : files) std::remove(p.c_str());
    }
    std::string path(const std::string& name)
    {
        files.push_back("/tmp/mve_api_imagebrush_" + std::to_string(getpid()) + "_" + name + ".png");
        return files.back();
    }
    // The current source brush as PNG bytes.
    Bytes saved(const std::string& name)
    {
        const std::string p = path(name);
        MVE_SaveImageBrush(p.c_str());
        std::ifstream in(p, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // The PNG bytes of a brush loaded straight from `rgba`.
    Bytes expected(const Bytes& rgba, int w, int h, const std::string& name)
    {
        MVE_LoadImageBrushFromRGBA32(rgba.data(), w, h);
        return saved(name);
    }

    std::vector<std::string> files;
};

unsigned be32(const Bytes& b, std::size_t i)
{
    return (unsigned(b[i]) << 24) | (unsigned(b[i + 1]) << 16) | (unsigned(b[i + 2]) << 8) | b[i + 3];
}

// Pixel (x, y) of a w-wide picture: (16x + 3, 16y + 5, 7x + y, 60 + 10x).
Bytes picture(int w, int h)
{
    Bytes p(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* q = &p[(static_cast<std::size_t>(y) * w + x) * 4];
            q[0] = static_cast<unsigned char>(16 * x + 3), q[1] = static_cast<unsigned char>(16 * y + 5);
            q[2] = static_cast<unsigned char>(7 * x + y), q[3] = static_cast<unsigned char>(60 + 10 * x);
        }
    return p;
}

}  // namespace

TEST_F(ImageBrushApiTest, SavedFileCarriesSizeColourTypeAndResolution)
{
    const Bytes pic = picture(3, 2);
    MVE_LoadImageBrushFromRGBA32(pic.data(), 3, 2);
    // One pixel wider than the maximum brush size: ignored, the 3 x 2 brush stays.
    const Bytes wide = picture(kMax + 1, 1);
    MVE_LoadImageBrushFromRGBA32(wide.data(), kMax + 1, 1);
    const Bytes png = saved("header");
    ASSERT_GT(png.size(), 33u);
    // IHDR follows the 8-byte signature: length, "IHDR", width, height, depth, colour type.
    ASSERT_EQ(std::memcmp(&png[12], "IHDR", 4), 0);
    EXPECT_EQ(be32(png, 16), 3u);
    EXPECT_EQ(be32(png, 20), 2u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 6);
    bool phys = false;
    for (std::size_t i = 8; i + 8 <= png.size(); i += 12 + be32(png, i))
        if (std::memcmp(&png[i + 4], "pHYs", 4) == 0) {
            phys = true;
            EXPECT_EQ(be32(png, i + 8), 2834u);
            EXPECT_EQ(be32(png, i + 12), 2834u);
            EXPECT_EQ(png[i + 16], 1);
        }
    EXPECT_TRUE(phys);
    EXPECT_STREQ(MVE_GetLastError(), "");

    // Reading the file back gives the same brush, so saving it again gives the same bytes.
    MVE_FillImageBrush(1, 2, 3);
    MVE_LoadImageBrush(files[0].c_str());
    EXPECT_EQ(saved("again"), png);
}

TEST_F(ImageBrushApiTest, BrushThroughTheBlendBufferAndBackIsUnchanged)
{
    // Full size 4: copy the sized 4 x 4 brush into the buffer at 0 % and take
    // the buffer square back as the source.
    const Bytes pic = picture(4, 4);
    const Bytes direct = expected(pic, 4, 4, "direct");
    MVE_CopyFromImageBrush(0);
    MVE_FillImageBrush(9, 9, 9);
    MVE_CopyToImageBrush();
    EXPECT_EQ(saved("roundtrip"), direct);
}

TEST_F(ImageBrushApiTest, QuarterTurnThroughTheBlendBuffer)
{
    // Turned clockwise by 90 degrees, pixel (u, v) of the 4 x 4 brush lands
    // at (3 - v, u): output (x, y) shows input (y, 3 - x).
    const Bytes pic = picture(4, 4);
    Bytes turned(pic.size());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            std::memcpy(&turned[(y * 4 + x) * 4], &pic[(static_cast<std::size_t>(3 - x) * 4 + y) * 4], 4);
    const Bytes want = expected(turned, 4, 4, "want");

    MVE_LoadImageBrushFromRGBA32(pic.data(), 4, 4);
    MVE_SizeImageBrush();
    MVE_RotateImageBrush(90);
    MVE_CopyFromImageBrushRotate(0);
    MVE_CopyToImageBrush();
    EXPECT_EQ(saved("turned"), want);
}

TEST_F(ImageBrushApiTest, StripFrameFromTheFraction)
{
    // A strip of five 2 x 2 frames (10 x 2), written with the brush's own save.
    const Bytes strip = picture(10, 2);
    const Bytes whole = expected(strip, 10, 2, "strip");
    ASSERT_FALSE(whole.empty());
    Bytes frame4(2 * 2 * 4), frame0(2 * 2 * 4);
    for (int y = 0; y < 2; ++y) {
        std::memcpy(&frame4[y * 8], &strip[(y * 10 + 8) * 4], 8);
        std::memcpy(&frame0[y * 8], &strip[(y * 10 + 0) * 4], 8);
    }
    const Bytes want4 = expected(frame4, 2, 2, "frame4");
    const Bytes want0 = expected(frame0, 2, 2, "frame0");

    MVE_LoadImageBrushArray(files[0].c_str());
    MVE_CopyFromImageBrushArray(0.99f);  // trunc(4.95) = frame 4
    EXPECT_EQ(saved("got4"), want4);
    MVE_CopyFromImageBrushArray(0.0f);
    EXPECT_EQ(saved("got0"), want0);
}

TEST_F(ImageBrushApiTest, RecolouredFillStaysOpaque)
{
    // The fill is opaque and recolouring keeps that alpha (the absent-source
    // case is covered by the unit tests, which can clear the brush).
    MVE_FillImageBrush(0, 0, 0);
    MVE_ColorImageBrush(200, 100, 50);
    Bytes opaque(4 * 4 * 4);
    for (std::size_t i = 0; i < opaque.size(); i += 4)
        opaque[i] = 200, opaque[i + 1] = 100, opaque[i + 2] = 50, opaque[i + 3] = 255;
    const Bytes got = saved("recoloured");
    EXPECT_EQ(got, expected(opaque, 4, 4, "opaque"));
}
