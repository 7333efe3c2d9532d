#include "script/pixel_kernels.h"

#include <cmath>

#include "core/colour_models.h"

namespace mve::script {

namespace {

double clamp_to(double v, double lo, double hi) noexcept
{
    if (v > hi) return hi;
    return v > lo ? v : lo;  // NaN fails the test and takes lo
}

void store_rgb(std::uint8_t* px, Rgb8 c) noexcept
{
    px[0] = c.r;
    px[1] = c.g;
    px[2] = c.b;
}

}  // namespace

long long pixel_index(double x, double y, int width, int height) noexcept
{
    // Written as comparisons so NaN and huge values fall off the canvas
    // before any conversion to an integer.
    if (!(x > -1 && x < width && y > -1 && y < height)) return -1;
    const long long xi = x < 0 ? 0 : static_cast<long long>(x);
    const long long yi = y < 0 ? 0 : static_cast<long long>(y);
    return yi * width + xi;
}

std::uint16_t unit_to_mask(double v) noexcept
{
    const double t = std::trunc(v * 65535);
    // Lua's modulo, a - floor(a / b) * b: exact for a power-of-two divisor,
    // so it is the low 16 bits of the integer for every finite size.
    const double low = t - std::floor(t / 65536.0) * 65536.0;
    if (!(low >= 0 && low < 65536)) return 0;
    return static_cast<std::uint16_t>(low);
}

void get_hsv(const std::uint8_t* px, double* out) noexcept
{
    const Hsv c = rgb_to_hsv(px[0], px[1], px[2]);
    out[0] = c.h, out[1] = c.s, out[2] = c.v;
}

void set_hsv(std::uint8_t* px, double h, double s, double v) noexcept
{
    store_rgb(px, hsv_to_rgb(clamp_to(h, 0, 359), clamp_to(s, 0, 1), clamp_to(v, 0, 1)));
}

void get_hsl(const std::uint8_t* px, double* out) noexcept
{
    const Hsl c = rgb_to_hsl(px[0], px[1], px[2]);
    out[0] = c.h, out[1] = c.s, out[2] = c.l;
}

void set_hsl(std::uint8_t* px, double h, double s, double l) noexcept
{
    store_rgb(px, hsl_to_rgb(clamp_to(h, 0, 359), clamp_to(s, 0, 1), clamp_to(l, 0, 1)));
}

void get_lab(const std::uint8_t* px, double* out) noexcept
{
    const Lab c = rgb_to_lab(px[0], px[1], px[2]);
    out[0] = c.l, out[1] = c.a, out[2] = c.b;
}

void set_lab(std::uint8_t* px, double l, double a, double b) noexcept
{
    store_rgb(px, lab_to_rgb(l, a, b));
}

void get_cmyk(const std::uint8_t* px, double* out) noexcept
{
    const Cmyk c = rgb_to_cmyk(px[0], px[1], px[2]);
    out[0] = c.c, out[1] = c.m, out[2] = c.y, out[3] = c.k;
}

void set_cmyk(std::uint8_t* px, double c, double m, double y, double k) noexcept
{
    store_rgb(px, cmyk_to_rgb(c, m, y, k));
}

}  // namespace mve::script
