// Image-script generators of strokes and outlines: rectangles, splines,
// worms, fibers, trees and blobs. Like the other shapes they wrap around the
// picture edges, so their pictures tile without seams.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imagelib/image_script_paint.h"

namespace mve::il::isl_detail {

namespace {

constexpr int kSplineSegments = 32;  // straight pieces of one spline
constexpr int kMaxWalkSteps = 4096;  // steps of one worm or fiber

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// A stroke that walks from a random point: `steps` pieces of `step` pixels,
// the direction turning by up to +-curl / 2 degrees at every step.
void paint_walk(const Painter& painter, CrtRandom& rng, double angle, double curl, int steps, double step,
                double half, double t)
{
    double x = unit(rng) * painter.pic.width, y = unit(rng) * painter.pic.height;
    for (int i = 0; i < steps; ++i) {
        angle += (unit(rng) - 0.5) * curl;
        const double nx = x + std::cos(radians(angle)) * step, ny = y - std::sin(radians(angle)) * step;
        paint_segment(painter, x, y, nx, ny, half, t);
        x = nx;
        y = ny;
    }
}

// Point of the cubic Bezier curve p0..p3 at u.
double bezier(double p0, double p1, double p2, double p3, double u)
{
    const double v = 1 - u;
    return v * v * v * p0 + 3 * v * v * u * p1 + 3 * v * u * u * p2 + u * u * u * p3;
}

}  // namespace

// Rectangles of random width and height min..max pixels; filled, or frames
// `outline` pixels wide.
void gen_rectangles(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double lo = slot_clamped(s, 11, 0, kIslMaxSide),
                 hi = std::max(lo, slot_clamped(s, 12, 0, kIslMaxSide));
    const double frame = slot_clamped(s, 13, 0, kIslMaxSide);
    for (int n = 0; n < count; ++n) {
        const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
        const double hw = (lo + (hi - lo) * unit(rng)) / 2, hh = (lo + (hi - lo) * unit(rng)) / 2;
        const double t = shape_mix(rng, s.values[14]);
        paint_wrapped(
            painter, cx - hw - 1, cy - hh - 1, cx + hw + 1, cy + hh + 1, t, [&](double x, double y) {
                const double inside =
                    std::min(hw - std::fabs(x - cx), hh - std::fabs(y - cy));  // depth inside the edge
                return frame > 0 ? std::min(inside, frame - inside) + 0.5 : inside + 0.5;
            });
    }
}

// Smooth curves: cubic Bezier curves whose four control points lie in a box
// of `size` percent of the larger side; `bend` (percent) is how far the two
// inner points stray from the straight line between the ends.
void gen_splines(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double half = slot_clamped(s, 11, 0, kIslMaxSide) / 2.0;
    const double span = slot_clamped(s, 12, 0, 100) / 100.0 * std::max(pic.width, pic.height);
    const double bend = slot_clamped(s, 13, 0, 100) / 100.0;
    for (int n = 0; n < count; ++n) {
        const double x0 = unit(rng) * pic.width, y0 = unit(rng) * pic.height;
        const double x3 = x0 + (unit(rng) - 0.5) * span, y3 = y0 + (unit(rng) - 0.5) * span;
        const double x1 = x0 + (x3 - x0) / 3 + (unit(rng) - 0.5) * span * bend * 2;
        const double y1 = y0 + (y3 - y0) / 3 + (unit(rng) - 0.5) * span * bend * 2;
        const double x2 = x0 + (x3 - x0) * 2 / 3 + (unit(rng) - 0.5) * span * bend * 2;
        const double y2 = y0 + (y3 - y0) * 2 / 3 + (unit(rng) - 0.5) * span * bend * 2;
        const double t = shape_mix(rng, s.values[14]);
        double px = x0, py = y0;
        for (int k = 1; k <= kSplineSegments; ++k) {
            const double u = static_cast<double>(k) / kSplineSegments;
            const double qx = bezier(x0, x1, x2, x3, u), qy = bezier(y0, y1, y2, y3, u);
            paint_segment(painter, px, py, qx, qy, half, t);
            px = qx;
            py = qy;
        }
    }
}

// Worms: thick strokes `length` pixels long that wander, turning by up to
// `curl` degrees at every step of half their thickness.
void gen_worms(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double half = slot_clamped(s, 11, 0, kIslMaxSide) / 2.0, step = std::max(1.0, half);
    const int steps = static_cast<int>(std::min<double>(kMaxWalkSteps, slot_clamped(s, 12, 0, 16384) / step));
    const double curl = slot_clamped(s, 13, 0, 360);
    for (int n = 0; n < count; ++n) {
        const double angle = unit(rng) * 360.0, t = shape_mix(rng, s.values[14]);
        paint_walk(painter, rng, angle, curl, steps, step, half, t);
    }
}

// Fibers: thin, nearly straight strands `length` percent of the larger side,
// running along `angle` +- jitter / 2 degrees and bending by up to `curl`
// degrees per two-pixel step; `vary` spreads them between the two colours.
void gen_fibers(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double length = slot_clamped(s, 11, 0, 100) / 100.0 * std::max(pic.width, pic.height);
    const double half = slot_clamped(s, 12, 0, kIslMaxSide) / 2.0;
    const double base = slot_clamped(s, 13, -36000, 36000), jitter = slot_clamped(s, 14, 0, 360);
    const double curl = slot_clamped(s, 15, 0, 360);
    constexpr double kStep = 2.0;
    const int steps = static_cast<int>(std::min<double>(kMaxWalkSteps, std::ceil(length / kStep)));
    for (int n = 0; n < count; ++n) {
        const double angle = base + (unit(rng) - 0.5) * jitter, t = shape_mix(rng, s.values[16]);
        paint_walk(painter, rng, angle, curl, steps, kStep, half, t);
    }
}

// Trees: a trunk of `thickness` pixels growing up from a random root, forking
// into two branches `depth` times; each branch turns `spread` degrees (+-30 %)
// from its parent and is about 0.72 of its length and 0.7 of its thickness.
// `size` is the height of the whole tree in percent of the picture height.
void gen_trees(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double height = slot_clamped(s, 11, 0, 100) / 100.0 * pic.height;
    const int depth = slot_int(s, 12, 1, 12);
    const double spread = slot_clamped(s, 13, 0, 180);
    const double thick = slot_clamped(s, 14, 0, kIslMaxSide);
    struct Branch {
        double x, y, angle, length, half;
        int level;
    };
    std::vector<Branch> todo;
    for (int n = 0; n < count; ++n) {
        const double t = shape_mix(rng, s.values[15]);
        // The lengths 1, 0.72, 0.72^2 ... add up to `height` over `depth` levels.
        const double trunk = height * (1 - 0.72) / (1 - std::pow(0.72, depth));
        todo.push_back({unit(rng) * pic.width, unit(rng) * pic.height, 90 + (unit(rng) - 0.5) * 10, trunk,
                        thick / 2, 1});
        while (!todo.empty()) {
            const Branch b = todo.back();
            todo.pop_back();
            const double ex = b.x + std::cos(radians(b.angle)) * b.length;
            const double ey = b.y - std::sin(radians(b.angle)) * b.length;
            paint_segment(painter, b.x, b.y, ex, ey, b.half, t);
            if (b.level >= depth) continue;
            for (const double side : {-1.0, 1.0}) {
                const double turn = spread * (0.7 + 0.6 * unit(rng));
                const double length = b.length * (0.62 + 0.2 * unit(rng));
                todo.push_back({ex, ey, b.angle + side * turn, length, b.half * 0.7, b.level + 1});
            }
        }
    }
}

// Blobs: round shapes of radius min..max whose outline wobbles by up to
// `wobble` percent of the radius, with a soft edge `softness` pixels wide.
void gen_blobs(const IslStep& s, Picture pic, CrtRandom& rng)
{
    const Painter painter(s, pic);
    const int count = slot_int(s, 10, 0, kMaxShapes);
    const double lo = slot_clamped(s, 11, 0, kIslMaxSide),
                 hi = std::max(lo, slot_clamped(s, 12, 0, kIslMaxSide));
    const double wobble = slot_clamped(s, 13, 0, 100) / 100.0;
    const double soft = std::max(1.0, slot_clamped(s, 14, 0, kIslMaxSide));
    for (int n = 0; n < count; ++n) {
        const double cx = unit(rng) * pic.width, cy = unit(rng) * pic.height;
        const double r = lo + (hi - lo) * unit(rng), t = shape_mix(rng, s.values[15]);
        // Three waves of 2, 3 and 5 lobes around the outline, each with its own phase.
        const double p2 = unit(rng) * 2 * kPi, p3 = unit(rng) * 2 * kPi, p5 = unit(rng) * 2 * kPi;
        const double e = r * (1 + wobble) + soft + 1;
        paint_wrapped(painter, cx - e, cy - e, cx + e, cy + e, t, [&](double x, double y) {
            const double a = std::atan2(y - cy, x - cx);
            const double edge = r * (1 + wobble * (0.5 * std::sin(2 * a + p2) + 0.3 * std::sin(3 * a + p3) +
                                                   0.2 * std::sin(5 * a + p5)));
            return (edge - std::hypot(x - cx, y - cy)) / soft + 0.5;
        });
    }
}

}  // namespace mve::il::isl_detail
