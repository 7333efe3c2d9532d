// Colour conversions. Byte results truncate toward zero.
#include "core/colour_models.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace mve {

namespace {

std::uint8_t byte_trunc(double x) noexcept
{
    // Truncation toward zero, kept inside the byte range.
    if (!(x > 0)) return 0;
    if (x >= 255) return 255;
    return static_cast<std::uint8_t>(static_cast<int>(x));
}

// One channel of HSL to RGB: the hue (degrees) picks a point between lo and hi.
template <class T>
T hue_channel(T lo, T hi, T h) noexcept
{
    if (h > T(360)) h -= T(360);
    if (h < T(0)) h += T(360);
    if (h < T(60)) return lo + (hi - lo) * h / T(60);
    if (h < T(180)) return hi;
    if (h < T(240)) return lo + (hi - lo) * (T(240) - h) / T(60);
    return lo;
}

// One sixth of x: the double form divides by 6, the float form multiplies by
// 0.16666667 as it always has.
inline double sixth_of(double x) noexcept
{
    return x / 6.0;
}
inline float sixth_of(float x) noexcept
{
    return x * 0.16666667f;
}

// HSL from channels in [0, 1], H in degrees.
template <class T>
void rgb_to_hsl_t(T r, T g, T b, T& h, T& s, T& l) noexcept
{
    const T mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const T delta = mx - mn;
    l = (mx + mn) / T(2);
    if (delta == T(0)) {
        h = T(0);
        s = T(0);
        return;
    }
    s = l < T(0.5) ? delta / (mx + mn) : delta / (T(2) - mx - mn);
    const T dR = (sixth_of(mx - r) + delta / T(2)) / delta;
    const T dG = (sixth_of(mx - g) + delta / T(2)) / delta;
    const T dB = (sixth_of(mx - b) + delta / T(2)) / delta;
    if (r == mx)
        h = dB - dG;
    else if (g == mx)
        h = dR + T(1) / T(3) - dB;
    else
        h = dG + T(2) / T(3) - dR;
    if (h < T(0)) h += T(1);
    if (h > T(1)) h -= T(1);
    h *= T(360);
}

template <class T>
void hsl_to_rgb_t(T h, T s, T l, T& r, T& g, T& b) noexcept
{
    if (s == T(0)) {
        r = g = b = l;
        return;
    }
    const T hi = l < T(0.5) ? l * (T(1) + s) : l + s - l * s;
    const T lo = T(2) * l - hi;
    r = hue_channel(lo, hi, h + T(120));
    g = hue_channel(lo, hi, h);
    b = hue_channel(lo, hi, h - T(120));
}

double srgb_to_linear(int v) noexcept
{
    const double c = v / 255.0;
    return c > 0.04045 ? std::pow((c + 0.055) / 1.055, 2.4) : c / 12.92;
}

double linear_to_srgb(double c) noexcept
{
    return c > 0.0031308 ? 1.055 * std::pow(c, 1.0 / 2.4) - 0.055 : 12.92 * c;
}

double lab_f(double t) noexcept
{
    return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0;
}

double lab_f_inverse(double t) noexcept
{
    const double t3 = t * t * t;
    return t3 > 0.008856 ? t3 : (t - 16.0 / 116.0) / 7.787;
}

}  // namespace

Hsv rgb_to_hsv(int r8, int g8, int b8) noexcept
{
    const double k = 0.00392156862745098;  // 1 / 255
    const double r = r8 * k, g = g8 * k, b = b8 * k;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double delta = mx - mn;
    Hsv out;
    out.v = mx;
    if (delta == 0) {
        out.h = -1;
        out.s = 0;
        return out;
    }
    out.s = delta / mx;
    double sector;
    if (r == mx)
        sector = (g - b) / delta;
    else if (g != mx)
        sector = (r - g) / delta + 4;
    else
        sector = (b - r) / delta + 2;
    out.h = sector * 60;
    if (out.h < 0) out.h += 360;
    return out;
}

Rgb8 hsv_to_rgb(double h, double s, double v) noexcept
{
    double r, g, b;
    if (s == 0) {
        r = g = b = v;
    } else {
        double hh = h >= 360 ? 0 : h / 60;
        if (hh < 0) hh = 0;  // hues below 0 are outside the interface; treat as red
        const int i = static_cast<int>(std::floor(hh));
        const double f = hh - i;
        const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
        switch (i) {
            case 0:
                r = v, g = t, b = p;
                break;
            case 1:
                r = q, g = v, b = p;
                break;
            case 2:
                r = p, g = v, b = t;
                break;
            case 3:
                r = p, g = q, b = v;
                break;
            case 4:
                r = t, g = p, b = v;
                break;
            default:
                r = v, g = p, b = q;
                break;
        }
    }
    return {byte_trunc(r * 255), byte_trunc(g * 255), byte_trunc(b * 255)};
}

