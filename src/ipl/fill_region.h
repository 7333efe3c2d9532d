// Colour matching shared by the paint bucket and the magic wand: the
// tolerance rule, the key colour, the 4-connected region of a seed and the
// replacement of matching colours.
//
// Tolerance contract: a tool tolerance t (0..50000; values outside are
// clamped) becomes a bound on the squared RGB distance,
//   tol = t * 0.00002 * 195075          (195075 = 3 * 255^2),
// and a pixel matches a colour when dr^2 + dg^2 + db^2 <= tol. Alpha never
// takes part. t = 0 matches the exact colour only; t = 50000 matches all.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve::ipl {

constexpr int kMaxTolerance = 50000;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// The squared-distance bound of a tool tolerance (clamped to 0..50000).
double colour_tolerance(int tolerance) noexcept;
// The percent range width of the range modes: tolerance / 500 (clamped).
int range_percent(int tolerance) noexcept;

inline bool within_tolerance(const std::uint8_t* px, Rgb c, double tol) noexcept
{
    const int dr = px[0] - c.r, dg = px[1] - c.g, db = px[2] - c.b;
    return static_cast<double>(dr * dr + dg * dg + db * db) <= tol;
}

// A pixel picture: `channels` bytes a pixel (3 or 4), rows rowBytes apart.
struct PixelView {
    const std::uint8_t* pixels = nullptr;
    int width = 0, height = 0, channels = 4, rowBytes = 0;
    const std::uint8_t* at(int x, int y) const noexcept
    {
        return pixels + static_cast<std::ptrdiff_t>(y) * rowBytes + static_cast<std::ptrdiff_t>(x) * channels;
    }
};

// The first colour absent from the picture: for blue from 0, green from 0,
// the first red such that no pixel has (r, g, b). False when the picture
// holds all 2^24 colours.
bool find_key_colour(const PixelView& view, Rgb* key);

// Marks with 1 (in a width * height byte plane, cleared here first) the
// pixels 4-connected to (x, y) whose colour matches the seed pixel's within
// tol. Scanline spans on an explicit stack: no recursion, whatever the
// region's size. Returns the number of pixels marked (0 for a seed off the
// picture).
std::size_t flood_region(const PixelView& view, int x, int y, double tol, std::uint8_t* region);

// Marks with 1 every pixel matching `colour` within tol, connected or not.
std::size_t match_region(const PixelView& view, Rgb colour, double tol, std::uint8_t* region);

// Every pixel of a packed width x height RGBA32 buffer marked 1 in `region`
// becomes (r, g, b) and, when alpha >= 0, takes that alpha.
void paint_region(std::uint8_t* rgba, int width, int height, const std::uint8_t* region, Rgb colour,
                  int alpha) noexcept;

}  // namespace mve::ipl
