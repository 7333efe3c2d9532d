// LuaJIT: the per-pixel functions as Lua functions over FFI views of Src32,
// Dst32 and the Mask. The trace compiler inlines them into a script's pixel
// loop, so a get/set pair costs a few loads and stores instead of two calls
// through the Lua stack. Each function repeats the rules of pixel_kernels.h
// operation for operation (the same truncation, clamping and off-canvas
// reads of 0), and the colour models call the same C kernels through FFI
// function pointers, so both forms give the same bytes; the tests run every
// script on both. They need not look at the stop flag: the line profiler the
// host runs beside every LuaJIT run (lua_host.cpp) ends compiled loops.
#include <cstring>
#include <sstream>
#include <string>

#include "script/lua_run.h"
#include "script/pixel_kernels.h"

namespace mve::script {

#if MVE_WITH_LUAJIT

namespace {

// The prelude's pixel functions spell their shared rules as words the
// loader expands (see prelude_source):
// - ON_CANVAS sets `on` when the pixel at (x, y) is on the canvas, that is
//   0 <= trunc(x) < W and 0 <= trunc(y) < H, and moves coordinates in
//   (-1, 0) to 0. Whole coordinates on the canvas pass the first test alone,
//   so a compiled loop checks only x >= 0 and x < W per call.
// - PIXEL is the pixel's index, valid once `on` holds. It is computed where
//   the buffer is indexed, after the value checks, so compiled code keeps no
//   floating-point copy of it alive across them; LuaJIT then forms the index
//   in integers (the row is loop-invariant) and scales it by 4 in the
//   address, the buffers being arrays of 4-byte pixels.
// - TO_BYTES(a, b, ...) turns each value v into v x 255 clamped to 0..255,
//   NaN giving 0. A byte store truncates the number (a C conversion), which
//   is trunc(v x 255). The clamp is math.max and math.min, which compile to
//   branch-free maxsd/minsd, so saturating filters take no side exits; NaN
//   is caught first, because the clamp's result for NaN is left to the
//   machine: one test of the values' sum, NaN when any value is NaN (or for
//   inf + -inf, where the tests of the single values then find nothing).
constexpr const char* kOnCanvas =
    "x, y = tonumber(x), tonumber(y) "
    "local on = x >= 0 and x < W and y >= 0 and y < H "
    "if not on and x > -1 and x < W and y > -1 and y < H then x, y, on = max(x, 0), max(y, 0), true end";
constexpr const char* kPixel = "(floor(y) * W + floor(x))";

constexpr const char* kChunkName = "=pixel functions";

constexpr const char* kPrelude = R"lua(
local ffi = require("ffi")
local src_p, dst_p, mask_p, W, H, kernels = ...
local floor, ceil, min, max, tonumber, error = math.floor, math.ceil, math.min, math.max, tonumber, error

local pixelT = ffi.typeof("struct { uint8_t r, g, b, a; } *")
local src, dst = ffi.cast(pixelT, src_p), ffi.cast(pixelT, dst_p)
local mask = mask_p and ffi.cast("uint16_t*", mask_p)
local K = 0.00392156862745098
local rd = src

local getT = "void (*)(const void*, double*)"
local set3T = "void (*)(void*, double, double, double)"
local set4T = "void (*)(void*, double, double, double, double)"
local out = ffi.new("double[4]")

local c_single = single_buffer
function single_buffer(flag)
  c_single(flag)
  if flag then rd = dst else rd = src end
end

function get_value(x, y)
  ON_CANVAS
  if not on then return 0 end
  local q = rd[PIXEL]
  return floor((q.r + q.g + q.b) / 3) * K
end

function set_value(x, y, v)
  ON_CANVAS
  TO_BYTES(v)
  if not on then return end
  local q = dst[PIXEL]
  q.r, q.g, q.b = v, v, v
end

function get_rgb(x, y)
  ON_CANVAS
  if not on then return 0, 0, 0 end
  local q = rd[PIXEL]
  return q.r * K, q.g * K, q.b * K
end

function set_rgb(x, y, r, g, b)
  ON_CANVAS
  TO_BYTES(r, g, b)
  if not on then return end
  local q = dst[PIXEL]
  q.r, q.g, q.b = r, g, b
end

function get_alpha(x, y)
  ON_CANVAS
  if not on then return 0 end
  return rd[PIXEL].a * K
end

function set_alpha(x, y, a)
  ON_CANVAS
  TO_BYTES(a)
  if not on then return end
  dst[PIXEL].a = a
end

function get_rgba(x, y)
  ON_CANVAS
  if not on then return 0, 0, 0, 0 end
  local q = rd[PIXEL]
  return q.r * K, q.g * K, q.b * K, q.a * K
end

function set_rgba(x, y, r, g, b, a)
  ON_CANVAS
  TO_BYTES(r, g, b, a)
  if not on then return end
  local q = dst[PIXEL]
  q.r, q.g, q.b, q.a = r, g, b, a
end

local function getter3(fn)
  fn = ffi.cast(getT, fn)
  return function(x, y)
    ON_CANVAS
    if not on then return 0, 0, 0 end
    fn(rd + PIXEL, out)
    return out[0], out[1], out[2]
  end
end

local function setter3(fn)
  fn = ffi.cast(set3T, fn)
  return function(x, y, a, b, c)
    ON_CANVAS
    a, b, c = tonumber(a), tonumber(b), tonumber(c)
    if a == nil or b == nil or c == nil then error("number expected", 2) end
    if not on then return end
    fn(dst + PIXEL, a, b, c)
  end
end

get_hsv, set_hsv = getter3(kernels.get_hsv), setter3(kernels.set_hsv)
get_hsl, set_hsl = getter3(kernels.get_hsl), setter3(kernels.set_hsl)
get_lab, set_lab = getter3(kernels.get_lab), setter3(kernels.set_lab)

local get_cmyk_fn = ffi.cast(getT, kernels.get_cmyk)
function get_cmyk(x, y)
  ON_CANVAS
  if not on then return 0, 0, 0, 0 end
  get_cmyk_fn(rd + PIXEL, out)
  return out[0], out[1], out[2], out[3]
end

local set_cmyk_fn = ffi.cast(set4T, kernels.set_cmyk)
function set_cmyk(x, y, c, m, ye, k)
  ON_CANVAS
  c, m, ye, k = tonumber(c), tonumber(m), tonumber(ye), tonumber(k)
  if c == nil or m == nil or ye == nil or k == nil then error("number expected", 2) end
  if not on then return end
  set_cmyk_fn(dst + PIXEL, c, m, ye, k)
end

function get_mask(x, y)
  ON_CANVAS
  if not on or not mask then return 0 end
  return mask[PIXEL] / 65535
end

-- The low 16 bits of trunc(v x 65535), with Lua's floor modulo; NaN and
-- infinities store 0.
function set_mask(x, y, v)
  ON_CANVAS
  v = tonumber(v) * 65535
  if v >= 0 then v = floor(v) else v = ceil(v) end
  v = v % 65536
  if not (v >= 0 and v < 65536) then v = 0 end
  if not on or not mask then return end
  mask[PIXEL] = v
end
)lua";

// TO_BYTES(a, b, ...) written out for the comma-separated names in `list`.
std::string to_bytes_code(const std::string& list)
{
    std::string names, scaled, sum, zeroNaN, clamped;
    std::istringstream in(list);
    for (std::string n; std::getline(in >> std::ws, n, ',');) {
        const std::string sep = names.empty() ? "" : ", ";
        names += sep + n;
        scaled += sep + "tonumber(" + n + ") * 255";
        sum += (sum.empty() ? "" : " + ") + n;
        zeroNaN += "if " + n + " ~= " + n + " then " + n + " = 0 end ";
        clamped += sep + "min(max(" + n + ", 0), 255)";
    }
    return names + " = " + scaled + " if " + sum + " ~= " + sum + " then " + zeroNaN + "end " + names +
           " = " + clamped;
}

void replace_all(std::string& text, const std::string& word, const std::string& code)
{
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + code.size()))
        text.replace(at, word.size(), code);
}

