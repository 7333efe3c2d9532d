// The undo store: saving, undo and redo, levels, budget, failures.
#include "undo/undo_fixture.h"

using namespace mve;
using namespace undo_test;

namespace {

struct UndoStoreTest : UndoFixture {};

// Paints a rectangle on the current layer, widens the dirty rectangle by it
// and saves pixels and mask.
void step(int layer, int x0, int y0, int x1, int y1, std::uint16_t v)
{
    paint(layer, x0, y0, x1, y1, v);
    undo_widen_dirty(engine(), x0, y0, x1, y1);
    MVE_SaveUndoBuffer(1, 1);
}

}  // namespace

TEST_F(UndoStoreTest, ElevenSavesKeepTenStepsAndUndoWalksBackExactly)
{
    make_canvas(16, 12, 10);
    std::vector<Snapshot> states{snapshot()};
    for (int i = 0; i < 11; ++i) {
        step(1, i, 1, i + 3, 5, static_cast<std::uint16_t>(1000 * (i + 1)));
        states.push_back(snapshot());
        expect_consistent("save");
    }
    EXPECT_EQ(MVE_GetUndoCount(), 10);
    // Ten undos reach the state after the first save; the first step is gone.
    for (int i = 10; i >= 1; --i) {
        ASSERT_EQ(MVE_CanUndo(), 1);
        MVE_Undo();
        EXPECT_TRUE(snapshot() == states[i]) << "after undo to state " << i;
        expect_consistent("undo");
    }
    EXPECT_EQ(MVE_CanUndo(), 0);
    EXPECT_EQ(MVE_GetRedoCount(), 10);
    MVE_Undo();  // nothing left: no change
    EXPECT_TRUE(snapshot() == states[1]);
    for (int i = 2; i <= 11; ++i) {
        MVE_Redo();
        EXPECT_TRUE(snapshot() == states[i]) << "after redo to state " << i;
    }
    EXPECT_EQ(MVE_CanRedo(), 0);
}

TEST_F(UndoStoreTest, SaveAfterUndoAbandonsTheRedoSteps)
{
    make_canvas(16, 12);
    step(1, 0, 0, 3, 3, 100);
    step(1, 4, 4, 9, 9, 200);
    MVE_Undo();
    ASSERT_EQ(MVE_GetRedoCount(), 1);
    ASSERT_EQ(MVE_GetUndoCount(), 2);
    step(1, 8, 2, 12, 6, 300);
    EXPECT_EQ(MVE_GetRedoCount(), 0);
    EXPECT_EQ(MVE_CanRedo(), 0);
    // The undone step's buffers are freed: two steps remain, usage follows.
    EXPECT_EQ(MVE_GetUndoCount(), 2);
    expect_consistent("after abandoning");
    // Slot 0 is the new step (8..12, 2..6), slot 1 the first (0..3, 0..3).
    EXPECT_EQ(engine().undo.slots[0].rect.x0, 8);
    EXPECT_EQ(engine().undo.slots[1].rect.x1, 3);
    EXPECT_FALSE(engine().undo.slots[2].holds_any());
}

TEST_F(UndoStoreTest, UndoAndRedoRestorePixelsAndMaskBitForBit)
{
    make_canvas(16, 12);
    const Snapshot before = snapshot();
    paint(1, 2, 3, 10, 8, 0xABCD);
    paint_mask(5, 5, 12, 11, 0x1234);
    undo_widen_dirty(engine(), 2, 3, 12, 11);
    MVE_SaveUndoBuffer(1, 1);
    const Snapshot after = snapshot();
    ASSERT_FALSE(before == after);
    MVE_Undo();
    EXPECT_TRUE(snapshot() == before);
    expect_consistent("undo");
    MVE_Redo();
    EXPECT_TRUE(snapshot() == after);
    expect_consistent("redo");
}

