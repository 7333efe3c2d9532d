// Straight-line tone maps (see tone_linear.h): the exactness check and the
// pass over the rows.
#include "imagelib/tone_linear.h"

#include <cmath>

#include "core/merge_float_batch.h"
#include "core/parallel.h"
#include "core/runtime.h"

namespace mve::il {

namespace {

using tone_line_detail::Coefficients;

// Whether the vector pass maps level v of every channel to the table's byte
// (and leaves alpha as it is), tried on a row holding every level once.
bool reproduces(const Coefficients& c, const ToneTables& t) noexcept
{
    std::uint8_t probe[256 * 4];
    for (int v = 0; v < 256; ++v)
        for (int k = 0; k < 4; ++k) probe[v * 4 + k] = static_cast<std::uint8_t>(v);
    tone_line_detail::map_row_avx2(probe, 256, c);
    for (int v = 0; v < 256; ++v) {
        for (int k = 0; k < 3; ++k)
            if (probe[v * 4 + k] != t.rgb[k][v]) return false;
        if (probe[v * 4 + 3] != v) return false;
    }
    return true;
}

// The nearest single-precision coefficients, or, where rounding to single
// precision moves a level that falls next to a whole number, the offset one
// step either way.
bool find_coefficients(const ToneLine& line, const ToneTables& t, Coefficients& c) noexcept
{
    for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(line.scale[k]) || !std::isfinite(line.offset[k])) return false;
        c.scale[k] = static_cast<float>(line.scale[k]);
        c.offset[k] = static_cast<float>(line.offset[k]);
    }
    c.scale[3] = 1.0f;
    c.offset[3] = 0.0f;
    if (reproduces(c, t)) return true;
    for (float direction : {1.0f, -1.0f}) {
        Coefficients nudged = c;
        for (int k = 0; k < 3; ++k) nudged.offset[k] = std::nextafter(c.offset[k], direction * INFINITY);
        if (reproduces(nudged, t)) {
            c = nudged;
            return true;
        }
    }
    return false;
}

}  // namespace

bool apply_tone_line(std::uint8_t* rgba, int width, int height, const ToneLine& line,
                     const ToneTables& tables) noexcept
{
    if (!rgba || width <= 0 || height <= 0) return false;
    if (!fast_paths_enabled() || simd_level_in_force() != SimdLevel::Avx2) return false;
    Coefficients c;
    if (!find_coefficients(line, tables, c)) return false;
    for_each_plane_row(width, height, cost::kCopy, [&](int y) {
        tone_line_detail::map_row_avx2(rgba + static_cast<std::size_t>(y) * width * 4, width, c);
    });
    return true;
}

}  // namespace mve::il
