// mve effect and mve effects: any registered effect applied to a picture
// through the dispatcher, and the list of what is registered.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "demo.h"
#include "effect_call.h"
#include "morvane/morvane.h"

namespace mve_host {

void add_effect_options(CLI::App* sub, EffectCall& call)
{
    for (int k = 0; k < 6; ++k)
        sub->add_option("--p" + std::to_string(k + 1), call.p[k], "Slider " + std::to_string(k + 1) + " (0..1000)")
            ->group("Effect parameters");
    for (int k = 0; k < 8; ++k)
        sub->add_option("--i" + std::to_string(k + 1), call.i[k], "Integer option " + std::to_string(k + 1))
            ->group("Effect parameters");
    sub->add_option("--rgb", call.rgb, "Colour R,G,B (0..255 each)")
        ->delimiter(',')
        ->expected(3)
        ->check(CLI::Range(0, 255))
        ->group("Effect parameters");
    sub->add_option("--text", call.text, "A file path the effect reads (texture, script, plug-in)")
        ->group("Effect parameters");
    sub->add_option("--seed", call.seed, "Random seed (0 draws one)")->group("Effect parameters");
}

bool known_effect(const std::string& name)
{
    for (int k = 0; k < MVE_IPLEffectCount(); ++k)
        if (name == MVE_IPLEffectInfo(k, nullptr, nullptr)) return true;
    return false;
}

bool apply_effect(const std::string& name, const EffectCall& call)
{
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    MVE_SetLastError("");
    const int ran = MVE_IPLImageProcess(0, name.c_str(), call.seed, call.p[0], call.p[1], call.p[2], call.p[3],
                                        call.p[4], call.p[5], call.i[0], call.i[1], call.i[2], call.i[3],
                                        call.i[4], call.i[5], call.i[6], call.i[7], call.rgb[0], call.rgb[1],
                                        call.rgb[2], call.text.empty() ? nullptr : call.text.c_str());
    const char* error = MVE_GetLastError();
    if (ran && !(error && error[0])) return true;
    if (!(error && error[0])) MVE_SetLastError("the effect did not run");
    return false;
}

namespace {

struct EffectArgs {
    std::string name, in, out;
    EffectCall call;
};

int run_effect(const EffectArgs& a)
{
    if (!known_effect(a.name)) return fail("effect", "no effect named \"%s\" (see mve effects)", a.name.c_str());
    if (!MVE_ReadFromFile(a.in.c_str())) return fail("effect", "cannot read %s", a.in.c_str());
    const int w = MVE_GetNewRGBAWidth(), h = MVE_GetNewRGBAHeight();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    MVE_GetNewRGBA32(rgba.data());
    MVE_DeleteNewRGBA();
    MVE_IPLInit(0);
    MVE_CreateImage(nullptr, w, h, 8, 0);
    MVE_CreateLayer(1, w, h);
    MVE_SetLayer(1);
    MVE_LoadRGBA32(rgba.data(), w * 4, 0);
    bool ran;
    {
        Progress progress("effect " + a.name);
        ran = apply_effect(a.name, a.call);
    }
    if (!ran) {
        const int code = fail("effect", "\"%s\" failed on %s", a.name.c_str(), a.in.c_str());
        MVE_DeleteImage();
        MVE_IPLExit();
        return code;
    }
    MVE_GetRGBA32(rgba.data(), w * 4);
    MVE_DeleteImage();
    MVE_IPLExit();
    if (!write_atomically(a.out, [&](const std::string& p) { return write_png(p, rgba.data(), w, h, 4); }))
        return fail("effect", "cannot write %s", a.out.c_str());
    std::printf("%s: %s %dx%d -> %s\n", a.name.c_str(), a.in.c_str(), w, h, a.out.c_str());
    return 0;
}

int list_effects()
{
    for (int k = 0; k < MVE_IPLEffectCount(); ++k) {
        const char *family = nullptr, *pattern = nullptr;
        const char* name = MVE_IPLEffectInfo(k, &family, &pattern);
        std::printf("%-28s %-18s %s\n", name, family, pattern);
    }
    return 0;
}

void setup_effect(CLI::App& mve)
{
    static EffectArgs a;
    auto* sub = mve.add_subcommand("effect", "Apply one registered effect to a picture (written as PNG)");
    sub->add_option("NAME", a.name, "Effect name exactly as `mve effects` lists it")->required();
    sub->add_option("IN", a.in, "Input picture")->required();
    sub->add_option("OUT", a.out, "Output PNG")->required();
    add_effect_options(sub, a.call);
    on_run(sub, [] { return run_effect(a); });

    auto* list = mve.add_subcommand("effects", "List the registered effects: name, family, pattern");
    on_run(list, [] { return list_effects(); });
}

}  // namespace

MVE_COMMAND(setup_effect);

}  // namespace mve_host