TEST_F(UndoStoreTest, DirtyRectangleIsClippedOrBecomesTheWholeCanvas)
{
    make_canvas(16, 12);
    // (-5, -5)..(3, 4) clips to (0, 0)..(3, 4).
    undo_widen_dirty(engine(), -5, -5, 3, 4);
    MVE_SaveUndoBuffer(1, 0);
    const Rect4 a = engine().undo.slots[0].rect;
    EXPECT_EQ(a.x0, 0);
    EXPECT_EQ(a.y0, 0);
    EXPECT_EQ(a.x1, 3);
    EXPECT_EQ(a.y1, 4);
    EXPECT_EQ(engine().undo.slots[0].pixels.size(), 4u * 5u * 4u);
    EXPECT_FALSE(engine().undo.slots[0].mask);
    // Reset to empty after the save: (15, 11, 0, 0).
    EXPECT_EQ(engine().undo.dirty.x0, 15);
    EXPECT_EQ(engine().undo.dirty.y0, 11);
    EXPECT_EQ(engine().undo.dirty.x1, 0);
    // A one-pixel-wide rectangle records the whole canvas.
    undo_widen_dirty(engine(), 3, 2, 3, 8);
    MVE_SaveUndoBuffer(0, 1);
    const Rect4 b = engine().undo.slots[0].rect;
    EXPECT_EQ(b.x0, 0);
    EXPECT_EQ(b.x1, 15);
    EXPECT_EQ(b.y1, 11);
    EXPECT_EQ(engine().undo.slots[0].mask.size(), 16u * 12u);
    EXPECT_FALSE(engine().undo.slots[0].pixels);
    // Invalidating marks (0, 0, 15, 11).
    MVE_InvalidateDirtyUndoCanvas();
    EXPECT_EQ(engine().undo.dirty.x1, 15);
    EXPECT_EQ(engine().undo.dirty.y1, 11);
}

TEST_F(UndoStoreTest, EmptyDirtyRectangleStoresAWholeCanvasStep)
{
    make_canvas(64, 48);
    // UnderLayer: 64 * 48 * 10 / 1024 = 30 KB.
    EXPECT_EQ(engine().undo.usageKB, 30);
    MVE_SaveUndoBuffer(1, 1);
    // Whole canvas: 3072 pixels * 8 bytes = 24 KB plus 3072 * 2 = 6 KB.
    EXPECT_EQ(engine().undo.slots[0].pixels.bytes() + engine().undo.slots[0].mask.bytes(), 64u * 48u * 10u);
    EXPECT_EQ(engine().undo.usageKB, 60);
    expect_consistent("whole canvas");
}

TEST_F(UndoStoreTest, SmallBudgetKeepsTheNewestStepAndFreesOlderOnes)
{
    make_canvas(512, 512, 10, 1);
    // A whole-canvas step is 512 * 512 * 10 / 1024 = 2560 KB, over the 1024 KB budget.
    MVE_SaveUndoBuffer(1, 1);
    paint(1, 0, 0, 511, 511, 7);
    MVE_SaveUndoBuffer(1, 1);
    EXPECT_EQ(MVE_GetUndoCount(), 1);
    // UnderLayer 2560 + one step 2048 + 512 KB.
    EXPECT_EQ(engine().undo.usageKB, 5120);
    EXPECT_EQ(MVE_GetCurrentUndoMemory(), 5);
    MVE_Undo();
    EXPECT_EQ(engine().layers.table[1].pixels[0], 0xFFFF);  // background white again
}

TEST_F(UndoStoreTest, BudgetDecidesHowManyStepsStay)
{
    make_canvas(64, 48, 100, 1);
    // Steps of 30 KB, UnderLayer 30 KB, budget 1024 KB: a step is added while
    // 30 + 30 m + 30 < 1024 for m held steps, i.e. m <= 32, so 33 stay.
    std::vector<Snapshot> states{snapshot()};
    for (int i = 0; i < 40; ++i) {
        paint(1, i, 0, i, 47, static_cast<std::uint16_t>(i * 11));
        MVE_SaveUndoBuffer(1, 1);
        states.push_back(snapshot());
    }
    EXPECT_EQ(MVE_GetUndoCount(), 33);
    EXPECT_EQ(engine().undo.usageKB, 30 + 33 * 30);
    expect_consistent("budget");
    for (int i = 0; i < 33; ++i) MVE_Undo();
    EXPECT_EQ(MVE_CanUndo(), 0);
    EXPECT_TRUE(snapshot() == states[40 - 33]);
}

TEST_F(UndoStoreTest, PausedStoreDoesNothingButReportsTheTruth)
{
    make_canvas(16, 12);
    step(1, 1, 1, 5, 5, 500);
    MVE_PauseUndo();
    const Snapshot now = snapshot();
    EXPECT_EQ(MVE_CanUndo(), 1);
    MVE_Undo();
    EXPECT_TRUE(snapshot() == now);
    EXPECT_EQ(MVE_GetRedoCount(), 0);
    paint(1, 0, 0, 15, 11, 9);
    MVE_SaveUndoBuffer(1, 1);
    EXPECT_EQ(MVE_GetUndoCount(), 1);
    MVE_SaveUndoBackBuffer(1);  // paused: the UnderLayer keeps the old state
    EXPECT_NE(engine().undo.under.pixels[0], 9);
    MVE_ResumeUndo();
    MVE_SaveUndoBackBuffer(1);
    EXPECT_EQ(engine().undo.under.pixels[0], 9);
}

