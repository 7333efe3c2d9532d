// The pattern generators, run through the image-script executor: each name
// adds its script generator to the session's effect list and fills the
// generator's value slots from the call's arguments, all in the same way
// (the scale of every generator is 100, so f4 arrives in whole percent):
//   14 <- blend code of i2        3 <- seed
//    4 <- trunc(f1 * 100)         5 <- trunc(f2 * 100)
//   18 <- trunc(f3)               6 <- trunc(f4 * 0.01 * 100)
//    7 <- trunc(f5 * 100)        17 <- trunc(f6)
//   15 <- low byte of i3         16 <- low byte of i4
//   8, 9, 10 <- r, g, b when i1 is non-zero, else 255, 255, 255.
// The pattern then runs the list on the layer's copy and writes it back.
#include <cstring>

#include "dispatch/families.h"
#include "dispatch/script_blend_code.h"
#include "imagelib/image_script.h"

namespace mve::dispatch {

namespace {

constexpr double kScale = 100;

struct Generator {
    const char* name;
    int step;  // image-script step id
};

constexpr Generator kGenerators[] = {
    {"Lines", 20},          {"Points", 21},
    {"Circles", 22},        {"Rectangles", 23},
    {"Splines", 24},        {"Worms", 25},
    {"Fibers", 26},         {"Trees", 27},
    {"Generate Noise", 28}, {"Blobs", 29},
    {"Plasma", 30},         {"Sine Plasma", 31},
    {"Fractal Plasma", 32}, {"Generate Perlin Noise", 33},
    {"Pattern", 34},
};

int step_of(const Entry* entry) noexcept
{
    for (const Generator& g : kGenerators)
        if (entry && std::strcmp(entry->name, g.name) == 0) return g.step;
    return 0;
}

double truncated(double v) noexcept
{
    return static_cast<double>(static_cast<long long>(v));
}

bool add_generator(Frame& f)
{
    const int id = step_of(f.entry);
    if (!il::isl_add_effect(id, id)) return false;
    const Arguments& a = f.a;
    auto set = [](int slot, double value) { il::isl_set_effect_value(0, slot, value); };
    set(14, script_blend_code(a.i[1]));
    set(3, a.seed);
    set(4, truncated(double(a.f[0]) * kScale));
    set(5, truncated(double(a.f[1]) * kScale));
    set(18, truncated(a.f[2]));
    set(6, truncated(double(a.f[3]) * 0.01 * kScale));
    set(7, truncated(double(a.f[4]) * kScale));
    set(17, truncated(a.f[5]));
    set(15, a.i[2] & 0xFF);
    set(16, a.i[3] & 0xFF);
    const bool own = a.i[0] != 0;
    set(8, own ? a.r & 0xFF : 255);
    set(9, own ? a.g & 0xFF : 255);
    set(10, own ? a.b & 0xFF : 255);
    return true;
}

constexpr const char* kFamily = "generators";

constexpr Entry kGeneratorEntries[] = {
    {"Lines", kFamily, Pattern::I, add_generator},
    {"Points", kFamily, Pattern::I, add_generator},
    {"Circles", kFamily, Pattern::I, add_generator},
    {"Rectangles", kFamily, Pattern::I, add_generator},
    {"Splines", kFamily, Pattern::I, add_generator},
    {"Worms", kFamily, Pattern::I, add_generator},
    {"Fibers", kFamily, Pattern::I, add_generator},
    {"Trees", kFamily, Pattern::I, add_generator},
    {"Generate Noise", kFamily, Pattern::I, add_generator},
    {"Blobs", kFamily, Pattern::I, add_generator},
    {"Plasma", kFamily, Pattern::I, add_generator},
    {"Sine Plasma", kFamily, Pattern::I, add_generator},
    {"Fractal Plasma", kFamily, Pattern::I, add_generator},
    {"Generate Perlin Noise", kFamily, Pattern::I, add_generator},
    {"Pattern", kFamily, Pattern::I, add_generator},
};

}  // namespace

std::span<const Entry> generator_family() noexcept
{
    return kGeneratorEntries;
}

}  // namespace mve::dispatch
