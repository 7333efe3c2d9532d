// The table of image-script steps. Ids are fixed: scripts and the engine's
// callers name steps by number (the rotation is effect 51), so new steps get
// new numbers and existing numbers never change meaning.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/image_script_steps.h"

namespace mve::il::isl_detail {

namespace {

using Values = std::array<double, kIslValueSlots>;

// Generator defaults: opacity 100 %, normal blend, black to white, then the
// generator's own six values from slot 10.
constexpr Values gen(double a = 0, double b = 0, double c = 0, double d = 0, double e = 0, double f = 0)
{
    return {100, 0, 0, 0, 0, 255, 255, 255, 255, 255, a, b, c, d, e, f};
}

constexpr SlotName kOpacity{"opacity", 0, 1}, kMode{"mode", 1, 1}, kColor1{"color1", 2, 4},
    kColor2{"color2", 6, 4};

#define MVE_GEN_SLOTS kOpacity, kMode, kColor1, kColor2

// A value set in a defaults row.
constexpr Values with(Values v, int slot, double value)
{
    v[static_cast<std::size_t>(slot)] = value;
    return v;
}

// Dispatcher generator defaults: opacity 100 %, white, blend code 12
// ("Normal"), seed 0 (the script's stream), then v1..v8 in their slots.
constexpr Values host(double v1 = 0, double v2 = 0, double v3 = 0, double v4 = 0, double v5 = 0, double v6 = 0)
{
    Values v{};
    v[0] = 100;
    v[8] = v[9] = v[10] = 255;
    v[14] = 12;
    v[4] = v1;
    v[5] = v2;
    v[18] = v3;
    v[6] = v4;
    v[7] = v5;
    v[17] = v6;
    return v;
}

#define MVE_HOST_SLOTS                                                                                       \
    kOpacity, SlotName{"seed", 3, 1}, SlotName{"v1", 4, 1}, SlotName{"v2", 5, 1}, SlotName{"v3", 18, 1},        \
        SlotName{"v4", 6, 1}, SlotName{"v5", 7, 1}, SlotName{"v6", 17, 1}, SlotName{"v7", 15, 1},               \
        SlotName{"v8", 16, 1}, SlotName{"colour", 8, 3}, SlotName{"blend", 14, 1}

const StepInfo kSteps[] = {
    {1, "fill", gen_fill, gen(), {MVE_GEN_SLOTS}},
    {2, "gradient", gen_gradient, gen(0), {MVE_GEN_SLOTS, SlotName{"angle", 10, 1}}},
    {3, "noise", gen_noise, gen(1), {MVE_GEN_SLOTS, SlotName{"cell", 10, 1}}},
    {4, "plasma", gen_plasma, gen(50), {MVE_GEN_SLOTS, SlotName{"roughness", 10, 1}}},
    {5, "perlin", gen_perlin, gen(32, 4, 50),
     {MVE_GEN_SLOTS, SlotName{"cell", 10, 1}, SlotName{"octaves", 11, 1}, SlotName{"persistence", 12, 1}}},
    {6, "lines", gen_lines, gen(20, 2, 0, 180, 100, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"thickness", 11, 1}, SlotName{"angle", 12, 1},
      SlotName{"jitter", 13, 1}, SlotName{"length", 14, 1}, SlotName{"vary", 15, 1}}},
    {7, "points", gen_points, gen(200, 3, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"size", 11, 1}, SlotName{"vary", 12, 1}}},
    {8, "circles", gen_circles, gen(20, 4, 16, 0, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"min", 11, 1}, SlotName{"max", 12, 1},
      SlotName{"outline", 13, 1}, SlotName{"vary", 14, 1}}},
    // --- Generators 9..17 and the dispatcher's generators 20..34 -----------
    {9, "rectangles", gen_rectangles, gen(20, 4, 24, 0, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"min", 11, 1}, SlotName{"max", 12, 1},
      SlotName{"outline", 13, 1}, SlotName{"vary", 14, 1}}},
    {10, "splines", gen_splines, gen(10, 2, 50, 50, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"thickness", 11, 1}, SlotName{"size", 12, 1},
      SlotName{"bend", 13, 1}, SlotName{"vary", 14, 1}}},
    {11, "worms", gen_worms, gen(20, 6, 80, 30, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"thickness", 11, 1}, SlotName{"length", 12, 1},
      SlotName{"curl", 13, 1}, SlotName{"vary", 14, 1}}},
    {12, "fibers", gen_fibers, with(gen(300, 20, 1, 0, 20, 5), 16, 60),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"length", 11, 1}, SlotName{"thickness", 12, 1},
      SlotName{"angle", 13, 1}, SlotName{"jitter", 14, 1}, SlotName{"curl", 15, 1}, SlotName{"vary", 16, 1}}},
    {13, "trees", gen_trees, gen(4, 35, 7, 25, 6, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"size", 11, 1}, SlotName{"depth", 12, 1},
      SlotName{"spread", 13, 1}, SlotName{"thickness", 14, 1}, SlotName{"vary", 15, 1}}},
    {14, "blobs", gen_blobs, gen(12, 8, 32, 30, 2, 0),
     {MVE_GEN_SLOTS, SlotName{"count", 10, 1}, SlotName{"min", 11, 1}, SlotName{"max", 12, 1},
      SlotName{"wobble", 13, 1}, SlotName{"softness", 14, 1}, SlotName{"vary", 15, 1}}},
    {15, "sine_plasma", gen_sine_plasma, gen(40, 0),
     {MVE_GEN_SLOTS, SlotName{"scale", 10, 1}, SlotName{"mono", 11, 1}}},
    {16, "colour_plasma", gen_colour_plasma, gen(50), {MVE_GEN_SLOTS, SlotName{"roughness", 10, 1}}},
    {17, "pattern", gen_pattern, gen(0, 16, 50),
     {MVE_GEN_SLOTS, SlotName{"kind", 10, 1}, SlotName{"cell", 11, 1}, SlotName{"width", 12, 1}}},
    {20, "host_lines", gen_host, host(500, 200, 0, 30, 10000, 0), {MVE_HOST_SLOTS}},
    {21, "host_points", gen_host, host(1000, 300), {MVE_HOST_SLOTS}},
    {22, "host_circles", gen_host, host(200, 400, 0, 0, 1600), {MVE_HOST_SLOTS}},
    {23, "host_rectangles", gen_host, host(200, 400, 0, 0, 2400), {MVE_HOST_SLOTS}},
    {24, "host_splines", gen_host, host(1000, 200, 50, 50), {MVE_HOST_SLOTS}},
    {25, "host_worms", gen_host, host(2000, 600, 30, 0, 800), {MVE_HOST_SLOTS}},
    {26, "host_fibers", gen_host, host(1500, 1000, 0, 20, 600, 60), {MVE_HOST_SLOTS}},
    {27, "host_trees", gen_host, host(800, 1200, 60, 35, 3000), {MVE_HOST_SLOTS}},
    {28, "host_noise", gen_host, host(0), {MVE_HOST_SLOTS}},
    {29, "host_blobs", gen_host, host(1200, 800, 30, 4, 3200), {MVE_HOST_SLOTS}},
    {30, "host_plasma", gen_host, host(5000), {MVE_HOST_SLOTS}},
    {31, "host_sine_plasma", gen_host, host(720), {MVE_HOST_SLOTS}},
    {32, "host_fractal_plasma", gen_host, host(5000), {MVE_HOST_SLOTS}},
    {33, "host_perlin_noise", gen_host, host(620, 0, 43, 50), {MVE_HOST_SLOTS}},
    {34, "host_pattern", gen_host, host(700, 0, 0, 50), {MVE_HOST_SLOTS}},
    // --- end of generators 9..34 ----------------------------------------
    {50, "invert", fx_invert, Values{}, {}},
    {kIslRotateEffect, "rotate", fx_rotate, Values{0, 0, 0, 0, 100},
     {SlotName{"angle", 3, 1}, SlotName{"scale", 4, 1}}},
    {52, "blur", fx_blur, Values{2, 3}, {SlotName{"radius", 0, 1}, SlotName{"passes", 1, 1}}},
    {53, "contrast", fx_contrast, Values{0, 0}, {SlotName{"contrast", 0, 1}, SlotName{"brightness", 1, 1}}},
    {54, "grayscale", fx_grayscale, Values{}, {}},
    {55, "threshold", fx_threshold, Values{128}, {SlotName{"level", 0, 1}}},

    // Effects and distortions of the dispatcher's script family (ids 100..).
    {100, "colorize", fx_colorize, Values{30, 50, 100},
     {SlotName{"hue", 0, 1}, SlotName{"saturation", 1, 1}, SlotName{"amount", 2, 1}}},
    {101, "edge", fx_edge, Values{100, 0}, {SlotName{"strength", 0, 1}, SlotName{"invert", 1, 1}}},
    {102, "bump", fx_bump, Values{135, 45, 100},
     {SlotName{"angle", 0, 1}, SlotName{"elevation", 1, 1}, SlotName{"depth", 2, 1}}},
    {103, "emboss2", fx_emboss2, Values{135, 100, 1},
     {SlotName{"angle", 0, 1}, SlotName{"depth", 1, 1}, SlotName{"grey", 2, 1}}},
    {104, "maximum", fx_maximum, Values{1}, {SlotName{"radius", 0, 1}}},
    {105, "minimum", fx_minimum, Values{1}, {SlotName{"radius", 0, 1}}},
    {110, "twirl", fx_twirl, Values{90, 100, 50, 50},
     {SlotName{"angle", 0, 1}, SlotName{"radius", 1, 1}, SlotName{"x", 2, 1}, SlotName{"y", 3, 1}}},
    {111, "sine", fx_sine_distortion, Values{8, 8, 64, 0},
     {SlotName{"xamplitude", 0, 1}, SlotName{"yamplitude", 1, 1}, SlotName{"wavelength", 2, 1},
      SlotName{"phase", 3, 1}}},
    {112, "kaleidoscope", fx_kaleidoscope, Values{6, 0, 50, 50},
     {SlotName{"segments", 0, 1}, SlotName{"angle", 1, 1}, SlotName{"x", 2, 1}, SlotName{"y", 3, 1}}},
    {113, "scratch", fx_scratch, Values{10, 20, 0, 1},
     {SlotName{"density", 0, 1}, SlotName{"length", 1, 1}, SlotName{"horizontal", 2, 1}, SlotName{"seed", 3, 1}}},
    {114, "waves", fx_waves, Values{6, 40, 0, 0},
     {SlotName{"amplitude", 0, 1}, SlotName{"wavelength", 1, 1}, SlotName{"direction", 2, 1},
      SlotName{"phase", 3, 1}}},
    {115, "divider", fx_divider, Values{2, 2}, {SlotName{"columns", 0, 1}, SlotName{"rows", 1, 1}}},
    {116, "carpet", fx_carpet, Values{2, 2}, {SlotName{"columns", 0, 1}, SlotName{"rows", 1, 1}}},
    {117, "glass", fx_glass, Values{16, 50}, {SlotName{"size", 0, 1}, SlotName{"strength", 1, 1}}},
    {118, "voxel", fx_voxel, Values{8, 30}, {SlotName{"size", 0, 1}, SlotName{"depth", 1, 1}}},
    {119, "zoom", fx_zoom, Values{100, 50, 50}, {SlotName{"scale", 0, 1}, SlotName{"x", 1, 1}, SlotName{"y", 2, 1}}},
    {120, "tilt", fx_tilt, Values{30, 0, 200},
     {SlotName{"back", 0, 1}, SlotName{"side", 1, 1}, SlotName{"distance", 2, 1}}},
    {121, "seamless", fx_seamless, Values{25}, {SlotName{"band", 0, 1}}},
    {122, "patternize", fx_patternize, Values{64, 50, 50, 25, 1},
     {SlotName{"cell", 0, 1}, SlotName{"x", 1, 1}, SlotName{"y", 2, 1}, SlotName{"side", 3, 1},
      SlotName{"mirror", 4, 1}}},
};

