// Tone curves (see tone_curves.h): tables built once per call, then one pass
// over the rows mapping bytes through them.
#include "imagelib/tone_curves.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/colour_models.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/byte_pair_table.h"
#include "imagelib/histogram.h"
#include "imagelib/tone_linear.h"

namespace mve::il {

namespace {

bool valid(const std::uint8_t* rgba, int width, int height) noexcept
{
    return rgba && width > 0 && height > 0;
}

std::uint8_t clamp_byte(double v) noexcept
{
    return static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}

std::uint8_t* row_of(std::uint8_t* rgba, int width, int y) noexcept
{
    return rgba + static_cast<std::size_t>(y) * width * 4;
}

// One table for all three channels.
ToneTables same_tables(const std::uint8_t table[256]) noexcept
{
    ToneTables t;
    for (auto& channel : t.rgb) std::memcpy(channel, table, 256);
    return t;
}

// The scalar reference: each colour byte through its table.
void map_row(std::uint8_t* p, int width, const ToneTables& t) noexcept
{
    for (int x = 0; x < width; ++x, p += 4) {
        p[0] = t.rgb[0][p[0]];
        p[1] = t.rgb[1][p[1]];
        p[2] = t.rgb[2][p[2]];
    }
}

// Pictures from this many pixels take the pair table: building them costs
// about as much as mapping this many pixels byte by byte.
constexpr std::size_t kPairTableMinPixels = 1 << 17;

// Two pixels of one 64-bit word mapped with the (R, G) pair table and the
// blue byte table; alpha is kept. The bytes are those of map_row.
inline std::uint64_t map_two_pixels(std::uint64_t v, const std::uint16_t* __restrict redGreen,
                                    const std::uint8_t* __restrict blue) noexcept
{
    constexpr std::uint64_t kAlphas = 0xFF000000FF000000ull;
    return std::uint64_t{redGreen[v & 0xFFFF]} | std::uint64_t{blue[(v >> 16) & 0xFF]} << 16 |
           std::uint64_t{redGreen[(v >> 32) & 0xFFFF]} << 32 | std::uint64_t{blue[(v >> 48) & 0xFF]} << 48 |
           (v & kAlphas);
}

// The fast form of map_row: (R, G) through one pair lookup, two pixels per
// load and store. The local restrict pointers tell the compiler that the
// picture's stores do not change the tables, so they stay in registers.
void map_row_pairs(std::uint8_t* __restrict p, int width, const BytePairTable& redGreen,
                   const ToneTables& t) noexcept
{
    const std::uint16_t* __restrict pairs = redGreen.pairs.get();
    const std::uint8_t* __restrict blue = t.rgb[2];
    int x = 0;
    for (; x + 2 <= width; x += 2, p += 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        v = map_two_pixels(v, pairs, blue);
        std::memcpy(p, &v, 8);
    }
    if (x < width) map_row(p, 1, t);
}

// Each pixel's grey (R + G + B) / 3 through the tables: channel c becomes t.rgb[c][grey].
int apply_grey_tables(std::uint8_t* rgba, int width, int height, const ToneTables& t) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        std::uint8_t* p = row_of(rgba, width, y);
        for (int x = 0; x < width; ++x, p += 4) {
            const int grey = (p[0] + p[1] + p[2]) / 3;
            for (int c = 0; c < 3; ++c) p[c] = t.rgb[c][grey];
        }
    });
    return 1;
}

// The darkest and lightest levels with a count, false when there are none.
bool occupied_range(const std::uint32_t counts[256], int& lo, int& hi) noexcept
{
    lo = 0;
    while (lo < 256 && counts[lo] == 0) ++lo;
    if (lo == 256) return false;
    hi = 255;
    while (counts[hi] == 0) --hi;
    return true;
}

