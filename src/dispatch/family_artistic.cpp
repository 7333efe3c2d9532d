// Artistic effects on the layer's colour (pattern R4: the layer as RGB24,
// its alpha kept): "Oil Paint", "Stipple", "Negative", "Posterize",
// "Solarize", "Watercolor Tint", "Surface Blur" and "Noise Reduction 2"
// (one operation), "Dust and Scratches", "Halftone", "Color Noise",
// "Hugo Noise", "Perlin Noise", "Crackle", "Gausy", "Scribble",
// "Grayscale" and "Fingerprint". Each reads Src24 and writes Dst24 (which
// starts as a copy of Src24); sliders p1..p6 arrive as fN = pN * 0.1
// (0..100), and the mapping of each is stated above its operation.
#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/artistic.h"
#include "imagelib/artistic_tones.h"
#include "imagelib/bilateral.h"
#include "imagelib/halftone.h"
#include "imagelib/noise_patterns.h"
#include "imagelib/scribble.h"

namespace mve::dispatch {

namespace {

std::uint32_t seed_of(const Frame& f)
{
    return static_cast<std::uint32_t>(f.a.seed);
}

// Window radius max(trunc(f1 * 0.1), 1) (1..10); 8 + trunc(f2 * 0.56) brightness bands (8..64).
bool oil_paint(Frame& f)
{
    return il::oil_paint_rgb24(f.src24, f.dst24, f.width, f.height, slider_int_within(f, 1, 0.1, 1, 50),
                               8 + slider_int_within(f, 2, 0.56, 0, 56));
}
// Dot density 0.25 + f1 * 0.0175 (0.25..2).
bool stipple(Frame& f)
{
    return il::stipple_rgb24(f.src24, f.dst24, f.width, f.height, 0.25 + slider_within(f, 1, 0.0175, 0, 10),
                             seed_of(f));
}
bool negative(Frame& f)
{
    return il::negative_rgb24(f.src24, f.dst24, f.width, f.height);
}
// trunc(f1) levels per channel (2..256; p1 = 20 gives 2).
bool posterize(Frame& f)
{
    return il::posterize_rgb24(f.src24, f.dst24, f.width, f.height, slider_int_within(f, 1, 1.0, 2, 256));
}
// Values above trunc(f1 * 2.559) (0..255) are inverted.
bool solarize(Frame& f)
{
    return il::solarize_rgb24(f.src24, f.dst24, f.width, f.height, slider_int_within(f, 1, 2.559, 0, 255));
}
// Softness 1 + f1 * 0.04 (sigma 1..5), wash f2 * 0.006 (0..0.6), rim 1 + f3 * 0.04 (1..5).
bool watercolor_tint(Frame& f)
{
    return il::watercolor_tint_rgb24(f.src24, f.dst24, f.width, f.height, 1 + slider_within(f, 1, 0.04, 0, 4),
                                     slider_within(f, 2, 0.006, 0, 0.6), 1 + slider_within(f, 3, 0.04, 0, 4));
}
// Spatial sigma max(f1 * 0.1, 0.5) (0.5..10), colour sigma 1 + f2 * 0.5 (1..51).
bool surface_blur(Frame& f)
{
    return il::bilateral_filter(f.src24, f.width, f.height, 3, f.width * 3, f.dst24, f.width * 3,
                                slider_within(f, 1, 0.1, 0.5, 10), 1 + slider_within(f, 2, 0.5, 0, 50)) != 0;
}
// Radius max(trunc(f1 * 0.1), 1) (1..10), threshold trunc(f2 * 2.559) (0..255).
bool dust_and_scratches(Frame& f)
{
    return il::dust_and_scratches_rgb24(f.src24, f.dst24, f.width, f.height,
                                        slider_int_within(f, 1, 0.1, 1, 50),
                                        slider_int_within(f, 2, 2.559, 0, 255));
}
// Cells of 4 + f1 * 0.2 pixels (4..24), screens turned by f2 * 3.6 degrees.
bool halftone(Frame& f)
{
    return il::halftone_rgb24(f.src24, f.dst24, f.width, f.height, 4 + slider_within(f, 1, 0.2, 0, 20),
                              slider_within(f, 2, 3.6, 0, 360));
}
// The picture moved towards random colours by f1 % (100: pure noise).
bool colour_noise(Frame& f)
{
    return il::colour_noise_rgb24(f.dst24, f.width, f.height, slider_within(f, 1, 0.01, 0, 1), seed_of(f));
}
// Grey fractal noise in place of the colour: cells of 4 + f1 * 2.52 pixels
// (4..256), 1 + trunc(f2 * 0.07) octaves (1..8).
bool fractal_noise(Frame& f, il::NoiseKind kind)
{
    return il::fractal_noise_rgb24(f.dst24, f.width, f.height, 4 + slider_within(f, 1, 2.52, 0, 252),
                                   1 + slider_int_within(f, 2, 0.07, 0, 7), kind, seed_of(f));
}
bool hugo_noise(Frame& f)
{
    return fractal_noise(f, il::NoiseKind::Turbulence);
}
bool perlin_noise(Frame& f)
{
    return fractal_noise(f, il::NoiseKind::Plain);
}
// Cells of 8 + f1 * 1.2 pixels (8..128), cracks 1 + f2 * 0.04 wide (1..5),
// darkened by 0.2 + f3 * 0.008 (0.2..1).
bool crackle(Frame& f)
{
    return il::crackle_rgb24(f.src24, f.dst24, f.width, f.height, 8 + slider_within(f, 1, 1.2, 0, 120),
                             1 + slider_within(f, 2, 0.04, 0, 4), 0.2 + slider_within(f, 3, 0.008, 0, 0.8),
                             seed_of(f));
}
// Glow spread 1 + f1 * 0.2 (sigma 1..21), mixed in by f2 % .
bool gausy(Frame& f)
{
    return il::gauzy_rgb24(f.src24, f.dst24, f.width, f.height, 1 + slider_within(f, 1, 0.2, 0, 20),
                           slider_within(f, 2, 0.01, 0, 1));
}
// trunc(f1 * 2) strokes per thousand pixels (0..200), up to 4 + trunc(f2 * 0.4)
// pixels long, inked at (255 - trunc(f3 * 2.559)) / 255 of the start colour.
bool scribble(Frame& f)
{
    return il::scribble(f.dst24, f.width, f.height, 3, f.width * 3, slider_int_within(f, 1, 2, 0, 4000),
                        4 + slider_int_within(f, 2, 0.4, 0, 1000),
                        255 - slider_int_within(f, 3, 2.559, 0, 255), seed_of(f)) != 0;
}
bool grayscale(Frame& f)
{
    return il::grayscale_rgb24(f.src24, f.dst24, f.width, f.height);
}
// Ridges 3 + f1 * 0.17 pixels apart (3..20).
bool fingerprint(Frame& f)
{
    return il::fingerprint_rgb24(f.src24, f.dst24, f.width, f.height, 3 + slider_within(f, 1, 0.17, 0, 17),
                                 seed_of(f));
}

constexpr const char* kFamily = "artistic";

constexpr Entry kArtistic[] = {
    {"Oil Paint", kFamily, Pattern::R4, oil_paint},
    {"Stipple", kFamily, Pattern::R4, stipple},
    {"Negative", kFamily, Pattern::R4, negative},
    {"Posterize", kFamily, Pattern::R4, posterize},
    {"Solarize", kFamily, Pattern::R4, solarize},
    {"Watercolor Tint", kFamily, Pattern::R4, watercolor_tint},
    {"Surface Blur", kFamily, Pattern::R4, surface_blur},
    {"Noise Reduction 2", kFamily, Pattern::R4, surface_blur},
    {"Dust and Scratches", kFamily, Pattern::R4, dust_and_scratches},
    {"Halftone", kFamily, Pattern::R4, halftone},
    {"Color Noise", kFamily, Pattern::R4, colour_noise},
    {"Hugo Noise", kFamily, Pattern::R4, hugo_noise},
    {"Perlin Noise", kFamily, Pattern::R4, perlin_noise},
    {"Crackle", kFamily, Pattern::R4, crackle},
    {"Gausy", kFamily, Pattern::R4, gausy},
    {"Scribble", kFamily, Pattern::R4, scribble},
    {"Grayscale", kFamily, Pattern::R4, grayscale},
    {"Fingerprint", kFamily, Pattern::R4, fingerprint},
};

}  // namespace

std::span<const Entry> artistic_family() noexcept
{
    return kArtistic;
}

}  // namespace mve::dispatch
