#include "undo/undo_store.h"

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "platform/system_info.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

long long slot_area(const UndoSlot& slot) noexcept
{
    return static_cast<long long>(slot.rect.x1 - slot.rect.x0 + 1) * (slot.rect.y1 - slot.rect.y0 + 1);
}

void lower_usage(UndoStore& store, long long kb) noexcept { store.usageKB = std::max(0LL, store.usageKB - kb); }

// Drops the steps that were undone and not redone; they can never come back
// once a new step is recorded.
void remove_abandoned_steps(Engine& e)
{
    UndoStore& store = e.undo;
    const int depth = store.redoDepth;
    if (depth <= 0) return;
    for (int i = 0; i < depth && i < kUndoSlotCount; ++i) release_slot(store, store.slots[i], e.mask.enabled);
    const int levels = std::min(store.levels, kUndoSlotCount);
    for (int n = depth; n < levels; ++n) {
        store.slots[n - depth] = std::move(store.slots[n]);
        store.slotLayer[n - depth] = store.slotLayer[n];
    }
    for (int n = std::max(levels - depth, 0); n < levels; ++n) {
        store.slots[n] = UndoSlot{};
        store.slots[n].maskEnabled = e.mask.enabled;
        store.slotLayer[n] = 0;
    }
    store.redoDepth = 0;
}

}  // namespace

long long underlayer_usage_kb(const CanvasState& canvas) noexcept
{
    return static_cast<long long>(canvas.width) * canvas.height * 10 / 1024;
}

void release_slot(UndoStore& store, UndoSlot& slot, std::uint8_t maskEnabled) noexcept
{
    const long long area = slot_area(slot);
    if (slot.pixels) lower_usage(store, area * 8 / 1024);
    if (slot.mask) lower_usage(store, area * 2 / 1024);
    slot = UndoSlot{};
    slot.maskEnabled = maskEnabled;
}

void release_undo_planes(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    store.under.pixels.reset();
    store.under.mask.reset();
    store.under.maskEnabled = e.mask.enabled;
    store.under.rect = Rect4{};
    for (auto& slot : store.slots) {
        slot = UndoSlot{};
        slot.maskEnabled = e.mask.enabled;
    }
}

bool allocate_underlayer(Engine& e) noexcept
{
    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    return e.undo.under.pixels.allocate(pixels * 4) && e.undo.under.mask.allocate(pixels);
}

void save_undo_back_buffer(Engine& e, int index) noexcept
{
    if (e.undo.paused || !valid_layer_index(index)) return;
    LayerRecord& layer = e.layers.table[index];
    UnderLayer& under = e.undo.under;
    if (layer.pixels && under.pixels)
        std::memcpy(under.pixels.data(), layer.pixels.data(), std::min(layer.pixels.bytes(), under.pixels.bytes()));
    if (e.mask.plane && under.mask)
        std::memcpy(under.mask.data(), e.mask.plane.data(), std::min(e.mask.plane.bytes(), under.mask.bytes()));
}

void update_automatic_budget(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    if (!store.automaticBudget) return;
    const platform::MemoryStatus status = platform::memory_status();
    const long long freeKB =
        static_cast<long long>(std::min(status.availPhysical, status.availPageFile) / 1024);
    const double x = freeKB * 0.85 + static_cast<double>(store.usageKB);
    const long long p = static_cast<long long>(e.canvas.width) * e.canvas.height / 1024;
    store.budgetKB = static_cast<long long>(x) - p * 20;
    if (store.budgetKB < p * 15) store.budgetKB = p * 15;
}

bool undo_has_history() noexcept { return MVE_CanUndo() || MVE_CanRedo(); }

int undo_held_steps() noexcept
{
    int held = 0;
    for (const auto& slot : engine().undo.slots) held += slot.holds_any() ? 1 : 0;
    return held;
}

bool undo_give_back(unsigned kb) noexcept
{
    if (!undo_has_history()) return false;
    const int before = undo_held_steps();
    MVE_ReduceUndo(static_cast<int>(kb));
    if (undo_held_steps() < before) return true;
    // Asked for less than one step's worth: free the oldest step anyway so the
    // caller's retry loop always makes progress.
    Engine& e = engine();
    for (int n = kUndoSlotCount - 1; n >= 0; --n) {
        if (e.undo.slots[n].holds_any()) {
            release_slot(e.undo, e.undo.slots[n], e.mask.enabled);
            return true;
        }
    }
    return false;
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_ClearUndo(void)
{
    guarded("ClearUndo Excpt", [] {
        Engine& e = engine();
        UndoStore& store = e.undo;
        store.dirty = Rect4{e.canvas.width - 1, e.canvas.height - 1, 0, 0};
        store.paused = 0;
        store.redoDepth = 0;
        for (auto& slot : store.slots) {
            slot = UndoSlot{};
            slot.maskEnabled = e.mask.enabled;
        }
        store.usageKB = underlayer_usage_kb(e.canvas);
        save_undo_back_buffer(e, e.layers.currentIndex);
        update_automatic_budget(e);
    });
}

MVE_API void MVE_EndFade(void) {}

MVE_API int MVE_GetTotalUndoMemory(void)
{
    Engine& e = engine();
    update_automatic_budget(e);
    return static_cast<int>(e.undo.budgetKB / 1024);
}

MVE_API int MVE_GetCurrentUndoMemory(void) { return static_cast<int>(engine().undo.usageKB / 1024); }

MVE_API int MVE_CanUndo(void)
{
    const UndoStore& store = engine().undo;
    return store.redoDepth < store.levels && store.redoDepth < kUndoSlotCount &&
                   store.slots[store.redoDepth].holds_any()
               ? 1
               : 0;
}

MVE_API int MVE_CanRedo(void) { return engine().undo.redoDepth != 0 ? 1 : 0; }

MVE_API void MVE_ReduceUndo(int kb)
{
    guarded("ReduceUndo Excpt", [kb] {
        Engine& e = engine();
        remove_abandoned_steps(e);
        UndoStore& store = e.undo;
        long long total = 0;
        for (int n = std::min(store.levels, kUndoSlotCount) - 1; n >= 0; --n) {
            UndoSlot& slot = store.slots[n];
            if (!slot.pixels) continue;
            if (total >= kb) break;
            const long long freed = slot_area(slot) * 10 / 1024;
            slot = UndoSlot{};
            slot.maskEnabled = e.mask.enabled;
            lower_usage(store, freed);
            total += freed;
        }
    });
}

}  // extern "C"
