// Named sequences of a careless host that once corrupted memory, each with
// the result the engine now gives. Buffers carry a fenced tail; the
// sanitizer builds also catch any read past them. No call here may take
// longer than a second.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "morvane/morvane.h"

namespace {

using Shorts = std::vector<unsigned short>;
using Bytes = std::vector<unsigned char>;

constexpr unsigned short kFence = 0xA5A5;

// n values followed by 16 fence values.
Shorts fenced(std::size_t n) { Shorts v(n + 16, 0x1111); std::fill(v.begin() + n, v.end(), kFence); return v; }
bool fence_intact(const Shorts& v, std::size_t n)
{
    for (std::size_t i = n; i < v.size(); ++i)
        if (v[i] != kFence) return false;
    return true;
}

// R of every pixel of `data` (RGBA64), as 8-bit values.
std::vector<int> reds(const Shorts& data, std::size_t pixels)
{
    std::vector<int> r;
    for (std::size_t i = 0; i < pixels; ++i) r.push_back(data[i * 4] >> 8);
    return r;
}

// Loads pixels whose red is 10, 20, 30, ... in reading order (opaque).
void load_numbered(int layer, int width, int height)
{
    Bytes px(static_cast<std::size_t>(width) * height * 4);
    for (int i = 0; i < width * height; ++i) px[i * 4] = static_cast<unsigned char>(10 * (i + 1)), px[i * 4 + 3] = 255;
    MVE_LoadRGBA32Layer(px.data(), width * 4, layer, 0, 0, width, height, 0);
}

// Runs a call and fails the test when it took a second or more.
template <class F>
void within_a_second(const char* what, F&& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(s, 1.0) << what;
}

struct HostileHost : ::testing::Test {
    void TearDown() override { MVE_DeleteImage(); }
};

}  // namespace

TEST_F(HostileHost, BlendBufferCopyAfterSecondCreateImageWithLargerBrush)
{
    MVE_CreateImage(nullptr, 8, 8, 4, 0);
    MVE_CreateImage(nullptr, 8, 8, 32, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 8, 8), 1);
    MVE_SetLayer(1);
    MVE_SetSize(30);
    MVE_SetBlendStrength(50);
    // The buffer follows the new maximum brush size: the 30-pixel square
    // around (4, 4) fits it, and the shape is 32 x 32 again.
    EXPECT_EQ(MVE_CopyBlendBufferSurface(4, 4, 0, 0), 1);
    EXPECT_EQ(MVE_MixBlendBufferSurface(4, 4, 128), 1);
    Shorts shape(32 * 32 + 16);
    EXPECT_EQ(MVE_GetBrushShape16(shape.data()), 32 * 32);
}

TEST_F(HostileHost, FlipAfterNewSizeToASmallerCanvas)
{
    // Layer 1 is 3 x 1 (reds 10, 20, 30); the canvas shrinks to 2 x 1. The
    // flip turns the canvas part only: 10 20 | 30 becomes 20 10 | 30.
    MVE_CreateImage(nullptr, 3, 1, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 3, 1), 1);
    load_numbered(1, 3, 1);
    MVE_NewSize(nullptr, 2, 1, 8, 0);
    MVE_IPLFlipHorizontal();
    int w = 0, h = 0;
    EXPECT_EQ(MVE_GetLayerSize(1, &w, &h), 1);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 1);
    Shorts all = fenced(3 * 4);
    MVE_GetRGBA64LayerRect(all.data(), 3 * 8, 1, 0, 0, 3, 1);
    EXPECT_EQ(reds(all, 3), (std::vector<int>{20, 10, 30}));
    EXPECT_TRUE(fence_intact(all, 12));
}

TEST_F(HostileHost, CreateImageRefusesAbsurdBrushSizesAndKeepsTheCanvas)
{
    MVE_CreateImage(nullptr, 8, 8, 32, 0);
    for (int bad : {-1, -100000, 100000, INT_MAX, INT_MIN}) {
        MVE_SetLastError("");
        MVE_CreateImage(nullptr, 8, 8, bad, 0);
        EXPECT_STREQ(MVE_GetLastError(), "CreateImage Excpt") << bad;
        MVE_SetLastError("");
        MVE_NewSize(nullptr, 8, 8, bad, 0);
        EXPECT_STREQ(MVE_GetLastError(), "NewSize Excpt") << bad;
    }
    // The canvas of maximum brush size 32 stands: its shape is still
    // 32 x 32 and a full-sized tool set-up and dab work on it.
    ASSERT_EQ(MVE_CreateLayer(1, 8, 8), 1);
    MVE_SetLayer(1);
    MVE_SetSize(32);
    MVE_SetTool(1.0f, 4, 128, 128, 0, 0, 10, 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0);
    MVE_SetBrushShape(nullptr, 0);
    MVE_DrawDabGrit(4, 4, 0xFF00, 0, 0);
    Shorts shape(32 * 32 + 16);
    EXPECT_EQ(MVE_GetBrushShape16(shape.data()), 32 * 32);
}

