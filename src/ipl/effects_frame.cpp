// Geometric effects that copy pixels from one place to another or frame the
// picture: "Mirror", "Gallery Wrap Mirror Auto", "Reflection", "Borderize"
// and "Vignette".
#include <cmath>
#include <vector>

#include "imagelib/gaussian_blur.h"
#include "ipl/effects.h"

namespace mve::ipl {

namespace {

// Rows below `axis` receive the rows mirrored about it: row y gets 2 axis - y.
void mirror_rows_below(EffectRun& run, int axis)
{
    for (int y = std::max(axis + 1, 0); y < run.b.height; ++y)
        for (int x = 0; x < run.b.width; ++x) run.set(x, y, run.get(x, 2 * axis - y));
}

// Rows above `axis` (0..axis-1) receive row 2 axis - y.
void mirror_rows_above(EffectRun& run, int axis)
{
    for (int y = 0; y < std::min(axis, run.b.height); ++y)
        for (int x = 0; x < run.b.width; ++x) run.set(x, y, run.get(x, 2 * axis - y));
}

// Columns right of `axis` receive column 2 axis - x.
void mirror_columns_right(EffectRun& run, int axis)
{
    for (int y = 0; y < run.b.height; ++y)
        for (int x = std::max(axis + 1, 0); x < run.b.width; ++x) run.set(x, y, run.get(2 * axis - x, y));
}

// Columns left of `axis` (0..axis-1) receive column 2 axis - x.
void mirror_columns_left(EffectRun& run, int axis)
{
    for (int y = 0; y < run.b.height; ++y)
        for (int x = 0; x < std::min(axis, run.b.width); ++x) run.set(x, y, run.get(2 * axis - x, y));
}

// The 8-bit vignette shape mask, before blurring.
std::vector<std::uint8_t> vignette_shape(const EffectBlock& b)
{
    const int W = b.width, H = b.height;
    int background = 0, level = 255;
    if (b.I[5] == 0) background = static_cast<int>(255.0 - b.P[6] * 255.0);
    if (b.I[5] == 1) level = static_cast<int>(b.P[6] * 255.0);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(W) * H, static_cast<std::uint8_t>(clamp255(background)));
    const std::uint8_t shape = static_cast<std::uint8_t>(clamp255(level));
    const int hm = static_cast<int>(b.P[5] * H), wm = static_cast<int>(b.P[5] * W);
    int a = (W - 2 * wm) / 2, m = (H - 2 * hm) / 2;  // horizontal and vertical margins
    if (b.I[7] != 0) a = m = W < H ? (H - 2 * hm) / 2 : (W - 2 * wm) / 2;
    auto put = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < W && y < H) mask[static_cast<std::size_t>(y) * W + x] = shape;
    };
    if (b.I[6] != 0) {
        // The rectangle (a, m) - (W - a - 1, H - m): right edge inclusive, bottom
        // exclusive, so both margins are the same on either side.
        // Only the part on the picture is visited: margins far outside it
        // (sliders far beyond their range) must not make the loops long.
        if (a < W - a - 1 && m < H - m)
            for (int y = std::max(m, 0); y < std::min(H - m, H); ++y)
                for (int x = std::max(a, 0); x <= std::min(W - a - 1, W - 1); ++x) put(x, y);
        return mask;
    }
    const int cx = W / 2, cy = H / 2;
    const double rx = std::max(2, (W - 2 * a) / 2), ry = std::max(2, (H - 2 * m) / 2);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) put(x, y);
        }
    return mask;
}

}  // namespace

void gaussian_blur_gray8(std::uint8_t* plane, int width, int height, double radius)
{
    if (!plane || width <= 0 || height <= 0 || !(radius > 0)) return;
    il::gaussian_blur(plane, width, height, 1, width, plane, width, radius);
}

// Up to four mirrorings, each followed by a flush: the bottom about
// d = H - trunc(P1 (H/2)), the top about trunc(P2 (H/2)), the right edge about
// W - trunc(P3 (W/2)), the left edge about trunc(P4 (W/2)).
void mirror(EffectRun& run)
{
    const EffectBlock& b = run.b;
    const int W = b.width, H = b.height;
    if (b.P[1] > 0) {
        mirror_rows_below(run, H - static_cast<int>(b.P[1] * (H / 2)));
        run.flush();
    }
    if (b.P[2] > 0) {
        mirror_rows_above(run, static_cast<int>(b.P[2] * (H / 2)));
        run.flush();
    }
    if (b.P[3] > 0) {
        mirror_columns_right(run, W - static_cast<int>(b.P[3] * (W / 2)));
        run.flush();
    }
    if (b.P[4] > 0) {
        mirror_columns_left(run, static_cast<int>(b.P[4] * (W / 2)));
        run.flush();
    }
}

// The picture inside the data extents is mirrored outward about each edge in
// turn (below, above, right, left), flushing after each, filling the margins
// of a canvas wrap with its reflection.
void gallery_wrap_mirror_auto(EffectRun& run)
{
    int x0, y0, x1, y1;
    run.data_extents(x0, y0, x1, y1);
    mirror_rows_below(run, y1);
    run.flush();
    mirror_rows_above(run, y0);
    run.flush();
    mirror_columns_right(run, x1);
    run.flush();
    mirror_columns_left(run, x0);
    run.flush();
}

