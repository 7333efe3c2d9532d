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
#include <regex>
#include <sstream>
#include <string>

#include "script/lua_run.h"
#include "script/pixel_kernels.h"

namespace mve::script {

#if MVE_WITH_LUAJIT

namespace {

// The prelude's pixel functions spell their shared rules as two words the
// loader expands (see prelude_source): PIXEL_INDEX sets `i`, the pixel
// index, or false off the canvas, truncating the coordinates toward zero;
// TO_BYTE(v) turns v into v x 255 clamped to 0..255, NaN giving 0. A byte
// store truncates the number (a C conversion), which is trunc(v x 255). The
// clamp is math.max and math.min, which compile to branch-free maxsd/minsd,
// so saturating filters take no side exits; NaN is caught first because
// their result for NaN is left to the machine.
constexpr const char* kPixelIndex =
    "x, y = tonumber(x), tonumber(y) "
    "local i = false "
    "if x > -1 and x < W and y > -1 and y < H then "
    "if x < 0 then x = 0 end "
    "if y < 0 then y = 0 end "
    "i = floor(y) * W + floor(x) "
    "end";
constexpr const char* kToByte =
    "$1 = tonumber($1) * 255 if $1 ~= $1 then $1 = 0 end $1 = min(max($1, 0), 255)";

constexpr const char* kPrelude = R"lua(
local ffi = require("ffi")
local src_p, dst_p, mask_p, W, H, kernels = ...
local floor, ceil, min, max, tonumber, error = math.floor, math.ceil, math.min, math.max, tonumber, error

local src = ffi.cast("const uint8_t*", src_p)
local dst = ffi.cast("uint8_t*", dst_p)
local mask = mask_p and ffi.cast("uint16_t*", mask_p)
local K = 0.00392156862745098
local rd = src

local getT = "void (*)(const uint8_t*, double*)"
local set3T = "void (*)(uint8_t*, double, double, double)"
local set4T = "void (*)(uint8_t*, double, double, double, double)"
local out = ffi.new("double[4]")

local c_single = single_buffer
function single_buffer(flag)
  c_single(flag)
  if flag then rd = dst else rd = src end
end

function get_value(x, y)
  PIXEL_INDEX
  if not i then return 0 end
  local p = i * 4
  return floor((rd[p] + rd[p + 1] + rd[p + 2]) / 3) * K
end

function set_value(x, y, v)
  PIXEL_INDEX
  TO_BYTE(v)
  if not i then return end
  local p = i * 4
  dst[p], dst[p + 1], dst[p + 2] = v, v, v
end

function get_rgb(x, y)
  PIXEL_INDEX
  if not i then return 0, 0, 0 end
  local p = i * 4
  return rd[p] * K, rd[p + 1] * K, rd[p + 2] * K
end

function set_rgb(x, y, r, g, b)
  PIXEL_INDEX
  TO_BYTE(r) TO_BYTE(g) TO_BYTE(b)
  if not i then return end
  local p = i * 4
  dst[p], dst[p + 1], dst[p + 2] = r, g, b
end

function get_alpha(x, y)
  PIXEL_INDEX
  if not i then return 0 end
  return rd[i * 4 + 3] * K
end

function set_alpha(x, y, a)
  PIXEL_INDEX
  TO_BYTE(a)
  if not i then return end
  dst[i * 4 + 3] = a
end

function get_rgba(x, y)
  PIXEL_INDEX
  if not i then return 0, 0, 0, 0 end
  local p = i * 4
  return rd[p] * K, rd[p + 1] * K, rd[p + 2] * K, rd[p + 3] * K
end

function set_rgba(x, y, r, g, b, a)
  PIXEL_INDEX
  TO_BYTE(r) TO_BYTE(g) TO_BYTE(b) TO_BYTE(a)
  if not i then return end
  local p = i * 4
  dst[p], dst[p + 1], dst[p + 2], dst[p + 3] = r, g, b, a
end

local function getter3(fn)
  fn = ffi.cast(getT, fn)
  return function(x, y)
    PIXEL_INDEX
    if not i then return 0, 0, 0 end
    fn(rd + i * 4, out)
    return out[0], out[1], out[2]
  end
end

local function setter3(fn)
  fn = ffi.cast(set3T, fn)
  return function(x, y, a, b, c)
    PIXEL_INDEX
    a, b, c = tonumber(a), tonumber(b), tonumber(c)
    if a == nil or b == nil or c == nil then error("number expected", 2) end
    if not i then return end
    fn(dst + i * 4, a, b, c)
  end
end

get_hsv, set_hsv = getter3(kernels.get_hsv), setter3(kernels.set_hsv)
get_hsl, set_hsl = getter3(kernels.get_hsl), setter3(kernels.set_hsl)
get_lab, set_lab = getter3(kernels.get_lab), setter3(kernels.set_lab)

local get_cmyk_fn = ffi.cast(getT, kernels.get_cmyk)
function get_cmyk(x, y)
  PIXEL_INDEX
  if not i then return 0, 0, 0, 0 end
  get_cmyk_fn(rd + i * 4, out)
  return out[0], out[1], out[2], out[3]
end

local set_cmyk_fn = ffi.cast(set4T, kernels.set_cmyk)
function set_cmyk(x, y, c, m, ye, k)
  PIXEL_INDEX
  c, m, ye, k = tonumber(c), tonumber(m), tonumber(ye), tonumber(k)
  if c == nil or m == nil or ye == nil or k == nil then error("number expected", 2) end
  if not i then return end
  set_cmyk_fn(dst + i * 4, c, m, ye, k)
end

function get_mask(x, y)
  PIXEL_INDEX
  if not i or not mask then return 0 end
  return mask[i] / 65535
end

-- The low 16 bits of trunc(v x 65535), with Lua's floor modulo; NaN and
-- infinities store 0.
function set_mask(x, y, v)
  PIXEL_INDEX
  v = tonumber(v) * 65535
  if v >= 0 then v = floor(v) else v = ceil(v) end
  v = v % 65536
  if not (v >= 0 and v < 65536) then v = 0 end
  if not i or not mask then return end
  mask[i] = v
end
)lua";

// The prelude as it is loaded: the two words expanded, comments dropped and
// everything joined onto one line. The line profiler that ends runaway
// loops (lua_host.cpp) makes compiled code test its flag wherever a trace
// enters another function or line; one line per function with its index and
// byte rules written out keeps that to one test per pixel call instead of a
// dozen (a get_rgb/set_rgb loop lost about a third of its time). Comments are
// cut at "--", so the prelude keeps that out of its strings.
std::string prelude_source()
{
    std::string text = std::regex_replace(kPrelude, std::regex(R"(TO_BYTE\((\w+)\))"), kToByte);
    for (std::size_t at = text.find("PIXEL_INDEX"); at != std::string::npos;
         at = text.find("PIXEL_INDEX", at))
        text.replace(at, std::strlen("PIXEL_INDEX"), kPixelIndex);
    std::string line;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) line += l.substr(0, l.find("--")) + ' ';
    return line;
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
    static const std::string source = prelude_source();  // the same text for every run
    if (luaL_loadbuffer(L, source.data(), source.size(), "=pixel functions") != 0) {
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
