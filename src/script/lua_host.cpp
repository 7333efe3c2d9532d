#include "script/lua_host.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "core/runtime.h"
#include "core/transfer.h"
#include "ipl/processing_buffers.h"
#include "platform/host_dialogs.h"
#include "script/lua_run.h"
#include "script/paint_recorder.h"

namespace mve::script {

namespace {

constexpr const char* kErrorCaption = "Lua Script Error";
// VM instructions between two calls of the stop hook.
constexpr int kHookInterval = 1000;
// Larger script files are refused rather than read into memory.
constexpr std::size_t kMaxScriptBytes = 16u << 20;

// The blend-mode constants scripts pass to merge.
constexpr const char* kMergeNames[] = {
    "MERGE_NORMAL",     "MERGE_MULTIPLY",    "MERGE_SCREEN",     "MERGE_DARKEN",     "MERGE_LIGHTEN",
    "MERGE_DIFFERENCE", "MERGE_NEGATION",    "MERGE_EXCLUSION",  "MERGE_AND",        "MERGE_OR",
    "MERGE_XOR",        "MERGE_OVERLAY",     "MERGE_HARD_LIGHT", "MERGE_SOFT_LIGHT", "MERGE_DODGE",
    "MERGE_BURN",       "MERGE_REFLECT",     "MERGE_GLOW",       "MERGE_ADD",        "MERGE_SUBTRACT",
    "MERGE_COLOR",      "MERGE_HARD_COLOR",  "MERGE_COLORIZE",   "MERGE_HSL_HUE",    "MERGE_HSL_SAT",
    "MERGE_HSL_LUM",    "MERGE_HSL_COLOR",   "MERGE_TEXTURIZE",  "MERGE_TEXTURIZE2", "MERGE_TEXTURIZE3",
    "MERGE_SILHOUETTE",
};

// The run the stop hook belongs to (hooks carry no upvalues; runs are on one thread).
thread_local LuaRun* hookedRun = nullptr;

void raise_stop(lua_State* L, const char* message)
{
    // From now on every instruction raises again, so a script that catches
    // the error with pcall cannot carry on.
    lua_sethook(L, lua_gethook(L), LUA_MASKCOUNT, 1);
    lua_pushstring(L, message);
    lua_error(L);
}

void stop_hook(lua_State* L, lua_Debug*)
{
    LuaRun* run = hookedRun;
    if (!run) return;
    // A budget once spent stays spent (-1), and every later hook call says so.
    if (run->instructionsLeft > 0) {
        run->instructionsLeft -= lua_gethookcount(L);
        if (run->instructionsLeft <= 0) run->instructionsLeft = -1;
    }
    if (run->instructionsLeft < 0) {
        run->stop->set();  // the registered functions end the run too
        raise_stop(L, kInstructionLimitMessage);
    }
    if (run->stop->is_set()) raise_stop(L, kStoppedMessage);
}

#if MVE_WITH_LUAJIT
// Compiled traces never call the instruction hook, so a loop the trace
// compiler has turned into machine code would run on after a stop request.
// LuaJIT's line profiler makes the compiler put a test of the profiler's
// flag wherever a trace moves to another source line (at least once per
// loop), and every timer tick leaves the trace through it into the
// interpreter, where this callback runs. A pending stop then arms the hook
// for the very next instruction.
constexpr const char* kTraceStopMode = "li20";  // line mode, a tick every 20 ms

void trace_stop_tick(void* data, lua_State* L, int, int)
{
    const LuaRun* run = static_cast<const LuaRun*>(data);
    if (run->stop->is_set()) lua_sethook(L, stop_hook, LUA_MASKCOUNT, 1);
}

// The profiler of one run. It is process-wide in LuaJIT: a second run on
// another thread finds it taken and relies on the hook alone.
class TraceStopper {
public:
    TraceStopper(lua_State* L, LuaRun& run) : L_(L)
    {
        luaJIT_profile_start(L, kTraceStopMode, trace_stop_tick, &run);
    }
    ~TraceStopper() { luaJIT_profile_stop(L_); }
    TraceStopper(const TraceStopper&) = delete;
    TraceStopper& operator=(const TraceStopper&) = delete;

private:
    lua_State* L_;
};
#endif

void set_number(lua_State* L, const char* name, double v)
{
    lua_pushnumber(L, v);
    lua_setglobal(L, name);
}

void set_globals(lua_State* L, const LuaRun& run, const FilterArgs& a)
{
    set_number(L, "width", run.width);
    set_number(L, "height", run.height);
    set_number(L, "bound_x0", 0);
    set_number(L, "bound_y0", 0);
    set_number(L, "bound_x1", run.width - 1);
    set_number(L, "bound_y1", run.height - 1);
    set_number(L, "variantVal", a.seed);
    const char* sliders[] = {"sliderVal1", "sliderVal2", "sliderVal3", "sliderVal4", "sliderVal5", "sliderVal6"};
    for (int k = 0; k < 6; ++k) set_number(L, sliders[k], a.p[k] * 0.001);
    set_number(L, "styleVal1", a.i[0] + 1.0);
    set_number(L, "styleVal2", a.i[1] + 1.0);
    const char* flags[] = {"flagVal1", "flagVal2", "flagVal3", "flagVal4", "flagVal5", "flagVal6"};
    for (int k = 0; k < 6; ++k) set_number(L, flags[k], a.i[k + 2]);
    for (std::size_t m = 0; m < std::size(kMergeNames); ++m) set_number(L, kMergeNames[m], static_cast<double>(m));
}

// The script file as the standard loader reads it (a first line starting
// with '#' is skipped), except that precompiled chunks are refused: neither
// interpreter verifies bytecode, and a crafted chunk can corrupt memory.
// Leaves the chunk, or the error message, on the stack; false on error.
bool load_script(lua_State* L, const char* path)
{
    std::string text;
    bool readable = false;
    if (path) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            in.seekg(0, std::ios::end);
            const std::streamoff size = in.tellg();
            in.seekg(0);
            if (size >= 0 && static_cast<std::size_t>(size) <= kMaxScriptBytes) {
                text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                readable = !in.bad();
            } else if (size >= 0) {
                lua_pushfstring(L, "script %s is larger than %d bytes", path, static_cast<int>(kMaxScriptBytes));
                return false;
            }
        }
    }
    if (!readable) {
        lua_pushfstring(L, "cannot open %s", path ? path : "(no file name)");
        return false;
    }
    std::size_t start = 0;
    if (!text.empty() && text[0] == '#') {
        start = text.find('\n');
        // Keep the newline so line numbers in messages stay right.
        if (start == std::string::npos) start = text.size();
    }
    const std::size_t first = start < text.size() && text[start] == '\n' ? start + 1 : start;
    if (first < text.size() && text[first] == LUA_SIGNATURE[0]) {
        lua_pushfstring(L, "%s: precompiled chunks are not accepted", path);
        return false;
    }
    const std::string chunkName = std::string("@") + path;
    return luaL_loadbuffer(L, text.data() + start, text.size() - start, chunkName.c_str()) == 0;
}

