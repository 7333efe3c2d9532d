// Undo and redo as a host drives them through the public header.
#include <gtest/gtest.h>

#include <vector>

#include "morvane/morvane.h"

namespace {

using Plane = std::vector<unsigned short>;

struct UndoApiTest : ::testing::Test {
    int w = 0, h = 0;
    void make(int width, int height, int levels, int mb)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        MVE_SetLayer(1);
        MVE_SetUndoLevels(levels);
        MVE_SetUndoMB(mb);
    }
    Plane layer() const
    {
        Plane p(static_cast<std::size_t>(w) * h * 4);
        MVE_GetLayerData(p.data(), 1);
        return p;
    }
    // A whole-canvas change recorded as the host does after an effect.
    void change(unsigned short v)
    {
        Plane p(static_cast<std::size_t>(w) * h * 4, v);
        MVE_SetLayerData(p.data(), 1);
        MVE_InvalidateDirtyUndoCanvas();
        MVE_SaveUndoBuffer(1, 1);
    }
    void TearDown() override
    {
        MVE_DeleteImage();
        MVE_SetUndoLevels(0);
    }
};

}  // namespace

TEST_F(UndoApiTest, TenLevelsKeepTheNewestTenOfElevenSteps)
{
    make(32, 24, 10, 64);
    std::vector<Plane> states{layer()};
    for (int i = 1; i <= 11; ++i) {
        change(static_cast<unsigned short>(i * 1000));
        states.push_back(layer());
    }
    EXPECT_EQ(MVE_GetUndoCount(), 10);
    for (int i = 10; i >= 1; --i) {
        MVE_Undo();
        ASSERT_EQ(layer(), states[i]) << i;
    }
    EXPECT_EQ(MVE_CanUndo(), 0);
    EXPECT_EQ(MVE_GetRedoCount(), 10);
    MVE_Redo();
    EXPECT_EQ(layer(), states[2]);
    // A new step abandons the nine remaining redo steps.
    change(7);
    EXPECT_EQ(MVE_GetRedoCount(), 0);
    EXPECT_EQ(MVE_GetUndoCount(), 2);
}

TEST_F(UndoApiTest, UsageFiguresInMegabytes)
{
    make(1024, 1024, 5, 64);
    // UnderLayer 1024 * 1024 * 10 / 1024 / 1024 = 10 MB.
    EXPECT_EQ(MVE_GetCurrentUndoMemory(), 10);
    change(3);  // plus a whole-canvas step of 10 MB
    EXPECT_EQ(MVE_GetCurrentUndoMemory(), 20);
    MVE_ClearUndo();
    EXPECT_EQ(MVE_GetCurrentUndoMemory(), 10);
    EXPECT_EQ(MVE_GetTotalUndoMemory(), 64);
}

TEST_F(UndoApiTest, OneMegabyteBudgetStillKeepsTheNewestStep)
{
    make(640, 480, 20, 1);
    // Each step is 640 * 480 * 10 / 1024 = 3000 KB, over the budget.
    change(1);
    change(2);
    change(3);
    EXPECT_EQ(MVE_GetUndoCount(), 1);
    MVE_Undo();
    EXPECT_EQ(layer()[0], 2);
    EXPECT_EQ(MVE_CanUndo(), 0);
}

TEST_F(UndoApiTest, PauseStopsUndoButNotTheAnswers)
{
    make(16, 16, 4, 64);
    change(10);
    MVE_PauseUndo();
    EXPECT_EQ(MVE_CanUndo(), 1);
    MVE_Undo();
    EXPECT_EQ(layer()[0], 10);
    MVE_ResumeUndo();
    MVE_Undo();
    EXPECT_EQ(layer()[0], 0xFFFF);
    EXPECT_EQ(MVE_CanRedo(), 1);
}

TEST_F(UndoApiTest, HistoryColourIsTheBackBufferWhileUndoIsPossible)
{
    make(4, 4, 4, 64);
    EXPECT_EQ(MVE_GetColorAtHistory(0, 0), 0u);
    // Opaque pure red (0xFFFF, 0, 0, 0xFFFF) packs to 0xFFFF0000.
    Plane p(4 * 4 * 4, 0);
    for (int i = 0; i < 16; ++i) p[i * 4] = 0xFFFF, p[i * 4 + 3] = 0xFFFF;
    MVE_SetLayerData(p.data(), 1);
    MVE_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MVE_GetColorAtHistory(2, 3), 0xFFFF0000u);
    EXPECT_EQ(MVE_GetColorAtHistory(-1, 0), 0xFFFFFFu);
    MVE_Undo();  // nothing left to undo
    EXPECT_EQ(MVE_GetColorAtHistory(2, 3), 0u);
}
