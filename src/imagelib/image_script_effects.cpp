// Image-script effects: they change the picture in place and keep its size.
// Pixels are B, G, R, A bytes; colour effects leave alpha alone.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagelib/image_script_steps.h"

namespace mve::il::isl_detail {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::size_t pixel_count(const Picture& p) { return static_cast<std::size_t>(p.width) * p.height; }

std::uint8_t clamp_byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Luma of a B G R A pixel: (299 R + 587 G + 114 B) / 1000, rounded.
int luma(const std::uint8_t* px) { return (px[2] * 299 + px[1] * 587 + px[0] * 114 + 500) / 1000; }

// One box pass of radius r along a line of n pixels (stride `step` pixels),
// wrapping at the ends so the picture stays tileable.
void box_line(std::uint8_t* line, int n, std::size_t step, int r, std::vector<int>& tmp)
{
    tmp.assign(static_cast<std::size_t>(n) * 4, 0);
    const int span = 2 * r + 1;
    for (int c = 0; c < 4; ++c) {
        auto at = [&](int i) { return line[static_cast<std::size_t>(((i % n) + n) % n) * step * 4 + c]; };
        int sum = 0;
        for (int i = -r; i <= r; ++i) sum += at(i);
        for (int i = 0; i < n; ++i) {
            tmp[static_cast<std::size_t>(i) * 4 + c] = (sum + span / 2) / span;
            sum += at(i + r + 1) - at(i - r);
        }
    }
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            line[static_cast<std::size_t>(i) * step * 4 + c] = static_cast<std::uint8_t>(tmp[static_cast<std::size_t>(i) * 4 + c]);
}

}  // namespace

void fx_invert(const IslStep&, Picture pic, CrtRandom&)
{
    for (std::size_t i = 0; i < pixel_count(pic); ++i)
        for (int c = 0; c < 3; ++c) pic.bgra[i * 4 + c] = static_cast<std::uint8_t>(255 - pic.bgra[i * 4 + c]);
}

// Rotation about the picture centre by slot 3 degrees (positive turns the
// content counter-clockwise on screen), zoomed by slot 4 percent (100 keeps
// the scale), keeping the picture size. Each output pixel centre maps back
// into the source and is sampled bilinearly; samples outside the source are
// transparent black. A whole number of turns at 100 % is an exact copy.
void fx_rotate(const IslStep& s, Picture pic, CrtRandom&)
{
    const double degrees = std::fmod(s.values[3], 360.0);
    const double scale = s.values[4] / 100.0;
    if (!(scale > 1e-6)) {  // zero or negative zoom: nothing is left to show
        std::memset(pic.bgra, 0, pixel_count(pic) * 4);
        return;
    }
    if (degrees == 0.0 && scale == 1.0) return;
    const std::vector<std::uint8_t> src(pic.bgra, pic.bgra + pixel_count(pic) * 4);
    const double a = degrees * kPi / 180.0, ca = std::cos(a) / scale, sa = std::sin(a) / scale;
    const double cx = pic.width / 2.0, cy = pic.height / 2.0;
    const int w = pic.width, h = pic.height;
    auto texel = [&](int x, int y, int c) -> double {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0.0;
        return src[(static_cast<std::size_t>(y) * w + x) * 4 + c];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            // Inverse of the on-screen counter-clockwise turn (y grows downward).
            double u = dx * ca - dy * sa + cx - 0.5, v = dx * sa + dy * ca + cy - 0.5;
            // Snap near-integers so quarter turns copy pixels exactly.
            if (std::fabs(u - std::round(u)) < 1e-6) u = std::round(u);
            if (std::fabs(v - std::round(v)) < 1e-6) v = std::round(v);
            const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
            const double fx = u - x0, fy = v - y0;
            std::uint8_t* out = pic.bgra + (static_cast<std::size_t>(y) * w + x) * 4;
            for (int c = 0; c < 4; ++c) {
                const double top = texel(x0, y0, c) * (1 - fx) + texel(x0 + 1, y0, c) * fx;
                const double bottom = texel(x0, y0 + 1, c) * (1 - fx) + texel(x0 + 1, y0 + 1, c) * fx;
                out[c] = clamp_byte(top * (1 - fy) + bottom * fy);
            }
        }
}

// Box blur of slot 0 pixels radius, slot 1 passes (three approach a Gaussian),
// all four channels, wrapping at the edges.
void fx_blur(const IslStep& s, Picture pic, CrtRandom&)
{
    const int r = static_cast<int>(std::clamp(s.values[0], 0.0, 256.0));
    const int passes = static_cast<int>(std::clamp(s.values[1], 0.0, 8.0));
    if (r == 0) return;
    std::vector<int> tmp;
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < pic.height; ++y)
            box_line(pic.bgra + static_cast<std::size_t>(y) * pic.width * 4, pic.width, 1, r, tmp);
        for (int x = 0; x < pic.width; ++x)
            box_line(pic.bgra + static_cast<std::size_t>(x) * 4, pic.height, static_cast<std::size_t>(pic.width), r, tmp);
    }
}

// v' = (v - 128) * (100 + contrast) / 100 + 128 + brightness * 2.55
void fx_contrast(const IslStep& s, Picture pic, CrtRandom&)
{
    const double k = (100.0 + std::clamp(s.values[0], -100.0, 1000.0)) / 100.0;
    const double b = std::clamp(s.values[1], -100.0, 100.0) * 2.55;
    for (std::size_t i = 0; i < pixel_count(pic); ++i)
        for (int c = 0; c < 3; ++c) {
            std::uint8_t& v = pic.bgra[i * 4 + c];
            v = clamp_byte((v - 128.0) * k + 128.0 + b);
        }
}

void fx_grayscale(const IslStep&, Picture pic, CrtRandom&)
{
    for (std::size_t i = 0; i < pixel_count(pic); ++i) {
        std::uint8_t* px = pic.bgra + i * 4;
        px[0] = px[1] = px[2] = static_cast<std::uint8_t>(luma(px));
    }
}

// White where the luma is at least slot 0, black elsewhere.
void fx_threshold(const IslStep& s, Picture pic, CrtRandom&)
{
    const double level = s.values[0];
    for (std::size_t i = 0; i < pixel_count(pic); ++i) {
        std::uint8_t* px = pic.bgra + i * 4;
        px[0] = px[1] = px[2] = luma(px) >= level ? 255 : 0;
    }
}

}  // namespace mve::il::isl_detail
