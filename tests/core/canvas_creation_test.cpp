// Canvas creation never leaves a plane behind with another canvas's size.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve {
namespace {

// Every per-canvas plane of the paint resources is either absent or made
// for the maximum brush size now stored.
void expect_planes_follow_brush_size(const Engine& e)
{
    const std::size_t m = static_cast<std::size_t>(e.canvas.maxBrushSize);
    if (e.paint.brushShape) EXPECT_EQ(e.paint.brushShape.size(), m * m);
    for (const Plane8& g : e.paint.gritPatterns)
        if (g) EXPECT_EQ(g.size(), (m + 25) * (m + 25));
    for (const BlendBuffer& b : e.blend.records)
        if (b.pixels) EXPECT_EQ(b.side, static_cast<int>(m));
}

TEST(CanvasCreation, AFailureMidwayFreesEveryPlane)
{
    MVE_CreateImage(nullptr, 8, 8, 32, 0);
    ASSERT_TRUE(engine().paint.brushShape);
    // The second creation fails at each allocation in turn.
    for (long successes = 0; successes < 30; ++successes) {
        test_hooks::fail_allocations_after(successes);
        MVE_CreateImage(nullptr, 8, 8, 48, 0);
        test_hooks::fail_allocations_after(-1);
        expect_planes_follow_brush_size(engine());
        // What follows a failed creation works on what is there.
        ASSERT_EQ(MVE_CreateLayer(1, 8, 8), 1);
        MVE_SetLayer(1);
        MVE_SetSize(48);
        MVE_SetTool(1.0f, 3, 128, 128, 0, 0, 10, 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0);
        MVE_SetBrushShape(nullptr, 0);
        MVE_DrawDabGrit(4, 4, 0xFF00, 0, 0);
        MVE_CopyBlendBufferSurface(4, 4, 0, 0);
        MVE_CreateImage(nullptr, 8, 8, 32, 0);
    }
}

TEST(CanvasCreation, ARefusedBrushSizeChangesNothing)
{
    MVE_CreateImage(nullptr, 6, 5, 16, 0);
    MVE_CreateImage(nullptr, 9, 9, -3, 0);
    EXPECT_STREQ(MVE_GetLastError(), "CreateImage Excpt");
    EXPECT_EQ(engine().canvas.width * 10 + engine().canvas.height, 65);
    EXPECT_EQ(engine().canvas.maxBrushSize, 16);
    expect_planes_follow_brush_size(engine());
}

}  // namespace
}  // namespace mve
