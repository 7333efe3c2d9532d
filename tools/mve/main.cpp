// mve: the reference host. It drives the engine through the public header only.
// One CLI11 application; each subcommand lives in its own file and registers
// itself with MVE_COMMAND (cli.h). `mve --help` lists them, `mve CMD --help`
// explains one.
#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"

namespace mve_host {

extern bool g_quiet;

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

std::vector<CommandSetup>& setups()
{
    static std::vector<CommandSetup> list;
    return list;
}

int g_exit_code = 0;

bool has_command(const CLI::App& mve, const std::string& name)
{
    for (const CLI::App* sub : mve.get_subcommands([](const CLI::App*) { return true; }))
        if (sub->get_name() == name) return true;
    return false;
}

int run_demo(const std::string& outDir)
{
    DemoContext ctx;
    ctx.outDir = outDir;
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

void setup_demo(CLI::App& mve)
{
    auto* sub = mve.add_subcommand("demo", "Run every demo step and write its pictures");
    static std::string outDir = "mve-demo-out";
    sub->add_option("OUT-DIR", outDir, "Folder for the pictures (created)")->capture_default_str();
    on_run(sub, [] { return run_demo(outDir); });
}

MVE_COMMAND(setup_demo);

}  // namespace

bool register_command(CommandSetup setup)
{
    setups().push_back(setup);
    return true;
}

void on_run(CLI::App* sub, std::function<int()> action)
{
    sub->callback([action] {
        MVE_SetLastError("");
        g_exit_code = action();
    });
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
    CLI::App mve{"mve: the morvane engine from the shell: pictures, effects, Lua filters, paint-script\n"
                 "playback, OpenRaster documents and the clipboard. `mve COMMAND --help` explains one command.",
                 "mve"};
    mve.require_subcommand(1);
    mve.fallthrough();  // --quiet is accepted after the subcommand too
    mve.add_flag("-q,--quiet", g_quiet, "No progress line on standard error");
    mve.footer("Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line.");
    for (CommandSetup setup : setups()) setup(mve);
    // A first word that names no command gets its own line, not "a subcommand is required".
    if (argc > 1 && argv[1][0] != '-' && !has_command(mve, argv[1])) {
        std::fprintf(stderr, "mve: unknown command '%s' (see mve --help)\n", argv[1]);
        return 2;
    }
    try {
        mve.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return mve.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return mve.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "mve: %s (see mve --help)\n", e.what());
        return 2;
    }
    return g_exit_code;
}
