// Image-script generators: fill, gradient, noise, plasma, Perlin noise,
// lines, points and circles (image_script_paint.h says how they paint).
// Shapes (lines, points, circles) wrap around the picture edges so that a
// picture tiles without seams, as grit and paper patterns are tiled.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imagelib/image_script_paint.h"

namespace mve::il::isl_detail {

namespace {

constexpr int kPlasmaMaxGrid = 1024;

}  // namespace

int plasma_grid_side(int width, int height) noexcept
{
    int n = 2;
    while (n < std::max(width, height) && n < kPlasmaMaxGrid) n *= 2;
    return n;
}

std::vector<float> plasma_grid(int n, double factor, CrtRandom& rng)
{
    std::vector<float> g(static_cast<std::size_t>(n) * n, 0.0f);
    auto at = [&](int x, int y) -> float& { return g[static_cast<std::size_t>(((y % n) + n) % n) * n + ((x % n) + n) % n]; };
    at(0, 0) = static_cast<float>(unit(rng));
    double amp = 1.0;
    for (int step = n; step > 1; step /= 2, amp *= factor) {
        const int half = step / 2;
        for (int y = 0; y < n; y += step)  // diamond: cell centres
            for (int x = 0; x < n; x += step) {
                const double avg = (at(x, y) + at(x + step, y) + at(x, y + step) + at(x + step, y + step)) / 4.0;
                at(x + half, y + half) = static_cast<float>(avg + (unit(rng) - 0.5) * amp);
            }
        for (int y = 0; y < n; y += half)  // square: edge midpoints
            for (int x = ((y / half) % 2 == 0) ? half : 0; x < n; x += step) {
                const double avg = (at(x - half, y) + at(x + half, y) + at(x, y - half) + at(x, y + half)) / 4.0;
                at(x, y) = static_cast<float>(avg + (unit(rng) - 0.5) * amp);
            }
    }
    return g;
}

void gen_fill(const IslStep& s, Picture pic, CrtRandom&)
{
    paint_field(Painter(s, pic), [](int, int) { return 0.0; });
}

// Linear ramp from the first colour to the second along `angle` degrees
// (0: left to right, 90: bottom to top).
void gen_gradient(const IslStep& s, Picture pic, CrtRandom&)
{
    const double a = slot_clamped(s, 10, -36000, 36000) * kPi / 180.0;
    const double dx = std::cos(a), dy = -std::sin(a);
    // Projections of the four corners bound the ramp.
    const double w = pic.width, h = pic.height;
    const double p[4] = {0, w * dx, h * dy, w * dx + h * dy};
    const double lo = *std::min_element(p, p + 4), hi = *std::max_element(p, p + 4);
    const double range = hi > lo ? hi - lo : 1.0;
    paint_field(Painter(s, pic), [&](int x, int y) { return ((x + 0.5) * dx + (y + 0.5) * dy - lo) / range; });
}

// White noise in square cells of `cell` pixels.
void gen_noise(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const int cell = slot_int(s, 10, 1, kIslMaxSide);
    const int cw = (pic.width + cell - 1) / cell, ch = (pic.height + cell - 1) / cell;
    std::vector<float> v(static_cast<std::size_t>(cw) * ch);
    for (float& x : v) x = static_cast<float>(unit(rng));
    paint_field(Painter(s, pic),
                [&](int x, int y) { return v[static_cast<std::size_t>(y / cell) * cw + x / cell]; });
}

// Plasma by midpoint displacement (diamond-square) on a periodic grid, so it
// tiles. Roughness 50 halves the displacement at every level; 100 keeps more
// fine detail, 0 gives smooth clouds.
void gen_plasma(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const int n = plasma_grid_side(pic.width, pic.height);
    std::vector<float> g = plasma_grid(n, 0.25 + 0.5 * slot_clamped(s, 10, 0, 100) / 100.0, rng);
    normalise(g);
    const double su = static_cast<double>(n) / pic.width, sv = static_cast<double>(n) / pic.height;
    paint_field(Painter(s, pic), [&](int x, int y) { return sample_wrapped(g, n, x * su, y * sv); });
}

// Perlin gradient noise: `octaves` layers, the first with lattice cells of
// about `cell` pixels (a whole number of cells per side, so it tiles), each
// next one at half the cell and `persistence` percent of the amplitude.
void gen_perlin(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const double cell = slot_clamped(s, 10, 1, kIslMaxSide);
    const int octaves = slot_int(s, 11, 1, 8);
    const double persistence = slot_clamped(s, 12, 0, 100) / 100.0;
    std::vector<float> sum(static_cast<std::size_t>(pic.width) * pic.height, 0.0f);
    double amp = 1.0;
    for (int o = 0; o < octaves; ++o, amp *= persistence) {
        const int px = std::clamp(static_cast<int>(std::lround(pic.width / cell)) << o, 1, 1024);
        const int py = std::clamp(static_cast<int>(std::lround(pic.height / cell)) << o, 1, 1024);
        std::vector<float> gx(static_cast<std::size_t>(px) * py), gy(gx.size());
        for (std::size_t i = 0; i < gx.size(); ++i) {
            const double a = unit(rng) * 2.0 * kPi;
            gx[i] = static_cast<float>(std::cos(a));
            gy[i] = static_cast<float>(std::sin(a));
        }
        auto grad = [&](int i, int j, double dx, double dy) {
            const std::size_t k = static_cast<std::size_t>(((j % py) + py) % py) * px + ((i % px) + px) % px;
            return gx[k] * dx + gy[k] * dy;
        };
        auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
        for_each_plane_row(pic.width, pic.height, cost::kFilter, [&](int y) {
            for (int x = 0; x < pic.width; ++x) {
                const double u = (x + 0.5) * px / pic.width, v = (y + 0.5) * py / pic.height;
                const int i = static_cast<int>(u), j = static_cast<int>(v);
                const double fx = u - i, fy = v - j, sx = fade(fx), sy = fade(fy);
                const double top = grad(i, j, fx, fy) + (grad(i + 1, j, fx - 1, fy) - grad(i, j, fx, fy)) * sx;
                const double bot =
                    grad(i, j + 1, fx, fy - 1) + (grad(i + 1, j + 1, fx - 1, fy - 1) - grad(i, j + 1, fx, fy - 1)) * sx;
                sum[static_cast<std::size_t>(y) * pic.width + x] += static_cast<float>((top + (bot - top) * sy) * amp);
            }
        });
    }
    normalise(sum);
    paint_field(Painter(s, pic), [&](int x, int y) { return sum[static_cast<std::size_t>(y) * pic.width + x]; });
}

// Straight strokes: centre anywhere, direction `angle` +- jitter / 2 degrees,
// `length` percent of the larger side, `thickness` pixels, soft 1-pixel rim.
void gen_lines(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double half = slot_clamped(s, 11, 0, kIslMaxSide) / 2.0;
    const double base = slot_clamped(s, 12, -36000, 36000), jitter = slot_clamped(s, 13, 0, 360);
    const double length = slot_clamped(s, 14, 0, 100) / 100.0 * std::max(pic.width, pic.height);
    const double vary = s.values[15];
    for (int n = 0; n < count; ++n) {
        const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
        const double a = (base + (unit(rng) - 0.5) * jitter) * kPi / 180.0;
        const double t = shape_mix(rng, vary);
        const double dx = std::cos(a) * length / 2, dy = -std::sin(a) * length / 2;
        paint_segment(painter, cx - dx, cy - dy, cx + dx, cy + dy, half, t);
    }
}

// Round dots of `size` pixels across.
void gen_points(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double r = slot_clamped(s, 11, 0, kIslMaxSide) / 2.0;
    for (int n = 0; n < count; ++n) {
        const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
        const double t = shape_mix(rng, s.values[12]);
        paint_wrapped(painter, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1, t, [&](double x, double y) {
            return r + 0.5 - std::hypot(x - cx, y - cy);
        });
    }
}

// Circles of radius min..max; filled, or rings `outline` pixels wide.
void gen_circles(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double lo = slot_clamped(s, 11, 0, kIslMaxSide), hi = std::max(lo, slot_clamped(s, 12, 0, kIslMaxSide));
    const double ring = slot_clamped(s, 13, 0, kIslMaxSide) / 2.0;
    for (int n = 0; n < count; ++n) {
        const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
        const double r = lo + (hi - lo) * unit(rng);
        const double t = shape_mix(rng, s.values[14]);
        const double e = r + ring + 1;
        paint_wrapped(painter, cx - e, cy - e, cx + e, cy + e, t, [&](double x, double y) {
            const double d = std::hypot(x - cx, y - cy);
            return ring > 0 ? ring + 0.5 - std::fabs(d - r) : r + 0.5 - d;
        });
    }
}

}  // namespace mve::il::isl_detail
