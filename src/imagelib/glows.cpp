// Outer and inner glows: a soft copy of the coverage, coloured and
// composited behind (outer) or mixed into (inner) the picture.
#include "imagelib/glows.h"

#include <cmath>
#include <new>

#include "imagelib/window_ops.h"

namespace mve::il {

namespace {

// Alpha (or 255 - alpha when inverted) softened by two window means of
// radius r / 2, one byte per pixel in the alpha place of a scratch RGBA
// picture so that the window sums can read it like any picture.
std::vector<std::uint8_t> soft_coverage(const std::uint8_t* src, int width, int height, int r, bool inverted)
{
    const int half = std::max(1, r / 2);
    const std::int64_t n = static_cast<std::int64_t>(2 * half + 1) * (2 * half + 1);
    std::vector<std::uint8_t> a(win::pixel_count(width, height) * 4, 0), b(a.size(), 0);
    auto mean_into = [&](const std::uint8_t* in, std::vector<std::uint8_t>& out, bool invert) {
        win::window_sums<1>(in, width, height, half,
                            [invert](const std::uint8_t* p, int) { return std::int64_t{invert ? 255 - p[3] : p[3]}; },
                            [&](int y, const std::int64_t* sums) {
                                std::uint8_t* row = out.data() + static_cast<std::size_t>(y) * width * 4;
                                for (int x = 0; x < width; ++x)
                                    row[x * 4 + 3] = static_cast<std::uint8_t>((sums[x] + n / 2) / n);
                            });
    };
    mean_into(src, a, inverted);
    mean_into(a.data(), b, false);
    return b;
}

int glow(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, double strength,
         GlowColour colour, bool outer) noexcept
{
    if (!win::valid_rgba(src, dst, width, height) || !std::isfinite(strength)) return 0;
    try {
        const int r = win::window_radius(radius, width, height);
        const std::vector<std::uint8_t> soft = soft_coverage(src, width, height, r, !outer);
        const float k = static_cast<float>(std::clamp(strength, 0.0, 255.0));
        const float glowRgb[3] = {float(colour.r), float(colour.g), float(colour.b)};
        for_each_plane_row(width, height, cost::kSimple, [&](int y) {
            const std::size_t row = static_cast<std::size_t>(y) * width * 4;
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* s = src + row + x * 4;
                std::uint8_t* d = dst + row + x * 4;
                const float g = std::min(255.0f, k * soft[row + x * 4 + 3]);
                const float as = s[3];
                if (outer) {
                    const float behind = g * (255.0f - as) / 255.0f, a = as + behind;
                    std::uint8_t out[4] = {0, 0, 0, static_cast<std::uint8_t>(std::lround(a))};
                    if (a > 0)
                        for (int c = 0; c < 3; ++c)
                            out[c] = static_cast<std::uint8_t>(std::lround((s[c] * as + glowRgb[c] * behind) / a));
                    std::memcpy(d, out, 4);
                } else {
                    const float mix = g * as / (255.0f * 255.0f);
                    for (int c = 0; c < 3; ++c)
                        d[c] = static_cast<std::uint8_t>(std::lround(s[c] + (glowRgb[c] - s[c]) * mix));
                    d[3] = s[3];
                }
            }
        });
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace

int outer_glow(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, double strength,
               GlowColour colour) noexcept
{
    return glow(src, dst, width, height, radius, strength, colour, true);
}

int inner_glow(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius, double strength,
               GlowColour colour) noexcept
{
    return glow(src, dst, width, height, radius, strength, colour, false);
}

}  // namespace mve::il