TEST_F(HostileHost, LayersKeepTheirSizeAndTransfersTakeTheSmallerOne)
{
    // Layers 1 and 2 at 3 x 2; the canvas becomes 2 x 2. Reads into a
    // canvas-sized buffer give the 2 x 2 corner, writes change only it.
    MVE_CreateImage(nullptr, 3, 2, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 3, 2), 1);
    ASSERT_EQ(MVE_CreateLayer(2, 3, 2), 1);
    load_numbered(2, 3, 2);  // reds 10 20 30 / 40 50 60
    MVE_NewSize(nullptr, 2, 2, 8, 0);

    Shorts data = fenced(2 * 2 * 4);
    MVE_GetLayerData(data.data(), 2);
    EXPECT_EQ(reds(data, 4), (std::vector<int>{10, 20, 40, 50}));
    EXPECT_TRUE(fence_intact(data, 16));
    Shorts rows = fenced(2 * 2 * 4);
    MVE_GetRGBA64Layer(rows.data(), 2 * 8, 2);
    EXPECT_EQ(reds(rows, 4), (std::vector<int>{10, 20, 40, 50}));
    EXPECT_TRUE(fence_intact(rows, 16));

    // SetLayerData reads 2 x 2 values and leaves column 2 alone.
    Shorts in(2 * 2 * 4, 0);
    for (int i = 0; i < 4; ++i) in[i * 4] = static_cast<unsigned short>((i + 1) << 8);
    MVE_SetLayerData(in.data(), 2);
    Shorts all = fenced(3 * 2 * 4);
    MVE_GetRGBA64LayerRect(all.data(), 3 * 8, 2, 0, 0, 3, 2);
    EXPECT_EQ(reds(all, 6), (std::vector<int>{1, 2, 30, 3, 4, 60}));

    // A layer made at 3 x 2 on the 2 x 2 canvas: blend-buffer copies and
    // mixes at its far corner stay inside both.
    MVE_SetSize(4);
    MVE_SetBlendStrength(50);
    ASSERT_EQ(MVE_CreateLayer(3, 3, 2), 1);
    EXPECT_EQ(MVE_CopyBlendBufferLayer(3, 2, 1, 0), 1);
    EXPECT_EQ(MVE_MixBlendBufferLayer(3, 2, 1, 100), 1);
    int w = 0, h = 0;
    EXPECT_EQ(MVE_GetLayerSize(3, &w, &h), 1);
    EXPECT_EQ(w * 10 + h, 32);
    EXPECT_EQ(MVE_GetLayerSize(4, &w, &h), 0);
    EXPECT_EQ(w + h, 0);
}

TEST_F(HostileHost, LayerCountFollowsCreationAndSwapsForGeometry)
{
    // Layers 1 and 2 are created but never given options: the resize must
    // still reach layer 2, and a layer swapped in at 200 too.
    MVE_CreateImage(nullptr, 4, 3, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 4, 3), 1);
    ASSERT_EQ(MVE_CreateLayer(2, 4, 3), 1);
    ASSERT_EQ(MVE_CreateLayer(5, 6, 5), 1);  // another size
    MVE_SwapLayers(5, 200);
    MVE_SwapPaintLayer(150);  // an absent PaintLayer swapped in: nothing to resize there
    MVE_IPLResize(2, 2, "Bilinear");
    int w = 0, h = 0;
    for (int i : {1, 2, 200}) {
        EXPECT_EQ(MVE_GetLayerSize(i, &w, &h), 1) << i;
        EXPECT_EQ(w, 2) << i;
        EXPECT_EQ(h, 2) << i;
    }
    // A later new size leaves every layer at 2 x 2 and reads stay inside.
    MVE_NewSize(nullptr, 5, 5, 8, 0);
    Shorts data = fenced(5 * 5 * 4);
    MVE_GetLayerData(data.data(), 200);
    EXPECT_TRUE(fence_intact(data, 100));
    MVE_IPLFlipVertical();
    MVE_WarpPointToPoint(1, 1, 3, 3, 0);
    EXPECT_EQ(MVE_GetLayerSize(200, &w, &h), 1);
    EXPECT_EQ(w * 10 + h, 22);
}

