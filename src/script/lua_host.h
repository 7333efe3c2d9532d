// The Lua filter host: runs one filter script over the current layer.
#pragma once

#include "engine/engine.h"

namespace mve::script {

struct FilterArgs {
    const char* path = nullptr;
    int seed = 0;
    int p[6] = {};  // sliders, given to the script x 0.001
    int i[8] = {};  // styles (i1, i2 as i + 1) and flags (i3..i8)
};

enum class FilterOutcome {
    NoBuffers,    // Src32 or Dst32 missing: nothing happened
    ScriptError,  // load or run error (or a stop): one message box, no final write-back
    Done,         // the script ended and Dst32 replaced the layer through mask and texture
};

// The whole run: Dst32 from Src32, a fresh Lua state with the host
// functions and globals, the script, the final write-back, the paint script
// closed and the state closed.
FilterOutcome run_filter(Engine& e, const FilterArgs& args);

// What MVE_LuaFilterRun does (the dispatcher's "Lua Filter" calls it with its
// own arguments in the same order).
void run_lua_filter(const char* path, int seed, int p1, int p2, int p3, int p4, int p5, int p6, int i1, int i2,
                    int i3, int i4, int i5, int i6, int i7, int i8);

// True when per-pixel functions run as Lua over FFI views in this build and
// configuration (LuaJIT with fast paths on).
bool ffi_pixel_functions_available() noexcept;

}  // namespace mve::script
