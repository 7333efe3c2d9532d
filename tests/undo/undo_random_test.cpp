// A seeded random walk through saves, undos, redos, layer switches, budget
// and level changes, step reductions and allocation failures, checked after
// every operation against a plain model: the list of canvas states the host
// saw after each save, with a cursor. Whatever the store had to drop, the
// steps it still holds must lead back through exactly those states.
#include "undo/undo_fixture.h"

#include <algorithm>
#include <random>

using namespace mve;
using namespace undo_test;

namespace {

constexpr int kWidth = 16, kHeight = 12;

struct Model {
    std::vector<Snapshot> states;  // oldest first
    std::size_t cursor = 0;        // the state the canvas shows

    void reset() { states = {snapshot()}, cursor = 0; }
    int redo() const { return static_cast<int>(states.size() - 1 - cursor); }
    int undo() const { return static_cast<int>(cursor); }

    // Follows what the store dropped: all redo steps (a reduction or a new
    // save abandons them) and the oldest undo steps (budget, failures).
    void sync(const char* op, unsigned seed)
    {
        const int storeRedo = MVE_GetRedoCount();
        const int storeUndo = MVE_GetUndoCount() - storeRedo;
        ASSERT_TRUE(storeRedo == redo() || storeRedo == 0) << op << " seed " << seed;
        ASSERT_LE(storeUndo, undo()) << op << " seed " << seed;
        states.resize(cursor + 1 + static_cast<std::size_t>(storeRedo));
        const std::size_t drop = cursor - static_cast<std::size_t>(storeUndo);
        states.erase(states.begin(), states.begin() + static_cast<long>(drop));
        cursor -= drop;
    }
};

// Held steps are contiguous from slot 0: a hole would hide older steps.
void expect_contiguous_slots()
{
    const auto& slots = engine().undo.slots;
    int held = MVE_GetUndoCount();
    for (int n = 0; n < held; ++n) ASSERT_TRUE(slots[n].holds_any()) << "hole at slot " << n;
}

struct UndoRandomTest : UndoFixture {};

}  // namespace

TEST_F(UndoRandomTest, RandomSequencesMatchTheModel)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        make_canvas(kWidth, kHeight, 6 + static_cast<int>(seed % 3) * 4, 64);
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Model model;
        model.reset();
        int undone = 0;  // undos that had a step to undo
        for (int op = 0; op < 700; ++op) {
            const int kind = pick(0, 99);
            const char* name = "";
            if (kind < 45) {
                name = "paint and save";
                const int layer = MVE_GetLayerNum();
                const int x0 = pick(0, kWidth - 1), y0 = pick(0, kHeight - 1);
                const int x1 = pick(x0, kWidth - 1), y1 = pick(y0, kHeight - 1);
                paint(layer, x0, y0, x1, y1, static_cast<std::uint16_t>(pick(0, 65535)));
                const bool maskToo = pick(0, 2) == 0;
                if (maskToo) paint_mask(x0, y0, x1, y1, static_cast<std::uint16_t>(pick(0, 65535)));
                const int how = pick(0, 3);  // widen, widen wider, invalidate all, leave empty
                if (how == 0) undo_widen_dirty(engine(), x0, y0, x1, y1);
                if (how == 1) undo_widen_dirty(engine(), x0 - 3, y0 - 2, x1 + 4, y1 + 5);
                if (how == 2) MVE_InvalidateDirtyUndoCanvas();
                const bool fail = pick(0, 9) == 0;
                if (fail) test_hooks::fail_allocations_after(pick(0, 1));
                MVE_SaveUndoBuffer(1, maskToo || pick(0, 1) ? 1 : 0x100);  // 0x100: low byte 0
                test_hooks::fail_allocations_after(-1);
                model.states.resize(model.cursor + 1);
                model.states.push_back(snapshot());
                model.cursor++;
            } else if (kind < 65) {
                name = "undo";
                const bool could = MVE_CanUndo();
                const Snapshot before = snapshot();
                MVE_Undo();
                if (could) {
                    ++undone;
                    ASSERT_GT(model.cursor, 0u) << "seed " << seed << " op " << op;
                    model.cursor--;
                } else {
                    ASSERT_TRUE(snapshot() == before) << "seed " << seed << " op " << op;
                }
            } else if (kind < 85) {
                name = "redo";
                if (MVE_CanRedo()) model.cursor++;
                MVE_Redo();
            } else if (kind < 89) {
                name = "switch layer";
                // Switching refreshes the UnderLayer; every change is saved, so nothing is lost.
                MVE_SetLayer(pick(1, 2));
            } else if (kind < 93) {
                name = "budget";
                const int choice = pick(0, 2);
                if (choice == 0) MVE_SetUndoMB(0);   // automatic: ample here
                if (choice == 1) MVE_SetUndoMB(64);
                if (choice == 2) {
                    // A budget of a few KB (whole-canvas steps here count 1 KB,
                    // the UnderLayer 1 KB): the walk must free steps to fit.
                    MVE_SetUndoMB(1);
                    engine().undo.budgetKB = pick(0, 6);
                }
            } else if (kind < 97) {
                name = "reduce";
                MVE_ReduceUndo(pick(0, 2));
            } else if (kind < 99) {
                name = "allocation pressure";
                test_hooks::fail_allocations_after(0);
                EXPECT_EQ(alloc_bytes_undo_reducing(pick(1, 3000)), nullptr);
                test_hooks::fail_allocations_after(-1);
            } else {
                name = "levels";
                MVE_SetUndoLevels(pick(1, 12));
                model.reset();
            }
            model.sync(name, seed);
            ASSERT_TRUE(snapshot() == model.states[model.cursor]) << name << " seed " << seed << " op " << op;
            expect_consistent(name);
            expect_contiguous_slots();
            if (HasFailure()) return;
        }
        // The walk must have exercised the history, not only empty undos.
        EXPECT_GT(undone, 40) << "seed " << seed;
        // Walk the whole remaining history back and forth.
        while (MVE_CanUndo()) {
            MVE_Undo();
            model.cursor--;
            ASSERT_TRUE(snapshot() == model.states[model.cursor]) << "final undo, seed " << seed;
        }
        while (MVE_CanRedo()) {
            MVE_Redo();
            model.cursor++;
            ASSERT_TRUE(snapshot() == model.states[model.cursor]) << "final redo, seed " << seed;
        }
        TearDown();
    }
}
