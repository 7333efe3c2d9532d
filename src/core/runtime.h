// The runtime record: process state that outlives any canvas and that the
// bottom layers (core and the image library) read — the fast-path switch, the
// C-runtime generator, the JPEG writer's options and the allocation-failure
// injector. The engine record (engine/engine.h) holds everything else; the two
// together are every piece of mutable state the engine has, and
// reset_runtime() puts this one back to how a new process finds it.
#pragma once

#include <atomic>

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

struct Runtime {
    // One switch for every hot path's shortcuts (merge, view, dab, and every
    // later one): off, each runs its plain scalar reference, so the whole
    // suite can be run on the references (MVE_DISABLE_FAST_PATHS=1).
    std::atomic<bool> fastPaths{fast_paths_from_environment()};
    // The engine's srand/rand pair: every random table is drawn from it.
    CrtRandom crt;
    JpegWriteOptions jpeg;
    // Largest picture the image library decodes (268 M pixels, 1 GB of RGBA32).
    long long pixelLimit = 1LL << 28;
    // After this many more successful allocations every further one fails;
    // negative: never (tests inject allocation failures through it).
    std::atomic<long> allocationsBeforeFailure{-1};
    // Called when an allocation fails, to give back about `kb` KB (the undo
    // store frees its oldest steps); false when nothing could be freed.
    // Installed by the engine at start-up.
    bool (*reclaimMemory)(unsigned kb) noexcept = nullptr;
};

Runtime& runtime() noexcept;

// Back to the start state: fast paths as the environment says, a fresh
// generator, default codec options, no failure injection, no reclaim handler
// (the engine's start-up installs it again).
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
