// The undo budget, the usage figures and the hand-back of steps to the
// undo-reducing allocation.
#include <algorithm>

#include "core/guard.h"
#include "morvane/morvane.h"
#include "platform/system_info.h"
#include "undo/undo_store.h"

namespace mve {

void update_automatic_budget(Engine& e) noexcept
{
    UndoStore& store = e.undo;
    if (!store.automaticBudget) return;
    // free = the smaller of available physical and page-file memory, in KB;
    // budget = truncate(free * 0.85 + usage) - P * 20, at least P * 15,
    // with P = width * height / 1024 (so 20 and 15 are KB per 1024 pixels).
    const platform::MemoryStatus status = platform::memory_status();
    const long long freeKB = static_cast<long long>(std::min(status.availPhysical, status.availPageFile) / 1024);
    const double x = static_cast<double>(freeKB) * 0.85 + static_cast<double>(store.usageKB);
    const long long p = static_cast<long long>(e.canvas.width) * e.canvas.height / 1024;
    store.budgetKB = static_cast<long long>(x) - p * 20;
    if (store.budgetKB < p * 15) store.budgetKB = p * 15;
}

long long undo_held_usage_kb(const Engine& e) noexcept
{
    const UndoStore& store = e.undo;
    long long kb = (store.under.pixels || store.under.mask) ? underlayer_usage_kb(e.canvas) : 0;
    for (const UndoSlot& slot : store.slots) {
        const long long area = slot_area(slot);
        if (slot.pixels) kb += area * 8 / 1024;
        if (slot.mask) kb += area * 2 / 1024;
    }
    return kb;
}

bool undo_has_history() noexcept
{
    const UndoStore& store = engine().undo;
    return undo::can_undo(store) || undo::can_redo(store);
}

int undo_held_steps() noexcept
{
    int held = 0;
    for (const auto& slot : engine().undo.slots) held += slot.holds_any() ? 1 : 0;
    return held;
}

bool undo_give_back(unsigned kb) noexcept
{
    Engine& e = engine();
    // A save, undo or redo in progress holds references into the slots; its
    // own walk frees steps where it needs room.
    if (e.undo.busy) return false;
    if (!undo_has_history()) return false;
    const int before = undo_held_steps();
    undo::reduce(e, static_cast<int>(std::min<unsigned>(kb, 0x7FFFFFFF)));
    if (undo_held_steps() < before) return true;
    // Asked for less than one step's worth (or 0 KB): free the oldest step
    // anyway so that the caller's retry loop always makes progress.
    for (int n = kUndoSlotCount - 1; n >= 0; --n) {
        if (e.undo.slots[n].holds_any()) {
            release_slot(e.undo, e.undo.slots[n], e.mask.enabled);
            return true;
        }
    }
    return false;
}

namespace undo {

void set_budget_mb(Engine& e, int mb) noexcept
{
    if (mb == 0) {
        e.undo.automaticBudget = true;
        update_automatic_budget(e);
        return;
    }
    e.undo.automaticBudget = false;
    e.undo.budgetKB = static_cast<long long>(mb) * 1024;
}

int total_memory_mb(Engine& e) noexcept
{
    update_automatic_budget(e);
    return static_cast<int>(e.undo.budgetKB / 1024);
}

}  // namespace undo

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetUndoMB(int mb)
{
    undo::set_budget_mb(engine(), mb);
}

MVE_API int MVE_GetTotalUndoMemory(void)
{
    return undo::total_memory_mb(engine());
}

MVE_API int MVE_GetCurrentUndoMemory(void) { return static_cast<int>(engine().undo.usageKB / 1024); }

}  // extern "C"
