// The registry of image-script steps: names, value slots with their names and
// defaults, and the function that runs each generator or effect.
#pragma once

#include <array>
#include <cstdint>

#include "core/random.h"
#include "imagelib/image_script.h"

namespace mve::il::isl_detail {

struct Picture {
    std::uint8_t* bgra = nullptr;  // width * height pixels, B G R A
    int width = 0;
    int height = 0;
};

using StepFn = void (*)(const IslStep& step, Picture pic, CrtRandom& rng);

// A named value: `count` consecutive slots from `slot` (a colour is 3 or 4).
struct SlotName {
    const char* name = nullptr;
    int slot = 0;
    int count = 1;
};

constexpr int kMaxSlotNames = 12;

struct StepInfo {
    int id;
    const char* name;
    StepFn run;
    std::array<double, kIslValueSlots> defaults;
    std::array<SlotName, kMaxSlotNames> slots;
};

// Pixel visits a step makes on a width x height picture with its values
// clamped to their ranges (an upper estimate: shapes count their whole
// bounding box).
double step_work(const IslStep& step, int width, int height) noexcept;

const StepInfo* find_step(int id) noexcept;
const StepInfo* find_step(const char* name) noexcept;

// Generators (image_script_generators.cpp). Every generator shares slots
// 0 opacity (percent), 1 blend mode, 2..5 first colour and 6..9 second
// colour (R, G, B, A); its own values start at slot 10.
void gen_fill(const IslStep&, Picture, CrtRandom&);
void gen_gradient(const IslStep&, Picture, CrtRandom&);
void gen_noise(const IslStep&, Picture, CrtRandom&);
void gen_plasma(const IslStep&, Picture, CrtRandom&);
void gen_perlin(const IslStep&, Picture, CrtRandom&);
void gen_lines(const IslStep&, Picture, CrtRandom&);
void gen_points(const IslStep&, Picture, CrtRandom&);
void gen_circles(const IslStep&, Picture, CrtRandom&);
// Strokes and outlines (image_script_strokes.cpp).
void gen_rectangles(const IslStep&, Picture, CrtRandom&);
void gen_splines(const IslStep&, Picture, CrtRandom&);
void gen_worms(const IslStep&, Picture, CrtRandom&);
void gen_fibers(const IslStep&, Picture, CrtRandom&);
void gen_trees(const IslStep&, Picture, CrtRandom&);
void gen_blobs(const IslStep&, Picture, CrtRandom&);
// Formula fields (image_script_fields.cpp).
void gen_sine_plasma(const IslStep&, Picture, CrtRandom&);
void gen_colour_plasma(const IslStep&, Picture, CrtRandom&);
void gen_pattern(const IslStep&, Picture, CrtRandom&);
// The dispatcher's generators 20..34 in its slot layout
// (image_script_host_generators.cpp): one function for all of them.
void gen_host(const IslStep&, Picture, CrtRandom&);
// The script generator step a dispatcher generator step stands for; false
// for an id that is not one of them.
bool host_generator_step(const IslStep& host, IslStep& out) noexcept;

// Effects (image_script_effects.cpp).
void fx_invert(const IslStep&, Picture, CrtRandom&);
void fx_rotate(const IslStep&, Picture, CrtRandom&);
void fx_blur(const IslStep&, Picture, CrtRandom&);
void fx_contrast(const IslStep&, Picture, CrtRandom&);
void fx_grayscale(const IslStep&, Picture, CrtRandom&);
void fx_threshold(const IslStep&, Picture, CrtRandom&);

// Effects and distortions the dispatcher's script family names (ids 100..),
// image_script_effects2.cpp and image_script_distortions.cpp.
void fx_colorize(const IslStep&, Picture, CrtRandom&);
void fx_edge(const IslStep&, Picture, CrtRandom&);
void fx_bump(const IslStep&, Picture, CrtRandom&);
void fx_emboss2(const IslStep&, Picture, CrtRandom&);
void fx_maximum(const IslStep&, Picture, CrtRandom&);
void fx_minimum(const IslStep&, Picture, CrtRandom&);
void fx_twirl(const IslStep&, Picture, CrtRandom&);
void fx_sine_distortion(const IslStep&, Picture, CrtRandom&);
void fx_kaleidoscope(const IslStep&, Picture, CrtRandom&);
void fx_scratch(const IslStep&, Picture, CrtRandom&);
void fx_waves(const IslStep&, Picture, CrtRandom&);
void fx_divider(const IslStep&, Picture, CrtRandom&);
void fx_carpet(const IslStep&, Picture, CrtRandom&);
void fx_glass(const IslStep&, Picture, CrtRandom&);
void fx_voxel(const IslStep&, Picture, CrtRandom&);
void fx_zoom(const IslStep&, Picture, CrtRandom&);
void fx_tilt(const IslStep&, Picture, CrtRandom&);
void fx_seamless(const IslStep&, Picture, CrtRandom&);
void fx_patternize(const IslStep&, Picture, CrtRandom&);

// Slot i of a step clamped to [lo, hi]; a value that is not a number (the
// session takes any double) counts as lo.
inline double clamped_slot(const IslStep& s, int i, double lo, double hi) noexcept
{
    const double v = s.values[static_cast<std::size_t>(i)];
    return v != v ? lo : (v < lo ? lo : (v > hi ? hi : v));
}

// A uniform value in [0, 1] from the script's stream.
inline double unit(CrtRandom& rng) noexcept { return rng.next() / 32767.0; }

}  // namespace mve::il::isl_detail