// The prelude as it is loaded: the words expanded, comments dropped and
// everything joined onto one line. The line profiler that ends runaway
// loops (lua_host.cpp) makes compiled code test its flag wherever a trace
// enters another function or line; one line per function with its rules
// written out keeps that to one test per pixel call instead of a dozen (a
// get_rgb/set_rgb loop lost about a third of its time). Comments are cut at
// "--", so the prelude keeps that out of its strings.
std::string prelude_source()
{
    std::string text = kPrelude;
    for (std::size_t at = text.find("TO_BYTES("); at != std::string::npos; at = text.find("TO_BYTES(", at)) {
        const std::size_t open = at + std::strlen("TO_BYTES("), close = text.find(')', open);
        text.replace(at, close + 1 - at, to_bytes_code(text.substr(open, close - open)));
    }
    replace_all(text, "ON_CANVAS", kOnCanvas);
    replace_all(text, "PIXEL", kPixel);
    std::string line;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) line += l.substr(0, l.find("--")) + ' ';
    return line;
}

int append_chunk(lua_State*, const void* bytes, std::size_t size, void* out)
{
    static_cast<std::string*>(out)->append(static_cast<const char*>(bytes), size);
    return 0;
}

// The prelude compiled once per process and kept as bytecode (with its line
// information, which the line profiler needs): loading it takes a few
// microseconds where parsing the text took about 0.2 ms of every run. The
// text itself when it cannot be compiled here; loading it then reports why.
const std::string& prelude_chunk()
{
    static const std::string chunk = [] {
        const std::string text = prelude_source();
        std::string bytecode;
        if (lua_State* L = luaL_newstate()) {
            if (luaL_loadbuffer(L, text.data(), text.size(), kChunkName) == 0)
                lua_dump(L, append_chunk, &bytecode);
            lua_close(L);
        }
        return bytecode.empty() ? text : bytecode;
    }();
    return chunk;
}

