// Image-script effects of the relief and colour kind: colorize, edge, bump,
// emboss and the maximum / minimum windows. Pixels are B, G, R, A bytes;
// every effect here leaves alpha alone. Neighbours beyond the picture repeat
// its edge pixels. Rows run on the engine's workers from an unchanged copy,
// so results do not depend on the thread count.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/colour_models.h"
#include "core/parallel.h"
#include "imagelib/image_script_steps.h"
#include "imagelib/rank_filters.h"

namespace mve::il::isl_detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::uint8_t to_byte(double v)
{
    return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

// Luma of a B G R A pixel on the 0..255 scale: 0.299 R + 0.587 G + 0.114 B.
double luma(const std::uint8_t* px)
{
    return 0.299 * px[2] + 0.587 * px[1] + 0.114 * px[0];
}

// The luma of every pixel, for the relief effects.
std::vector<double> luma_plane(const Picture& pic)
{
    std::vector<double> plane(static_cast<std::size_t>(pic.width) * pic.height);
    for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = luma(pic.bgra + i * 4);
    return plane;
}

// Central differences of a plane at (x, y), edges repeated: gx = (right -
// left) / 2, gy = (below - above) / 2.
struct Slope {
    double gx, gy;
};
Slope slope(const std::vector<double>& plane, int w, int h, int x, int y)
{
    auto at = [&](int px, int py) {
        return plane[static_cast<std::size_t>(std::clamp(py, 0, h - 1)) * w + std::clamp(px, 0, w - 1)];
    };
    return {(at(x + 1, y) - at(x - 1, y)) / 2, (at(x, y + 1) - at(x, y - 1)) / 2};
}

// Calls body(x, y, pixel, slope) for every pixel, rows in parallel.
template <class Body>
void for_each_slope(Picture pic, Body body)
{
    const std::vector<double> plane = luma_plane(pic);
    for_each_plane_row(pic.width, pic.height, cost::kFilter, [&](int y) {
        std::uint8_t* px = pic.bgra + static_cast<std::size_t>(y) * pic.width * 4;
        for (int x = 0; x < pic.width; ++x, px += 4) body(px, slope(plane, pic.width, pic.height, x, y));
    });
}

}  // namespace

// slot 0 hue (degrees), 1 saturation (percent), 2 amount (percent). Every
// pixel takes the hue and saturation given, keeping its own luma as
// lightness; amount mixes that with the original colour.
void fx_colorize(const IslStep& s, Picture pic, CrtRandom&)
{
    const double hue = std::fmod(clamped_slot(s, 0, -36000, 36000), 360.0),
                 sat = clamped_slot(s, 1, 0, 100) / 100.0;
    const double amount = clamped_slot(s, 2, 0, 100) / 100.0;
    for_each_plane_row(pic.width, pic.height, cost::kFilter, [&](int y) {
        std::uint8_t* px = pic.bgra + static_cast<std::size_t>(y) * pic.width * 4;
        for (int x = 0; x < pic.width; ++x, px += 4) {
            const Rgb8 c = hsl_to_rgb(hue < 0 ? hue + 360 : hue, sat, luma(px) / 255.0);
            const double target[3] = {double(c.b), double(c.g), double(c.r)};
            for (int k = 0; k < 3; ++k) px[k] = to_byte(px[k] + (target[k] - px[k]) * amount);
        }
    });
}

