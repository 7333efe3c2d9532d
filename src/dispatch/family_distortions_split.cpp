// The image-script distortions: pixel movers run through the script session
// on premultiplied colour (pattern I+). Sliders run 0..1000 (fN = pN * 0.1);
// where a slider sets a turn or a signed strength, 500 is the neutral middle.
// Centres (percent of the canvas) are the middle when both centre sliders are 0.
#include "dispatch/families.h"
#include "dispatch/script_effect_args.h"

namespace mve::dispatch {

namespace {

// angle trunc(f1 * 7.2) - 360 degrees, radius trunc(f2) % of half the
// diagonal (0 means 100), centre f3, f4.
bool twirl(Frame& f)
{
    const double radius = f.a.p[1] == 0 ? 100 : slider_value(f, 2, 1);
    return add_script_step(il::kIslTwirl, {{0, slider_value(f, 1, 7.2, -360)},
                                           {1, radius},
                                           {2, centre_percent(f, 3, 4, 3)},
                                           {3, centre_percent(f, 3, 4, 4)}});
}

// amplitudes trunc(f1), trunc(f2) pixels, wavelength trunc(f3 * 4) pixels,
// phase trunc(f4 * 3.6) degrees.
bool sine_distortion(Frame& f)
{
    return add_script_step(il::kIslSine, {{0, slider_value(f, 1, 1)},
                                          {1, slider_value(f, 2, 1)},
                                          {2, slider_value(f, 3, 4)},
                                          {3, slider_value(f, 4, 3.6)}});
}

// segments trunc(f1 * 0.32) (2..32), mirror turn trunc(f2 * 3.6), centre f3, f4.
bool kaleidoscope(Frame& f)
{
    return add_script_step(il::kIslKaleidoscope, {{0, slider_value(f, 1, 0.32)},
                                                  {1, slider_value(f, 2, 3.6)},
                                                  {2, centre_percent(f, 3, 4, 3)},
                                                  {3, centre_percent(f, 3, 4, 4)}});
}

// density trunc(f1) %, length trunc(f2) pixels, rows when the low byte of i3
// is set, the call's seed.
bool scratch(Frame& f)
{
    return add_script_step(il::kIslScratch, {{0, slider_value(f, 1, 1)},
                                             {1, slider_value(f, 2, 1)},
                                             {2, option_byte(f, 3) ? 1.0 : 0.0},
                                             {3, static_cast<double>(f.a.seed)}});
}

// amplitude trunc(f1) pixels, wavelength trunc(f2 * 4) pixels, direction and
// phase trunc(f3 * 3.6), trunc(f4 * 3.6) degrees.
bool waves(Frame& f)
{
    return add_script_step(il::kIslWaves, {{0, slider_value(f, 1, 1)},
                                           {1, slider_value(f, 2, 4)},
                                           {2, slider_value(f, 3, 3.6)},
                                           {3, slider_value(f, 4, 3.6)}});
}

// columns and rows trunc(f1 * 0.2), trunc(f2 * 0.2) (1..20).
bool divider(Frame& f)
{
    return add_script_step(il::kIslDivider, {{0, slider_value(f, 1, 0.2)}, {1, slider_value(f, 2, 0.2)}});
}

bool carpet(Frame& f)
{
    return add_script_step(il::kIslCarpet, {{0, slider_value(f, 1, 0.2)}, {1, slider_value(f, 2, 0.2)}});
}

// block trunc(f1) pixels (2..100), strength trunc(f2 * 2) - 100 %.
bool glass(Frame& f)
{
    return add_script_step(il::kIslGlass, {{0, slider_value(f, 1, 1)}, {1, slider_value(f, 2, 2, -100)}});
}

// block trunc(f1) pixels, shading depth trunc(f2) %.
bool voxel(Frame& f)
{
    return add_script_step(il::kIslVoxel, {{0, slider_value(f, 1, 1)}, {1, slider_value(f, 2, 1)}});
}

// scale trunc(f1 * 10) % (p1 = 100 keeps the picture), centre f2, f3.
bool zoom(Frame& f)
{
    return add_script_step(
        il::kIslZoom,
        {{0, slider_value(f, 1, 10)}, {1, centre_percent(f, 2, 3, 2)}, {2, centre_percent(f, 2, 3, 3)}});
}

// angle trunc(f1 * 3.6) degrees counter-clockwise about the centre, size kept.
bool rotate(Frame& f)
{
    return add_script_step(il::kIslRotateEffect, {{3, slider_value(f, 1, 3.6)}, {4, 100}});
}

// tilt back and turn aside trunc(f1 * 1.6) - 80 and trunc(f2 * 1.6) - 80
// degrees, viewing distance trunc(f3 * 10) % of the longer side (0 means 200).
bool tilt(Frame& f)
{
    const double distance = f.a.p[2] == 0 ? 200 : slider_value(f, 3, 10);
    return add_script_step(
        il::kIslTilt, {{0, slider_value(f, 1, 1.6, -80)}, {1, slider_value(f, 2, 1.6, -80)}, {2, distance}});
}

// blending band trunc(f1) % of half the picture (0 means 25).
bool seamless(Frame& f)
{
    return add_script_step(il::kIslSeamless, {{0, f.a.p[0] == 0 ? 25 : slider_value(f, 1, 1)}});
}

constexpr const char* kFamily = "script distortions";

constexpr Entry kDistortions[] = {
    {"Twirl", kFamily, Pattern::IF, twirl},
    {"Sine Distortion", kFamily, Pattern::IF, sine_distortion},
    {"Kaleidoscope", kFamily, Pattern::IF, kaleidoscope},
    {"Scratch", kFamily, Pattern::IF, scratch},
    {"Waves", kFamily, Pattern::IF, waves},
    {"Divider", kFamily, Pattern::IF, divider},
    {"Carpet", kFamily, Pattern::IF, carpet},
    {"Glass", kFamily, Pattern::IF, glass},
    {"Voxel", kFamily, Pattern::IF, voxel},
    {"Zoom", kFamily, Pattern::IF, zoom},
    {"Rotate", kFamily, Pattern::IF, rotate},
    {"Tilt", kFamily, Pattern::IF, tilt},
    {"Seamless", kFamily, Pattern::IF, seamless},
};

}  // namespace

std::span<const Entry> script_distortion_family() noexcept
{
    return kDistortions;
}

}  // namespace mve::dispatch