// The stretch table of one histogram; identity when it holds one level or none.
void stretch_table(const std::uint32_t counts[256], std::uint8_t table[256]) noexcept
{
    int lo, hi;
    const bool any = occupied_range(counts, lo, hi);
    for (int v = 0; v < 256; ++v)
        table[v] = !any || hi == lo ? static_cast<std::uint8_t>(v) : clamp_byte((v - lo) * 255.0 / (hi - lo));
}

// The equalisation table of one histogram; identity when it holds one level or none.
void equalize_table(const std::uint32_t counts[256], std::uint8_t table[256]) noexcept
{
    std::uint64_t total = 0;
    for (int v = 0; v < 256; ++v) total += counts[v];
    int lo, hi;
    if (!occupied_range(counts, lo, hi) || lo == hi) {
        for (int v = 0; v < 256; ++v) table[v] = static_cast<std::uint8_t>(v);
        return;
    }
    const double first = counts[lo], span = static_cast<double>(total) - first;
    std::uint64_t cdf = 0;
    for (int v = 0; v < 256; ++v) {
        cdf += counts[v];
        table[v] = v < lo ? 0 : clamp_byte((static_cast<double>(cdf) - first) * 255.0 / span);
    }
}

// Counts the picture once, builds the tables from the brightness histogram
// (one table for all channels) or from each channel's own, and maps the picture.
int apply_histogram_tables(std::uint8_t* rgba, int width, int height, bool perChannel,
                           void (*build)(const std::uint32_t counts[256], std::uint8_t table[256])) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    Histograms h;
    visible_histograms(rgba, width, height, h, perChannel);
    ToneTables t;
    for (int c = 0; c < 3; ++c) build(perChannel ? h.channel[c] : h.brightness, t.rgb[c]);
    return apply_tone_tables(rgba, width, height, t);
}

}  // namespace

int apply_tone_tables(std::uint8_t* rgba, int width, int height, const ToneTables& t) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    if (fast_paths_enabled() && static_cast<std::size_t>(width) * height >= kPairTableMinPixels) {
        try {
            const BytePairTable redGreen(t.rgb[0], t.rgb[1]);
            for_each_plane_row(width, height, cost::kCopy,
                               [&](int y) { map_row_pairs(row_of(rgba, width, y), width, redGreen, t); });
            return 1;
        } catch (const std::bad_alloc&) {
            // No room for the pair tables: the byte tables do the same.
        }
    }
    for_each_plane_row(width, height, cost::kCopy, [&](int y) { map_row(row_of(rgba, width, y), width, t); });
    return 1;
}

int adjust_brightness_contrast(std::uint8_t* rgba, int width, int height, double brightness,
                               double contrast) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    const double b = std::isnan(brightness) ? 0 : std::clamp(brightness, -1.0, 1.0);
    const double c = std::isnan(contrast) ? 0 : std::clamp(contrast, -1.0, 1.0);
    // Contrast 1 would divide by zero: a factor this large splits at the middle.
    const double k = c < 0 ? 1 + c : c >= 1 ? 1e6 : 1 / (1 - c);
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = clamp_byte((v - 127.5) * k + 127.5 + 255 * b);
    const ToneTables tables = same_tables(table);
    // The same line as k v + (128 - 127.5 k + 255 b), the 0.5 of the rounding included.
    ToneLine line;
    for (int c3 = 0; c3 < 3; ++c3) line.scale[c3] = k, line.offset[c3] = 128 - 127.5 * k + 255 * b;
    if (apply_tone_line(rgba, width, height, line, tables)) return 1;
    return apply_tone_tables(rgba, width, height, tables);
}

int adjust_gamma(std::uint8_t* rgba, int width, int height, double gamma) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    const double g = std::isnan(gamma) ? 1 : std::clamp(gamma, 0.01, 100.0);
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = clamp_byte(255 * std::pow(v / 255.0, 1 / g));
    return apply_tone_tables(rgba, width, height, same_tables(table));
}

