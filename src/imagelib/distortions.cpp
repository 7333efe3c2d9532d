// The distortion transforms: inverse maps queued on the transform list.
// Formulas are stated in distortions.h beside each add_* call.
#include "imagelib/distortions.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "imagelib/transforms.h"

namespace mve::il {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool finite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool usable(int width, int height, std::initializer_list<double> values)
{
    return width > 0 && height > 0 && finite(values);
}

double effect_radius(int width, int height, double radius)
{
    return radius > 0 ? radius : std::max(0.5 * std::hypot(width, height), 1.0);
}

// Rotates (x, y) about c by `angle` radians, in place.
inline void rotate_about(double& x, double& y, Centre c, double angle)
{
    if (angle == 0.0) return;
    const double co = std::cos(angle), si = std::sin(angle), vx = x - c.x, vy = y - c.y;
    x = c.x + vx * co - vy * si;
    y = c.y + vx * si + vy * co;
}

// Queues a radial map: the source lies at c + v * factor(d) for d < R (all
// d when R is infinite); factor 1 leaves the pixel.
template <class Factor>
int add_radial_scale(Centre c, double r, Factor factor, int edge)
{
    return add_transform([=](double& x, double& y) {
        const double vx = x - c.x, vy = y - c.y, d = std::sqrt(vx * vx + vy * vy);
        if (d >= r) return true;
        const double f = factor(d, vx, vy);
        x = c.x + vx * f;
        y = c.y + vy * f;
        return true;
    }, edge);
}

// Queues a rotation about c by angle(d) radians.
template <class Angle>
int add_radial_rotation(Centre c, Angle angle, int edge)
{
    return add_transform([=](double& x, double& y) {
        const double vx = x - c.x, vy = y - c.y;
        rotate_about(x, y, c, angle(std::sqrt(vx * vx + vy * vy)));
        return true;
    }, edge);
}

// ---- seeded noise, a pure function of position so rows can run in any order ----

inline std::uint32_t hash3(std::int64_t x, std::int64_t y, std::uint32_t seed)
{
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B185EBCA87ull ^
                      static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^ (std::uint64_t{seed} << 17);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h);
}

inline double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Smooth value noise in -1..1.
double value_noise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y), sx = fade(x - fx), sy = fade(y - fy);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    auto v = [&](std::int64_t i, std::int64_t j) { return hash3(i, j, seed) / 2147483647.5 - 1.0; };
    const double top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx;
    const double bot = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx;
    return top + (bot - top) * sy;
}

// Perlin gradient noise with eight lattice gradients, scaled to about -1..1.
double gradient_noise(double x, double y, std::uint32_t seed)
{
    static constexpr double g[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1},
                                       {0.7071, 0.7071}, {-0.7071, 0.7071}, {0.7071, -0.7071}, {-0.7071, -0.7071}};
    const double fx = std::floor(x), fy = std::floor(y), ax = x - fx, ay = y - fy;
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    auto dot = [&](std::int64_t i, std::int64_t j, double dx, double dy) {
        const double* v = g[hash3(i, j, seed) & 7];
        return v[0] * dx + v[1] * dy;
    };
    const double sx = fade(ax), sy = fade(ay);
    const double top = dot(ix, iy, ax, ay) + (dot(ix + 1, iy, ax - 1, ay) - dot(ix, iy, ax, ay)) * sx;
    const double bot =
        dot(ix, iy + 1, ax, ay - 1) + (dot(ix + 1, iy + 1, ax - 1, ay - 1) - dot(ix, iy + 1, ax, ay - 1)) * sx;
    return 1.4 * (top + (bot - top) * sy);
}

// Triangle wave of period 1: 0 at 0, 1 at 1/4, -1 at 3/4.
double triangle(double t)
{
    const double f = t - std::floor(t);
    return f < 0.25 ? 4 * f : f < 0.75 ? 2 - 4 * f : 4 * f - 4;
}

}  // namespace

int add_spin_transform(int width, int height, Centre c, double radius, double angleDegrees, int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, radius, angleDegrees})) return 0;
    const double r = effect_radius(width, height, radius), a = std::fmod(angleDegrees, 3600.0) * kPi / 180.0;
    return add_radial_rotation(c, [=](double d) { return d >= r ? 0.0 : -a * (1 - d / r) * (1 - d / r); }, edge);
}

int add_pinch_transform(int width, int height, Centre c, double radius, double amount, int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, radius, amount})) return 0;
    const double r = effect_radius(width, height, radius), k = std::clamp(amount, -1.0, 1.0);
    return add_radial_scale(c, r, [=](double d, double, double) { return 1 + k * (1 - d / r) * (1 - d / r); }, edge);
}

int add_lens_transform(int width, int height, Centre c, double radius, double strength, int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, radius, strength})) return 0;
    const double r = effect_radius(width, height, radius), k = std::clamp(strength, -0.95, 0.95);
    return add_radial_scale(c, r, [=](double d, double, double) { return 1 - k * std::sqrt(1 - (d / r) * (d / r)); },
                            edge);
}

