// Image-script generators that compute every pixel from a formula: the sine
// plasma, the colour plasma (one midpoint-displacement field per channel)
// and the regular patterns (checks, stripes, grids, dots, diamonds, bricks,
// weave). Rows run on the worker threads; every random choice is made
// before the rows start, so the result never depends on the thread count.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "imagelib/image_script_paint.h"

namespace mve::il::isl_detail {

namespace {

// Whole cells across a side of `side` pixels for cells of about `cell`
// pixels, so that the pattern tiles.
int cells_across(int side, double cell)
{
    return std::max(1, static_cast<int>(std::lround(side / cell)));
}

// Ink of one pattern cell at (u, v), both in [0, 1) across the cell, as a
// signed distance in cell units: positive inside the ink. `w` is the share of
// the cell the ink covers (0..1).
double pattern_ink(int kind, double u, double v, double w, int column, int row)
{
    const double du = std::fabs(u - 0.5), dv = std::fabs(v - 0.5);
    switch (kind) {
        case 1:
            return w / 2 - dv;  // horizontal stripes
        case 2:
            return w / 2 - du;  // vertical stripes
        case 3:
            return w / 2 - std::min({u, 1 - u, v, 1 - v});  // grid lines on the cell borders
        case 4:
            return std::sqrt(w / kPi) - std::hypot(du, dv);  // round dots covering share w
        case 5:
            return w / 2 - (du + dv);  // diamonds
        case 6: {  // bricks two cells long, every other row shifted by one cell; the ink is the mortar
            const double bu = ((column + row % 2) % 2 + u) / 2;  // across the brick, 0..1
            return w / 4 - std::min({v, 1 - v, bu * 2, (1 - bu) * 2});
        }
        case 7: {  // weave: strands along rows in even cells, along columns in odd ones
            const bool across = (column + row) % 2 == 0;
            const double d = across ? dv : du;
            return w / 2 - d;
        }
        default: {  // checks: the ink fills every other cell, its edge at the cell border
            const double inside = 0.5 - std::max(du, dv);
            return (column + row) % 2 == 0 ? inside : -inside;
        }
    }
}

}  // namespace

// Sine plasma: four sine waves (across, down, diagonal and round a random
// centre) of wavelength about `scale` pixels with random phases, summed to v
// in [-4, 4]. With `mono` 0 each channel follows sin(pi v) a third of a
// turn apart (a rainbow between the two colours, channel by channel); with
// `mono` 1 t = (1 + sin(pi v)) / 2 mixes the two colours.
void gen_sine_plasma(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const double k = 2 * kPi / slot_clamped(s, 10, 1, 16384);
    const bool mono = slot_int(s, 11, 0, 1) == 1;
    std::array<double, 4> phase;
    for (double& p : phase) p = unit(rng) * 2 * kPi;
    const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
    const Painter painter(s, pic);
    for_each_plane_row(pic.width, pic.height, cost::kFilter * 3, [&](int y) {
        for (int x = 0; x < pic.width; ++x) {
            const double v = std::sin(x * k + phase[0]) + std::sin(y * k * 0.8 + phase[1]) +
                             std::sin((x + y) * k * 0.7 + phase[2]) +
                             std::sin(std::hypot(x - cx, y - cy) * k + phase[3]);
            if (mono) {
                painter.paint(x, y, 0.5 + 0.5 * std::sin(kPi * v), 1.0);
                continue;
            }
            double c[4];
            for (int i = 0; i < 3; ++i) {
                const double t = 0.5 + 0.5 * std::sin(kPi * v + i * 2 * kPi / 3);
                c[i] = painter.c1[i] + (painter.c2[i] - painter.c1[i]) * t;
            }
            c[3] = painter.c2[3];
            painter.paint_colour(x, y, c, 1.0);
        }
    });
}

// Colour plasma: an independent midpoint-displacement field for red, green
// and blue, each stretched to 0..1 and mixing that channel of the two
// colours; roughness as for `plasma`. Tiles seamlessly.
void gen_colour_plasma(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const int n = plasma_grid_side(pic.width, pic.height);
    const double factor = 0.25 + 0.5 * slot_clamped(s, 10, 0, 100) / 100.0;
    std::array<std::vector<float>, 3> grids;
    for (auto& g : grids) {
        g = plasma_grid(n, factor, rng);
        normalise(g);
    }
    const double su = static_cast<double>(n) / pic.width, sv = static_cast<double>(n) / pic.height;
    const Painter painter(s, pic);
    for_each_plane_row(pic.width, pic.height, cost::kFilter * 2, [&](int y) {
        for (int x = 0; x < pic.width; ++x) {
            double c[4];
            for (int i = 0; i < 3; ++i) {
                const double t = sample_wrapped(grids[static_cast<std::size_t>(i)], n, x * su, y * sv);
                c[i] = painter.c1[i] + (painter.c2[i] - painter.c1[i]) * t;
            }
            c[3] = painter.c2[3];
            painter.paint_colour(x, y, c, 1.0);
        }
    });
}

// Regular patterns in cells of about `cell` pixels (a whole number across
// each side, so they tile): `kind` 0 checks, 1 horizontal stripes, 2 vertical
// stripes, 3 grid lines, 4 dots, 5 diamonds, 6 bricks, 7 weave. `width` is
// the share of the cell the ink takes, in percent. The ink is the second
// colour, the rest the first, with a one-pixel soft edge.
void gen_pattern(const IslStep& s, Picture pic, CrtRandom&)
{
    const int kind = slot_int(s, 10, 0, 7);
    const double cell = slot_clamped(s, 11, 1, kIslMaxSide), w = slot_clamped(s, 12, 0, 100) / 100.0;
    const int across = cells_across(pic.width, cell), down = cells_across(pic.height, cell);
    const double cw = static_cast<double>(pic.width) / across, ch = static_cast<double>(pic.height) / down;
    const double pixelsPerCell = std::min(cw, ch);
    paint_field(Painter(s, pic), [&](int x, int y) {
        const double fx = (x + 0.5) / cw, fy = (y + 0.5) / ch;
        const int column = static_cast<int>(fx), row = static_cast<int>(fy);
        const double ink = pattern_ink(kind, fx - column, fy - row, w, column, row);
        return std::clamp(ink * pixelsPerCell + 0.5, 0.0, 1.0);
    });
}

}  // namespace mve::il::isl_detail