// slot 0 strength (percent), 1 invert (1: dark edges on white). Sobel
// gradient of each colour channel: sqrt(gx^2 + gy^2) / 4 (a full step from 0
// to 255 gives 255) times the strength.
void fx_edge(const IslStep& s, Picture pic, CrtRandom&)
{
    const double gain = clamped_slot(s, 0, 0, 10000) / 100.0 / 4.0;
    const bool invert = clamped_slot(s, 1, 0, 1) >= 0.5;
    const int w = pic.width, h = pic.height;
    const std::vector<std::uint8_t> src(pic.bgra, pic.bgra + static_cast<std::size_t>(w) * h * 4);
    auto at = [&](int x, int y, int c) {
        return double(
            src[(static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)) * 4 + c]);
    };
    for_each_plane_row(w, h, cost::kFilter, [&](int y) {
        std::uint8_t* px = pic.bgra + static_cast<std::size_t>(y) * w * 4;
        for (int x = 0; x < w; ++x, px += 4)
            for (int c = 0; c < 3; ++c) {
                const double gx = at(x + 1, y - 1, c) + 2 * at(x + 1, y, c) + at(x + 1, y + 1, c) -
                                  at(x - 1, y - 1, c) - 2 * at(x - 1, y, c) - at(x - 1, y + 1, c);
                const double gy = at(x - 1, y + 1, c) + 2 * at(x, y + 1, c) + at(x + 1, y + 1, c) -
                                  at(x - 1, y - 1, c) - 2 * at(x, y - 1, c) - at(x + 1, y - 1, c);
                const std::uint8_t e = to_byte(std::sqrt(gx * gx + gy * gy) * gain);
                px[c] = invert ? static_cast<std::uint8_t>(255 - e) : e;
            }
    });
}

// slot 0 light direction (degrees, 0 from the right, counter-clockwise), 1
// light elevation (degrees, 1..90), 2 depth (percent). The luma is a height
// field; each pixel's colour is multiplied by how squarely its surface faces
// the light, scaled so that flat areas keep their colour.
void fx_bump(const IslStep& s, Picture pic, CrtRandom&)
{
    const double a = clamped_slot(s, 0, -36000, 36000) * kPi / 180.0,
                 el = clamped_slot(s, 1, 1, 90) * kPi / 180.0;
    const double depth = clamped_slot(s, 2, 0, 10000) / 100.0;
    const double lx = std::cos(el) * std::cos(a), ly = -std::cos(el) * std::sin(a), lz = std::sin(el);
    for_each_slope(pic, [&](std::uint8_t* px, Slope g) {
        const double nx = -g.gx * depth, ny = -g.gy * depth;
        const double shade = std::max(0.0, (nx * lx + ny * ly + lz) / std::sqrt(nx * nx + ny * ny + 1)) / lz;
        for (int c = 0; c < 3; ++c) px[c] = to_byte(px[c] * shade);
    });
}

// slot 0 light direction (degrees, as for bump), 1 depth (percent), 2 grey
// (1: grey relief, 0: relief added to the colour). With the luma slope g and
// the light's direction l on the picture, the relief is 128 - depth * (g . l):
// slopes turned toward the light are bright, those turned away dark.
void fx_emboss2(const IslStep& s, Picture pic, CrtRandom&)
{
    const double a = clamped_slot(s, 0, -36000, 36000) * kPi / 180.0,
                 depth = clamped_slot(s, 1, 0, 10000) / 100.0;
    const bool grey = clamped_slot(s, 2, 0, 1) >= 0.5;
    const double lx = std::cos(a), ly = -std::sin(a);
    for_each_slope(pic, [&](std::uint8_t* px, Slope g) {
        const double relief = -depth * (g.gx * lx + g.gy * ly);
        for (int c = 0; c < 3; ++c) px[c] = to_byte(grey ? 128 + relief : px[c] + relief);
    });
}

// slot 0 radius (pixels, 0..100): the largest / smallest value of each
// colour channel in the (2r + 1) square window (the image library's rank
// filter); alpha is put back as it was.
namespace {
using WindowFilter = int (*)(const std::uint8_t*, std::uint8_t*, int, int, long long) noexcept;
void colour_window(const IslStep& s, Picture pic, WindowFilter filter)
{
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(pic.width) * pic.height);
    for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = pic.bgra[i * 4 + 3];
    filter(pic.bgra, pic.bgra, pic.width, pic.height, static_cast<long long>(clamped_slot(s, 0, 0, 100)));
    for (std::size_t i = 0; i < alpha.size(); ++i) pic.bgra[i * 4 + 3] = alpha[i];
}
}  // namespace

void fx_maximum(const IslStep& s, Picture pic, CrtRandom&)
{
    colour_window(s, pic, maximum_filter);
}
void fx_minimum(const IslStep& s, Picture pic, CrtRandom&)
{
    colour_window(s, pic, minimum_filter);
}

}  // namespace mve::il::isl_detail
