// The engine's own blocks: "Reduce", "Mask Generate HSL" and "Levels".
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/colour_models.h"
#include "core/guard.h"
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "imagelib/histogram.h"
#include "imagelib/resampling.h"
#include "imagelib/block_copy.h"
#include "mask/mask_creators.h"
#include "mask/mask_settings.h"

namespace mve::dispatch {

namespace {

// Where a w' x h' picture goes on a W x H canvas: 0 at the start, 1 centred
// (integer halves), otherwise at the end.
int place(int choice, int size, int reduced) noexcept
{
    return choice == 0 ? 0 : choice == 1 ? size / 2 - reduced / 2 : size - reduced;
}

// Src32 (as the host or an earlier call left it) scaled by (100 - f1) %,
// placed by i1 (across) and i2 (down) on a transparent Dst32. Factors below
// 0 or above 4 (a picture 16 times the canvas) are refused, as are sizes that
// round to nothing.
bool reduce(Frame& f)
{
    const double s = (100 - static_cast<double>(f.a.f[0])) * 0.01;
    if (!(s > 0) || s > 4) return false;
    const int w = static_cast<int>(f.width * s), h = static_cast<int>(f.height * s);
    if (w <= 0 || h <= 0) return false;
    Plane8 reduced;
    require(reduced.allocate(static_cast<std::size_t>(w) * h * 4));
    const int filter = f.width >= 5 && f.height >= 5 && w >= 5 && h >= 5 ? il::kFilterLanczos3 : il::kFilterBicubic;
    if (!il::resize_image(f.src32, f.width, f.height, f.row32(), reduced.data(), w, h, w * 4, 4, filter, 0))
        return false;
    std::memset(f.dst32, 0, f.pixels() * 4);
    return overlay_image(f.dst32, f.width, f.height, 4, f.row32(), reduced.data(), w, h, w * 4,
                         place(f.a.i[0], f.width, w), place(f.a.i[1], f.height, h), 1.0, 0) != 0;
}

// A selection of the pixels of Src32 near an HSL colour: hue f1 * 3.6
// degrees, saturation f3 %, lightness f5 %, with tolerances f2, f4, f6 %.
// The creator's strength is 255 when i1 is 0, else 0 (strength s marks a
// pixel (65535 - s) << 8 kept to 16 bits: 255 gives 0, 0 gives 65280); the
// low byte of i3 equal to 1 clears the Mask first. The layer is not changed.
bool mask_generate_hsl(Frame& f)
{
    const Rgb8 key = hsl_to_rgb(f.a.f[0] * 3.6, f.a.f[2] * 0.01, f.a.f[4] * 0.01);
    if ((f.a.i[2] & 0xFF) == 1) mask::clear(f.e, 0, 0, 0);
    mask::create_from_rgba_hsl_range(f.e, f.src32, key.r, key.g, key.b, f.a.f[1] * 0.01, f.a.f[3] * 0.01,
                                     f.a.f[5] * 0.01, f.a.i[0] == 0 ? 255 : 0);
    return true;
}

// --- Levels ---------------------------------------------------------------

using Table = std::uint8_t[256];

int level_from(float f) noexcept { return std::clamp(static_cast<int>(static_cast<double>(f) * 2.559), 0, 255); }

// Input black and white points from the brightness histogram: the first
// level from the dark end, and from 254 down, where more than 1 % of the
// pixels have been counted.
void automatic_points(const Frame& f, int& black, int& white)
{
    std::uint32_t counts[256];
    il::brightness_histogram(f.src32, f.width, f.height, 4, f.row32(), counts);
    const std::uint64_t limit = f.pixels() / 100;
    black = 0, white = 255;
    std::uint64_t sum = 0;
    for (int c = 0; c <= 254; ++c)
        if ((sum += counts[c]) > limit) {
            black = c;
            break;
        }
    sum = 0;
    for (int c = 254; c >= 0; --c)
        if ((sum += counts[c]) > limit) {
            white = c;
            break;
        }
}

// 0 below the black point k, 255 from the white point t on, and between them
// two straight ramps meeting at 127 in the middle m = k + (t - k) / 2:
// entry c is trunc((c - k) * 127 / (m - k)) up to m and
// trunc(127 + (c - m) * 127 / (t - m)) from m to t. An empty ramp is skipped.
void input_table(Table table, int k, int t) noexcept
{
    const int m = k + (t - k) / 2;
    for (int c = 0; c < 256; ++c) {
        double v = 0;
        if (c >= t)
            v = 255;
        else if (c >= m && c >= k)
            v = 127 + (c - m) * 127.0 / (t - m);
        else if (c >= k)
            v = (c - k) * 127.0 / (m - k);
        table[c] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
    }
}

// The output range: from lo rising by d / 255 per entry, d = (hi - lo) mod 256.
void output_table(Table table, int lo, int hi) noexcept
{
    const int d = ((hi - lo) % 256 + 256) % 256;
    for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(std::clamp(lo + c * d / 255.0, 0.0, 255.0));
}

// Black and white points (automatic when the low byte of i7 is set, else
// f1 and f2 as levels), then the output range f3..f4, applied to the
// channels chosen by the low byte of i3 (red), i4 (green), i5 (blue) and
// i6 (alpha), on Src32 in place.
bool levels(Frame& f)
{
    int black = 0, white = 255;
    if (f.a.i[6] & 0xFF)
        automatic_points(f, black, white);
    else
        black = level_from(f.a.f[0]), white = level_from(f.a.f[1]);
    Table in, out;
    input_table(in, black, white);
    output_table(out, level_from(f.a.f[2]), level_from(f.a.f[3]));
    const bool channel[4] = {(f.a.i[2] & 0xFF) != 0, f.a.i[3] != 0, f.a.i[4] != 0, f.a.i[5] != 0};
    std::uint8_t* p = f.src32;
    for (std::size_t i = 0; i < f.pixels(); ++i, p += 4)
        for (int c = 0; c < 4; ++c)
            if (channel[c]) p[c] = out[in[p[c]]];
    return true;
}

constexpr const char* kFamily = "own blocks";

constexpr Entry kOwnBlocks[] = {
    {"Reduce", kFamily, Pattern::R5, reduce},
    {"Mask Generate HSL", kFamily, Pattern::Own, mask_generate_hsl},
    {"Levels", kFamily, Pattern::R3, levels},
};

}  // namespace

std::span<const Entry> own_block_family() noexcept { return kOwnBlocks; }

}  // namespace mve::dispatch