Hsl rgb_to_hsl(int r, int g, int b) noexcept
{
    Hsl out;
    rgb_to_hsl_t<double>(r / 255.0, g / 255.0, b / 255.0, out.h, out.s, out.l);
    return out;
}

Rgb8 hsl_to_rgb(double h, double s, double l) noexcept
{
    double r, g, b;
    hsl_to_rgb_t<double>(h, s, l, r, g, b);
    return {byte_trunc(r * 255), byte_trunc(g * 255), byte_trunc(b * 255)};
}

HslF rgb_to_hsl_f(float r, float g, float b) noexcept
{
    HslF out;
    rgb_to_hsl_t<float>(r, g, b, out.h, out.s, out.l);
    return out;
}

RgbF hsl_to_rgb_f(float h, float s, float l) noexcept
{
    RgbF out;
    hsl_to_rgb_t<float>(h, s, l, out.r, out.g, out.b);
    return out;
}

Xyz rgb_to_xyz(int r8, int g8, int b8) noexcept
{
    const double r = srgb_to_linear(r8) * 100, g = srgb_to_linear(g8) * 100, b = srgb_to_linear(b8) * 100;
    Xyz out;
    out.x = std::max(0.0, 0.4124 * r + 0.3576 * g + 0.1805 * b);
    out.y = std::max(0.0, 0.2126 * r + 0.7152 * g + 0.0722 * b);
    out.z = std::max(0.0, 0.0193 * r + 0.1192 * g + 0.9505 * b);
    return out;
}

Rgb8 xyz_to_rgb(double X, double Y, double Z) noexcept
{
    const double x = X / 100, y = Y / 100, z = Z / 100;
    const double r = 3.2406 * x - 1.5372 * y - 0.4986 * z;
    const double g = -0.9689 * x + 1.8758 * y + 0.0415 * z;
    const double b = 0.0557 * x - 0.2040 * y + 1.0570 * z;
    return {byte_trunc(linear_to_srgb(r) * 255), byte_trunc(linear_to_srgb(g) * 255),
            byte_trunc(linear_to_srgb(b) * 255)};
}

Lab xyz_to_lab(double x, double y, double z) noexcept
{
    const double fx = lab_f(x / 95.047), fy = lab_f(y / 100.0), fz = lab_f(z / 108.883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

Xyz lab_to_xyz(double l, double a, double b) noexcept
{
    const double fy = (l + 16) / 116, fx = fy + a / 500, fz = fy - b / 200;
    Xyz out;
    out.x = std::max(0.0, 95.047 * lab_f_inverse(fx));
    out.y = std::max(0.0, 100.0 * lab_f_inverse(fy));
    out.z = std::max(0.0, 108.883 * lab_f_inverse(fz));
    return out;
}

Lab rgb_to_lab(int r, int g, int b) noexcept
{
    const Xyz xyz = rgb_to_xyz(r, g, b);
    return xyz_to_lab(xyz.x, xyz.y, xyz.z);
}

Rgb8 lab_to_rgb(double l, double a, double b) noexcept
{
    const Xyz xyz = lab_to_xyz(l, a, b);
    return xyz_to_rgb(xyz.x, xyz.y, xyz.z);
}

Cmyk rgb_to_cmyk(int r, int g, int b) noexcept
{
    const double c = 1 - r / 255.0, m = 1 - g / 255.0, y = 1 - b / 255.0;
    Cmyk out;
    out.k = std::min({c, m, y, 1.0});
    if (out.k != 1) {
        out.c = (c - out.k) / (1 - out.k);
        out.m = (m - out.k) / (1 - out.k);
        out.y = (y - out.k) / (1 - out.k);
    }
    return out;
}

Rgb8 cmy_to_rgb(double c, double m, double y) noexcept
{
    return {byte_trunc((1 - c) * 255), byte_trunc((1 - m) * 255), byte_trunc((1 - y) * 255)};
}

Rgb8 cmyk_to_rgb(double c, double m, double y, double k) noexcept
{
    return cmy_to_rgb(k + (1 - k) * c, k + (1 - k) * m, k + (1 - k) * y);
}

int find_absent_colour(const std::uint8_t* rgba32, int width, int height) noexcept
{
    if (!rgba32 || width <= 0 || height <= 0) return 0;
    // One bit per 24-bit colour, indexed b << 16 | g << 8 | r, so the first
    // clear bit in index order is the first colour of the blue, green, red scan.
    std::vector<std::uint64_t> seen;
    try {
        seen.assign((1u << 24) / 64, 0);
    } catch (...) {
        return 0;
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = rgba32 + i * 4;
        const std::uint32_t key = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        seen[key >> 6] |= std::uint64_t{1} << (key & 63);
    }
    for (std::size_t word = 0; word < seen.size(); ++word)
        if (~seen[word]) return static_cast<int>(word * 64 + __builtin_ctzll(~seen[word]));
    return 256;
}

}  // namespace mve
