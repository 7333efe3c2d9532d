// One run of a filter script: the buffers it reads and writes and the flags
// its functions share. Every registered C function carries a pointer to the
// run as its first upvalue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/engine.h"
#include "script/lua_headers.h"

namespace mve::script {

// The message of a run ended by the host (stop request or time limit).
inline constexpr const char* kStoppedMessage = "script stopped";
// The message of a run that used up its instruction budget.
inline constexpr const char* kInstructionLimitMessage = "instruction limit reached";

struct LuaRun {
    Engine* engine = nullptr;
    std::uint8_t* src = nullptr;  // Src32, read by the getters
    std::uint8_t* dst = nullptr;  // Dst32, written by the setters
    std::uint16_t* mask = nullptr;  // the canvas Mask, null when absent
    int width = 0;
    int height = 0;
    // Single-buffer mode: getters read dst. An int32 the LuaJIT prelude also writes.
    std::int32_t single = 0;
    AtomicFlag* stop = nullptr;
    std::int64_t instructionsLeft = 0;  // 0 = unlimited, -1 = spent

    const std::uint8_t* read_buffer() const noexcept { return single ? dst : src; }
};

// The run of a registered function (its first upvalue).
inline LuaRun& run_of(lua_State* L) noexcept
{
    return *static_cast<LuaRun*>(lua_touserdata(L, lua_upvalueindex(1)));
}

// Raises the stop error when the host asked the run to end. Called on entry
// of every registered function.
void check_stop(lua_State* L, const LuaRun& run);

// Registers `fn` as global `name` with the run as its upvalue.
void register_function(lua_State* L, LuaRun& run, const char* name, lua_CFunction fn);

struct NamedFunction {
    const char* name;
    lua_CFunction fn;
};
template <std::size_t N>
void register_functions(lua_State* L, LuaRun& run, const NamedFunction (&table)[N])
{
    for (const NamedFunction& f : table) register_function(L, run, f.name, f.fn);
}

// The per-pixel getters and setters as C functions (both builds).
void register_pixel_functions(lua_State* L, LuaRun& run);
// flush, merge, single_buffer, colours, bit operations, dialogs.
void register_utility_functions(lua_State* L, LuaRun& run);
// The paint_ recorder functions.
void register_paint_functions(lua_State* L, LuaRun& run);

// LuaJIT: replaces the per-pixel functions by Lua functions over FFI views of
// the run's buffers. False (the C functions stay) when the prelude fails.
bool install_ffi_pixel_functions(lua_State* L, LuaRun& run);

}  // namespace mve::script
