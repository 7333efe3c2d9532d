// Distortion transforms for the transform queue (imagelib/transforms.h).
// Each add_* call appends one inverse map: for a destination pixel p it gives
// the source position the processor samples. c is a centre, d = |p - c|, R a
// radius of effect (R <= 0: half the picture's diagonal), v = p - c. Every one
// is the identity at strength 0. edgeMode is that of add_transform. Each
// returns non-zero when the transform was queued (0 for a non-finite value or
// a picture size below 1).
#pragma once

#include <cstdint>

namespace mve::il {

struct Centre {
    double x, y;
};

// Twirl: rotates v by -angle * (1 - d / R)^2 inside R.
int add_spin_transform(int width, int height, Centre c, double radius, double angleDegrees, int edgeMode) noexcept;
// Pinch: the source lies at c + v * (1 + amount * (1 - d / R)^2) inside R,
// amount clamped to -1..1 (positive draws the picture towards c, negative bulges it).
int add_pinch_transform(int width, int height, Centre c, double radius, double amount, int edgeMode) noexcept;
// Lens: a glass sphere of radius R: the source lies at
// c + v * (1 - strength * sqrt(1 - (d / R)^2)), strength clamped to -0.95..0.95
// (positive magnifies the middle by up to 1 / (1 - strength)).
int add_lens_transform(int width, int height, Centre c, double radius, double strength, int edgeMode) noexcept;
// Elliptical: squeezes the whole rectangle into its inscribed ellipse. With
// (u, v) the position in the ellipse scaled to the unit disc, the source is
// the disc-to-square mapping of (u, v) (x = (sqrt(2 + u^2 - v^2 + 2 sqrt2 u)
// - sqrt(2 + u^2 - v^2 - 2 sqrt2 u)) / 2, likewise y), mixed with the
// identity by strength 0..1; outside the ellipse the background shows.
int add_elliptical_transform(int width, int height, double strength, int edgeMode) noexcept;
// Ripple: rings about c: the source lies at distance d + A sin(2 pi d / wavelength + phase).
int add_ripple_transform(int width, int height, Centre c, double amplitude, double wavelength, double phaseDegrees,
                         int edgeMode) noexcept;
// Wave: x + A sin(2 pi y / wavelength), y + A sin(2 pi x / wavelength).
int add_wave_transform(int width, int height, double amplitude, double wavelength, int edgeMode) noexcept;
// Spin wave: rotates v by angle * sin(2 pi d / wavelength).
int add_spin_wave_transform(int width, int height, Centre c, double angleDegrees, double wavelength,
                            int edgeMode) noexcept;
// Wow: petals about c: the source lies at c + v * (1 + amount * sin(petals * theta) * min(1, d / R)),
// theta the angle of v, amount clamped to -0.9..0.9.
int add_wow_transform(int width, int height, Centre c, double radius, double amount, int petals, int edgeMode) noexcept;
// Zig zag: rotates v by angle * tri(ridges * d / R) * (1 - d / R) inside R,
// tri the triangle wave of period 1 between -1 and 1.
int add_zigzag_transform(int width, int height, Centre c, double radius, double angleDegrees, int ridges,
                         int edgeMode) noexcept;
// Marble (sine veins): phase = 2 pi ((x + y) / wavelength + turbulence * n(x / wavelength, y / wavelength)),
// n a seeded smooth noise in -1..1; the source is (x + A sin phase, y + A cos phase).
int add_marble_transform(int width, int height, double amplitude, double wavelength, double turbulence,
                         std::uint32_t seed, int edgeMode) noexcept;
// Marble from Perlin noise: (x + A n1(x / scale, y / scale), y + A n2(...)),
// n1 and n2 two seeded gradient noises in about -1..1 summed over `octaves` (1..8), each half the size.
int add_perlin_displacement_transform(int width, int height, double amplitude, double scale, int octaves,
                                      std::uint32_t seed, int edgeMode) noexcept;
// Frosted glass: each pixel reads a whole-pixel neighbour at most `spread`
// away in x and y, chosen by a hash of (x, y, seed) so that the result does
// not depend on threads.
int add_random_transform(int width, int height, int spread, std::uint32_t seed, int edgeMode) noexcept;

}  // namespace mve::il
