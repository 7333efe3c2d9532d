// The registered functions beside the per-pixel ones: writing intermediate
// results into the layer (flush, merge), single-buffer mode, the brush
// colours, the dialogs and the 32-bit bit operations.
#include <cmath>
#include <cstring>

#include "brush/brush_state.h"
#include "core/merge_layers.h"
#include "core/transfer.h"
#include "platform/host_dialogs.h"
#include "script/lua_run.h"
#include "script/pixel_kernels.h"

namespace mve::script {

namespace {

constexpr int kBlendModeCount = 54;

std::size_t buffer_bytes(const LuaRun& run) noexcept
{
    return static_cast<std::size_t>(run.width) * run.height * 4;
}

// The integer part of a number as a 32-bit signed integer: truncated, then
// its low 32 bits (NaN and infinities give 0).
std::int32_t to_int32(double v) noexcept
{
    const double t = std::trunc(v);
    const double low = t - std::floor(t / 4294967296.0) * 4294967296.0;
    if (!(low >= 0 && low < 4294967296.0)) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
}

// trunc(v), or `fallback` when it does not fit an int.
int truncated_int(double v, int fallback) noexcept
{
    return v > -2147483648.0 && v < 2147483648.0 ? static_cast<int>(v) : fallback;
}

int flush(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    core::load_rgba32_into_current(*run.engine, run.dst, run.width * 4, true);
    std::memcpy(run.src, run.dst, buffer_bytes(run));
    return 0;
}

// Merges Dst32 (its alpha first scaled by the Mask and texture) over the
// current layer, then reads the layer back into Src32. The opacity argument
// is a fraction: trunc(opacity) x 255, kept within the merge core's 0..256.
int merge(lua_State* L)
{
    LuaRun& run = run_of(L);
    const double modeArg = luaL_checknumber(L, 1), opacityArg = luaL_checknumber(L, 2);
    check_stop(L, run);
    const int mode = truncated_int(modeArg, -1);
    if (mode < 0 || mode >= kBlendModeCount) return luaL_error(L, "merge: no blend mode %f", modeArg);
    const double scaled = std::trunc(opacityArg) * 255;
    const int opacity = scaled >= 256 ? 256 : scaled > 0 ? static_cast<int>(scaled) : 0;

    Engine& e = *run.engine;
    core::cover_rgba32(run.dst, run.width, run.height);
    bool merged = true;
    LayerRecord* layer = current_layer(e);
    if (layer && layer->width >= run.width && layer->height >= run.height) {
        const bool sameAlphaMode = mode == layer->blendMode && mode >= 32;
        merged = merge_rgba32_into_plane(run.dst, run.width, run.height, layer->pixels.begin_write(),
                                         layer->stride, mode, opacity, layer->lockAlpha != 0, sameAlphaMode);
    }
    if (!merged) return luaL_error(L, "merge: not enough memory");
    core::read_current_rgba32(e, run.src, run.width * 4);
    return 0;
}

int single_buffer(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    run.single = lua_toboolean(L, 1) ? 1 : 0;
    return 0;
}

int progress(lua_State* L)
{
    check_stop(L, run_of(L));
    return 0;
}

int message_box(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    const char* text = luaL_checkstring(L, 1);
    const char* caption = luaL_checkstring(L, 2);
    platform::show_message_box(run.engine->dialogs, text, caption);
    return 0;
}

int is_escape(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    lua_pushnumber(L, platform::take_escape(run.engine->dialogs) ? 1 : 0);
    return 1;
}

int output_debug_string(lua_State* L)
{
    check_stop(L, run_of(L));
    platform::debug_output(luaL_checkstring(L, 1));
    return 0;
}

int push_colour(lua_State* L, std::uint16_t r, std::uint16_t g, std::uint16_t b)
{
    check_stop(L, run_of(L));
    lua_pushnumber(L, (r >> 8) * kByteToUnit);
    lua_pushnumber(L, (g >> 8) * kByteToUnit);
    lua_pushnumber(L, (b >> 8) * kByteToUnit);
    return 3;
}

int get_color(lua_State* L)
{
    const BrushSettings& b = run_of(L).engine->brush;
    return push_colour(L, b.color[0], b.color[1], b.color[2]);
}

template <int Bank>
int get_bank(lua_State* L)
{
    const BrushSettings& b = run_of(L).engine->brush;
    return push_colour(L, b.bankR[Bank], b.bankG[Bank], b.bankB[Bank]);
}

std::int32_t int_arg(lua_State* L, int index)
{
    return to_int32(luaL_checknumber(L, index));
}

int push_int(lua_State* L, std::int32_t v)
{
    lua_pushnumber(L, v);
    return 1;
}

int bit_not(lua_State* L) { return push_int(L, ~int_arg(L, 1)); }
int bit_and(lua_State* L) { return push_int(L, int_arg(L, 1) & int_arg(L, 2)); }
int bit_or(lua_State* L) { return push_int(L, int_arg(L, 1) | int_arg(L, 2)); }
int bit_xor(lua_State* L) { return push_int(L, int_arg(L, 1) ^ int_arg(L, 2)); }
// Arithmetic shift right (the sign propagates) and shift left, by n & 31.
int bit_shfr(lua_State* L) { return push_int(L, int_arg(L, 1) >> (int_arg(L, 2) & 31)); }
int bit_shfl(lua_State* L)
{
    const auto a = static_cast<std::uint32_t>(int_arg(L, 1));
    return push_int(L, static_cast<std::int32_t>(a << (int_arg(L, 2) & 31)));
}

}  // namespace

void register_utility_functions(lua_State* L, LuaRun& run)
{
    const NamedFunction table[] = {
        {"flush", flush},
        {"merge", merge},
        {"single_buffer", single_buffer},
        {"progress", progress},
        {"message_box", message_box},
        {"is_escape", is_escape},
        {"output_debug_string", output_debug_string},
        {"get_color", get_color},
        {"get_color1", get_bank<0>},
        {"get_color2", get_bank<1>},
        {"get_color3", get_bank<2>},
        {"get_color4", get_bank<3>},
        {"bit_not", bit_not},
        {"bit_and", bit_and},
        {"bit_or", bit_or},
        {"bit_xor", bit_xor},
        {"bit_shfr", bit_shfr},
        {"bit_shfl", bit_shfl},
    };
    register_functions(L, run, table);
}

}  // namespace mve::script
