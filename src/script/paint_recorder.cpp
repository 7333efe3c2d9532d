#include "script/paint_recorder.h"

#include <cmath>
#include <cstring>

#include "brush/brush_state.h"
#include "script/lua_run.h"

namespace mve::script {

std::string paint_script_path(const char* startDirectory)
{
    return std::string(startDirectory ? startDirectory : "") + "scripts/luapaint.srp";
}

void write_line(std::FILE* f, const char* text) noexcept
{
    std::fputs(text, f);
    std::fputs("\r\n", f);
}

void abandon_paint_script(ScriptState& s) noexcept
{
    if (s.paintScript) std::fclose(s.paintScript);
    s.paintScript = nullptr;
}

void open_paint_script(ScriptState& s, const char* startDirectory, const char* seed) noexcept
{
    abandon_paint_script(s);
    std::string path;
    try {
        path = paint_script_path(startDirectory);
    } catch (...) {
        return;
    }
    // Binary mode: the CR LF line ends are written as they are on every platform.
    s.paintScript = std::fopen(path.c_str(), "wb");
    if (!s.paintScript) return;
    for (const char* line : {"1554", "Description", "1", " ", "RandomSeed"}) write_line(s.paintScript, line);
    if (seed) write_line(s.paintScript, seed);
}

void close_paint_script(ScriptState& s) noexcept
{
    if (!s.paintScript) return;
    write_line(s.paintScript, "ScriptEnd");
    abandon_paint_script(s);
}

namespace {

// One paint_ function: the fixed lines before its arguments, how many plain
// arguments (written as Lua formats them) and colour arguments (written as
// trunc(v x 255)) follow, then the fixed lines after. Fixed lines are
// separated by '\n'.
struct PaintCommand {
    const char* luaName;
    const char* before;
    int plainArgs;
    int colourArgs;
    const char* after;
};

constexpr PaintCommand kCommands[] = {
    {"paint_stroke_start", "DrawStart", 2, 0, "-1\nSmoothPlot2\n0\n0\n0\n1\n0"},
    {"paint_stroke_pos", "SmoothPlot2", 3, 0, "0\n0"},
    {"paint_stroke_stop", "SmoothPlot2\n0\n0\n0\n0\n1\nDrawStop\n1", 0, 0, ""},
    {"paint_select_brush", "SelectBrush", 3, 0, ""},
    {"paint_brush_size", "SetBrushSize", 1, 0, ""},
    {"paint_brush_density", "SetBrushDensity", 1, 0, ""},
    {"paint_brush_opacity", "SetBrushOpacity", 1, 0, ""},
    {"paint_brush_color", "SetColor", 0, 3, ""},
    {"paint_set_color_banks", "SetColorBanks", 1, 12, ""},
    {"paint_line", "Line2", 4, 0, ""},
    {"paint_spline", "Spline", 8, 0, ""},
    {"paint_dab", "Dab", 3, 0, ""},
    {"paint_filter", "Filter", 20, 0, ""},
    {"paint_rotate_brush", "RotateBrush", 4, 0, ""},
    {"paint_buffer_from_layer", "BufferFromLayer", 1, 0, ""},
    {"paint_buffer_to_layer", "BufferToLayer", 1, 0, ""},
    {"paint_buffer_copy", "BufferCopy", 2, 0, ""},
    {"paint_buffer_clear", "BufferClear", 1, 0, ""},
    {"paint_buffer_merge_layer", "BufferMergeLayer", 3, 0, ""},
    {"paint_buffer_from_mask", "BufferFromMask", 1, 0, ""},
    {"paint_buffer_to_mask", "BufferToMask", 1, 0, ""},
    {"paint_flip_horizontal", "ImageFlipHorizontal", 0, 0, ""},
    {"paint_flip_vertical", "ImageFlipVertical", 0, 0, ""},
    {"paint_clear_page", "ClearPage", 0, 0, ""},
    {"paint_fill_page", "FillPage", 0, 0, ""},
    {"paint_set_page", "SetPage", 4, 0, ""},
    {"paint_mask_on", "MaskOn", 1, 0, ""},
    {"paint_mask_clear", "MaskClear", 0, 0, ""},
    {"paint_mask_invert", "MaskInvert", 0, 0, ""},
    {"paint_create_from_mask", "ImageCreateFromMask", 0, 0, ""},
    {"paint_alpha_create_from_mask", "AlphaCreateFromMask", 0, 0, ""},
    {"paint_mask_create_from_image", "MaskCreateFromImage", 0, 0, ""},
    {"paint_mask_create_from_image_luma", "MaskCreateFromImageLuma", 0, 0, ""},
    {"paint_mask_create_from_alpha", "MaskCreateFromAlpha", 0, 0, ""},
    {"paint_flood_fill", "Flood Fill", 7, 0, ""},
    {"paint_rectangle", "Rectangle", 8, 0, ""},
    {"paint_ellipse", "Ellipse", 8, 0, ""},
    {"paint_text", "Text", 10, 0, ""},
    {"paint_gradient", "Gradient", 18, 0, ""},
    {"paint_mask_ellipse", "MaskEllipse", 5, 0, ""},
    {"paint_mask_rectangle", "MaskRectangle", 5, 0, ""},
    {"paint_mask_wand", "MaskWand", 5, 0, ""},
    {"paint_copy", "CopyTool", 4, 0, ""},
    {"paint_paste", "PasteTool2", 5, 0, ""},
    {"paint_warp", "Warp", 6, 0, ""},
};

// Fixed lines, each ended by CR LF.
void write_fixed(std::FILE* f, const char* lines) noexcept
{
    while (*lines) {
        const char* end = std::strchr(lines, '\n');
        const std::size_t n = end ? static_cast<std::size_t>(end - lines) : std::strlen(lines);
        std::fwrite(lines, 1, n, f);
        std::fputs("\r\n", f);
        lines += end ? n + 1 : n;
    }
}

// An argument as Lua formats it (numbers with the interpreter's own number
// format, text unchanged); nil, a missing argument, or any other type writes
// no line.
void write_plain_arg(lua_State* L, std::FILE* f, int index)
{
    const int type = lua_type(L, index);
    if (type != LUA_TNUMBER && type != LUA_TSTRING) return;
    std::size_t n = 0;
    const char* text = lua_tolstring(L, index, &n);
    std::fwrite(text, 1, n, f);
    std::fputs("\r\n", f);
}

// A colour argument as the decimal integer trunc(v x 255), not clamped;
// values beyond the 32-bit range are held at its ends and NaN writes 0.
void write_colour_arg(lua_State* L, std::FILE* f, int index)
{
    if (lua_isnil(L, index) || !lua_isnumber(L, index)) return;
    const double t = std::trunc(lua_tonumber(L, index) * 255);
    long long v = 0;
    if (t >= 2147483647.0) v = 2147483647;
    else if (t <= -2147483648.0) v = -2147483648LL;
    else if (t == t) v = static_cast<long long>(t);
    std::fprintf(f, "%lld\r\n", v);
}

int record_command(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    std::FILE* f = run.engine->script.paintScript;
    if (!f) return 0;
    const auto& c = kCommands[lua_tointeger(L, lua_upvalueindex(2))];
    write_fixed(f, c.before);
    int arg = 1;
    for (int i = 0; i < c.plainArgs; ++i) write_plain_arg(L, f, arg++);
    for (int i = 0; i < c.colourArgs; ++i) write_colour_arg(L, f, arg++);
    write_fixed(f, c.after);
    return 0;
}

int paint_open(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    const int type = lua_type(L, 1);
    const char* seed = type == LUA_TNUMBER || type == LUA_TSTRING ? lua_tostring(L, 1) : nullptr;
    open_paint_script(run.engine->script, run.engine->brush.startDirectory, seed);
    return 0;
}

int paint_close(lua_State* L)
{
    LuaRun& run = run_of(L);
    check_stop(L, run);
    close_paint_script(run.engine->script);
    return 0;
}

}  // namespace

void register_paint_functions(lua_State* L, LuaRun& run)
{
    register_function(L, run, "paint_open", paint_open);
    register_function(L, run, "paint_close", paint_close);
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
        lua_pushlightuserdata(L, &run);
        lua_pushinteger(L, static_cast<lua_Integer>(i));
        lua_pushcclosure(L, record_command, 2);
        lua_setglobal(L, kCommands[i].luaName);
    }
}

}  // namespace mve::script
