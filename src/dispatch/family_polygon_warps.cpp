// The polygon warps: the rectangle x0, y0, x1, y1 (the whole canvas, or the
// data extents of the current layer when the low byte of i3 is 1) mapped
// onto a quadrilateral built from p1..p6 by a perspective mapping. Every
// slider moves an edge or corner by a share of the rectangle's size and
// leaves it in place at 500: with o(f, size) = trunc((f - 50) * size * 0.01)
// a slider at 1000 moves by half the size one way, at 0 half the other way.
// Uncovered pixels become (r, g, b, 0).
#include <cstring>

#include "core/transfer.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "imagelib/polygon_warp.h"

namespace mve::dispatch {

namespace {

struct Rect {
    double x0, y0, x1, y1, w, h;
};

// Corner indices of il::Quad.
enum { TL = 0, TR = 1, BR = 2, BL = 3 };

Rect warp_rectangle(Frame& f) noexcept
{
    int x0 = 0, y0 = 0, x1 = f.width - 1, y1 = f.height - 1;
    if ((f.a.i[2] & 0xFF) == 1 && current_layer(f.e)) {
        int bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;  // upper bounds exclusive
        core::find_data_extents(f.e, f.e.layers.currentIndex, &bx0, &by0, &bx1, &by1);
        if (bx1 > bx0 && by1 > by0) x0 = bx0, y0 = by0, x1 = bx1 - 1, y1 = by1 - 1;
    }
    return {double(x0), double(y0), double(x1), double(y1), double(x1 - x0), double(y1 - y0)};
}

// The slider's offset: trunc((f - 50) * size * 0.01).
double o(float f, double size) noexcept { return static_cast<double>(static_cast<long long>((f - 50.0) * size * 0.01)); }

void set(il::Quad& q, int corner, double x, double y) noexcept { q[corner] = {x, y}; }

// Target quadrilaterals, one per name; `q` starts as the rectangle.
using Shape = void (*)(il::Quad& q, const Rect& r, const float* f);

// The model: each side's pair of corners pulled in (below 500) or pushed
// out, with A = trunc((50 - f1) h %), B (f2, w), C (f3, h), D (f4, w):
// top-left (x0 + B, y0 + A), bottom-left (x0 + D, y1 - A), top-right
// (x1 - B, y0 + C), bottom-right (x1 - D, y1 - C).
void perspective(il::Quad& q, const Rect& r, const float* f)
{
    const double A = -o(f[0], r.h), B = -o(f[1], r.w), C = -o(f[2], r.h), D = -o(f[3], r.w);
    set(q, TL, r.x0 + B, r.y0 + A);
    set(q, BL, r.x0 + D, r.y1 - A);
    set(q, TR, r.x1 - B, r.y0 + C);
    set(q, BR, r.x1 - D, r.y1 - C);
}

// Each corner moves along its diagonal, outward above 500: top-left by f1,
// top-right by f2, bottom-right by f3, bottom-left by f4.
void warp(il::Quad& q, const Rect& r, const float* f)
{
    const int sx[4] = {-1, 1, 1, -1}, sy[4] = {-1, -1, 1, 1};
    for (int c = 0; c < 4; ++c) q[c] = {q[c].x + sx[c] * o(f[c], r.w), q[c].y + sy[c] * o(f[c], r.h)};
}

// Each edge moves outward above 500: top f1, right f2, bottom f3, left f4.
void warp_edge(il::Quad& q, const Rect& r, const float* f)
{
    const double top = r.y0 - o(f[0], r.h), right = r.x1 + o(f[1], r.w), bottom = r.y1 + o(f[2], r.h),
                 left = r.x0 - o(f[3], r.w);
    set(q, TL, left, top);
    set(q, TR, right, top);
    set(q, BR, right, bottom);
    set(q, BL, left, bottom);
}

// Three corners move freely (top-left by f1, f2; top-right by f3, f4;
// bottom-left by f5, f6, right and down above 500); the fourth completes the
// parallelogram, so the mapping is affine.
void warp_3_point(il::Quad& q, const Rect& r, const float* f)
{
    set(q, TL, r.x0 + o(f[0], r.w), r.y0 + o(f[1], r.h));
    set(q, TR, r.x1 + o(f[2], r.w), r.y0 + o(f[3], r.h));
    set(q, BL, r.x0 + o(f[4], r.w), r.y1 + o(f[5], r.h));
    set(q, BR, q[TR].x + q[BL].x - q[TL].x, q[TR].y + q[BL].y - q[TL].y);
}

// Wider by f1 and taller by f2, about the centre.
void stretch(il::Quad& q, const Rect& r, const float* f)
{
    const double dx = o(f[0], r.w) / 2, dy = o(f[1], r.h) / 2;
    set(q, TL, r.x0 - dx, r.y0 - dy);
    set(q, TR, r.x1 + dx, r.y0 - dy);
    set(q, BR, r.x1 + dx, r.y1 + dy);
    set(q, BL, r.x0 - dx, r.y1 + dy);
}

// Each edge lengthened about its middle: top f1, bottom f2, left f3, right f4.
void stretch_edge(il::Quad& q, const Rect& r, const float* f)
{
    const double top = o(f[0], r.w) / 2, bottom = o(f[1], r.w) / 2, left = o(f[2], r.h) / 2,
                 right = o(f[3], r.h) / 2;
    set(q, TL, r.x0 - top, r.y0 - left);
    set(q, TR, r.x1 + top, r.y0 - right);
    set(q, BR, r.x1 + bottom, r.y1 + right);
    set(q, BL, r.x0 - bottom, r.y1 + left);
}

// Turned about the vertical axis: above 500 the left edge shortens and the
// right edge lengthens by the same amount (f1).
void vertical_pivot(il::Quad& q, const Rect& r, const float* f)
{
    const double a = o(f[0], r.h) / 2;
    set(q, TL, r.x0, r.y0 + a);
    set(q, BL, r.x0, r.y1 - a);
    set(q, TR, r.x1, r.y0 - a);
    set(q, BR, r.x1, r.y1 + a);
}

// Turned about the horizontal axis: above 500 the top edge shortens and the
// bottom edge lengthens (f1).
void horizontal_pivot(il::Quad& q, const Rect& r, const float* f)
{
    const double a = o(f[0], r.w) / 2;
    set(q, TL, r.x0 + a, r.y0);
    set(q, TR, r.x1 - a, r.y0);
    set(q, BL, r.x0 - a, r.y1);
    set(q, BR, r.x1 + a, r.y1);
}

// Sheared: the top edge moves right and the bottom edge left by f1, the right
// edge up and the left edge down by f2.
void skew(il::Quad& q, const Rect& r, const float* f)
{
    const double a = o(f[0], r.w) / 2, b = o(f[1], r.h) / 2;
    set(q, TL, r.x0 + a, r.y0 + b);
    set(q, TR, r.x1 + a, r.y0 - b);
    set(q, BR, r.x1 - a, r.y1 - b);
    set(q, BL, r.x0 - a, r.y1 + b);
}

struct WarpShape {
    const char* name;
    Shape shape;
};

constexpr WarpShape kShapes[] = {
    {"Perspective", perspective},   {"Warp", warp},
    {"Warp Edge", warp_edge},       {"Warp 3 Point", warp_3_point},
    {"Stretch", stretch},           {"Stretch Edge", stretch_edge},
    {"Vertical Pivot", vertical_pivot}, {"Horizontal Pivot", horizontal_pivot},
    {"Skew", skew},
};

// Runs under the filtered replace: Src32 is fresh and premultiplied.
bool polygon_warp_effect(Frame& f)
{
    const WarpShape* chosen = nullptr;
    for (const WarpShape& s : kShapes)
        if (std::strcmp(s.name, f.entry->name) == 0) chosen = &s;
    if (!chosen) return false;
    const Rect r = warp_rectangle(f);
    il::Quad from = {{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}};
    il::Quad to = {{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}};
    chosen->shape(to, r, f.a.f);
    core::fill_rgba32_buffer(f.dst32, f.width, f.height, f.a.r, f.a.g, f.a.b, 0);
    return il::polygon_warp(f.src32, f.width, f.height, f.row32(), f.dst32, f.width, f.height, f.row32(), 4, from,
                            to) != 0;
}

constexpr const char* kFamily = "polygon warps";

constexpr Entry kPolygonWarps[] = {
    {"Perspective", kFamily, Pattern::R1, polygon_warp_effect},
    {"Warp", kFamily, Pattern::R1, polygon_warp_effect},
    {"Warp Edge", kFamily, Pattern::R1, polygon_warp_effect},
    {"Warp 3 Point", kFamily, Pattern::R1, polygon_warp_effect},
    {"Stretch", kFamily, Pattern::R1, polygon_warp_effect},
    {"Stretch Edge", kFamily, Pattern::R1, polygon_warp_effect},
    {"Vertical Pivot", kFamily, Pattern::R1, polygon_warp_effect},
    {"Horizontal Pivot", kFamily, Pattern::R1, polygon_warp_effect},
    {"Skew", kFamily, Pattern::R1, polygon_warp_effect},
};

}  // namespace

std::span<const Entry> polygon_warp_family() noexcept { return kPolygonWarps; }

}  // namespace mve::dispatch