TEST_F(HostileHost, ResizeFromAOnePixelCanvas)
{
    // A constant picture stays constant: 1 x 1 red 90 to 3 x 2 everywhere.
    MVE_CreateImage(nullptr, 1, 1, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 1, 1), 1);
    const Bytes px = {90, 0, 0, 255};
    MVE_LoadRGBA32Layer(px.data(), 4, 1, 0, 0, 1, 1, 0);
    for (const char* filter : {"Lanczos3", "Bicubic", "Nearest Neighbor", "Bilinear", "Area Average"}) {
        MVE_NewSize(nullptr, 1, 1, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, 1, 1), 1);
        MVE_LoadRGBA32Layer(px.data(), 4, 1, 0, 0, 1, 1, 0);
        MVE_IPLResize(3, 2, filter);
        MVE_NewSize(nullptr, 3, 2, 8, 0);
        Shorts out = fenced(6 * 4);
        MVE_GetLayerData(out.data(), 1);
        for (int r : reds(out, 6)) EXPECT_NEAR(r, 90, 1) << filter;
    }
}

TEST_F(HostileHost, NearestNeighborAndBilinearGiveOnePicture)
{
    // 3 x 1 reds 10 20 30 to 5 x 1: sample centres (x + 0.5) * 3 / 5 =
    // 0.3, 0.9, 1.5, 2.1, 2.7 take pixels 0 0 1 2 2.
    std::vector<int> pictures[2];
    const char* names[2] = {"Nearest Neighbor", "Bilinear"};
    for (int k = 0; k < 2; ++k) {
        MVE_CreateImage(nullptr, 3, 1, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, 3, 1), 1);
        load_numbered(1, 3, 1);
        MVE_IPLResize(5, 1, names[k]);
        MVE_NewSize(nullptr, 5, 1, 8, 0);
        Shorts out(5 * 4);
        MVE_GetLayerData(out.data(), 1);
        pictures[k] = reds(out, 5);
    }
    EXPECT_EQ(pictures[0], (std::vector<int>{10, 10, 20, 30, 30}));
    EXPECT_EQ(pictures[1], pictures[0]);
}

TEST_F(HostileHost, NegativeStridesAreRefused)
{
    // Every transfer given a negative or short stride does nothing: the
    // buffer before and after is untouched, the layer unchanged.
    MVE_CreateImage(nullptr, 3, 2, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 3, 2), 1);
    MVE_SetLayer(1);
    load_numbered(1, 3, 2);
    MVE_SetViewSize(3, 2);
    for (int stride : {-12, INT_MIN, -1, 1}) {
        Bytes big(3 * 2 * 8 * 3, 0x77);
        unsigned char* mid = big.data() + big.size() / 3;  // room before and after
        MVE_GetRGBA32(mid, stride);
        MVE_GetRGB24(mid, stride);
        MVE_GetRGBA32Layer(mid, stride, 1);
        MVE_GetRGBA64Layer(reinterpret_cast<unsigned short*>(mid), stride, 1);
        MVE_ClearRGBA32(mid, stride, 1, 2, 3, 4);
        MVE_ClearRGBA64(reinterpret_cast<unsigned short*>(mid), stride, 1, 2, 3, 4);
        MVE_SaveMask(mid, stride);
        MVE_Render(mid, stride, 0, 0, 3, 2);
        for (unsigned char b : big) ASSERT_EQ(b, 0x77) << stride;
        MVE_LoadRGBA32(mid, stride, 0);
        MVE_LoadRGB24(mid, stride, 0);
        MVE_SetRGBA64Layer(reinterpret_cast<unsigned short*>(mid), stride, 1);
    }
    Shorts data(3 * 2 * 4);
    MVE_GetLayerData(data.data(), 1);
    EXPECT_EQ(reds(data, 6), (std::vector<int>{10, 20, 30, 40, 50, 60}));
}

