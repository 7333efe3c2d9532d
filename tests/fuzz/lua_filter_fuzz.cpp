// Fuzz target of the Lua filter host: random script text is loaded and run
// over a 4 x 4 layer under an instruction limit, without file or system
// access. Any text must end as a finished run or as a script error, with
// the engine left able to run the next one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "morvane/morvane.h"
#include "script/lua_host.h"

namespace {

std::string script_path;

void set_up()
{
    const std::string dir = "/tmp/mve_lua_fuzz_" + std::to_string(getpid()) + "/";
    std::string cmd = "mkdir -p " + dir + "scripts";
    if (std::system(cmd.c_str()) != 0) std::abort();
    script_path = dir + "input.lua";
    MVE_SetStartDir(dir.c_str());
    MVE_CreateImage(nullptr, 4, 4, 8, 0);
    MVE_CreateLayer(1, 4, 4);
    MVE_SetLayer(1);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetMessageBoxHandler([](const char*, const char*, void*) {}, nullptr);
    mve::engine().script.instructionLimit = 200000;
    mve::engine().script.withoutSystemAccess = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16 * 1024) return 0;
    static const bool ready = (set_up(), true);
    (void)ready;
    std::FILE* f = std::fopen(script_path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    mve::script::FilterArgs args;
    args.path = script_path.c_str();
    mve::script::run_filter(mve::engine(), args);
    // The paint script is closed after every run.
    if (mve::engine().script.paintScript) std::abort();
    return 0;
}