// Sets the stop flag when the time limit passes before the run ends.
class Watchdog {
public:
    Watchdog(AtomicFlag& stop, int milliseconds) : stop_(stop)
    {
        if (milliseconds > 0)
            thread_ = std::thread([this, milliseconds] {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!cv_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; }))
                    stop_.set();
            });
    }
    ~Watchdog()
    {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_one();
        thread_.join();
    }

private:
    AtomicFlag& stop_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

// Creates the state with everything a script sees. Null when Lua cannot
// allocate a state.
lua_State* open_state(LuaRun& run, const FilterArgs& args, bool withoutSystemAccess)
{
    lua_State* L = luaL_newstate();
    if (!L) return nullptr;
    luaL_openlibs(L);
    register_pixel_functions(L, run);
    register_utility_functions(L, run);
    register_paint_functions(L, run);
    set_globals(L, run, args);
#if MVE_WITH_LUAJIT
    // An instruction budget must see every instruction; compiled traces do
    // not call the hook (the line profiler only ends them at its ticks).
    if (run.instructionsLeft > 0) luaJIT_setmode(L, 0, LUAJIT_MODE_ENGINE | LUAJIT_MODE_OFF);
#endif
    if (ffi_pixel_functions_available()) install_ffi_pixel_functions(L, run);
    if (withoutSystemAccess)
        for (const char* name : {"io", "os", "debug", "package", "require", "module", "dofile", "loadfile", "jit",
                                 "ffi"}) {
            lua_pushnil(L);
            lua_setglobal(L, name);
        }
    return L;
}

