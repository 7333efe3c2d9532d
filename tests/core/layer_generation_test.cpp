// Content generations: every export that writes a layer's pixels gives the
// layer a new generation, read-only exports leave it, and moving pixels
// between records carries the generation along.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

using namespace mve;

namespace {

constexpr int W = 6, H = 5;

// Layers 1 and 2, the second current, with undo, the processing buffers and
// a solid 2-pixel brush painting at full strength.
struct LayerGeneration : mve_test::CanvasFixture {
    void SetUp() override
    {
        make(W, H, 2);
        MVE_SetUndoLevels(4);
        MVE_SetUndoMB(8);
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
        MVE_SetSize(2);
        MVE_SetAlpha(100);
        MVE_SetMixMode(32, 0);
        Plane16& shape = engine().paint.brushShape;
        std::fill(shape.data(), shape.data() + shape.size(), 65535);
    }
    void TearDown() override
    {
        CanvasFixture::TearDown();
        MVE_SetUndoLevels(0);
    }

    static std::uint64_t generation(int index) { return engine().layers.table[index].pixels.generation(); }
};

struct Action {
    const char* name;
    std::function<void()> prepare;  // run before the generation is read
    std::function<void()> act;
};

std::vector<unsigned short> plane(unsigned short v)
{
    return std::vector<unsigned short>(static_cast<std::size_t>(W) * H * 4, v);
}

int threshold()
{
    return MVE_IPLImageProcess(0, "Basic Threshold", 1, 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               nullptr);
}

}  // namespace

TEST_F(LayerGeneration, EveryKindOfWriteTakesANewGeneration)
{
    const std::vector<unsigned char> rgba(static_cast<std::size_t>(W) * H * 4, 200);
    const std::vector<unsigned short> grey = plane(0x8000);
    const Action writes[] = {
        {"load RGBA32", nullptr, [&] { MVE_LoadRGBA32(rgba.data(), W * 4, 0); }},
        {"set layer data", nullptr, [&] { MVE_SetLayerData(grey.data(), 2); }},
        {"merge layer 1 into 2", nullptr, [] { MVE_MergeLayer(1, 2); }},
        {"dab", nullptr, [] { MVE_DrawDabGrit(2, 2, 255, 0, 0); }},
        {"clear", nullptr, [] { MVE_Clear(10, 20, 30, 255); }},
        {"effect write-back", nullptr, [] { ASSERT_EQ(threshold(), 1); }},
        {"undo",
         [&] {
             MVE_InvalidateDirtyUndoCanvas();
             MVE_SaveUndoBuffer(1, 0);
             MVE_SetLayerData(grey.data(), 2);
         },
         [] { MVE_Undo(); }},
    };
    for (const Action& w : writes) {
        SCOPED_TRACE(w.name);
        if (w.prepare) w.prepare();
        const std::uint64_t before = generation(2);
        w.act();
        EXPECT_NE(generation(2), before);
        EXPECT_NE(generation(2), 0u);
    }
}

TEST_F(LayerGeneration, ReadingLeavesTheGeneration)
{
    MVE_Clear(1, 2, 3, 255);
    const std::uint64_t before = generation(2);
    std::vector<unsigned short> out = plane(0);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(W) * H * 4);
    MVE_GetLayerData(out.data(), 2);
    MVE_Merge(out.data());
    MVE_MergeRect(out.data(), 1, 1, 3, 2);
    MVE_GetRGBA32(rgba.data(), W * 4);
    MVE_SetLayerOptions(2, 1, 0, 50, "Multiply");
    EXPECT_EQ(generation(2), before);
}

TEST_F(LayerGeneration, SwappedLayersKeepTheirGenerationsAndNewPlanesGetNewOnes)
{
    ASSERT_EQ(MVE_CreateLayer(3, W, H), 1);
    const std::uint64_t g2 = generation(2), g3 = generation(3);
    EXPECT_NE(g2, g3);  // two separately made planes never share a generation
    MVE_SwapLayers(2, 3);
    EXPECT_EQ(generation(3), g2);
    EXPECT_EQ(generation(2), g3);

    // A plane moved out of a record leaves the record with a generation of
    // its own, not the one that went with the pixels.
    LayerPixels moved = std::move(engine().layers.table[3].pixels);
    EXPECT_EQ(moved.generation(), g2);
    EXPECT_FALSE(engine().layers.table[3].pixels);
    EXPECT_NE(generation(3), g2);
    engine().layers.table[3].pixels = std::move(moved);
    EXPECT_EQ(generation(3), g2);
}
