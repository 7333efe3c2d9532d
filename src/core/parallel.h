// Row loops on the engine's worker threads (oneTBB work stealing).
//
// A loop runs inside the engine's task arena: the calling thread works
// through the rows itself and workers steal chunks of rows only once they
// are running, so a worker the system has not scheduled yet takes no share
// and is never waited for. Each call site states what a row costs; chunks
// hold about kChunkNs of work, and a loop smaller than one chunk runs on the
// calling thread without entering the arena. Every row is written by one
// task, so results never depend on the number of threads or on scheduling.
#pragma once

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "core/runtime.h"

namespace mve {

// Rough costs of one pixel on one core, in nanoseconds, for call sites to
// state what their loops do (measured on the bench programs' loops).
namespace cost {
constexpr double kCopy = 0.5;    // copying, flipping or converting pixels
constexpr double kSimple = 1.5;  // a few integer operations per pixel
constexpr double kBlend = 3.0;   // blending one pixel: a dab, a merge, a mix
constexpr double kFilter = 10.0; // several taps or a transform per pixel
constexpr double kStack = 20.0;  // a stack of layers composited per pixel (the view)
}  // namespace cost

// The worker settings live in the runtime record (core/runtime.h).
inline ParallelSettings& parallel_settings() noexcept { return runtime().parallel; }

// Threads a loop may use, the calling thread included (at least 1).
int thread_count();
// Sets the threads loops use; 0 or less means all cores. Returns the count now in force.
int set_thread_count(int count);

// Which thread of the loop runs the caller, in [0, thread_count()): an index
// into per-thread scratch space. Only meaningful inside a loop body.
inline int worker_slot()
{
    const int slot = tbb::this_task_arena::current_thread_index();
    return slot < 0 ? 0 : slot;
}

// Calls body(y) for y in [y0, y1). rowNs is the estimated cost of one row in
// nanoseconds on one core; 0 keeps the loop on the calling thread. The body
// must not throw and must not start loops of its own.
template <class F>
void for_each_row(int y0, int y1, double rowNs, F&& body)
{
    const int rows = y1 - y0;
    if (rows <= 0) return;
    const double grain = rowNs > 0 ? std::ceil(parallel_settings().chunkNs / rowNs) : rows;
    if (grain >= rows || thread_count() == 1) {
        for (int y = y0; y < y1; ++y) body(y);
        return;
    }
    const tbb::blocked_range<int> range(y0, y1, static_cast<int>(grain));
    parallel_settings().arena.execute([&] {
        tbb::parallel_for(
            range,
            [&](const tbb::blocked_range<int>& r) {
                for (int y = r.begin(); y < r.end(); ++y) body(y);
            },
            tbb::simple_partitioner());
    });
}

// The common case of a whole-plane loop: rows of `width` pixels costing
// pixelNs nanoseconds each.
template <class F>
void for_each_plane_row(int width, int rows, double pixelNs, F&& body)
{
    for_each_row(0, rows, std::max(width, 0) * pixelNs, static_cast<F&&>(body));
}

// memcpy of `bytes` bytes (the two ranges apart) in blocks on the worker
// threads: a large picture copied on one thread holds up every other one.
inline void copy_in_parallel(void* dst, const void* src, std::size_t bytes)
{
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    const auto blocks = static_cast<int>((bytes + kBlock - 1) / kBlock);
    for_each_row(0, blocks, kBlock / 4 * cost::kCopy, [&](int b) {
        const std::size_t at = static_cast<std::size_t>(b) * kBlock;
        std::memcpy(static_cast<char*>(dst) + at, static_cast<const char*>(src) + at,
                    std::min(kBlock, bytes - at));
    });
}

}  // namespace mve
