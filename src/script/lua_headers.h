// The Lua C interface of whichever interpreter the engine is built with:
// LuaJIT 2.1 (MVE_WITH_LUAJIT) or plain Lua 5.1. Both speak the Lua 5.1 API.
#pragma once

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
#if MVE_WITH_LUAJIT
#include <luajit.h>
#endif
}
