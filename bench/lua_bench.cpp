// Lua filters on a 1920 x 1080 layer: ns per pixel of a filter calling a
// getter and a setter per pixel, through the engine's filter host (LuaJIT
// with the FFI pixel functions; with fast paths off, the C functions), beside
// the same loop through plain Lua 5.1's C API written plainly here. The
// engine's figures include the whole run: the fresh state, Dst32 from Src32
// and the final write-back into the layer.
//
// Plain Lua 5.1 is loaded with dlopen(RTLD_LOCAL | RTLD_DEEPBIND) so its
// lua_* symbols stay apart from LuaJIT's, which the engine links.
#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_util.h"
#include "core/runtime.h"
#include "engine/engine.h"
#include "script/lua_headers.h"
#include "script/lua_host.h"

namespace {

constexpr int W = 1920, H = 1080;

std::string script_file(const char* name, const char* body)
{
    const std::string path = std::string("/tmp/mve_lua_bench_") + name + ".lua";
    std::ofstream(path) << body;
    return path;
}

const char* kRgbLoop =
    "for y = 0, height - 1 do for x = 0, width - 1 do\n"
    "  local r, g, b = get_rgb(x, y) set_rgb(x, y, b, g, r)\n"
    "end end\n";
const char* kHslLoop =
    "for y = 0, height - 1 do for x = 0, width - 1 do\n"
    "  local h, s, l = get_hsl(x, y) set_hsl(x, y, h, s, l * 0.9)\n"
    "end end\n";
const char* kValueLoop =
    "for y = 0, height - 1 do for x = 0, width - 1 do\n"
    "  set_value(x, y, 1 - get_value(x, y))\n"
    "end end\n";

void make_canvas()
{
    static bool made = false;
    if (made) return;
    made = true;
    MVE_CreateImage(nullptr, W, H, 8, 0);
    MVE_CreateLayer(1, W, H);
    MVE_SetLayer(1);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(W) * H * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>((i * 7) % 251);
    MVE_LoadRGBA32(rgba.data(), W * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
}

void engine_filter(benchmark::State& state, const char* name, const char* body, bool fast)
{
    make_canvas();
    mve::set_fast_paths(fast);
    const std::string path = script_file(name, body);
    mve::script::FilterArgs args;
    args.path = path.c_str();
    for (auto _ : state) {
        if (mve::script::run_filter(mve::engine(), args) != mve::script::FilterOutcome::Done)
            state.SkipWithError("script failed");
    }
    mve::set_fast_paths(true);
    state.counters["time/pixel"] = benchmark::Counter(static_cast<double>(W) * H,
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// --- plain Lua 5.1 through its C API -----------------------------------

struct PlainLua {
    void* handle = nullptr;
    lua_State* (*newstate)() = nullptr;
    void (*openlibs)(lua_State*) = nullptr;
    void (*close)(lua_State*) = nullptr;
    void (*pushcclosure)(lua_State*, lua_CFunction, int) = nullptr;
    void (*setfield)(lua_State*, int, const char*) = nullptr;
    void (*pushnumber)(lua_State*, lua_Number) = nullptr;
    lua_Number (*checknumber)(lua_State*, int) = nullptr;
    int (*loadstring)(lua_State*, const char*) = nullptr;
    int (*pcall)(lua_State*, int, int, int) = nullptr;

    template <class T>
    void bind(T& fn, const char* name)
    {
        fn = reinterpret_cast<T>(dlsym(handle, name));
        if (!fn) handle = nullptr;
    }
    PlainLua()
    {
        handle = dlopen("liblua5.1.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
        if (!handle) return;
        bind(newstate, "luaL_newstate"), bind(openlibs, "luaL_openlibs"), bind(close, "lua_close");
        bind(pushcclosure, "lua_pushcclosure"), bind(setfield, "lua_setfield");
        bind(pushnumber, "lua_pushnumber"), bind(checknumber, "luaL_checknumber");
        bind(loadstring, "luaL_loadstring"), bind(pcall, "lua_pcall");
    }
};

PlainLua& plain() { static PlainLua p; return p; }

std::vector<unsigned char> plainSrc, plainDst;

unsigned char to_byte(double v)
{
    const double t = v * 255;
    return t >= 255 ? 255 : t >= 1 ? static_cast<unsigned char>(t) : 0;
}

long plain_index(lua_State* L)
{
    const double x = plain().checknumber(L, 1), y = plain().checknumber(L, 2);
    if (!(x > -1 && x < W && y > -1 && y < H)) return -1;
    return (static_cast<long>(y < 0 ? 0 : y) * W + static_cast<long>(x < 0 ? 0 : x)) * 4;
}

int plain_get_rgb(lua_State* L)
{
    const long i = plain_index(L);
    for (int c = 0; c < 3; ++c) plain().pushnumber(L, i < 0 ? 0.0 : plainSrc[i + c] * 0.00392156862745098);
    return 3;
}

int plain_set_rgb(lua_State* L)
{
    const long i = plain_index(L);
    const unsigned char r = to_byte(plain().checknumber(L, 3)), g = to_byte(plain().checknumber(L, 4)),
                        b = to_byte(plain().checknumber(L, 5));
    if (i < 0) return 0;
    plainDst[i] = r, plainDst[i + 1] = g, plainDst[i + 2] = b;
    return 0;
}

void BM_PlainLua51CApi_RgbFilter(benchmark::State& state)
{
    PlainLua& lua = plain();
    if (!lua.handle) {
        state.SkipWithError("liblua5.1.so.0 not found");
        return;
    }
    plainSrc.assign(static_cast<std::size_t>(W) * H * 4, 100);
    plainDst = plainSrc;
    for (auto _ : state) {
        lua_State* L = lua.newstate();
        lua.openlibs(L);
        lua.pushcclosure(L, plain_get_rgb, 0);
        lua.setfield(L, LUA_GLOBALSINDEX, "get_rgb");
        lua.pushcclosure(L, plain_set_rgb, 0);
        lua.setfield(L, LUA_GLOBALSINDEX, "set_rgb");
        lua.pushnumber(L, W);
        lua.setfield(L, LUA_GLOBALSINDEX, "width");
        lua.pushnumber(L, H);
        lua.setfield(L, LUA_GLOBALSINDEX, "height");
        if (lua.loadstring(L, kRgbLoop) != 0 || lua.pcall(L, 0, 0, 0) != 0) state.SkipWithError("script failed");
        lua.close(L);
        benchmark::DoNotOptimize(plainDst.data());
    }
    state.counters["time/pixel"] = benchmark::Counter(static_cast<double>(W) * H,
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void BM_Engine_RgbFilter(benchmark::State& s)
{
    engine_filter(s, "rgb", kRgbLoop, true);
}
void BM_Engine_HslFilter(benchmark::State& s) { engine_filter(s, "hsl", kHslLoop, true); }
void BM_Engine_ValueFilter(benchmark::State& s) { engine_filter(s, "value", kValueLoop, true); }
void BM_EngineCFunctions_RgbFilter(benchmark::State& s) { engine_filter(s, "rgb_c", kRgbLoop, false); }
void BM_EngineCFunctions_HslFilter(benchmark::State& s) { engine_filter(s, "hsl_c", kHslLoop, false); }
void BM_EngineCFunctions_ValueFilter(benchmark::State& s) { engine_filter(s, "value_c", kValueLoop, false); }

}  // namespace

BENCHMARK(BM_PlainLua51CApi_RgbFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine_RgbFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine_HslFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine_ValueFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EngineCFunctions_RgbFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EngineCFunctions_HslFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EngineCFunctions_ValueFilter)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
