// Demo: a handful of the built-in effects applied to a picture of the layer
// stack through the host's direct entry on its own RGBA32 buffer.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo.h"
#include "morvane/morvane.h"

namespace {

using namespace mve_host;

// The visible layers painted over each other (no blend modes), opaque.
std::vector<unsigned char> stack_picture(const DemoContext& ctx)
{
    const std::size_t count = static_cast<std::size_t>(ctx.width) * ctx.height;
    std::vector<unsigned short> plane(count * 4);
    std::vector<unsigned char> rgba(count * 4, 255);
    for (int index = 1; index <= MVE_GetLayerCount(); ++index) {
        MVE_GetLayerData(plane.data(), index);
        for (std::size_t i = 0; i < count; ++i)
            if (plane[i * 4 + 3] >= 0x8000)
                for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = static_cast<unsigned char>(plane[i * 4 + c] >> 8);
    }
    return rgba;
}

bool save(const DemoContext& ctx, const char* file, const std::vector<unsigned char>& rgba)
{
    const std::string path = ctx.outDir + "/" + file;
    say("wrote %s", path.c_str());
    return check(write_png(path, rgba.data(), ctx.width, ctx.height, 4), file);
}

long channel_sum(const std::vector<unsigned char>& rgba, int channel)
{
    long s = 0;
    for (std::size_t i = channel; i < rgba.size(); i += 4) s += rgba[i];
    return s;
}

bool built_in_effects(DemoContext& ctx)
{
    if (!check(ctx.width > 0 && ctx.height > 0, "a canvas from the earlier steps")) return false;
    const std::vector<unsigned char> picture = stack_picture(ctx);
    const int W = ctx.width, H = ctx.height;
    struct Step {
        const char* name;
        double p1, p2, p3, p4;
        const char* file;
    } steps[] = {
        {"Box Blur", 0.05, 0, 0, 0, "effect_box_blur.png"},            // radius 6
        {"Value Blur", 0.3, 0.9, 0, 0, "effect_value_blur.png"},       // bright colours bleed
        {"Hyper Contrast", 0.5, 0, 0, 0, "effect_hyper_contrast.png"},
        {"Grayscale", 0, 0, 0, 0, "effect_grayscale.png"},
        {"Mirror", 1.0, 0, 0, 0, "effect_mirror.png"},                 // bottom half mirrors the top
        {"Borderize", 0.1, 0.15, 0, 0, "effect_borderize.png"},
    };
    for (const Step& s : steps) {
        std::vector<unsigned char> out = picture;
        if (!check(MVE_IPLRunBuiltinEffect(s.name, out.data(), W, H, s.p1, s.p2, s.p3, s.p4) == 1, s.name))
            return false;
        say("\"%s\" (%.2f, %.2f): red sum %ld -> %ld", s.name, s.p1, s.p2, channel_sum(picture, 0),
            channel_sum(out, 0));
        if (!check(out != picture, "the effect changed the picture")) return false;
        if (!save(ctx, s.file, out)) return false;
        if (std::string(s.name) == "Grayscale") {
            bool grey = true;
            for (std::size_t i = 0; i < out.size(); i += 4) grey &= out[i] == out[i + 1] && out[i + 1] == out[i + 2];
            if (!check(grey, "grayscale has R = G = B")) return false;
        }
        if (std::string(s.name) == "Mirror") {
            // Axis row H/2: row H/2 + k equals row H/2 - k.
            const int d = H - H / 2, k = 7;
            const bool same = std::equal(out.begin() + static_cast<long>(d + k) * W * 4,
                                         out.begin() + static_cast<long>(d + k + 1) * W * 4,
                                         out.begin() + static_cast<long>(d - k) * W * 4);
            if (!check(same, "mirror rows match about the axis")) return false;
        }
        if (std::string(s.name) == "Box Blur") {
            // A blur keeps the overall brightness within rounding (truncation loses < 1 per pass).
            const long before = channel_sum(picture, 1), after = channel_sum(out, 1);
            if (!check(after <= before && before - after <= 6L * W * H, "box blur keeps the brightness"))
                return false;
        }
    }
    // Chained: grey, then inverted.
    std::vector<unsigned char> chain = picture;
    MVE_IPLRunBuiltinEffect("Grayscale", chain.data(), W, H, 0, 0, 0, 0);
    MVE_IPLRunBuiltinEffect("Invert", chain.data(), W, H, 0, 0, 0, 0);
    const int lum = (picture[0] + picture[1] + picture[2]) / 3;
    say("grayscale then invert: first pixel %d -> %d", lum, chain[0]);
    if (!check(chain[0] == 255 - lum, "chained grayscale and invert")) return false;
    return save(ctx, "effect_negative_grey.png", chain);
}

}  // namespace

MVE_DEMO_STEP(700, "built-in effects", built_in_effects);
