// Exports of the Lua filter host.
#include "core/guard.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "script/lua_host.h"

using namespace mve;

extern "C" {

MVE_API void MVE_LuaFilterRun(const char* scriptPath, int seed, int p1, int p2, int p3, int p4, int p5, int p6,
                              int i1, int i2, int i3, int i4, int i5, int i6, int i7, int i8)
{
    guarded("LuaFilterRun Excpt", [&] {
        script::run_lua_filter(scriptPath, seed, p1, p2, p3, p4, p5, p6, i1, i2, i3, i4, i5, i6, i7, i8);
    });
}

MVE_API void MVE_LuaFilterStop(void)
{
    engine().script.stopRequested.set();
}

MVE_API void MVE_LuaFilterSetTimeLimit(int milliseconds)
{
    engine().script.timeLimitMs = milliseconds > 0 ? milliseconds : 0;
}

}  // extern "C"
