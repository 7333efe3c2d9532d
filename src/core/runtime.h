// The runtime record: process state that outlives any canvas and that the
// bottom layers (core and the image library) read — the fast-path switch, the
// C-runtime generator, the worker threads, the JPEG writer's options, the
// decoder's pixel limit and the allocation-failure injector. The engine record (engine/engine.h) holds everything else; the two
// together are every piece of mutable state the engine has, and
// reset_runtime() puts this one back to how a new process finds it.
#pragma once

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/task_arena.h>

#include <atomic>
#include <optional>

#include "core/random.h"

namespace mve {

// Options the JPEG writer applies to every file it writes (set by the page
// writer's option exports beforehand).
struct JpegWriteOptions {
    int dct = 1;
    int smoothing = 0;
    int sampling[6] = {2, 2, 1, 1, 1, 1};
};

// MVE_DISABLE_FAST_PATHS set to anything but "0" turns the shortcuts off.
bool fast_paths_from_environment() noexcept;

// Work held by one chunk of rows: chunks get between half and all of it.
// Smaller chunks would cost more in stealing than they save; larger ones
// leave the caller waiting longer when the system pauses a worker mid-chunk.
constexpr double kChunkNs = 40000.0;

// The worker settings of the row loops (core/parallel.h). The start value
// means "not chosen yet": the first loop takes MVE_THREADS from the
// environment, else all cores.
struct ParallelSettings {
    int threads = 0;                               // threads in force, the calling thread included
    double chunkNs = kChunkNs;                     // work per chunk; tests shrink it to split small loops
    tbb::task_arena arena;                         // where the loops run, `threads` wide
    std::optional<tbb::global_control> allowance;  // lets more workers exist than cores
};

// Back to "not chosen yet": the next loop reads MVE_THREADS again.
void reset_parallel_settings(ParallelSettings& s) noexcept;

struct Runtime {
    // One switch for every hot path's shortcuts (merge, view, dab, and every
    // later one): off, each runs its plain scalar reference, so the whole
    // suite can be run on the references (MVE_DISABLE_FAST_PATHS=1).
    std::atomic<bool> fastPaths{fast_paths_from_environment()};
    // The engine's srand/rand pair: every random table is drawn from it.
    CrtRandom crt;
    // How many threads the row loops use, and where they run.
    ParallelSettings parallel;
    JpegWriteOptions jpeg;
    // Largest picture the image library decodes or the engine creates a
    // plane of: the largest canvas, 10000 x 10000 pixels (400 MB of RGBA32).
    long long pixelLimit = 100'000'000;
    // Largest sides the current caller of a decoder can use (the maximum
    // brush size for a brush picture); decoders refuse a header beyond them
    // before allocating anything. Set for one call by il::DecodeBound.
    long long decodeMaxWidth = 65535;
    long long decodeMaxHeight = 65535;
    // After this many more successful allocations every further one fails;
    // negative: never (tests inject allocation failures through it).
    std::atomic<long> allocationsBeforeFailure{-1};
    // Called when an allocation fails, to give back about `kb` KB (the undo
    // store frees its oldest steps); false when nothing could be freed.
    // Installed by the engine at start-up.
    bool (*reclaimMemory)(unsigned kb) noexcept = nullptr;
};

// Inline, so that hot loops asking for the fast-path switch pay one load and
// a predicted branch, not a call.
inline Runtime& runtime() noexcept
{
    static Runtime instance;
    return instance;
}

// Back to the start state: fast paths as the environment says, a fresh
// generator, threads not chosen yet, default codec options, no failure
// injection, no reclaim handler (the engine's start-up installs it again).
void reset_runtime() noexcept;

inline bool fast_paths_enabled() noexcept
{
    return runtime().fastPaths.load(std::memory_order_relaxed);
}
inline void set_fast_paths(bool enabled) noexcept
{
    runtime().fastPaths.store(enabled);
}

}  // namespace mve
