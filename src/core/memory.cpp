#include "core/memory.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/guard.h"
#include "core/host_memory.h"
#include "core/runtime.h"
#include "morvane/morvane.h"

namespace mve {

void* raw_alloc(std::size_t bytes) noexcept
{
    long left = runtime().allocationsBeforeFailure.load(std::memory_order_relaxed);
    if (left == 0) return nullptr;
    if (left > 0) runtime().allocationsBeforeFailure.store(left - 1, std::memory_order_relaxed);
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void raw_free(void* block) noexcept { std::free(block); }

void test_hooks::fail_allocations_after(long successes) noexcept
{
    runtime().allocationsBeforeFailure.store(successes, std::memory_order_relaxed);
}

namespace {

bool reclaim_memory(unsigned kb) noexcept
{
    auto* reclaim = runtime().reclaimMemory;
    return reclaim && reclaim(kb);
}

// Shared loop of every undo-reducing allocation: try, and while history exists
// give back the oldest undo steps (reduceKB) and try again.
void* alloc_retrying(std::size_t bytes, unsigned reduceKB) noexcept
{
    for (;;) {
        if (void* block = raw_alloc(bytes)) return block;
        if (!reclaim_memory(reduceKB)) return nullptr;
    }
}

// The internal variants also record their failure text.
void* alloc_reducing(std::size_t bytes, unsigned reduceKB, const char* failureText) noexcept
{
    return guarded(failureText, static_cast<void*>(nullptr), [&] { return alloc_retrying(bytes, reduceKB); });
}

}  // namespace

void* alloc_bytes_undo_reducing(long long n) noexcept
{
    if (n < 0) return nullptr;
    return alloc_reducing(static_cast<std::size_t>(n), static_cast<unsigned>(n) >> 10,
                          "x_NewCharUndoReduce Excpt");
}

std::uint16_t* alloc_shorts_undo_reducing(long long n) noexcept
{
    if (n < 0) return nullptr;
    auto bytes = static_cast<std::size_t>(n) * 2;
    return static_cast<std::uint16_t*>(
        alloc_reducing(bytes, static_cast<unsigned>(bytes) >> 10, "x_NewShortUndoReduce Excpt"));
}

namespace core {

void* alloc_block(int size) noexcept
{
    if (size < 0) return nullptr;
    return alloc_retrying(static_cast<std::size_t>(size), static_cast<unsigned>(size) / 1024);
}

void copy_bytes(void* dst, const void* src, int n) noexcept
{
    if (dst && src && n > 0) std::memcpy(dst, src, static_cast<std::size_t>(n));
}

float grid_floor(float x) noexcept
{
    // Deliberately not floor(): negative whole numbers go one lower (-2 gives -3),
    // which hosts rely on for their grid snapping.
    if (x >= 0.0f) return std::trunc(x);
    return std::trunc(x - 1.0f);
}

}  // namespace core

}  // namespace mve

extern "C" {

MVE_API void* MVE_Alloc(int size)
{
    return mve::core::alloc_block(size);
}

MVE_API void MVE_Free(void* block)
{
    mve::raw_free(block);
}

MVE_API void MVE_Memcpy(void* dst, const void* src, int n)
{
    mve::core::copy_bytes(dst, src, n);
}

MVE_API float MVE_Floor(float x)
{
    return mve::core::grid_floor(x);
}

MVE_API void* BankAdrs(void* p) { return p; }

}  // extern "C"
