// Engine-level rules of the processing buffers and the geometry loop: buffer
// reuse, lock alpha saved and restored, the Trace layer untouched, which
// operations mark the canvas dirty, and allocation failures.
#include <gtest/gtest.h>

#include <vector>

#include "core/memory.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace {

using namespace mve;

struct IplGeometryTest : ::testing::Test {
    void SetUp() override
    {
        MVE_IPLInit(0);
        MVE_CreateImage(nullptr, 3, 2, 8, 0);
        MVE_CreateLayer(0, 3, 2);  // the Trace image
        MVE_CreateLayer(1, 3, 2);
        MVE_CreateLayer(2, 3, 2);
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetLayer(2);
        MVE_EnableMask(0);
    }
    void TearDown() override
    {
        test_hooks::fail_allocations_after(-1);
        MVE_DeleteImage();
    }
    Engine& e = engine();
};

TEST_F(IplGeometryTest, AllocationReusesBuffersOfTheSameSize)
{
    MVE_IPLAllocSrcBuffer32();
    const std::uint8_t* first = e.ipl.src32.data();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(e.ipl.src32.bytes(), 3u * 2 * 4);
    // Change the layer, allocate again: same block, refreshed contents.
    std::vector<std::uint8_t> red(3 * 2 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4) red[i] = 255, red[i + 3] = 255;
    MVE_LoadRGBA32(red.data(), 12, 0);
    MVE_IPLAllocSrcBuffer32();
    EXPECT_EQ(e.ipl.src32.data(), first);
    EXPECT_EQ(e.ipl.src32[0], 255);
    EXPECT_EQ(e.ipl.src32[3], 255);
    MVE_IPLFreeSrcBuffer32();
    EXPECT_FALSE(e.ipl.src32);
    MVE_IPLAllocSrcBuffer24();
    EXPECT_EQ(e.ipl.src24.bytes(), 3u * 2 * 3);
    EXPECT_EQ(e.ipl.src24[0], 255);

    // Work buffers: out-of-range indices do nothing; a size change with the
    // same W * H keeps the buffer, another size replaces it.
    MVE_IPLAllocWrkBuffer(4);
    MVE_IPLAllocWrkBuffer(-1);
    MVE_IPLFreeWrkBuffer32(7);
    for (const Plane8& slot : e.ipl.work) EXPECT_FALSE(slot);
    MVE_IPLAllocWrkBuffer(1);
    const std::uint8_t* work = e.ipl.work[1].data();
    ASSERT_NE(work, nullptr);
    MVE_NewSize(nullptr, 2, 3, 8, 0);  // 6 pixels as before
    MVE_IPLAllocWrkBuffer(1);
    EXPECT_EQ(e.ipl.work[1].data(), work);
    MVE_NewSize(nullptr, 4, 3, 8, 0);
    MVE_IPLAllocWrkBuffer(1);
    EXPECT_EQ(e.ipl.work[1].bytes(), 4u * 3 * 4);
    MVE_IPLFreeAllWrkBuffer32();
    EXPECT_FALSE(e.ipl.work[1]);
}

TEST_F(IplGeometryTest, LockAlphaGetsNewAlphaAndIsRestored)
{
    // Layer 2: column 0 opaque, the rest alpha 0x80 (high byte 128).
    std::vector<std::uint8_t> px(3 * 2 * 4, 60);
    for (int k = 0; k < 6; ++k) px[k * 4 + 3] = k % 3 == 0 ? 255 : 128;
    MVE_LoadRGBA32Layer(px.data(), 12, 2, 0, 0, 3, 2, 0);
    MVE_SetLayerOptions(2, 1, 1, 100, "Normal");
    ASSERT_EQ(e.layers.table[2].lockAlpha, 1);
    MVE_IPLRotateRight();
    // Clockwise 3 x 2 -> 2 x 3: output (x, 0) comes from source column 0 of
    // rows 1, 0 (both opaque); rows 1 and 2 from columns 1 and 2 (alpha 128).
    const LayerRecord& l = e.layers.table[2];
    ASSERT_EQ(l.width, 2);
    ASSERT_EQ(l.height, 3);
    EXPECT_EQ(l.lockAlpha, 1);
    EXPECT_EQ(l.pixels[3], 255 << 8);
    EXPECT_EQ(l.pixels[(1 * 2) * 4 + 3], 128 << 8);
    // The Trace layer keeps its size through every operation.
    MVE_IPLResize(5, 5, "Bicubic");
    MVE_IPLCrop(0, 0, 1, 1);
    EXPECT_EQ(e.layers.table[0].width, 3);
    EXPECT_EQ(e.layers.table[0].height, 2);
    EXPECT_EQ(e.layers.table[2].lockAlpha, 1);
}

