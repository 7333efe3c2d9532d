// Rectangle and ellipse spans (see shape_geometry.h).
#include "ipl/shape_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mve::ipl {

namespace {

// Corners far off any canvas are pulled in, so span arithmetic cannot overflow.
constexpr int kFar = 1 << 28;
int near(int v) noexcept
{
    return std::clamp(v, -kFar, kFar);
}

}  // namespace

Box tool_box(int x0, int y0, int x1, int y1) noexcept
{
    x0 = near(x0), y0 = near(y0), x1 = near(x1), y1 = near(y1);
    Box b;
    if (x0 < x1)
        b.left = x0, b.right = x1 - 1;
    else
        b.left = x1 + 1, b.right = x0;
    b.top = std::min(y0, y1), b.bottom = std::max(y0, y1);
    return b;
}

Box selection_box(int x0, int y0, int x1, int y1) noexcept
{
    x0 = near(x0), y0 = near(y0), x1 = near(x1), y1 = near(y1);
    return Box{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

Ellipse ellipse_in(const Box& box) noexcept
{
    Ellipse el;
    // Halved in 64 bits: corners far apart must not overflow.
    el.rx = static_cast<int>(std::max<long long>((static_cast<long long>(box.right) - box.left) / 2, 2));
    el.ry = static_cast<int>(std::max<long long>((static_cast<long long>(box.bottom) - box.top) / 2, 2));
    el.cx = box.left + el.rx;
    el.cy = box.top + el.ry;
    return el;
}

Box ellipse_bounds(const Ellipse& el) noexcept
{
    return Box{el.cx - el.rx, el.cy - el.ry, el.cx + el.rx, el.cy + el.ry};
}

bool ellipse_row(const Ellipse& el, int y, int* left, int* right) noexcept
{
    const double dy = static_cast<double>(y) - el.cy;
    const double ry = el.ry, rx = el.rx;
    if (std::fabs(dy) > ry) return false;
    // Half-width of the row; the tiny epsilon keeps exact boundary points
    // (such as (cx + rx, cy)) inside despite rounding in sqrt.
    const double half = rx * std::sqrt(std::max(0.0, 1.0 - (dy * dy) / (ry * ry))) + 1e-9;
    *left = static_cast<int>(std::ceil(el.cx - half));
    *right = static_cast<int>(std::floor(el.cx + half));
    return *left <= *right;
}

namespace {

void fill_row(const ShapeTarget& t, int y, int left, int right, const std::uint8_t* value) noexcept
{
    left = std::max(left, t.area.left);
    right = std::min(right, t.area.right);
    if (y < t.area.top || y > t.area.bottom || left > right) return;
    std::uint8_t* px = t.pixels + static_cast<std::ptrdiff_t>(y - t.area.top) * t.rowBytes +
                       static_cast<std::ptrdiff_t>(left - t.area.left) * t.channels;
    for (int x = left; x <= right; ++x, px += t.channels) std::memcpy(px, value, t.channels);
}

}  // namespace

void fill_box(const ShapeTarget& t, const Box& box, const std::uint8_t* value) noexcept
{
    const int top = std::max(box.top, t.area.top), bottom = std::min(box.bottom, t.area.bottom);
    for (int y = top; y <= bottom; ++y) fill_row(t, y, box.left, box.right, value);
}

void fill_ellipse(const ShapeTarget& t, const Ellipse& el, const std::uint8_t* value) noexcept
{
    const Box b = ellipse_bounds(el);
    const int top = std::max(b.top, t.area.top), bottom = std::min(b.bottom, t.area.bottom);
    for (int y = top; y <= bottom; ++y) {
        int left, right;
        if (ellipse_row(el, y, &left, &right)) fill_row(t, y, left, right, value);
    }
}

}  // namespace mve::ipl
