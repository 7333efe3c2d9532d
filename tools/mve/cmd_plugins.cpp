// mve plugins DIR: the plug-ins the engine finds in a directory.
// mve plugin-run PLUGIN IN OUT [--colour]: one plug-in on a picture.
//
// The run goes through the engine's effect dispatcher ("Adobe Compatible
// Plug-ins") when the library has one; an engine without it gets the plug-in
// run here by the same rules (B, G, R, A pixels, colour mode keeping alpha)
// through the public plug-in interface.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "morvane/morvane.h"
#include "morvane/plugin.h"

namespace mve_host {

namespace {

int run_list(const std::string& dir)
{
    const int found = MVE_PhotoshopPluginScan(dir.c_str());
    std::printf("%d plug-in%s in %s\n", found, found == 1 ? "" : "s", dir.c_str());
    // Entries come out last found first, as "category :: name :: file".
    for (const char* entry = MVE_PhotoshopPluginNextName(); entry && *entry;
         entry = MVE_PhotoshopPluginNextName())
        std::printf("  %s\n", entry);
    return 0;
}

using ImageProcessFn = int (*)(int, const char*, int, int, int, int, int, int, int, int, int, int, int, int,
                               int, int, int, int, int, int, const char*);

void swap_red_blue(std::vector<unsigned char>& px)
{
    for (std::size_t i = 0; i + 3 < px.size(); i += 4) std::swap(px[i], px[i + 2]);
}

// The plug-in on the current layer without the dispatcher; 0 on success.
int run_directly(const char* path, int w, int h, bool colourOnly)
{
    void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!lib) return -1;
    const auto entry = reinterpret_cast<MvePluginEntryFn>(dlsym(lib, MVE_PLUGIN_ENTRY_NAME));
    const MvePluginInfo* info = entry ? entry() : nullptr;
    int result = -1;
    if (info && info->abiVersion == MVE_PLUGIN_ABI_VERSION && info->run) {
        std::vector<unsigned char> src(static_cast<std::size_t>(w) * h * 4), dst(src.size());
        MVE_GetRGBA32(src.data(), w * 4);
        swap_red_blue(src);
        const MvePluginImage in{w, h, src.data(), w};
        MvePluginImage out{w, h, dst.data(), w};
        result = info->run(&in, &out, colourOnly ? MVE_PLUGIN_MODE_COLOUR : MVE_PLUGIN_MODE_FULL, nullptr,
                           nullptr);
        if (result == MVE_PLUGIN_OK) {
            swap_red_blue(dst);
            MVE_SetLayerOptions(1, 1, colourOnly ? 1 : 0, 100, "Normal");
            MVE_LoadRGBA32(dst.data(), w * 4, 1);
            MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        }
    }
    dlclose(lib);
    return result;
}

struct PluginArgs {
    std::string plugin, in, out;
    bool colourOnly = false;
};

int run_plugin(const PluginArgs& a)
{
    const bool colourOnly = a.colourOnly;
    const char *plugin = a.plugin.c_str(), *in = a.in.c_str(), *out = a.out.c_str();
    if (!MVE_ReadFromFile(in) && !MVE_ReadFromFileRAW(in)) return fail("plugin-run", "cannot read %s", in);
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    MVE_IPLInit(0);
    MVE_CreateImage(nullptr, w, h, 8, 0);
    MVE_CreateLayer(1, w, h);
    MVE_SetLayer(1);
    MVE_SetInNewRGBA();
    MVE_DeleteNewRGBA();
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();

    std::vector<unsigned char> before(static_cast<std::size_t>(w) * h * 4), after(before.size());
    MVE_GetRGBA32(before.data(), w * 4);
    const auto dispatch = reinterpret_cast<ImageProcessFn>(dlsym(RTLD_DEFAULT, "MVE_IPLImageProcess"));
    bool ran;
    if (dispatch) {
        // i3 low byte 1: colour mode.
        dispatch(0, "Adobe Compatible Plug-ins", 1, 0, 0, 0, 0, 0, 0, 0, 0, colourOnly ? 1 : 0, 0, 0, 0, 0, 0,
                 0, 0, 0, plugin);
        MVE_GetRGBA32(after.data(), w * 4);
        // The dispatcher reports no plug-in result of its own.
        if (after == before)
            std::fprintf(stderr, "mve: the picture is unchanged (not a plug-in, or it failed?)\n");
        ran = true;
    } else {
        ran = run_directly(plugin, w, h, colourOnly) == MVE_PLUGIN_OK;
        MVE_GetRGBA32(after.data(), w * 4);
    }
    const std::string path = out;
    const std::string ext = path.size() > 4 ? path.substr(path.size() - 4) : ".png";
    const bool written = ran && write_atomically(path, [&](const std::string& p) {
        return MVE_WriteToFileRGBA32(after.data(), w, h, p.c_str(), ext.c_str(), 96) == 1;
    });
    MVE_DeleteImage();
    MVE_IPLExit();
    if (!ran) return fail("plugin-run", "%s is not a plug-in of this engine, or it failed", plugin);
    if (!written) return fail("plugin-run", "cannot write %s", out);
    if (ran && written)
        std::printf("%s: %s -> %s (%s mode)\n", plugin, in, out, colourOnly ? "colour" : "full");
    return ran && written ? 0 : 1;
}

void setup_plugins(CLI::App& mve)
{
    static std::string dir;
    auto* list = mve.add_subcommand("plugins", "List the plug-ins the engine finds in a folder");
    list->add_option("DIR", dir, "Folder of plug-ins (not searched recursively)")->required();
    on_run(list, [] { return run_list(dir); });

    static PluginArgs a;
    auto* run = mve.add_subcommand("plugin-run", "Run one plug-in on a picture");
    run->add_option("PLUGIN", a.plugin, "Plug-in shared object")->required()->check(CLI::ExistingFile);
    run->add_option("IN", a.in, "Input picture")->required();
    run->add_option("OUT", a.out, "Output picture (format by extension)")->required();
    run->add_flag("--colour", a.colourOnly, "Colour mode: the plug-in may not change alpha");
    on_run(run, [] { return run_plugin(a); });
}

}  // namespace

MVE_COMMAND(setup_plugins);

}  // namespace mve_host