int equalize_brightness(std::uint8_t* rgba, int width, int height) noexcept
{
    return apply_histogram_tables(rgba, width, height, false, equalize_table);
}

int stretch_brightness(std::uint8_t* rgba, int width, int height) noexcept
{
    return apply_histogram_tables(rgba, width, height, false, stretch_table);
}

int equalize_channels(std::uint8_t* rgba, int width, int height) noexcept
{
    return apply_histogram_tables(rgba, width, height, true, equalize_table);
}

int stretch_channels(std::uint8_t* rgba, int width, int height) noexcept
{
    return apply_histogram_tables(rgba, width, height, true, stretch_table);
}

int stretch_lightness_hsl(std::uint8_t* rgba, int width, int height) noexcept
{
    if (!valid(rgba, width, height)) return 0;
    // Lightness in units of 1/510: max + min of the channels.
    int lo = 510, hi = -1;
    const std::size_t n = static_cast<std::size_t>(width) * height;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t* p = rgba + 4 * k;
        if (p[3] == 0) continue;
        const int sum = std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]});
        lo = std::min(lo, sum);
        hi = std::max(hi, sum);
    }
    if (hi <= lo) return 1;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        std::uint8_t* p = row_of(rgba, width, y);
        for (int x = 0; x < width; ++x, p += 4) {
            const Hsl c = rgb_to_hsl(p[0], p[1], p[2]);
            const int sum = std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]});
            const double l = std::clamp(static_cast<double>(sum - lo) / (hi - lo), 0.0, 1.0);
            // The ends are exact black and white whatever the hue (the
            // conversion back truncates a hair below 255 otherwise).
            const Rgb8 out = l >= 1 ? Rgb8{255, 255, 255} : l <= 0 ? Rgb8{0, 0, 0} : hsl_to_rgb(c.h, c.s, l);
            p[0] = out.r;
            p[1] = out.g;
            p[2] = out.b;
        }
    });
    return 1;
}

int threshold(std::uint8_t* rgba, int width, int height, int level) noexcept
{
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = v >= level ? 255 : 0;
    return apply_grey_tables(rgba, width, height, same_tables(table));
}

int adjust_colour_balance(std::uint8_t* rgba, int width, int height, const int shift[3]) noexcept
{
    if (!valid(rgba, width, height) || !shift) return 0;
    ToneTables t;
    for (int c = 0; c < 3; ++c) {
        const double s = std::clamp(shift[c], -255, 255);
        for (int v = 0; v < 256; ++v) t.rgb[c][v] = clamp_byte(v + s * 4.0 * v * (255 - v) / (255.0 * 255.0));
    }
    return apply_tone_tables(rgba, width, height, t);
}

int tint(std::uint8_t* rgba, int width, int height, const std::uint8_t colour[3], double strength) noexcept
{
    if (!valid(rgba, width, height) || !colour) return 0;
    const double s = std::isnan(strength) ? 0 : std::clamp(strength, 0.0, 1.0);
    const double mean = (colour[0] + colour[1] + colour[2]) / 3.0;
    ToneTables t;
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) t.rgb[c][v] = clamp_byte(v + s * (colour[c] - mean));
    return apply_tone_tables(rgba, width, height, t);
}

int duotone(std::uint8_t* rgba, int width, int height, const std::uint8_t ink1[3], const std::uint8_t ink2[3]) noexcept
{
    if (!ink1 || !ink2) return 0;
    ToneTables t;
    for (int c = 0; c < 3; ++c) {
        const double stops[4] = {0, static_cast<double>(ink1[c]), static_cast<double>(ink2[c]), 255};
        for (int v = 0; v < 256; ++v) {
            const int segment = std::min(v / 85, 2);
            const double along = (v - segment * 85) / 85.0;
            t.rgb[c][v] = clamp_byte(stops[segment] + (stops[segment + 1] - stops[segment]) * along);
        }
    }
    return apply_grey_tables(rgba, width, height, t);
}

}  // namespace mve::il
