// Sharpening and edge effects on the layer's colour (pattern R4: the layer
// as RGB24, its alpha kept): "Sharpen", "Sharpen More", "Unsharp Mask",
// "Bevel", "Emboss", "Edge2" and "Feather". Each reads Src24 and writes
// Dst24; sliders arrive as fN = pN * 0.1 (0..100) and the mapping of each
// is stated above its operation.
#include <cstring>

#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/artistic.h"
#include "imagelib/edges.h"
#include "imagelib/gaussian_blur.h"
#include "imagelib/rank_filters.h"
#include "imagelib/sharpen.h"

namespace mve::dispatch {

namespace {

// Strength trunc(f1) (0..100; 10 adds the detail once) over a blur of radius 7.
bool sharpen(Frame& f)
{
    return il::sharpen_image(f.src24, f.width, f.height, 3, f.width * 3, f.dst24, f.width * 3,
                             slider_int_within(f, 1, 1.0, 0, 1000), 7) != 0;
}
// The 3 x 3 sharpen at amount 1 + f1 * 0.07 (1..8).
bool sharpen_more(Frame& f)
{
    return il::sharpen_3x3(f.src24, f.width, f.height, 3, f.dst24, 1 + slider_within(f, 1, 0.07, 0, 7)) != 0;
}
// Threshold trunc(f1 * 2.559), amount f2 * 0.01, blur sigma f3 * 0.04 + 0.2,
// max(trunc(f4 * 0.1), 1) passes (at most 10), each pass sharpening the
// result of the one before.
bool unsharp_mask(Frame& f)
{
    const int threshold = slider_int_within(f, 1, 2.559, 0, 255);
    const double amount = slider_within(f, 2, 0.01, 0, 100);
    const double sigma = 0.2 + slider_within(f, 3, 0.04, 0, 100);
    const int passes = slider_int_within(f, 4, 0.1, 1, 10);
    for (int pass = 0; pass < passes; ++pass) {
        if (pass > 0) std::memcpy(f.src24, f.dst24, f.pixels() * 3);
        if (!il::unsharp_mask_sigma(f.src24, f.width, f.height, 3, f.width * 3, f.dst24, f.width * 3, amount,
                                    sigma, threshold))
            return false;
    }
    return true;
}
// A frame max(trunc(f1 * 0.5), 1) pixels wide (1..50), lit and shaded by f2 % .
bool bevel(Frame& f)
{
    return il::bevel_rgb24(f.src24, f.dst24, f.width, f.height, slider_int_within(f, 1, 0.5, 1, 100000),
                           slider_within(f, 2, 0.01, 0, 1));
}
// Light from f1 * 3.6 degrees (p1 = 0: from the right, 250: from above),
// depth 1 + f2 * 0.09 (1..10).
bool emboss(Frame& f)
{
    return il::emboss_rgb24(f.src24, f.dst24, f.width, f.height, slider_within(f, 1, 3.6, 0, 360),
                            1 + slider_within(f, 2, 0.09, 0, 9));
}
// Canny: blur sigma f1 * 0.05 (0..5), high threshold f2 (0..100 on the
// scale where a sharp step from black to white measures 255: soft edges of
// photographs measure a few dozen), low threshold f3 % of the high one.
bool edge2(Frame& f)
{
    const double high = slider_within(f, 2, 1.0, 0, 255);
    return il::canny_edges_rgb24(f.src24, f.dst24, f.width, f.height, slider_within(f, 1, 0.05, 0, 5),
                                 high * slider_within(f, 3, 0.01, 0, 1), high);
}
// The colour spread from the darker side and softened: the minimum of
// windows of radius trunc(f1 * 0.1) (0..10), then a Gaussian of sigma
// f2 * 0.1 (0..10).
bool feather(Frame& f)
{
    std::uint8_t* work = f.temporary(4);
    std::uint8_t* eroded = f.temporary(4);
    il::rgb24_to_rgba32(f.src24, work, f.pixels());
    const int radius = slider_int_within(f, 1, 0.1, 0, 10);
    if (radius > 0 && !il::minimum_filter(work, eroded, f.width, f.height, radius)) return false;
    std::uint8_t* spread = radius > 0 ? eroded : work;
    const double sigma = slider_within(f, 2, 0.1, 0, 10);
    if (!il::gaussian_blur(spread, f.width, f.height, 4, f.row32(), spread, f.row32(), sigma)) return false;
    il::rgba32_to_rgb24(spread, f.dst24, f.pixels());
    return true;
}

constexpr const char* kFamily = "edges";

constexpr Entry kEdges[] = {
    {"Sharpen", kFamily, Pattern::R4, sharpen},
    {"Sharpen More", kFamily, Pattern::R4, sharpen_more},
    {"Unsharp Mask", kFamily, Pattern::R4, unsharp_mask},
    {"Bevel", kFamily, Pattern::R4, bevel},
    {"Emboss", kFamily, Pattern::R4, emboss},
    {"Edge2", kFamily, Pattern::R4, edge2},
    {"Feather", kFamily, Pattern::R4, feather},
};

}  // namespace

std::span<const Entry> edge_family() noexcept
{
    return kEdges;
}

}  // namespace mve::dispatch