TEST_F(HostileHost, CoordinatesNearTheIntegerLimits)
{
    MVE_CreateImage(nullptr, 4, 4, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 4, 4), 1);
    MVE_SetLayer(1);
    load_numbered(1, 4, 4);
    MVE_SetSize(8);
    MVE_SetBlendStrength(50);
    for (int v : {INT_MIN, INT_MIN + 3, INT_MAX - 3, INT_MAX}) {
        MVE_DrawDabGrit(v, v, 0xFF00, 0, 0);
        MVE_DrawDabGrit(v, 1, 0xFF00, 0, 0);
        MVE_CopyBlendBufferSurface(v, v, 0, 0);
        MVE_MixBlendBufferSurface(1, v, 100);
        MVE_DoColorBlendBuffer(v, v, 1, 2, 3, 0, 100);
        Shorts rect = fenced(2 * 2 * 4);
        EXPECT_EQ(MVE_MergeLayerIntoRect(1, rect.data(), v, v, 2, 2), 1);
        MVE_MergeRect(rect.data(), v, 1, 2, 2);
        EXPECT_TRUE(fence_intact(rect, 16));
        MVE_LoadRGBA32Layer(reinterpret_cast<unsigned char*>(rect.data()), 8, 1, v, v, 2, 2, 0);
        MVE_LoadRGBA32Layer(reinterpret_cast<unsigned char*>(rect.data()), 8, 1, 1, 1, INT_MAX, 2, 0);
        MVE_GetRGBA64LayerRect(rect.data(), 16, 1, v, v, 2, 2);
        EXPECT_TRUE(fence_intact(rect, 16));
    }
    // Every pixel the dabs and loads could have reached lies off the
    // canvas: the layer is as loaded.
    Shorts data(4 * 4 * 4);
    MVE_GetLayerData(data.data(), 1);
    std::vector<int> expected;
    for (int i = 1; i <= 16; ++i) expected.push_back((10 * i) & 0xFF);
    EXPECT_EQ(reds(data, 16), expected);
}

TEST_F(HostileHost, BlurMoreAmountIsBoundedByThePicture)
{
    // A flat 64 x 48 picture stays flat whatever the amount, and huge
    // amounts end at once.
    Bytes rgb(64 * 48 * 3 + 16, 0x42);
    std::fill(rgb.end() - 16, rgb.end(), 0xA5);
    for (int amount : {1000000, 100000000, INT_MAX, INT_MIN})
        within_a_second("MVE_BlurMoreBufferRGB24", [&] { MVE_BlurMoreBufferRGB24(rgb.data(), 64, 48, amount, 100); });
    for (std::size_t i = 0; i < 64 * 48 * 3; ++i) ASSERT_EQ(rgb[i], 0x42);
    for (std::size_t i = 64 * 48 * 3; i < rgb.size(); ++i) ASSERT_EQ(rgb[i], 0xA5);
}

TEST_F(HostileHost, ImageScriptsWithAbsurdValuesEndAtOnce)
{
    MVE_CreateImage(nullptr, 16, 16, 64, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 16, 16), 1);
    MVE_SetLayer(1);
    MVE_SetSize(40);
    const std::string dir = ::testing::TempDir();
    const std::string strip = dir + "/mve_strip.isl", absurd = dir + "/mve_absurd.isl";
    std::FILE* f = std::fopen(strip.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("ISL 1\nsize 1 4096\nfill color1=255,255,255\n", f);
    std::fclose(f);
    f = std::fopen(absurd.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("ISL 1\nsize 4096 4096\nblur radius=1000000000 passes=1000000000\n"
               "lines count=100000 thickness=1000000000\n",
               f);
    std::fclose(f);
    // A 1 x 4096 white strip resampled to the 40-pixel brush: white, so
    // the shape is not empty.
    within_a_second("strip shape", [&] {
        MVE_SetTool(1.0f, 0, 128, 128, 0, 0, 10, 0, 0, 0, 0, 0, 0, nullptr, strip.c_str(), 0);
    });
    Shorts shape(64 * 64);
    ASSERT_EQ(MVE_GetBrushShape16(shape.data()), 64 * 64);
    EXPECT_GT(shape[20 * 64 + 20], 0);
    // The absurd script is refused by the work bound: the round brush follows.
    within_a_second("absurd shape", [&] { MVE_SetBrushShape(absurd.c_str(), 0); });
    within_a_second("absurd grit", [&] {
        MVE_SetTool(1.0f, 0, 128, 128, 0, 0, 10, 0, 0, 0, 0, 0, 0, absurd.c_str(), nullptr, 0);
    });
    std::remove(strip.c_str());
    std::remove(absurd.c_str());
}
