// Tone, histogram and picture repair effects changed in place (pattern R3:
// the layer into Src32, the operation on Src32, Src32 written back). The
// mapping of the sliders is stated above each operation.
#include <algorithm>

#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/geometry.h"
#include "imagelib/picture_cleanup.h"
#include "imagelib/tone_curves.h"

namespace mve::dispatch {

namespace {

// A level 0..256 from a slider: trunc(fN * 2.559), held to the byte range
// (256 lies above every byte).
int level(const Frame& f, int n) { return static_cast<int>(std::clamp<long long>(slider(f, n, 2.559), 0, 256)); }

// Brightness f1 * 0.02 - 1 and contrast f2 * 0.02 - 1 (each -1..1; 500 leaves the picture).
bool brightness_contrast(Frame& f)
{
    return il::adjust_brightness_contrast(f.src32, f.width, f.height, f.a.f[0] * 0.02 - 1, f.a.f[1] * 0.02 - 1);
}
// Gamma f1 * 0.01 * 2 (0..2; 500 leaves the picture, above lightens).
bool gamma(Frame& f) { return il::adjust_gamma(f.src32, f.width, f.height, f.a.f[0] * 0.01 * 2); }

bool equalize(Frame& f) { return il::equalize_brightness(f.src32, f.width, f.height); }
bool stretch(Frame& f) { return il::stretch_brightness(f.src32, f.width, f.height); }
bool equalize_channels(Frame& f) { return il::equalize_channels(f.src32, f.width, f.height); }
bool stretch_channels(Frame& f) { return il::stretch_channels(f.src32, f.width, f.height); }
bool stretch_hsl(Frame& f) { return il::stretch_lightness_hsl(f.src32, f.width, f.height); }

// Grey at or above trunc(f1 * 2.559) turns white, below it black.
bool threshold(Frame& f) { return il::threshold(f.src32, f.width, f.height, level(f, 1)); }

bool horizontal_flip(Frame& f) { return il::horizontal_flip_image(f.src32, f.width, f.height, 4, f.row32()); }
bool vertical_flip(Frame& f) { return il::vertical_flip_image(f.src32, f.row32(), f.height); }

// Channels further than trunc(f1 * 2.559) from their 3 x 3 median take it
// (0: the plain median). Dst32 holds the medians.
bool despeckle(Frame& f) { return il::despeckle(f.src32, f.dst32, f.width, f.height, level(f, 1)); }
// The odd rows rebuilt from their neighbours, the even rows when the low byte of i1 is set.
bool deinterlace(Frame& f) { return il::deinterlace(f.src32, f.width, f.height, (f.a.i[0] & 0xFF) != 0); }

constexpr Entry kTone[] = {
    {"Brightness and Contrast", "tone", Pattern::R3, brightness_contrast},
    {"Gamma", "tone", Pattern::R3, gamma},
    {"Histogram Equalize", "tone", Pattern::R3, equalize},
    {"Histogram Stretch", "tone", Pattern::R3, stretch},
    {"Histogram Equalize PHASED OUT", "tone", Pattern::R3, equalize_channels},
    {"Histogram Stretch PHASED OUT", "tone", Pattern::R3, stretch_channels},
    {"Brightness Histogram Stretch HSL", "tone", Pattern::R3, stretch_hsl},
    {"Threshold", "tone", Pattern::R3, threshold},
    {"Horizontal Flip", "tone", Pattern::R3, horizontal_flip},
    {"Vertical Flip", "tone", Pattern::R3, vertical_flip},
    {"Despeckle", "tone", Pattern::R3, despeckle},
    {"Deinterlace", "tone", Pattern::R3, deinterlace},
};

}  // namespace

std::span<const Entry> tone_family() noexcept { return kTone; }

}  // namespace mve::dispatch