std::uint16_t* canvas_mask(Engine& e) noexcept
{
    const std::size_t pixels = static_cast<std::size_t>(e.canvas.width) * e.canvas.height;
    return e.mask.plane && e.mask.plane.size() >= pixels ? e.mask.plane.begin_write() : nullptr;
}

// Loads and calls the chunk; false with the message on the stack on error.
bool load_and_call(lua_State* L, const char* path)
{
    if (!load_script(L, path)) return false;
    return lua_pcall(L, 0, 1, 0) == 0;
}

}  // namespace

void check_stop(lua_State* L, const LuaRun& run)
{
    if (run.stop->is_set()) raise_stop(L, kStoppedMessage);
}

void register_function(lua_State* L, LuaRun& run, const char* name, lua_CFunction fn)
{
    lua_pushlightuserdata(L, &run);
    lua_pushcclosure(L, fn, 1);
    lua_setglobal(L, name);
}

bool ffi_pixel_functions_available() noexcept
{
#if MVE_WITH_LUAJIT
    return fast_paths_enabled();
#else
    return false;
#endif
}

FilterOutcome run_filter(Engine& e, const FilterArgs& args)
{
    LuaRun run;
    run.engine = &e;
    run.src = canvas_rgba32(e, e.ipl.src32);
    run.dst = canvas_rgba32(e, e.ipl.dst32.write());
    if (!run.src || !run.dst) return FilterOutcome::NoBuffers;
    run.width = e.canvas.width;
    run.height = e.canvas.height;
    run.mask = canvas_mask(e);
    run.stop = &e.script.stopRequested;
    run.instructionsLeft = e.script.instructionLimit;
    const std::size_t bytes = canvas_bytes(e, 4);
    std::memcpy(run.dst, run.src, bytes);

    run.stop->clear();
    FilterOutcome outcome = FilterOutcome::ScriptError;
    lua_State* L = open_state(run, args, e.script.withoutSystemAccess);
    if (!L) {
        platform::show_message_box(e.dialogs, "not enough memory", kErrorCaption);
        return outcome;
    }
    LuaRun* outerRun = hookedRun;
    hookedRun = &run;
    lua_sethook(L, stop_hook, LUA_MASKCOUNT, kHookInterval);
    {
#if MVE_WITH_LUAJIT
        const TraceStopper traceStopper(L, run);
#endif
        Watchdog watchdog(*run.stop, e.script.timeLimitMs);
        if (load_and_call(L, args.path)) {
            outcome = FilterOutcome::Done;
        } else {
            const char* message = lua_tostring(L, -1);
            platform::show_message_box(e.dialogs, message ? message : "(error object is not a string)",
                                       kErrorCaption);
        }
    }
    if (outcome == FilterOutcome::Done) {
        core::load_rgba32_into_current(e, run.dst, run.width * 4, true);
        if (run.single) std::memcpy(run.src, run.dst, bytes);
    }
    abandon_paint_script(e.script);
    // Finalizers a script left behind run while the state closes; with the
    // stop flag set the hook ends any of them at once, and they can no
    // longer write into the buffers (the run is over).
    run.stop->set();
    run.src = run.dst = nullptr;
    run.mask = nullptr;
    lua_close(L);
    hookedRun = outerRun;
    return outcome;
}

void run_lua_filter(const char* path, int seed, int p1, int p2, int p3, int p4, int p5, int p6, int i1, int i2,
                    int i3, int i4, int i5, int i6, int i7, int i8)
{
    const FilterArgs args{path, seed, {p1, p2, p3, p4, p5, p6}, {i1, i2, i3, i4, i5, i6, i7, i8}};
    run_filter(engine(), args);
}

}  // namespace mve::script