#undef MVE_GEN_SLOTS
#undef MVE_HOST_SLOTS

}  // namespace

namespace {

double value_in(const IslStep& s, int slot, double lo, double hi)
{
    return std::clamp(s.values[static_cast<std::size_t>(slot)], lo, hi);
}

// Shapes: each paints its bounding box of `side` pixels across, at most the
// whole picture nine times over (a shape wraps into its neighbours).
double shape_work(double count, double side, double area)
{
    return std::floor(count) * std::min(side * side, 9 * area);
}

}  // namespace

double step_work(const IslStep& s, int width, int height) noexcept
{
    const double area = double(width) * height, longer = std::max(width, height);
    constexpr double kShapes = 100000, kSide = kIslMaxSide;
    if (s.id >= 20 && s.id <= 34) {  // the dispatcher's generators: as the script generator they run
        IslStep script;
        return host_generator_step(s, script) ? step_work(script, width, height) : area;
    }
    switch (s.id) {
    case 9: {
        const double hi = std::max(value_in(s, 11, 0, kSide), value_in(s, 12, 0, kSide));
        return area + shape_work(value_in(s, 10, 0, kShapes), hi + 2, area);
    }
    case 10: {  // splines: 32 pieces, each at most a third of the span plus the stroke
        const double span = value_in(s, 12, 0, 100) / 100.0 * longer;
        return area + shape_work(value_in(s, 10, 0, kShapes) * 32, span + value_in(s, 11, 0, kSide) + 2, area);
    }
    case 11: {  // worms: length / step pieces of one step plus the stroke
        const double thick = value_in(s, 11, 0, kSide), step = std::max(1.0, thick / 2);
        const double steps = std::min(4096.0, value_in(s, 12, 0, 16384) / step);
        return area + shape_work(value_in(s, 10, 0, kShapes) * std::floor(steps), step + thick + 2, area);
    }
    case 12: {  // fibers: two-pixel pieces
        const double steps = std::min(4096.0, std::ceil(value_in(s, 11, 0, 100) / 100.0 * longer / 2));
        return area + shape_work(value_in(s, 10, 0, kShapes) * steps, 2 + value_in(s, 12, 0, kSide) + 2, area);
    }
    case 13: {  // trees: 2^depth - 1 branches, none longer than the whole tree
        const double branches = std::pow(2.0, std::floor(value_in(s, 12, 1, 12))) - 1;
        const double side = value_in(s, 11, 0, 100) / 100.0 * height + value_in(s, 14, 0, kSide) + 2;
        return area + shape_work(value_in(s, 10, 0, kShapes) * branches, side, area);
    }
    case 14: {  // blobs: radius up to max x 2 with the wobble, plus the soft rim
        const double hi = std::max(value_in(s, 11, 0, kSide), value_in(s, 12, 0, kSide));
        return area + shape_work(value_in(s, 10, 0, kShapes), 4 * hi + 2 * value_in(s, 14, 0, kSide) + 4, area);
    }
    case 16: return area * 3;  // colour plasma: three fields
    case 5: return area * std::floor(value_in(s, 11, 1, 8));  // perlin: one pass per octave
    case 6: {  // lines: length percent of the longer side, plus the stroke
        const double length = value_in(s, 14, 0, 100) / 100.0 * longer;
        return area + shape_work(value_in(s, 10, 0, kShapes), length + value_in(s, 11, 0, kSide) + 2, area);
    }
    case 7: return area + shape_work(value_in(s, 10, 0, kShapes), value_in(s, 11, 0, kSide) + 2, area);
    case 8: {
        const double hi = std::max(value_in(s, 11, 0, kSide), value_in(s, 12, 0, kSide));
        return area + shape_work(value_in(s, 10, 0, kShapes), 2 * hi + 2, area);
    }
    case 52: {  // blur: every pass runs along rows and columns, each line starting with its window
        const double passes = std::floor(value_in(s, 1, 0, 8)), radius = std::floor(value_in(s, 0, 0, 256));
        return passes * 2 * (area + (double(width) + height) * (2 * radius + 1));
    }
    default: return area;
    }
}

const StepInfo* find_step(int id) noexcept
{
    for (const StepInfo& s : kSteps)
        if (s.id == id) return &s;
    return nullptr;
}

const StepInfo* find_step(const char* name) noexcept
{
    if (!name) return nullptr;
    for (const StepInfo& s : kSteps)
        if (std::strcmp(s.name, name) == 0) return &s;
    return nullptr;
}

}  // namespace mve::il::isl_detail

namespace mve::il {

bool default_step(int id, IslStep& out) noexcept
{
    const isl_detail::StepInfo* info = isl_detail::find_step(id);
    if (!info) return false;
    out.id = id;
    out.values = info->defaults;
    return true;
}

int step_id_from_name(const char* name) noexcept
{
    const isl_detail::StepInfo* info = isl_detail::find_step(name);
    return info ? info->id : 0;
}

}  // namespace mve::il
