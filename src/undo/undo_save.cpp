// Recording a step: the old contents of the dirty rectangle move from the
// UnderLayer into a new slot 0, and the UnderLayer is brought up to date.
#include <algorithm>
#include <utility>

#include "core/guard.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve {

namespace {

int levels_in_use(const UndoStore& store) noexcept { return std::clamp(store.levels, 0, kUndoSlotCount); }

// The new step's buffers while room is being made; what it holds is counted
// in the usage already.
struct NewStep {
    Plane16 pixels;
    Plane16 mask;
    // Buffers of the right size from steps freed by the walk, no longer
    // counted in the usage: taken instead of a fresh allocation, which for a
    // whole canvas saves the kernel's zeroing of tens of megabytes.
    Plane16 sparePixels;
    Plane16 spareMask;
};

// Frees slot n, keeping a buffer the new step can use as a spare.
void free_for_room(Engine& e, UndoSlot& slot, NewStep& step, std::size_t pixelValues, std::size_t maskValues) noexcept
{
    UndoStore& store = e.undo;
    const long long area = slot_area(slot);
    if (slot.pixels && !step.sparePixels && slot.pixels.size() == pixelValues) {
        store.usageKB = std::max(0LL, store.usageKB - area * 8 / 1024);
        step.sparePixels = std::move(slot.pixels);
    }
    if (slot.mask && !step.spareMask && slot.mask.size() == maskValues) {
        store.usageKB = std::max(0LL, store.usageKB - area * 2 / 1024);
        step.spareMask = std::move(slot.mask);
    }
    release_slot(store, slot, e.mask.enabled);
}

// Obtains one buffer of `values` 16-bit values unless it is held already.
// A failure is no error here: the caller frees an older step and tries again.
void obtain(UndoStore& store, Plane16& buffer, Plane16& spare, bool wanted, std::size_t values, long long kb) noexcept
{
    if (!wanted || buffer) return;
    if (spare)
        buffer = std::move(spare);
    else if (!buffer.allocate(values))
        return;
    store.usageKB += kb;
}

// Makes room oldest first: frees slot n, and once usage plus the new step
// fits the budget (or slot 0 is reached, which is always tried) allocates
// what is still missing. True when everything wanted is held.
bool make_room(Engine& e, long long area, bool wantPixels, bool wantMask, NewStep& step) noexcept
{
    UndoStore& store = e.undo;
    const long long pixelKB = area * 8 / 1024, maskKB = area * 2 / 1024;
    const std::size_t pixelValues = static_cast<std::size_t>(area) * 4, maskValues = static_cast<std::size_t>(area);
    for (int n = levels_in_use(store) - 1; n >= 0; --n) {
        if (store.slots[n].holds_any()) free_for_room(e, store.slots[n], step, pixelValues, maskValues);
        if (store.usageKB + area * 10 / 1024 >= store.budgetKB && n != 0) continue;
        obtain(store, step.pixels, step.sparePixels, wantPixels, pixelValues, pixelKB);
        obtain(store, step.mask, step.spareMask, wantMask, maskValues, maskKB);
        if ((!wantPixels || step.pixels) && (!wantMask || step.mask)) return true;
    }
    // Not everything could be had: give back the part that was.
    if (step.pixels) store.usageKB = std::max(0LL, store.usageKB - pixelKB);
    if (step.mask) store.usageKB = std::max(0LL, store.usageKB - maskKB);
    step.pixels.reset();
    step.mask.reset();
    return false;
}

// Shifts the slots up by one (the last one falls off) and fills slot 0 with
// the new step holding the UnderLayer's old contents of r.
void push_step(Engine& e, const Rect4& r, NewStep& step) noexcept
{
    UndoStore& store = e.undo;
    const int levels = levels_in_use(store);
    release_slot(store, store.slots[levels - 1], e.mask.enabled);
    for (int n = levels - 1; n >= 1; --n) {
        store.slots[n] = std::move(store.slots[n - 1]);
        store.slotLayer[n] = store.slotLayer[n - 1];
    }
    UndoSlot& slot = store.slots[0];
    slot = UndoSlot{};
    slot.pixels = std::move(step.pixels);
    slot.mask = std::move(step.mask);
    slot.maskEnabled = e.mask.enabled;
    slot.rect = r;
    store.slotLayer[0] = e.layers.currentIndex;
    if (slot.pixels) copy_plane_to_slot(under_pixels_view(e), r, slot.pixels.data());
    if (slot.mask) copy_plane_to_slot(under_mask_view(e), r, slot.mask.data());
}

// The dirty rectangle clipped to the canvas; one that is empty, inverted or
// only one pixel wide or high becomes the whole canvas.
Rect4 rectangle_to_save(const Engine& e) noexcept
{
    const int w = e.canvas.width, h = e.canvas.height;
    Rect4 r = e.undo.dirty;
    r.x0 = std::max(r.x0, 0);
    r.y0 = std::max(r.y0, 0);
    r.x1 = std::min(r.x1, w - 1);
    r.y1 = std::min(r.y1, h - 1);
    if (r.x0 >= r.x1 || r.y0 >= r.y1) r = Rect4{0, 0, w - 1, h - 1};
    return r;
}

}  // namespace

