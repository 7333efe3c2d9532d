// The plain memory helpers a host calls (block allocation, copy, the grid
// floor). Kept apart from memory.h, which every plane's owner includes.
#pragma once

namespace mve::core {

// A host's block of `size` bytes: while allocation fails and undo or redo
// history exists, old undo steps (size / 1024 KB) are freed and it is tried
// again; no error is recorded. Null for a negative size or when nothing helps.
void* alloc_block(int size) noexcept;

// Copies n bytes; nothing for a null pointer or n <= 0.
void copy_bytes(void* dst, const void* src, int n) noexcept;

// trunc(x) for x >= 0, trunc(x - 1) below 0: unlike floor(), a negative whole
// number goes one lower (-2 gives -3), which hosts' grid snapping relies on.
float grid_floor(float x) noexcept;

}  // namespace mve::core
