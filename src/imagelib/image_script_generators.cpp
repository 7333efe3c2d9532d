// Image-script generators. Each one computes, per pixel, a value t in [0, 1]
// (the mix between its two colours) and a coverage k in [0, 1], and paints
// the mixed colour over the picture with its blend mode:
//   out = dst + (blend(dst, c) - dst) * k * opacity, rounded to nearest.
// Shapes (lines, points, circles) wrap around the picture edges so that a
// picture tiles without seams, as grit and paper patterns are tiled.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imagelib/image_script_steps.h"

namespace mve::il::isl_detail {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxShapes = 100000;  // counts above this are capped
constexpr int kPlasmaMaxGrid = 1024;

int slot_int(const IslStep& s, int slot, int lo, int hi)
{
    return static_cast<int>(std::clamp(s.values[static_cast<std::size_t>(slot)], double(lo), double(hi)));
}

double slot_clamped(const IslStep& s, int slot, double lo, double hi)
{
    return std::clamp(s.values[static_cast<std::size_t>(slot)], lo, hi);
}

// Blend modes: 0 normal, 1 multiply, 2 screen, 3 darken, 4 lighten, 5 add.
double blend(int mode, double d, double c)
{
    switch (mode) {
    case 1: return d * c / 255.0;                              // d * c
    case 2: return 255.0 - (255.0 - d) * (255.0 - c) / 255.0;  // 1 - (1 - d)(1 - c)
    case 3: return std::min(d, c);
    case 4: return std::max(d, c);
    case 5: return std::min(255.0, d + c);
    default: return c;
    }
}

struct Painter {
    Picture pic;
    int mode = 0;
    double opacity = 1.0;
    double c1[4] = {}, c2[4] = {};  // R, G, B, A

    explicit Painter(const IslStep& s, Picture p) : pic(p)
    {
        opacity = slot_clamped(s, 0, 0, 100) / 100.0;
        mode = slot_int(s, 1, 0, 5);
        for (int i = 0; i < 4; ++i) {
            c1[i] = slot_clamped(s, 2 + i, 0, 255);
            c2[i] = slot_clamped(s, 6 + i, 0, 255);
        }
    }

    // Paints pixel (x, y) (inside the picture) with mix t and coverage k.
    void paint(int x, int y, double t, double k) const
    {
        k *= opacity;
        if (k <= 0) return;
        std::uint8_t* px = pic.bgra + (static_cast<std::size_t>(y) * pic.width + x) * 4;
        static constexpr int kByte[4] = {2, 1, 0, 3};  // R, G, B, A -> byte of B G R A
        for (int i = 0; i < 4; ++i) {
            const double c = c1[i] + (c2[i] - c1[i]) * t;
            const double d = px[kByte[i]];
            const double target = i == 3 ? c : blend(mode, d, c);
            px[kByte[i]] = static_cast<std::uint8_t>(std::clamp(std::lround(d + (target - d) * k), 0L, 255L));
        }
    }
};

// Paints a value field: field(x, y) gives t for every pixel at full coverage.
template <class F>
void paint_field(const Painter& painter, F&& field)
{
    for (int y = 0; y < painter.pic.height; ++y)
        for (int x = 0; x < painter.pic.width; ++x) painter.paint(x, y, field(x, y), 1.0);
}

// Paints a shape whose coverage at a point is cover(px, py) (pixel centres,
// picture coordinates, may lie outside the picture) within the box
// [x0, x1) x [y0, y1), repeated one picture size around so it wraps.
template <class F>
void paint_wrapped(const Painter& painter, double x0, double y0, double x1, double y1, double t, F&& cover)
{
    const int w = painter.pic.width, h = painter.pic.height;
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            const double sx = ox * w, sy = oy * h;  // shift of this copy
            const int ax = std::max(0, static_cast<int>(std::floor(x0 + sx)));
            const int bx = std::min(w, static_cast<int>(std::ceil(x1 + sx)));
            const int ay = std::max(0, static_cast<int>(std::floor(y0 + sy)));
            const int by = std::min(h, static_cast<int>(std::ceil(y1 + sy)));
            for (int y = ay; y < by; ++y)
                for (int x = ax; x < bx; ++x) {
                    const double k = cover(x + 0.5 - sx, y + 0.5 - sy);
                    if (k > 0) painter.paint(x, y, t, std::min(k, 1.0));
                }
        }
}

// Mix of one shape: 1, or less by a random amount up to `vary` percent.
double shape_mix(CrtRandom& rng, double vary) { return 1.0 - std::clamp(vary, 0.0, 100.0) / 100.0 * unit(rng); }

// Stretches a field to the full 0..1 range so every generator uses both colours.
void normalise(std::vector<float>& v)
{
    if (v.empty()) return;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const float a = *lo, range = *hi - *lo;
    for (float& x : v) x = range > 0 ? (x - a) / range : 0.0f;
}

// Bilinear sample of a periodic grid of side n at (u, v) in grid units.
float sample_wrapped(const std::vector<float>& g, int n, double u, double v)
{
    const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    auto at = [&](int x, int y) {
        x = ((x % n) + n) % n;
        y = ((y % n) + n) % n;
        return g[static_cast<std::size_t>(y) * n + x];
    };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return static_cast<float>(top + (bottom - top) * fy);
}

}  // namespace

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
    int n = 2;
    while (n < std::max(pic.width, pic.height) && n < kPlasmaMaxGrid) n *= 2;
    const double factor = 0.25 + 0.5 * slot_clamped(s, 10, 0, 100) / 100.0;
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
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) {
                const double u = (x + 0.5) * px / pic.width, v = (y + 0.5) * py / pic.height;
                const int i = static_cast<int>(u), j = static_cast<int>(v);
                const double fx = u - i, fy = v - j, sx = fade(fx), sy = fade(fy);
                const double top = grad(i, j, fx, fy) + (grad(i + 1, j, fx - 1, fy) - grad(i, j, fx, fy)) * sx;
                const double bot =
                    grad(i, j + 1, fx, fy - 1) + (grad(i + 1, j + 1, fx - 1, fy - 1) - grad(i, j + 1, fx, fy - 1)) * sx;
                sum[static_cast<std::size_t>(y) * pic.width + x] += static_cast<float>((top + (bot - top) * sy) * amp);
            }
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
        const double ax = cx - dx, ay = cy - dy, bx = cx + dx, by = cy + dy;
        const double len2 = 4 * (dx * dx + dy * dy);
        const double r = half + 1;
        paint_wrapped(painter, std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r,
                      std::max(ay, by) + r, t, [&](double x, double y) {
                          // Distance from the segment a-b.
                          double u = len2 > 0 ? ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / len2 : 0.0;
                          u = std::clamp(u, 0.0, 1.0);
                          const double ex = x - (ax + u * (bx - ax)), ey = y - (ay + u * (by - ay));
                          return half + 0.5 - std::sqrt(ex * ex + ey * ey);
                      });
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