TEST_F(IplGeometryTest, FlipWithLockAlphaFlipsAlphaToo)
{
    std::vector<std::uint8_t> px(3 * 2 * 4, 60);
    for (int k = 0; k < 6; ++k) px[k * 4 + 3] = static_cast<std::uint8_t>(k * 40 + 10);
    MVE_LoadRGBA32Layer(px.data(), 12, 2, 0, 0, 3, 2, 0);
    MVE_SetLayerOptions(2, 1, 1, 100, "Normal");
    MVE_IPLFlipHorizontal();
    // Pixel (0, 0) now holds source (2, 0): alpha 2 * 40 + 10 = 90.
    EXPECT_EQ(e.layers.table[2].pixels[3], 90 << 8);
    EXPECT_EQ(e.layers.table[2].lockAlpha, 1);
}

TEST_F(IplGeometryTest, DirtyMarkingRules)
{
    const Rect4 all{0, 0, 2, 1};
    auto is_all = [&] {
        const Rect4& d = e.undo.dirty;
        return d.x0 == all.x0 && d.y0 == all.y0 && d.x1 == all.x1 && d.y1 == all.y1;
    };
    MVE_ClearUndo();
    e.undo.dirty = Rect4{2, 1, 0, 0};
    MVE_IPLResize(3, 2, "Lanczos3");
    MVE_IPLResizePage(3, 2, "TL", 0, 0, 0);
    EXPECT_FALSE(is_all());  // resize and resize page do not mark
    MVE_IPLFlipVertical();
    EXPECT_TRUE(is_all());
    e.undo.dirty = Rect4{2, 1, 0, 0};
    MVE_IPLCrop(-5, -5, 1, 1);  // fails for every layer, still marks
    EXPECT_TRUE(is_all());
    e.undo.dirty = Rect4{2, 1, 0, 0};
    MVE_WarpPointToPoint(0, 0, 1, 1, 0);  // without buffers: nothing but the mark
    EXPECT_TRUE(is_all());
}

TEST_F(IplGeometryTest, PanLeavesTheUncoveredStripTransparent)
{
    std::vector<std::uint8_t> px(3 * 2 * 4, 200);
    MVE_LoadRGBA32(px.data(), 12, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_IPLPan(0, 1, 0, 9, 9, 9, 9, false);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(e.ipl.dst32.read()[x * 4 + 3], 0) << x;  // row 0 uncovered
    EXPECT_EQ(e.ipl.dst32.read()[12 + 3], 200);
    // Background mode (4): the uncovered row takes (r, g, b, a).
    MVE_IPLPan(0, 1, 4, 1, 2, 3, 4, false);
    EXPECT_EQ(e.ipl.dst32.read()[0], 1);
    EXPECT_EQ(e.ipl.dst32.read()[3], 4);
}

TEST_F(IplGeometryTest, FailedAllocationsLeaveLayersAlone)
{
    const std::vector<std::uint16_t> before(e.layers.table[2].pixels.data(), e.layers.table[2].pixels.data() + 24);
    test_hooks::fail_allocations_after(0);
    MVE_IPLResize(6, 4, "Lanczos3");
    MVE_IPLRotateLeft();
    MVE_IPLAllocDstBuffer32();
    test_hooks::fail_allocations_after(-1);
    EXPECT_EQ(e.layers.table[2].width, 3);
    EXPECT_EQ(std::vector<std::uint16_t>(e.layers.table[2].pixels.data(), e.layers.table[2].pixels.data() + 24), before);
    EXPECT_FALSE(e.ipl.dst32.read());
    EXPECT_STREQ(MVE_GetLastError(), "IPLAllocDstBuffer32 Excpt");
}

}  // namespace
