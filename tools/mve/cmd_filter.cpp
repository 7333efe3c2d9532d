// mve filter SCRIPT.lua IN OUT [p1 .. p6]: runs a Lua filter over a picture.
// The picture becomes a one-layer canvas, the script runs with the sliders
// p1..p6 (thousandths: 500 gives sliderVal 0.5), and the layer is written.
// A paint script the filter records goes to OUT's folder + "scripts/".
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

int run_filter_command(int argc, char** argv)
{
    if (argc < 4 || argc > 10) {
        std::fprintf(stderr, "usage: mve filter SCRIPT.lua IN OUT [p1 .. p6]\n");
        return 2;
    }
    int p[6] = {};
    for (int k = 4; k < argc; ++k) p[k - 4] = std::atoi(argv[k]);
    if (!MVE_ReadFromFile(argv[2])) {
        std::fprintf(stderr, "mve filter: cannot read %s\n", argv[2]);
        return 1;
    }
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetNewRGBA32(rgba.data());
    MVE_CreateImage(nullptr, w, h, 8, 0);
    if (MVE_CreateLayer(1, w, h) != 1) {
        std::fprintf(stderr, "mve filter: no memory for a %d x %d layer\n", w, h);
        return 1;
    }
    MVE_SetLayer(1);
    MVE_LoadRGBA32(rgba.data(), w * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetStartDir(folder_of(argv[3]).c_str());
    MVE_SetMessageBoxHandler(print_message, nullptr);
    MVE_LuaFilterRun(argv[1], 0, p[0], p[1], p[2], p[3], p[4], p[5], 0, 0, 0, 0, 0, 0, 0, 0);
    if (script_failed) return 1;
    MVE_GetRGBA32(rgba.data(), w * 4);
    if (MVE_WriteToFileRGBA32(rgba.data(), w, h, argv[3], ".png", 96) != 1) {
        std::fprintf(stderr, "mve filter: cannot write %s\n", argv[3]);
        return 1;
    }
    MVE_DeleteImage();
    return 0;
}

}  // namespace

MVE_COMMAND("filter", "filter SCRIPT.lua IN OUT [p1 .. p6]", run_filter_command);
