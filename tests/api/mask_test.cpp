// The Mask and the stored formats through the public interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Shorts = std::vector<unsigned short>;

using MaskApiTest = mve_test::CanvasFixture;

TEST_F(MaskApiTest, FreshMaskPassesEverything)
{
    make(3, 2);
    Bytes pic(3 * 3 * 2, 0x77);
    MVE_SaveMask(pic.data(), 9);
    EXPECT_EQ(pic, Bytes(18, 0));  // black: everything passes
    EXPECT_EQ(mask(), Shorts(6, 65535));
    EXPECT_EQ(MVE_GetMask64(2, 1), 0);  // 65535 - 65535
}

TEST_F(MaskApiTest, InvertTwiceAndHalfAlpha)
{
    make(2, 1);
    const Shorts in = {0x8000, 0x0123};
    MVE_SetMaskData16(in.data());
    MVE_InvertMask();
    EXPECT_EQ(mask(), (Shorts{0x7FFF, 0xFEDC}));
    MVE_InvertMask();
    EXPECT_EQ(mask(), in);
    // 0x8000: high byte 128, alpha 200 * 129 >> 8 = 100; 0x0123: h = 1, 200 * 2 >> 8 = 1.
    Bytes rgba = {1, 2, 3, 200, 1, 2, 3, 200};
    MVE_ApplyMaskToAlpha_RGBA32(rgba.data());
    EXPECT_EQ(rgba, (Bytes{1, 2, 3, 100, 1, 2, 3, 1}));
}

TEST_F(MaskApiTest, HueSelectionThenCombine)
{
    make(4, 1);
    // Reds at hues 0, 350.1 and 14.8 are within 18 degrees of red; blue (240) is not.
    const Bytes pic = {255, 0, 0, 255, 255, 0, 42, 255, 255, 63, 0, 255, 0, 0, 255, 255};
    MVE_CreateMaskFromRGBAImageHueRange(pic.data(), 255, 0, 0, 10, 0);
    EXPECT_EQ(mask(), (Shorts{65280, 65280, 65280, 65535}));
    // "Replace" with a black picture changes nothing; with grey 64 gives 65280 - 16384.
    const Bytes black(12, 0);
    MVE_CombineMask(black.data(), 12, 0, 0, "Replace");
    EXPECT_EQ(mask(), (Shorts{65280, 65280, 65280, 65535}));
    const Bytes grey = {0, 0, 0, 64, 64, 64, 0, 0, 0, 0, 0, 0};
    MVE_CombineMask(grey.data(), 12, 0, 0, "Replace");
    EXPECT_EQ(mask(), (Shorts{65280, 48896, 65280, 65535}));
}

TEST_F(MaskApiTest, MaskAndLayerStoreAndRestore)
{
    make(5, 3);
    Shorts values(15);
    for (int i = 0; i < 15; ++i) values[i] = static_cast<unsigned short>((i % 4) * 0x4000);
    MVE_SetMaskData16(values.data());
    const Bytes rgba = [] {
        Bytes b(5 * 3 * 4);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i % 3 ? 200 : 10);
        return b;
    }();
    MVE_LoadRGBA32Layer(rgba.data(), 20, 1, 0, 0, 5, 3, 0);

    std::vector<Bytes> maskLines(3, Bytes(10)), layerLines(3, Bytes(25));
    std::vector<int> maskLen(3), layerLen(3);
    for (int y = 0; y < 3; ++y) {
        maskLen[y] = MVE_GetMaskLineRLE(maskLines[y].data(), y);
        layerLen[y] = MVE_GetRGBA32LayerLineRLE(layerLines[y].data(), 1, y);
        ASSERT_GT(maskLen[y], 0);
        ASSERT_GT(layerLen[y], 0);
    }
    Bytes blockBuf(1000);
    const int blockLen = MVE_GetRGBA32LayerCompressed(blockBuf.data(), 0, 1000, 1, 0);
    ASSERT_GT(blockLen, 0);

    // A fresh canvas: restore the Mask by lines and the layer from the block
    // into layer 1 and from the lines into layer 2; all must match.
    MVE_DeleteImage();
    make(5, 3);
    ASSERT_EQ(MVE_CreateLayer(2, 5, 3), 1);
    for (int y = 0; y < 3; ++y) {
        MVE_PutMaskLineRLE(maskLines[y].data(), y);
        MVE_PutRGBA32LayerLineRLE(layerLines[y].data(), 2, y);
    }
    MVE_LoadRGBA32LayerCompressed(blockBuf.data(), 0, blockLen, 1);
    EXPECT_EQ(mask(), values);
    Bytes back1(60), back2(60);
    MVE_GetRGBA32Layer(back1.data(), 20, 1);
    MVE_GetRGBA32Layer(back2.data(), 20, 2);
    EXPECT_EQ(back1, rgba);
    EXPECT_EQ(back2, rgba);
}

TEST_F(MaskApiTest, CorruptBlockReportsItsText)
{
    make(2, 2);
    const Bytes junk = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF};
    MVE_SetLastError("");
    MVE_LoadRGBA32LayerCompressed(junk.data(), 0, 6, 1);
    EXPECT_EQ(std::string(MVE_GetLastError()), "LoadRGBA32LayerCompressed Excpt");
}

}  // namespace
