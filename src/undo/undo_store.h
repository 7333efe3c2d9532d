// The undo store: UnderLayer back buffer, slots, budget and history steps.
#pragma once

#include "core/engine.h"

namespace mve {

// Undo usage counted for the UnderLayer itself: width * height * 10 / 1024 KB.
long long underlayer_usage_kb(const CanvasState& canvas) noexcept;

// Frees both buffers of a slot, lowering usage (never below 0), and resets it
// with the given mask-enabled byte.
void release_slot(UndoStore& store, UndoSlot& slot, std::uint8_t maskEnabled) noexcept;

// Frees every slot's buffers and the UnderLayer planes (resize and deletion).
void release_undo_planes(Engine& e) noexcept;

// Allocates the canvas-sized UnderLayer planes; false on failure.
bool allocate_underlayer(Engine& e) noexcept;

// Copies layer `index` into the UnderLayer and the Mask into its mask copy
// (unless paused).
void save_undo_back_buffer(Engine& e, int index) noexcept;

// Recomputes the budget from free memory when the automatic budget is on.
void update_automatic_budget(Engine& e) noexcept;

// True while undo or redo history exists.
bool undo_has_history() noexcept;
// Number of slots holding a buffer.
int undo_held_steps() noexcept;
// For an allocation that failed: frees old steps (at least one when any can
// be freed). False when nothing could be freed and the caller should give up.
bool undo_give_back(unsigned kb) noexcept;

}  // namespace mve
