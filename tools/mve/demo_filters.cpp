// Demo: two of the example Lua filters (scripts/filters) over the current
// layer of the demo canvas, each written as a picture of the stack.
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

std::vector<unsigned char> current_layer(const DemoContext& ctx)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(ctx.width) * ctx.height * 4);
    MVE_GetRGBA32(rgba.data(), ctx.width * 4);
    return rgba;
}

bool lua_filters(DemoContext& ctx)
{
    if (!check(ctx.width > 0 && ctx.height > 0, "a canvas from the earlier steps")) return false;
    struct Filter {
        const char* script;
        int p1;
        const char* picture;
    } filters[] = {
        {"sepia.lua", 1000, "filter_sepia.png"},
        {"hue_swap.lua", 0, "filter_hue_swap.png"},
    };
    bool failed = false;
    MVE_SetMessageBoxHandler([](const char* text, const char* caption, void* flag) {
        say("%s: %s", caption, text);
        *static_cast<bool*>(flag) = true;
    }, &failed);
    for (const Filter& f : filters) {
        const std::vector<unsigned char> before = current_layer(ctx);
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
        const std::string path = std::string(MVE_FILTER_DIR) + "/" + f.script;
        MVE_LuaFilterRun(path.c_str(), 0, f.p1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        const bool changed = current_layer(ctx) != before;
        say("Lua filter %s: layer %s", f.script, changed ? "changed" : "unchanged");
        if (!check(!failed && changed, f.script) || !write_composite(ctx, f.picture)) break;
    }
    MVE_SetMessageBoxHandler(nullptr, nullptr);
    MVE_IPLFreeSrcBuffer32();
    MVE_IPLFreeDstBuffer32();
    return !failed;
}

}  // namespace

MVE_DEMO_STEP(750, "Lua filters", lua_filters);
