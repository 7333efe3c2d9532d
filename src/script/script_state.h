// State of the Lua filter host and the paint-script recorder.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/atomic_flag.h"

namespace mve {

struct ScriptState {
    // The paint-script file a filter is recording into; null when none is open.
    std::FILE* paintScript = nullptr;
    // Set by the host (any thread) or by the time-limit watchdog to end the
    // run in progress; cleared when a run starts.
    AtomicFlag stopRequested;
    // Milliseconds a run may take before it is stopped; 0 = no limit.
    int timeLimitMs = 0;
    // Lua VM instructions a run may execute (counted in steps of the hook
    // interval); 0 = no limit. Used by tests and fuzzing; switches the trace
    // compiler off so that the count covers every instruction.
    std::int64_t instructionLimit = 0;
    // Fuzzing: the script gets no io, os, debug, package loading or jit
    // control, so random text cannot touch files or lift the limits.
    bool withoutSystemAccess = false;
};

}  // namespace mve
