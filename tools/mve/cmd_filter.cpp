// mve filter SCRIPT.lua IN OUT [p1 .. p6]: runs a Lua filter over a picture.
// The picture becomes a one-layer canvas, the script runs with the sliders
// p1..p6 (thousandths: 500 gives sliderVal 0.5), and the layer is written.
// A paint script the filter records goes to OUT's folder + "scripts/".
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"

namespace {

bool script_failed = false;

void print_message(const char* text, const char* caption, void*)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (std::string(caption) == "Lua Script Error") script_failed = true;
}

std::string folder_of(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

struct FilterArgs {
    std::string script, in, out;
    std::vector<int> sliders;
};

int run_filter_command(const FilterArgs& a)
{
    using mve_host::fail;
    int p[6] = {};
    for (std::size_t k = 0; k < a.sliders.size() && k < 6; ++k) p[k] = a.sliders[k];
    if (!MVE_ReadFromFile(a.in.c_str())) return fail("filter", "cannot read %s", a.in.c_str());
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetNewRGBA32(rgba.data());
    MVE_CreateImage(nullptr, w, h, 8, 0);
    if (MVE_CreateLayer(1, w, h) != 1) return fail("filter", "no memory for a %d x %d layer", w, h);
    MVE_SetLayer(1);
    MVE_LoadRGBA32(rgba.data(), w * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetStartDir(folder_of(a.out).c_str());
    MVE_SetMessageBoxHandler(print_message, nullptr);
    {
        mve_host::Progress progress("filter");
        MVE_LuaFilterRun(a.script.c_str(), 0, p[0], p[1], p[2], p[3], p[4], p[5], 0, 0, 0, 0, 0, 0, 0, 0);
    }
    if (script_failed) return fail("filter", "the script %s failed", a.script.c_str());
    MVE_GetRGBA32(rgba.data(), w * 4);
    const bool written = mve_host::write_atomically(a.out, [&](const std::string& path) {
        return MVE_WriteToFileRGBA32(rgba.data(), w, h, path.c_str(), ".png", 96) == 1;
    });
    MVE_DeleteImage();
    return written ? 0 : fail("filter", "cannot write %s", a.out.c_str());
}

void setup_filter(CLI::App& mve)
{
    static FilterArgs a;
    auto* sub = mve.add_subcommand("filter",
                                   "Run a Lua filter over a picture; a paint script it records goes to "
                                   "OUT's folder + scripts/luapaint.srp");
    sub->add_option("SCRIPT", a.script, "Lua filter script")->required()->check(CLI::ExistingFile);
    sub->add_option("IN", a.in, "Input picture")->required();
    sub->add_option("OUT", a.out, "Output PNG")->required();
    sub->add_option("SLIDERS", a.sliders, "Up to six sliders p1..p6 in thousandths (500 = 0.5)")->expected(0, 6);
    mve_host::on_run(sub, [] { return run_filter_command(a); });
}

}  // namespace

MVE_COMMAND(setup_filter);
