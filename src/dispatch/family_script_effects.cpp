// The image-script effects (pattern I; "Patternizer" moves pixels, so I+),
// "Pattern Explorer" (a script file and up to five effects, tiled over the
// canvas) and "Clip Fill" (the clipboard picture stretched over the canvas
// and merged). Sliders run 0..1000 (fN = pN * 0.1).
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/colour_models.h"
#include "core/guard.h"
#include "dispatch/families.h"
#include "dispatch/script_effect_args.h"
#include "dispatch/steps.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"

namespace mve::dispatch {

namespace {

// hue trunc(f1 * 3.6) degrees, saturation trunc(f2) %, or both from the
// call's colour when i1 is non-zero; amount trunc(f3) % (0 means 100).
bool colorize(Frame& f)
{
    double hue = slider_value(f, 1, 3.6), sat = slider_value(f, 2, 1);
    if (f.a.i[0] != 0) {
        const Hsl c = rgb_to_hsl(f.a.r & 0xFF, f.a.g & 0xFF, f.a.b & 0xFF);
        hue = c.h;
        sat = c.s * 100;
    }
    const double amount = f.a.p[2] == 0 ? 100 : slider_value(f, 3, 1);
    return add_script_step(il::kIslColorize, {{0, hue}, {1, sat}, {2, amount}});
}

// strength trunc(f1 * 10) % (0 means 100), dark edges on white when the low byte of i3 is set.
bool edge(Frame& f)
{
    const double strength = f.a.p[0] == 0 ? 100 : slider_value(f, 1, 10);
    return add_script_step(il::kIslEdge, {{0, strength}, {1, option_byte(f, 3) ? 1.0 : 0.0}});
}

// light direction trunc(f1 * 3.6), elevation trunc(f2 * 0.9) degrees, depth trunc(f3 * 10) %.
bool bump(Frame& f)
{
    return add_script_step(
        il::kIslBump,
        {{0, slider_value(f, 1, 3.6)}, {1, slider_value(f, 2, 0.9)}, {2, slider_value(f, 3, 10)}});
}

// light direction trunc(f1 * 3.6) degrees, depth trunc(f2 * 10) %, relief
// added to the colour when the low byte of i3 is set, else grey.
bool emboss2(Frame& f)
{
    return add_script_step(
        il::kIslEmboss2,
        {{0, slider_value(f, 1, 3.6)}, {1, slider_value(f, 2, 10)}, {2, option_byte(f, 3) ? 0.0 : 1.0}});
}

// window radius trunc(f1 * 0.2) (0..20), as the rank filters.
bool maximum(Frame& f)
{
    return add_script_step(il::kIslMaximum, {{0, slider_value(f, 1, 0.2)}});
}

bool minimum(Frame& f)
{
    return add_script_step(il::kIslMinimum, {{0, slider_value(f, 1, 0.2)}});
}

// cell trunc(f1 * 5) pixels (0 means 64), tile side trunc(f2) % of the
// shorter side (0 means 25), tile centre f3, f4; plain repeats instead of
// mirrored cells when the low byte of i3 is set.
bool patternizer(Frame& f)
{
    return add_script_step(il::kIslPatternize, {{0, f.a.p[0] == 0 ? 64 : slider_value(f, 1, 5)},
                                                {1, centre_percent(f, 3, 4, 3)},
                                                {2, centre_percent(f, 3, 4, 4)},
                                                {3, f.a.p[1] == 0 ? 25 : slider_value(f, 2, 1)},
                                                {4, option_byte(f, 3) ? 0.0 : 1.0}});
}

// Copies a width x height RGBA32 picture over the canvas-sized dst, repeated
// from the top-left corner.
void tile_over(const std::uint8_t* tile, int width, int height, Frame& f, std::uint8_t* dst)
{
    for (int y = 0; y < f.height; ++y) {
        const std::uint8_t* row = tile + static_cast<std::size_t>(y % height) * width * 4;
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * f.row32();
        for (int x = 0; x < f.width; x += width)
            std::memcpy(out + static_cast<std::size_t>(x) * 4, row,
                        static_cast<std::size_t>(std::min(width, f.width - x)) * 4);
    }
}

// The script file named by the text argument is rendered at its own size,
// then through the steps numbered p1..p5 (0, or a number that names no step,
// adds none), each with its default values, and tiled over the canvas from
// the top-left corner. A missing or refused script leaves the layer alone.
bool pattern_explorer(Frame& f)
{
    il::isl_initialize();
    struct Finish {
        ~Finish() { il::isl_finish(); }
    } finish;
    il::IslHeader header;
    if (!f.a.text || !il::isl_load_script_from_file(f.a.text) || !il::isl_init_buffers() ||
        !il::isl_read_script_header_from_file(f.a.text, &header))
        return false;
    for (int n = 0; n < 5; ++n)
        if (f.a.p[n] != 0) il::isl_add_effect(f.a.p[n], f.a.p[n]);
    const std::uint8_t bg[4] = {header.background[2], header.background[1], header.background[0],
                                header.background[3]};
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(header.width) * header.height * 4);
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = bg[i % 4];
    if (!il::isl_execute_script_on_image(picture.data(), header.width, header.height)) return false;
    il::swap_red_blue(picture.data(), header.width, header.height, header.width * 4);
    tile_over(picture.data(), header.width, header.height, f, f.dst32);
    return true;
}

// The clipboard's picture, resampled smoothly (premultiplied) to the canvas,
// on a cleared Dst32, merged over the layer (Normal, full opacity). The
// staging image is dropped before reading and again afterwards, so no
// earlier picture is taken for the clipboard's and none is left behind.
bool clip_fill(Frame& f)
{
    exchange::StagingImage& staging = f.e.exchange.staging;
    exchange::delete_staging(staging);
    struct Drop {
        exchange::StagingImage& s;
        ~Drop() { exchange::delete_staging(s); }
    } drop{staging};
    if (!exchange::stage_clipboard(f.e)) return false;
    const exchange::ClipPicture picture =
        exchange::resample_to(exchange::staged_picture(staging), f.width, f.height, true);
    require(picture.width == f.width && picture.height == f.height);
    std::memset(f.dst32, 0, f.pixels() * 4);
    std::memcpy(f.dst32, picture.data(), f.pixels() * 4);
    return true;
}

constexpr const char* kFamily = "script effects";

constexpr Entry kEffects[] = {
    {"Colorize", kFamily, Pattern::I, colorize},
    {"Edge", kFamily, Pattern::I, edge},
    {"Bump", kFamily, Pattern::I, bump},
    {"Emboss2", kFamily, Pattern::I, emboss2},
    {"Maximum", kFamily, Pattern::I, maximum},
    {"Minimum", kFamily, Pattern::I, minimum},
    {"Patternizer", kFamily, Pattern::IF, patternizer},
    {"Pattern Explorer", kFamily, Pattern::R2, pattern_explorer},
    {"Clip Fill", kFamily, Pattern::M, clip_fill},
};

}  // namespace

std::span<const Entry> script_effect_family() noexcept
{
    return kEffects;
}

}  // namespace mve::dispatch