void push_pointer(lua_State* L, const char* name, void* p)
{
    lua_pushlightuserdata(L, p);
    lua_setfield(L, -2, name);
}

template <class Fn>
void push_kernel(lua_State* L, const char* name, Fn fn)
{
    push_pointer(L, name, reinterpret_cast<void*>(fn));
}

}  // namespace

bool install_ffi_pixel_functions(lua_State* L, LuaRun& run)
{
    const std::string& chunk = prelude_chunk();
    if (luaL_loadbuffer(L, chunk.data(), chunk.size(), kChunkName) != 0) {
        lua_pop(L, 1);
        return false;
    }
    lua_pushlightuserdata(L, run.src);
    lua_pushlightuserdata(L, run.dst);
    if (run.mask) lua_pushlightuserdata(L, run.mask);
    else lua_pushnil(L);
    lua_pushnumber(L, run.width);
    lua_pushnumber(L, run.height);
    lua_newtable(L);
    push_kernel(L, "get_hsv", static_cast<GetModelFn>(get_hsv));
    push_kernel(L, "set_hsv", static_cast<Set3ModelFn>(set_hsv));
    push_kernel(L, "get_hsl", static_cast<GetModelFn>(get_hsl));
    push_kernel(L, "set_hsl", static_cast<Set3ModelFn>(set_hsl));
    push_kernel(L, "get_lab", static_cast<GetModelFn>(get_lab));
    push_kernel(L, "set_lab", static_cast<Set3ModelFn>(set_lab));
    push_kernel(L, "get_cmyk", static_cast<GetModelFn>(get_cmyk));
    push_kernel(L, "set_cmyk", static_cast<Set4ModelFn>(set_cmyk));
    if (lua_pcall(L, 6, 0, 0) != 0) {
        lua_pop(L, 1);
        return false;
    }
    return true;
}

#else

bool install_ffi_pixel_functions(lua_State*, LuaRun&) { return false; }

#endif

}  // namespace mve::script