TEST_F(UndoStoreTest, ZeroLevelsStoreNothingButKeepTheUnderLayerCurrent)
{
    make_canvas(16, 12, 0);
    step(1, 0, 0, 7, 7, 321);
    EXPECT_EQ(MVE_GetUndoCount(), 0);
    EXPECT_EQ(MVE_CanUndo(), 0);
    expect_consistent("levels 0");
    EXPECT_EQ(MVE_SetUndoLevels(900), 500);
    EXPECT_EQ(MVE_SetUndoLevels(-3), 0);
}

TEST_F(UndoStoreTest, FailedAllocationStoresNothingYetKeepsTheUnderLayerCurrent)
{
    make_canvas(16, 12);
    step(1, 0, 0, 3, 3, 10);
    step(1, 4, 4, 7, 7, 20);
    // Pixels are obtained, the mask never: the walk frees every older step,
    // then gives the pixel buffer back.
    test_hooks::fail_allocations_after(1);
    step(1, 8, 0, 12, 5, 30);
    test_hooks::fail_allocations_after(-1);
    EXPECT_EQ(MVE_GetUndoCount(), 0);
    EXPECT_EQ(MVE_CanUndo(), 0);
    expect_consistent("after failure");
    // The next step's "before" image is the state after the failed save.
    const Snapshot afterFailure = snapshot();
    step(1, 0, 6, 15, 11, 40);
    MVE_Undo();
    EXPECT_TRUE(snapshot() == afterFailure);
}

TEST_F(UndoStoreTest, UndoReducingAllocationFreesOldStepsThenGivesUp)
{
    make_canvas(64, 48, 10);
    for (int i = 0; i < 4; ++i) step(1, 0, 0, 63, 47, static_cast<std::uint16_t>(i));
    ASSERT_EQ(MVE_GetUndoCount(), 4);
    // ReduceUndo(31): the oldest whole-canvas step gives 30 KB (< 31), the
    // next one 30 more; then the total reaches 31 and two steps stay.
    MVE_ReduceUndo(31);
    EXPECT_EQ(MVE_GetUndoCount(), 2);
    EXPECT_TRUE(engine().undo.slots[1].holds_any());
    EXPECT_FALSE(engine().undo.slots[2].holds_any());
    expect_consistent("reduce");
    // Every allocation fails: the allocator frees all history, then returns null.
    test_hooks::fail_allocations_after(0);
    EXPECT_EQ(alloc_bytes_undo_reducing(100), nullptr);
    EXPECT_EQ(MVE_GetUndoCount(), 0);
    step(1, 0, 0, 63, 47, 99);  // no history now: nothing to give back
    EXPECT_EQ(alloc_shorts_undo_reducing(10), nullptr);
    EXPECT_EQ(MVE_Alloc(10), nullptr);
    test_hooks::fail_allocations_after(-1);
    EXPECT_EQ(engine().undo.usageKB, 30);
    expect_consistent("give back");
}

TEST_F(UndoStoreTest, UndoFollowsTheStepsLayer)
{
    make_canvas(16, 12);
    const Snapshot s0 = snapshot();
    step(1, 0, 0, 5, 5, 111);
    MVE_SetLayer(2);
    step(2, 3, 3, 9, 9, 222);
    MVE_Undo();
    EXPECT_EQ(MVE_GetLayerNum(), 2);
    MVE_Undo();
    EXPECT_EQ(MVE_GetLayerNum(), 1);
    EXPECT_TRUE(snapshot() == s0);
    expect_consistent("undo across layers");
    MVE_Redo();
    MVE_Redo();
    EXPECT_EQ(MVE_GetLayerNum(), 2);
    expect_consistent("redo across layers");
}

TEST_F(UndoStoreTest, StepOfADeletedLayerNeverWritesAnotherLayer)
{
    make_canvas(16, 12);
    MVE_SetLayer(2);
    step(2, 0, 0, 5, 5, 111);
    MVE_SetLayer(1);
    MVE_DeleteLayer(2);
    const Snapshot now = snapshot();
    MVE_Undo();
    EXPECT_TRUE(snapshot().layer1 == now.layer1);
    EXPECT_EQ(MVE_GetLayerNum(), 1);
    EXPECT_EQ(MVE_GetRedoCount(), 1);  // the step still counts as undone
}