int add_elliptical_transform(int width, int height, double strength, int edge) noexcept
{
    if (!usable(width, height, {strength})) return 0;
    const double t = std::clamp(strength, 0.0, 1.0);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0, a = width / 2.0, b = height / 2.0;
    return add_transform([=](double& x, double& y) {
        if (t == 0.0) return true;
        const double u = (x - cx) / a, v = (y - cy) / b;
        if (u * u + v * v > 1.0) return false;
        const double r2 = std::sqrt(2.0) * 2, uu = u * u - v * v, vv = v * v - u * u;
        const double su = 0.5 * (std::sqrt(std::max(0.0, 2 + uu + r2 * u)) - std::sqrt(std::max(0.0, 2 + uu - r2 * u)));
        const double sv = 0.5 * (std::sqrt(std::max(0.0, 2 + vv + r2 * v)) - std::sqrt(std::max(0.0, 2 + vv - r2 * v)));
        x = cx + (u + (su - u) * t) * a;
        y = cy + (v + (sv - v) * t) * b;
        return true;
    }, edge);
}

int add_ripple_transform(int width, int height, Centre c, double amplitude, double wavelength, double phaseDegrees,
                         int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, amplitude, wavelength, phaseDegrees})) return 0;
    const double len = std::max(std::fabs(wavelength), 1.0), phase = std::fmod(phaseDegrees, 360.0) * kPi / 180.0;
    const double inf = std::numeric_limits<double>::infinity();
    return add_radial_scale(c, inf, [=](double d, double, double) {
        return d == 0 ? 1.0 : (d + amplitude * std::sin(2 * kPi * d / len + phase)) / d;
    }, edge);
}

int add_wave_transform(int width, int height, double amplitude, double wavelength, int edge) noexcept
{
    if (!usable(width, height, {amplitude, wavelength})) return 0;
    const double k = 2 * kPi / std::max(std::fabs(wavelength), 1.0);
    return add_transform([=](double& x, double& y) {
        const double nx = x + amplitude * std::sin(k * y);
        y += amplitude * std::sin(k * x);
        x = nx;
        return true;
    }, edge);
}

int add_spin_wave_transform(int width, int height, Centre c, double angleDegrees, double wavelength, int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, angleDegrees, wavelength})) return 0;
    const double a = std::fmod(angleDegrees, 3600.0) * kPi / 180.0, k = 2 * kPi / std::max(std::fabs(wavelength), 1.0);
    return add_radial_rotation(c, [=](double d) { return a * std::sin(k * d); }, edge);
}

int add_wow_transform(int width, int height, Centre c, double radius, double amount, int petals, int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, radius, amount})) return 0;
    const double r = effect_radius(width, height, radius), k = std::clamp(amount, -0.9, 0.9);
    const int n = std::clamp(petals, 1, 360);
    const double inf = std::numeric_limits<double>::infinity();
    return add_radial_scale(c, inf, [=](double d, double vx, double vy) {
        return 1 + k * std::sin(n * std::atan2(vy, vx)) * std::min(1.0, d / r);
    }, edge);
}

int add_zigzag_transform(int width, int height, Centre c, double radius, double angleDegrees, int ridges,
                         int edge) noexcept
{
    if (!usable(width, height, {c.x, c.y, radius, angleDegrees})) return 0;
    const double r = effect_radius(width, height, radius), a = std::fmod(angleDegrees, 3600.0) * kPi / 180.0;
    const int n = std::clamp(ridges, 1, 1000);
    return add_radial_rotation(c, [=](double d) { return d >= r ? 0.0 : a * triangle(n * d / r) * (1 - d / r); }, edge);
}

int add_marble_transform(int width, int height, double amplitude, double wavelength, double turbulence,
                         std::uint32_t seed, int edge) noexcept
{
    if (!usable(width, height, {amplitude, wavelength, turbulence})) return 0;
    const double len = std::max(std::fabs(wavelength), 1.0);
    return add_transform([=](double& x, double& y) {
        if (amplitude == 0.0) return true;
        const double phase = 2 * kPi * ((x + y) / len + turbulence * value_noise(x / len, y / len, seed));
        x += amplitude * std::sin(phase);
        y += amplitude * std::cos(phase);
        return true;
    }, edge);
}

int add_perlin_displacement_transform(int width, int height, double amplitude, double scale, int octaves,
                                      std::uint32_t seed, int edge) noexcept
{
    if (!usable(width, height, {amplitude, scale})) return 0;
    const double s = std::max(std::fabs(scale), 1.0);
    const int levels = std::clamp(octaves, 1, 8);
    return add_transform([=](double& x, double& y) {
        if (amplitude == 0.0) return true;
        double nx = 0, ny = 0, amp = 1, freq = 1 / s;
        for (int o = 0; o < levels; ++o, amp *= 0.5, freq *= 2) {
            nx += amp * gradient_noise(x * freq, y * freq, seed);
            ny += amp * gradient_noise(x * freq + 57.31, y * freq + 19.17, seed ^ 0x5bd1e995u);
        }
        x += amplitude * nx;
        y += amplitude * ny;
        return true;
    }, edge);
}

int add_random_transform(int width, int height, int spread, std::uint32_t seed, int edge) noexcept
{
    if (width <= 0 || height <= 0) return 0;
    const int s = std::clamp(spread, 0, std::max(width, height));
    return add_transform([=](double& x, double& y) {
        if (s == 0) return true;
        const std::uint32_t h = hash3(static_cast<std::int64_t>(x), static_cast<std::int64_t>(y), seed);
        const auto span = static_cast<std::uint32_t>(2 * s + 1);
        x += static_cast<int>(h % span) - s;
        y += static_cast<int>((h / span) % span) - s;
        return true;
    }, edge);
}

}  // namespace mve::il
