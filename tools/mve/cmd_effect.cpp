// mve effect and mve effects: any registered effect applied to a picture
// through the dispatcher, and the list of what is registered.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace mve_host {

namespace {

int effect_usage()
{
    std::fprintf(stderr,
                 "usage: mve effect NAME IN.png OUT.png [--p1 N ... --p6 N] [--i1 N ... --i8 N]\n"
                 "                  [--rgb R,G,B] [--text PATH] [--seed N]\n"
                 "  NAME exactly as `mve effects` lists it; p sliders 0..1000, seed 0 draws one\n");
    return 2;
}

struct EffectCall {
    int p[6] = {};
    int i[8] = {};
    int rgb[3] = {};
    int seed = 0;
    const char* text = nullptr;
};

bool parse_int(const char* s, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!s[0] || *end) return false;
    out = static_cast<int>(v);
    return true;
}

// Options --p1..--p6 are codes 0..5, --i1..--i8 codes 6..13.
bool parse_options(int argc, char** argv, EffectCall& call)
{
    enum { kRgb = 100, kText, kSeed };
    std::vector<option> options;
    static const char* const names[] = {"p1", "p2", "p3", "p4", "p5", "p6", "i1",
                                        "i2", "i3", "i4", "i5", "i6", "i7", "i8"};
    for (int k = 0; k < 14; ++k) options.push_back({names[k], required_argument, nullptr, k});
    options.push_back({"rgb", required_argument, nullptr, kRgb});
    options.push_back({"text", required_argument, nullptr, kText});
    options.push_back({"seed", required_argument, nullptr, kSeed});
    options.push_back({nullptr, 0, nullptr, 0});
    optind = 1;
    int code;
    while ((code = getopt_long(argc, argv, "", options.data(), nullptr)) != -1) {
        if (code >= 0 && code < 6) {
            if (!parse_int(optarg, call.p[code])) return false;
        } else if (code >= 6 && code < 14) {
            if (!parse_int(optarg, call.i[code - 6])) return false;
        } else if (code == kRgb) {
            if (std::sscanf(optarg, "%d,%d,%d", &call.rgb[0], &call.rgb[1], &call.rgb[2]) != 3) return false;
        } else if (code == kText) {
            call.text = optarg;
        } else if (code == kSeed) {
            if (!parse_int(optarg, call.seed)) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool known_effect(const char* name)
{
    for (int k = 0; k < MVE_IPLEffectCount(); ++k)
        if (std::strcmp(MVE_IPLEffectInfo(k, nullptr, nullptr), name) == 0) return true;
    return false;
}

int run_effect(int argc, char** argv)
{
    EffectCall call;
    if (!parse_options(argc, argv, call) || argc - optind != 3) return effect_usage();
    const char* name = argv[optind];
    const char* in = argv[optind + 1];
    const std::string out = argv[optind + 2];
    if (!known_effect(name)) {
        std::fprintf(stderr, "mve effect: no effect named \"%s\" (see mve effects)\n", name);
        return 1;
    }
    if (!MVE_ReadFromFile(in)) {
        std::fprintf(stderr, "mve effect: cannot read %s\n", in);
        return 1;
    }
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetNewRGBA32(rgba.data());
    MVE_DeleteNewRGBA();
    MVE_IPLInit(0);
    MVE_CreateImage(nullptr, w, h, 8, 0);
    MVE_CreateLayer(1, w, h);
    MVE_SetLayer(1);
    MVE_LoadRGBA32(rgba.data(), w * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetLastError("");
    const int ran =
        MVE_IPLImageProcess(0, name, call.seed, call.p[0], call.p[1], call.p[2], call.p[3], call.p[4],
                            call.p[5], call.i[0], call.i[1], call.i[2], call.i[3], call.i[4], call.i[5],
                            call.i[6], call.i[7], call.rgb[0], call.rgb[1], call.rgb[2], call.text);
    const char* error = MVE_GetLastError();
    MVE_GetRGBA32(rgba.data(), w * 4);
    MVE_DeleteImage();
    MVE_IPLExit();
    if (!ran || (error && error[0])) {
        std::fprintf(stderr, "mve effect: %s\n", error && error[0] ? error : "the effect did not run");
        return 1;
    }
    if (!write_png(out, rgba.data(), w, h, 4)) {
        std::fprintf(stderr, "mve effect: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %s %dx%d -> %s\n", name, in, w, h, out.c_str());
    return 0;
}

int list_effects(int, char**)
{
    for (int k = 0; k < MVE_IPLEffectCount(); ++k) {
        const char *family = nullptr, *pattern = nullptr;
        const char* name = MVE_IPLEffectInfo(k, &family, &pattern);
        std::printf("%-28s %-18s %s\n", name, family, pattern);
    }
    return 0;
}

}  // namespace

MVE_COMMAND("effect", "effect NAME IN.png OUT.png [--p1 N ... --i1 N ... --rgb R,G,B --text PATH --seed N]",
            run_effect);
MVE_COMMAND("effects", "effects", list_effects);

}  // namespace mve_host
