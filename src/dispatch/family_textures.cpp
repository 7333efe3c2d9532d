// The texture families: the image-script file named by the text argument is
// rendered, resized by p1 and tiled over a canvas-sized picture, then
//   - "Backgrounds ...": merged over the layer (blend mode i1, opacity p2);
//   - "Texturize Emboss ...": its inverted grey embosses the layer's colour
//     (depth p3), RGB24 write-back, alpha kept;
//   - "Texturize Bump ...": its inverted grey lights the layer's copy (depth
//     p3, light angle p4), whose alpha becomes opaque; merged through the
//     Mask like the backgrounds;
//   - "Displacement Bump ...": the layer displaced by it (strength f1,
//     i3 = 1 for a random offset, the packed colour outside).
// The five names of each family run the same block; only the file differs.
//
// Sliders: p1 = 0 keeps the texture's size, else it is resized to f1 * 2
// percent (p1 = 500 keeps it, 1000 doubles it). p2 = 0 is full opacity, else
// trunc(f2 * 2.559). The tiles start at a random offset drawn from the
// call's seed (so a fixed seed repeats the picture), or at the top-left
// corner when the low byte of i4 is 1. A relief depth slider at 0 means the
// middle strength, as 500 does (texture_depth).
#include <cstring>

#include "core/random.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "imagelib/script_texture.h"
#include "imagelib/texture_relief.h"
#include "ipl/displacement.h"

namespace mve::dispatch {

namespace {

double texture_percent(const Frame& f) noexcept
{
    return f.a.p[0] == 0 ? 100.0 : static_cast<double>(f.a.f[0]) * 2;
}

int texture_opacity(const Frame& f) noexcept
{
    return f.a.p[1] == 0 ? 255 : opacity_from(f.a.f[1]);
}

// A relief depth from a slider: p = 0 is 1, else f * 0.02 (p = 500 is 1).
double texture_depth(const Frame& f, int n) noexcept
{
    return f.a.p[n - 1] == 0 ? 1.0 : static_cast<double>(f.a.f[n - 1]) * 0.02;
}

// The script texture tiled over `canvas` (canvas-sized RGBA32); false when
// the script gives no texture.
bool tiled_texture(Frame& f, std::uint8_t* canvas)
{
    const il::Texture texture = il::resize_texture(il::render_script_texture(f.a.text), texture_percent(f));
    if (texture.empty()) return false;
    int x0 = 0, y0 = 0;
    if ((f.a.i[3] & 0xFF) != 1) {
        CrtRandom rng;
        rng.seed(static_cast<std::uint32_t>(f.a.seed));
        x0 = -(rng.next() % texture.width);
        y0 = -(rng.next() % texture.height);
    }
    il::tile_texture(texture, x0, y0, canvas, f.width, f.height);
    return true;
}

void invert_colour(std::uint8_t* rgba, std::size_t pixels) noexcept
{
    for (std::size_t i = 0; i < pixels * 4; ++i)
        if (i % 4 != 3) rgba[i] = static_cast<std::uint8_t>(255 - rgba[i]);
}

bool background(Frame& f)
{
    if (!tiled_texture(f, f.dst32)) return false;
    f.result = f.dst32;
    f.mergeMode = f.a.i[0];
    f.mergeOpacity = texture_opacity(f);
    return true;
}

bool texturize_emboss(Frame& f)
{
    std::uint8_t* map = f.temporary(4);
    if (!tiled_texture(f, map)) return false;
    invert_colour(map, f.pixels());
    return il::emboss_by_texture(f.dst24, map, f.width, f.height, texture_depth(f, 3) * 2) != 0;
}

bool texturize_bump(Frame& f)
{
    std::uint8_t* map = f.temporary(4);
    if (!tiled_texture(f, map)) return false;
    invert_colour(map, f.pixels());
    std::memcpy(f.dst32, f.src32, f.pixels() * 4);
    if (!il::light_by_texture(f.dst32, map, f.width, f.height, texture_depth(f, 3) * 8,
                              static_cast<double>(f.a.f[3]) * 3.6 + 135))
        return false;
    for (std::size_t i = 3; i < f.pixels() * 4; i += 4) f.dst32[i] = 255;
    f.result = f.dst32;
    f.mergeMode = f.a.i[0];
    f.mergeOpacity = texture_opacity(f);
    return true;
}

bool displacement_bump(Frame& f)
{
    refresh_source(f);
    pre_filter(f, f.src32);
    ipl::displacement_bump_isl_file(f.a.text, f.a.f[0], f.a.i[2], static_cast<int>(f.a.colour));
    return true;
}

constexpr Entry kTextures[] = {
    {"Backgrounds Material", "backgrounds", Pattern::M, background},
    {"Backgrounds Nature", "backgrounds", Pattern::M, background},
    {"Backgrounds Surface", "backgrounds", Pattern::M, background},
    {"Backgrounds Other", "backgrounds", Pattern::M, background},
    {"Backgrounds Utility", "backgrounds", Pattern::M, background},
    {"Texturize Emboss Material", "texturize", Pattern::R4, texturize_emboss},
    {"Texturize Emboss Nature", "texturize", Pattern::R4, texturize_emboss},
    {"Texturize Emboss Surface", "texturize", Pattern::R4, texturize_emboss},
    {"Texturize Emboss Other", "texturize", Pattern::R4, texturize_emboss},
    {"Texturize Emboss Utility", "texturize", Pattern::R4, texturize_emboss},
    {"Texturize Bump Material", "texturize", Pattern::M, texturize_bump},
    {"Texturize Bump Nature", "texturize", Pattern::M, texturize_bump},
    {"Texturize Bump Surface", "texturize", Pattern::M, texturize_bump},
    {"Texturize Bump Other", "texturize", Pattern::M, texturize_bump},
    {"Texturize Bump Utility", "texturize", Pattern::M, texturize_bump},
    {"Displacement Bump Material", "displacement", Pattern::Own, displacement_bump},
    {"Displacement Bump Nature", "displacement", Pattern::Own, displacement_bump},
    {"Displacement Bump Surface", "displacement", Pattern::Own, displacement_bump},
    {"Displacement Bump Other", "displacement", Pattern::Own, displacement_bump},
    {"Displacement Bump Utility", "displacement", Pattern::Own, displacement_bump},
};

}  // namespace

std::span<const Entry> texture_family() noexcept
{
    return kTextures;
}

}  // namespace mve::dispatch