TEST_F(UndoStoreTest, StartFadePutsTheUndoneChangeBackAndKeepsTheRedoDepth)
{
    make_canvas(16, 12);
    EXPECT_EQ(MVE_StartFade(), 0);
    const Snapshot s0 = snapshot();
    paint_mask(0, 0, 3, 3, 0);
    step(1, 0, 0, 7, 7, 4242);
    const Snapshot s1 = snapshot();
    MVE_Undo();
    ASSERT_TRUE(snapshot() == s0);
    EXPECT_EQ(MVE_StartFade(), 1);
    // Pixels as after the change, the mask as before it.
    EXPECT_TRUE(snapshot().layer1 == s1.layer1);
    EXPECT_TRUE(snapshot().mask == s0.mask);
    EXPECT_EQ(MVE_GetRedoCount(), 1);
    expect_consistent("fade");
    // The slot now holds the old pixels: redo brings them back, and the mask change.
    MVE_Redo();
    EXPECT_TRUE(snapshot().layer1 == s0.layer1);
    EXPECT_TRUE(snapshot().mask == s1.mask);
    MVE_UpdateFade(50);
    MVE_SetGridSpacing(3);
    MVE_EndFade();
    EXPECT_TRUE(snapshot().layer1 == s0.layer1);
}

TEST_F(UndoStoreTest, ColourAtHistoryReadsTheUnderLayerWhileUndoIsPossible)
{
    make_canvas(16, 12);
    EXPECT_EQ(MVE_GetColorAtHistory(1, 1), 0u);  // nothing to undo
    const LayerRows l = engine().layers.table[1].begin_write();
    l.row(2)[4] = 0xFFFF, l.row(2)[5] = 0, l.row(2)[6] = 0x1280, l.row(2)[7] = 0xFFFF;  // pixel (1, 2)
    undo_widen_dirty(engine(), 0, 0, 3, 3);
    MVE_SaveUndoBuffer(1, 0);
    // A 0xFF, R 0xFF, G 0x00, B 0x12.
    EXPECT_EQ(MVE_GetColorAtHistory(1, 2), 0xFFFF0012u);
    EXPECT_EQ(MVE_GetColorAtHistory(16, 0), 0xFFFFFFu);
}

TEST_F(UndoStoreTest, ClearUndoCountsOnlyTheUnderLayer)
{
    make_canvas(1024, 1024, 5);
    step(1, 0, 0, 99, 99, 5);
    MVE_ClearUndo();
    EXPECT_EQ(MVE_GetUndoCount(), 0);
    // 1024 * 1024 * 10 / 1024 / 1024 = 10 MB.
    EXPECT_EQ(MVE_GetCurrentUndoMemory(), 10);
    MVE_SetUndoMB(7);
    EXPECT_EQ(MVE_GetTotalUndoMemory(), 7);
    // Automatic: at least P * 15 KB with P = 1024 * 1024 / 1024.
    MVE_SetUndoMB(0);
    EXPECT_TRUE(engine().undo.automaticBudget);
    EXPECT_GE(engine().undo.budgetKB, 1024 * 15);
}

TEST_F(UndoStoreTest, LayerSmallerThanTheCanvasIsCopiedOnlyWhereItExists)
{
    // Layers keep their size across a canvas resize; an 8 x 6 layer on a
    // 16 x 12 canvas must be saved, undone and redone without reading or
    // writing outside its 8 x 6 pixels.
    make_canvas(16, 12);
    ASSERT_EQ(MVE_CreateLayer(3, 8, 6), 1);
    MVE_SetLayer(3);
    const Values before = copy_of(engine().layers.table[3].pixels);
    paint(3, 0, 0, 7, 5, 0x4321);
    MVE_InvalidateDirtyUndoCanvas();
    MVE_SaveUndoBuffer(1, 1);
    const Values after = copy_of(engine().layers.table[3].pixels);
    // The UnderLayer holds the layer's pixels in its top-left 8 x 6 corner.
    EXPECT_EQ(engine().undo.under.pixels[(5 * 16 + 7) * 4], 0x4321);
    MVE_Undo();
    EXPECT_EQ(copy_of(engine().layers.table[3].pixels), before);
    MVE_Redo();
    EXPECT_EQ(copy_of(engine().layers.table[3].pixels), after);
    EXPECT_EQ(engine().undo.usageKB, undo_held_usage_kb(engine()));
}
