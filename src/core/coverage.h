// Coverage of the masked write paths: how much of a write reaches a pixel,
// as a 16-bit factor (65535 = all of it, 0 = nothing).
//
// Two sources are combined per pixel: the texture plane (paper grain, one byte
// t per canvas pixel) and the selection Mask (one 16-bit value m per canvas
// pixel). The texture factor comes first, then the mask scales it. Each has
// variants because the paths that use them grew separately and hosts depend
// on the exact values; keep each formula as it is.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/core_state.h"

namespace mve {

constexpr std::uint32_t kFullCoverage = 65535;

// Load paths (RGBA32 loads): 0 -> 0; w = 2t; w > 254 -> 65535; else (w + 1) * 65535 >> 8.
constexpr std::uint32_t texture_factor_load(std::uint32_t t) noexcept
{
    if (t == 0) return 0;
    const std::uint32_t w = 2 * t;
    return w > 254 ? kFullCoverage : (w + 1) * 65535 >> 8;
}

// RGB24 load: 0 -> 0; t >= 128 -> 65535; else (t * 131070 + 65535) >> 8.
constexpr std::uint32_t texture_factor_rgb24(std::uint32_t t) noexcept
{
    if (t == 0) return 0;
    return t >= 128 ? kFullCoverage : (t * 131070 + 65535) >> 8;
}

// Alpha paths (alpha load, mask-and-texture adjustment): t >= 128 -> 65535; else t * 131070 >> 8.
constexpr std::uint32_t texture_factor_alpha(std::uint32_t t) noexcept
{
    return t >= 128 ? kFullCoverage : t * 131070 >> 8;
}

// Mask by its high byte h (load paths): h = 0 -> 0; h < 255 -> c * (h + 1) >> 8; h = 255 -> c.
constexpr std::uint32_t mask_factor_high_byte(std::uint32_t c, std::uint32_t m) noexcept
{
    const std::uint32_t h = m >> 8;
    if (h == 0) return 0;
    return h < 255 ? c * (h + 1) >> 8 : c;
}

// Mask at full precision (alpha and adjust paths): m != 65535 -> c * m >> 16.
constexpr std::uint32_t mask_factor_full(std::uint32_t c, std::uint32_t m) noexcept
{
    return m != 65535 ? c * m >> 16 : c;
}

// The planes a masked write reads, for one canvas. Either pointer is null
// when that source does not take part (no texture plane, mask disabled or
// without a plane); a missing source leaves the factor at 65535.
struct CoverageSource {
    const std::uint8_t* texture = nullptr;  // canvas width * height bytes
    const std::uint16_t* mask = nullptr;    // canvas width * height values
    int width = 0;                          // canvas width: the row length of both planes
    int height = 0;
    bool engaged = false;                   // mask enabled or texture plane present: masked paths apply

    bool reads_planes() const noexcept { return texture || mask; }
    bool contains(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < width && y < height; }
    std::size_t at(int x, int y) const noexcept { return static_cast<std::size_t>(y) * width + x; }
};

// The texture plane and the enabled Mask of the engine, each only when its
// plane covers the whole canvas (a plane of another size is not read).
inline CoverageSource coverage_source(const CoreState& e) noexcept
{
    CoverageSource s;
    s.width = e.canvas.width;
    s.height = e.canvas.height;
    s.engaged = e.mask.enabled || static_cast<bool>(e.texture.plane);
    const std::size_t count = static_cast<std::size_t>(s.width > 0 ? s.width : 0) * (s.height > 0 ? s.height : 0);
    if (count == 0) return s;
    if (e.texture.plane && e.texture.plane.size() >= count) s.texture = e.texture.plane.data();
    if (e.mask.enabled && e.mask.plane && e.mask.plane.size() >= count) s.mask = e.mask.plane.data();
    return s;
}

// Factor functions of one write path: texture variant, then mask variant.
using TextureFactor = std::uint32_t (*)(std::uint32_t);
using MaskFactor = std::uint32_t (*)(std::uint32_t, std::uint32_t);

// Coverage of canvas pixel (x, y), which must lie inside the canvas.
template <TextureFactor Texture, MaskFactor Mask>
inline std::uint32_t coverage_at(const CoverageSource& s, int x, int y) noexcept
{
    const std::size_t i = s.at(x, y);
    std::uint32_t c = s.texture ? Texture(s.texture[i]) : kFullCoverage;
    if (s.mask) c = Mask(c, s.mask[i]);
    return c;
}

// The three combinations the engine uses.
inline std::uint32_t load_coverage(const CoverageSource& s, int x, int y) noexcept
{
    return coverage_at<texture_factor_load, mask_factor_high_byte>(s, x, y);
}
// The smallest of n values (vector code: the row checks below run over
// every row of a masked load).
std::uint16_t lowest_value(const std::uint16_t* v, int n) noexcept;
std::uint8_t lowest_value(const std::uint8_t* v, int n) noexcept;

// Whether every value of the Mask is at least 0xFF00, so a load passes it
// unchanged; what a look finds is remembered until the Mask's content
// changes. False without a canvas-sized Mask.
bool mask_fully_open(CoreState& e) noexcept;

// Whether every pixel of row y from x to x + n - 1 loads at full coverage: no
// plane takes part, or the Mask's high bytes are all 255 and the texture
// values all at least 128.
inline bool load_row_fully_covered(const CoverageSource& s, int x, int y, int n) noexcept
{
    const std::size_t i0 = s.at(x, y);
    if (s.mask && lowest_value(s.mask + i0, n) < 0xFF00) return false;
    if (s.texture && lowest_value(s.texture + i0, n) < 128) return false;
    return true;
}
inline std::uint32_t rgb24_coverage(const CoverageSource& s, int x, int y) noexcept
{
    return coverage_at<texture_factor_rgb24, mask_factor_high_byte>(s, x, y);
}
inline std::uint32_t alpha_coverage(const CoverageSource& s, int x, int y) noexcept
{
    return coverage_at<texture_factor_alpha, mask_factor_full>(s, x, y);
}

}  // namespace mve