void remove_abandoned_steps(Engine& e) noexcept
{
    guarded("RemoveAdandonedUndo Excpt", [&] {
        UndoStore& store = e.undo;
        const int depth = std::clamp(store.redoDepth, 0, kUndoSlotCount);
        if (depth == 0) return;
        for (int i = 0; i < depth; ++i) release_slot(store, store.slots[i], e.mask.enabled);
        const int levels = levels_in_use(store);
        for (int n = depth; n < levels; ++n) {
            store.slots[n - depth] = std::move(store.slots[n]);
            store.slotLayer[n - depth] = store.slotLayer[n];
        }
        // The places left behind hold moved-from slots: reset them.
        for (int n = std::max(levels - depth, 0); n < levels; ++n) {
            store.slots[n] = UndoSlot{};
            store.slots[n].maskEnabled = e.mask.enabled;
            store.slotLayer[n] = 0;
        }
        store.redoDepth = 0;
    });
}

void save_undo_step(Engine& e, bool savePixels, bool saveMask)
{
    UndoStore& store = e.undo;
    if (store.paused) return;
    UndoBusy busy(store);
    const Rect4 r = rectangle_to_save(e);
    remove_abandoned_steps(e);
    const int w = rect_width(r), h = rect_height(r);
    if (w < 1 || h < 1) return;
    const long long area = static_cast<long long>(w) * h;

    // Only planes that exist take part: without a current layer (or without
    // the UnderLayer) there is nothing to keep a "before" image of.
    const PlaneView layer = current_layer_view(e), under = under_pixels_view(e);
    const PlaneView mask = mask_view(e), underMask = under_mask_view(e);
    const bool wantPixels = savePixels && layer && under;
    const bool wantMask = saveMask && mask && underMask;

    update_automatic_budget(e);
    if (wantPixels || wantMask) {
        NewStep step;
        if (make_room(e, area, wantPixels, wantMask, step)) push_step(e, r, step);
    }
    // Also when nothing could be stored: the UnderLayer must match the canvas
    // again, or every later step would hold a wrong "before" image.
    if (wantPixels) copy_plane_rect(layer, r, under);
    if (wantMask) copy_plane_rect(mask, r, underMask);
    undo_reset_dirty(e);
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SaveUndoBuffer(int savePixels, int saveMask)
{
    // The flags are booleans in their low byte.
    guarded("SaveUndoBuf Excpt", [&] { save_undo_step(engine(), (savePixels & 0xFF) != 0, (saveMask & 0xFF) != 0); });
}

MVE_API void MVE_SaveUndoBackBuffer(int layer) { save_undo_back_buffer(engine(), layer); }

}  // extern "C"
