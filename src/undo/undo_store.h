// The undo store: UnderLayer back buffer, slots, budget and history steps.
//
// Usage accounting: usageKB is always the UnderLayer's width * height * 10 /
// 1024 KB (while it exists) plus, for every slot, area * 8 / 1024 for a held
// pixel buffer and area * 2 / 1024 for a held mask buffer. Every buffer is
// counted when obtained and uncounted by release_slot() when freed, so the
// figure never drifts from what is held (undo_held_usage_kb() recomputes it).
#pragma once

#include "engine/engine.h"
#include "undo/undo_copy.h"

namespace mve {

// Undo usage counted for the UnderLayer itself: width * height * 10 / 1024 KB.
long long underlayer_usage_kb(const CanvasState& canvas) noexcept;

// Pixels in a slot's inclusive rectangle.
long long slot_area(const UndoSlot& slot) noexcept;

// Frees both buffers of a slot, lowering usage (never below 0), and resets it
// with the given mask-enabled byte. Returns the KB uncounted.
long long release_slot(UndoStore& store, UndoSlot& slot, std::uint8_t maskEnabled) noexcept;

// Frees every slot's buffers and the UnderLayer planes (resize and deletion).
void release_undo_planes(Engine& e) noexcept;

// Allocates the canvas-sized UnderLayer planes; false on failure.
bool allocate_underlayer(Engine& e) noexcept;

// Copies layer `index` into the UnderLayer and the Mask into its mask copy
// (unless paused; each only when both planes exist).
void save_undo_back_buffer(Engine& e, int index) noexcept;

// Recomputes the budget from free memory when the automatic budget is on.
void update_automatic_budget(Engine& e) noexcept;

// Drops the steps that were undone and not redone (slots 0 .. redo depth - 1)
// and moves the rest down; redo depth becomes 0.
void remove_abandoned_steps(Engine& e) noexcept;

// Records one step from the dirty rectangle (the body of MVE_SaveUndoBuffer).
void save_undo_step(Engine& e, bool savePixels, bool saveMask);

// --- The dirty rectangle (inclusive bounds), widened by whoever draws. ---

// The empty rectangle (width - 1, height - 1, 0, 0).
void undo_reset_dirty(Engine& e) noexcept;
// The whole canvas (0, 0, width - 1, height - 1): for whole-plane changes.
void undo_mark_all_dirty(Engine& e) noexcept;
// Widens the dirty rectangle to cover x0..x1, y0..y1 (inclusive; bounds may
// lie outside the canvas, the save clips them).
void undo_widen_dirty(Engine& e, int x0, int y0, int x1, int y1) noexcept;

// --- Views of the planes the store copies between. ---

// The current layer when its pixels exist, else an empty view.
PlaneView current_layer_view(Engine& e) noexcept;
// The same for writing: the layer takes a new content generation.
PlaneView current_layer_write_view(Engine& e) noexcept;
// The Mask for reading, and for writing (a new content generation).
PlaneView mask_view(Engine& e) noexcept;
PlaneView mask_write_view(Engine& e) noexcept;
PlaneView under_pixels_view(Engine& e) noexcept;
PlaneView under_mask_view(Engine& e) noexcept;

// --- Accounting and the undo-reducing allocation. ---

// What usageKB should be for the buffers actually held (see the top).
long long undo_held_usage_kb(const Engine& e) noexcept;

// True while undo or redo history exists.
bool undo_has_history() noexcept;
// Number of slots holding a buffer.
int undo_held_steps() noexcept;
// For an allocation that failed: frees old steps (at least one when any can
// be freed). False when nothing could be freed and the caller should give up,
// also while the store itself is busy with a step.
bool undo_give_back(unsigned kb) noexcept;

namespace undo {

// Empties the history (slots, dirty rectangle, pause) and refreshes the
// UnderLayer from the current layer; "ClearUndo Excpt" on failure.
void clear(Engine& e) noexcept;
// Frees the oldest steps until at least `kb` KB are given back, after
// dropping the abandoned redo steps; "ReduceUndo Excpt" on failure.
void reduce(Engine& e, int kb) noexcept;
bool can_undo(const UndoStore& store) noexcept;
bool can_redo(const UndoStore& store) noexcept;
// Empties the history, then keeps `n` steps (clamped to 0..500) from now
// on. Returns the kept number.
int set_levels(Engine& e, int n) noexcept;
// A budget of `mb` MB; 0 switches to the automatic budget, computed now.
void set_budget_mb(Engine& e, int mb) noexcept;
// The budget in MB, recomputed first when it is automatic.
int total_memory_mb(Engine& e) noexcept;

// Makes layer `index` current (when present) and refreshes the UnderLayer
// from it: every layer selection goes through here.
void select_layer(Engine& e, int index) noexcept;

// Colour reads of the UnderLayer at canvas (x, y), packed as the core's
// canvas-plane reads pack them; 0 while the back buffer is absent.
unsigned rgba_at_underlayer(Engine& e, int x, int y);
unsigned color_at_underlayer(Engine& e, int x, int y);
// The surface colour of the UnderLayer while there is a step to undo, else 0.
unsigned color_at_history(Engine& e, int x, int y);

// Undoes the newest step not yet undone, or redoes the step undone last;
// nothing while paused or without such a step.
void undo_step(Engine& e) noexcept;
void redo_step(Engine& e) noexcept;
// Puts the step undone last back on its layer for a fade (its slot then
// holds the older state); false, doing nothing, while paused or with
// nothing undone.
bool start_fade(Engine& e) noexcept;

// The canvas-sized UnderLayer and an empty history counting it; throws
// Failure when the UnderLayer cannot be had. Release frees every plane.
void on_canvas_created(Engine& e);
void on_canvas_released(Engine& e) noexcept;

}  // namespace undo

// Marks the store busy for the lifetime of the object (nests).
class UndoBusy {
public:
    explicit UndoBusy(UndoStore& store) noexcept : store_(store) { ++store_.busy; }
    ~UndoBusy() { --store_.busy; }
    UndoBusy(const UndoBusy&) = delete;
    UndoBusy& operator=(const UndoBusy&) = delete;

private:
    UndoStore& store_;
};

}  // namespace mve
