// The per-pixel functions as Lua C functions: the form plain Lua 5.1 uses,
// and the reference the LuaJIT prelude is tested against. Every value
// argument is checked (a Lua error for nil, tables and non-numeric text)
// before the coordinates decide whether anything is read or written.
#include <cstring>

#include "script/lua_run.h"
#include "script/pixel_kernels.h"

namespace mve::script {

namespace {

// The pixel index of arguments 1 and 2, or -1 off the canvas.
long long pixel_arg(lua_State* L, const LuaRun& run)
{
    const double x = luaL_checknumber(L, 1), y = luaL_checknumber(L, 2);
    check_stop(L, run);
    return pixel_index(x, y, run.width, run.height);
}

int push_units(lua_State* L, const std::uint8_t* px, int count)
{
    for (int i = 0; i < count; ++i) lua_pushnumber(L, px ? px[i] * kByteToUnit : 0.0);
    return count;
}

const std::uint8_t* read_pixel(const LuaRun& run, long long i) noexcept
{
    return i < 0 ? nullptr : run.read_buffer() + i * 4;
}

int get_value(lua_State* L)
{
    LuaRun& run = run_of(L);
    const std::uint8_t* px = read_pixel(run, pixel_arg(L, run));
    lua_pushnumber(L, px ? grey_of(px) * kByteToUnit : 0.0);
    return 1;
}

int set_value(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    const std::uint8_t v = unit_to_byte(luaL_checknumber(L, 3));
    if (i >= 0) std::memset(run.dst + i * 4, v, 3);
    return 0;
}

// Channels [first, first + count) read, or written from arguments 3...
template <int First, int Count>
int get_channels(lua_State* L)
{
    LuaRun& run = run_of(L);
    const std::uint8_t* px = read_pixel(run, pixel_arg(L, run));
    return push_units(L, px ? px + First : nullptr, Count);
}

template <int First, int Count>
int set_channels(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    std::uint8_t bytes[4];
    for (int c = 0; c < Count; ++c) bytes[c] = unit_to_byte(luaL_checknumber(L, 3 + c));
    if (i >= 0) std::memcpy(run.dst + i * 4 + First, bytes, Count);
    return 0;
}

template <int Count, GetModelFn Get>
int get_model(lua_State* L)
{
    LuaRun& run = run_of(L);
    const std::uint8_t* px = read_pixel(run, pixel_arg(L, run));
    double out[4] = {0, 0, 0, 0};
    if (px) Get(px, out);
    for (int c = 0; c < Count; ++c) lua_pushnumber(L, out[c]);
    return Count;
}

template <Set3ModelFn Set>
int set_model3(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    const double a = luaL_checknumber(L, 3), b = luaL_checknumber(L, 4), c = luaL_checknumber(L, 5);
    if (i >= 0) Set(run.dst + i * 4, a, b, c);
    return 0;
}

int set_cmyk_fn(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    const double c = luaL_checknumber(L, 3), m = luaL_checknumber(L, 4), y = luaL_checknumber(L, 5),
                 k = luaL_checknumber(L, 6);
    if (i >= 0) set_cmyk(run.dst + i * 4, c, m, y, k);
    return 0;
}

int get_mask(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    lua_pushnumber(L, i >= 0 && run.mask ? run.mask[i] / 65535.0 : 0.0);
    return 1;
}

int set_mask(lua_State* L)
{
    LuaRun& run = run_of(L);
    const long long i = pixel_arg(L, run);
    const std::uint16_t v = unit_to_mask(luaL_checknumber(L, 3));
    if (i >= 0 && run.mask) run.mask[i] = v;
    return 0;
}

}  // namespace

void register_pixel_functions(lua_State* L, LuaRun& run)
{
    const NamedFunction table[] = {
        {"get_value", get_value},
        {"set_value", set_value},
        {"get_rgb", get_channels<0, 3>},
        {"set_rgb", set_channels<0, 3>},
        {"get_alpha", get_channels<3, 1>},
        {"set_alpha", set_channels<3, 1>},
        {"get_rgba", get_channels<0, 4>},
        {"set_rgba", set_channels<0, 4>},
        {"get_hsv", get_model<3, get_hsv>},
        {"set_hsv", set_model3<set_hsv>},
        {"get_hsl", get_model<3, get_hsl>},
        {"set_hsl", set_model3<set_hsl>},
        {"get_lab", get_model<3, get_lab>},
        {"set_lab", set_model3<set_lab>},
        {"get_cmyk", get_model<4, get_cmyk>},
        {"set_cmyk", set_cmyk_fn},
        {"get_mask", get_mask},
        {"set_mask", set_mask},
    };
    register_functions(L, run, table);
}

}  // namespace mve::script