// A reflection below the picture: from start row e down, each row copies
// source row trunc(s), s = e - 1 moving up by 4 P4 per row, with its alpha
// scaled by a factor starting at P2 and falling by P2 P3 / (H / 16) per row.
void reflection(EffectRun& run)
{
    const EffectBlock& b = run.b;
    const int W = b.width, H = b.height;
    const int d = std::max(0, static_cast<int>((1.0 - b.P[1]) * (H - 1)));
    // One start row for all columns: the largest lowest row with alpha > 253.
    int common = -1;
    if (b.I[3] == 1)
        for (int x = 0; x < W; ++x)
            for (int y = H - 1; y >= 0; --y)
                if (run.get(x, y).a > 253) {
                    common = std::max(common, y);
                    break;
                }
    // H / 16 is 0 on images under 16 rows; one row then keeps the fade finite.
    const double fall = b.P[2] * b.P[3] / std::max(H / 16, 1);
    for (int x = 0; x < W; ++x) {
        int e = d - 1;
        if (b.I[4] != 0) {
            e = d - 1;
        } else if (b.I[3] == 1) {
            if (common >= 0) e = common;
        } else {
            for (int y = H - 1; y >= d; --y)
                if (run.get(x, y).a != 0) {
                    e = y;
                    break;
                }
        }
        if (e >= H - 1) continue;
        double factor = b.P[2];
        for (int y = e; y < H; ++y, factor -= fall) {
            const int s = static_cast<int>((e - 1) - (y - e) * 4.0 * b.P[4]);
            const Px p = run.get(x, s);
            run.set(x, y, p.r, p.g, p.b, static_cast<int>(p.a * factor));
        }
    }
}

// A border of trunc(min(W, H) / 2 * P2) rings; ring k takes the colour of the
// pixel at position P1 along its own perimeter (top from the left, right edge
// down, bottom from the right, left edge up, a quarter each).
void borderize(EffectRun& run)
{
    const EffectBlock& b = run.b;
    const int W = b.width, H = b.height;
    const int rings = static_cast<int>(std::min(W, H) / 2 * b.P[2]);
    const double t = std::clamp(b.P[1], 0.0, 1.0);
    for (int k = 0; k < rings; ++k) {
        const int x0 = k, y0 = k, x1 = W - 1 - k, y1 = H - 1 - k;
        if (x0 > x1 || y0 > y1) break;
        const int rw = x1 - x0, rh = y1 - y0;
        int px, py;
        if (t < 0.25) {
            px = x0 + static_cast<int>(t / 0.25 * rw), py = y0;
        } else if (t < 0.5) {
            px = x1, py = y0 + static_cast<int>((t - 0.25) / 0.25 * rh);
        } else if (t < 0.75) {
            px = x1 - static_cast<int>((t - 0.5) / 0.25 * rw), py = y1;
        } else {
            px = x0, py = y1 - static_cast<int>((t - 0.75) / 0.25 * rh);
        }
        const Px c = run.get(px, py);
        for (int x = x0; x <= x1; ++x) run.set(x, y0, c), run.set(x, y1, c);
        for (int y = y0; y <= y1; ++y) run.set(x0, y, c), run.set(x1, y, c);
    }
}

// Fades alpha (and with I3 = 1 the colour) outside a blurred rectangle or
// ellipse: f = mask / 255 (1 - f when I5 = 1); alpha' = f a + (1 - f) A0 with
// A0 = 0 (I4 = 1) or 1; colour' = f c + (1 - f) V, V = (P1, P2, P3) or the
// brush colour (I8), a fully transparent pixel taking V.
void vignette(EffectRun& run)
{
    const EffectBlock& b = run.b;
    const int W = b.width, H = b.height;
    std::vector<std::uint8_t> mask = vignette_shape(b);
    const double radius = 0.1 * b.P[4] * std::max(W, H);
    gaussian_blur_gray8(mask.data(), W, H, radius == 0.0 ? 0.1 : radius);
    const double a0 = b.I[4] == 1 ? 0.0 : 1.0;
    double v[3] = {b.P[1] == 0.0 ? 0.001 : b.P[1], b.P[2], b.P[3]};
    if (b.I[8] != 0) std::copy(run.brush_colour(), run.brush_colour() + 3, v);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const Px p = run.get(x, y);
            double f = mask[static_cast<std::size_t>(y) * W + x] / 255.0;
            if (b.I[5] == 1) f = 1.0 - f;
            const int alpha = real_to_byte(f * (p.a / 255.0) + (1.0 - f) * a0);
            if (b.I[3] != 1) {
                run.set(x, y, p.r, p.g, p.b, alpha);
                continue;
            }
            const int c[3] = {p.r, p.g, p.b};
            int out[3];
            for (int k = 0; k < 3; ++k)
                out[k] = real_to_byte(p.a == 0 ? v[k] : f * (c[k] / 255.0) + (1.0 - f) * v[k]);
            run.set(x, y, out[0], out[1], out[2], alpha);
        }
}

}  // namespace mve::ipl
