// mve: the reference host. It drives the engine through the public header only.
//   mve demo [out-dir]   runs every demo step and writes its pictures
//   mve COMMAND ...      runs a subcommand registered by its own file (MVE_COMMAND)
#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

struct RegisteredStep {
    int rank;
    const char* name;
    DemoStep step;
};

std::vector<RegisteredStep>& steps()
{
    static std::vector<RegisteredStep> list;
    return list;
}

struct RegisteredCommand {
    const char* name;
    const char* usage;
    CommandFn run;
};

std::vector<RegisteredCommand>& commands()
{
    static std::vector<RegisteredCommand> list;
    return list;
}

int usage()
{
    std::fprintf(stderr, "usage: mve demo [out-dir]\n");
    auto list = commands();
    std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (auto& c : list) std::fprintf(stderr, "       mve %s\n", c.usage);
    return 2;
}

int run_demo(int argc, char** argv)
{
    DemoContext ctx;
    ctx.outDir = argc > 1 ? argv[1] : "mve-demo-out";
    mkdir(ctx.outDir.c_str(), 0755);
    auto& list = steps();
    std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.rank < b.rank; });
    for (auto& s : list) {
        say("== %s", s.name);
        if (!s.step(ctx)) {
            std::fprintf(stderr, "mve demo: step '%s' failed (last error: \"%s\")\n", s.name, MVE_GetLastError());
            return 1;
        }
    }
    MVE_DeleteImage();
    say("demo finished: pictures in %s/", ctx.outDir.c_str());
    return 0;
}

}  // namespace

bool register_command(const char* name, const char* usage, CommandFn run)
{
    commands().push_back({name, usage, run});
    return true;
}

bool register_demo_step(int rank, const char* name, DemoStep step)
{
    steps().push_back({rank, name, std::move(step)});
    return true;
}

void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
}

bool check(bool cond, const char* what)
{
    if (!cond) std::fprintf(stderr, "mve demo: FAILED: %s\n", what);
    return cond;
}

bool write_png(const std::string& path, const unsigned char* pixels, int width, int height, int channels)
{
    // Through the engine's own writers (72 dpi).
    return channels == 4 ? MVE_WriteToFileRGBA32(pixels, width, height, path.c_str(), ".png", 72) == 1
                         : MVE_WriteToFileRGB24(pixels, width, height, path.c_str(), ".png", 72) == 1;
}

bool write_composite(const DemoContext& ctx, const char* name)
{
    const std::size_t values = static_cast<std::size_t>(ctx.width) * ctx.height * 4;
    std::vector<unsigned short> composite(values, 0);
    MVE_Merge(composite.data());
    std::vector<unsigned char> rgba(values);
    for (std::size_t i = 0; i < values; ++i) rgba[i] = static_cast<unsigned char>(composite[i] >> 8);
    const std::string path = ctx.outDir + "/" + name;
    if (!check(write_png(path, rgba.data(), ctx.width, ctx.height, 4), name)) return false;
    say("wrote %s (%dx%d)", path.c_str(), ctx.width, ctx.height);
    return true;
}

}  // namespace mve_host

int main(int argc, char** argv)
{
    using namespace mve_host;
    if (argc < 2) return usage();
    if (std::strcmp(argv[1], "demo") == 0) return run_demo(argc - 1, argv + 1);
    for (auto& c : commands())
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    return usage();
}
