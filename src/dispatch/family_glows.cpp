// The glows (pattern R2): the glow's softness is max(trunc(f1 * 0.5), 1)
// pixels (1..50), its strength f2 * 0.05 (0..5; p2 = 0 means 1) and its
// colour the call's r, g, b.
#include "core/transfer.h"
#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/glows.h"

namespace mve::dispatch {

namespace {

struct GlowArgs {
    long long radius;
    double strength;
    il::GlowColour colour;
};

GlowArgs glow_args(const Frame& f)
{
    return {std::max<long long>(slider(f, 1, 0.5), 1), f.a.p[1] ? f.a.f[1] * 0.05 : 1.0,
            il::GlowColour{static_cast<std::uint8_t>(f.a.r), static_cast<std::uint8_t>(f.a.g),
                           static_cast<std::uint8_t>(f.a.b)}};
}

bool glow_outer(Frame& f)
{
    const GlowArgs g = glow_args(f);
    return il::outer_glow(f.src32, f.dst32, f.width, f.height, g.radius, g.strength, g.colour);
}

// The Mask and texture shape the picture first, so the glow follows the
// selection's edge as well as the layer's.
bool glow_inner(Frame& f)
{
    core::cover_rgba32(f.src32, f.width, f.height);
    const GlowArgs g = glow_args(f);
    return il::inner_glow(f.src32, f.dst32, f.width, f.height, g.radius, g.strength, g.colour);
}

constexpr Entry kGlows[] = {
    {"Glow Outer", "glows", Pattern::R2, glow_outer},
    {"Glow Inner", "glows", Pattern::R2, glow_inner},
};

}  // namespace

std::span<const Entry> glow_family() noexcept { return kGlows; }

}  // namespace mve::dispatch
