// The image library's blurs and window filters (pattern R1, so transparent
// pixels do not bleed colour): "Blur", "Blur More", "Motion Blur",
// "Motion Blur 2", "Radial Blur", "Radial Blur 2", "Zoom Blur", "Zoom Blur 2",
// "Mosaic", "Arithmetic Mean", "Midpoint", "Adaptive Unsharp Mask" and
// "Offset". Each operation reads Src32 and writes Dst32; the mapping of the
// sliders is stated above each.
#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/blurs.h"
#include "imagelib/transforms.h"

namespace mve::dispatch {

namespace {

// Samples a path blur takes at most when the count slider is 0.
constexpr int kDefaultPathSamples = 32;

int path_samples(const Frame& f, int n)
{
    const long long count = slider(f, n, 1.0);
    return count > 0 ? static_cast<int>(std::min<long long>(count, 1024)) : kDefaultPathSamples;
}

// The 3 x 3 mean, trunc(f1) passes (at least one).
bool blur(Frame& f) { return il::blur_3x3(f.src32, f.dst32, f.width, f.height, slider(f, 1, 1.0)); }
// The 5 x 5 mean, trunc(f1) passes (at least one).
bool blur_more(Frame& f) { return il::blur_more(f.src32, f.dst32, f.width, f.height, slider(f, 1, 1.0)); }

// Angle f1 * 0.01 * 360 - 180 degrees, length f2 * 0.2 pixels (0..20),
// trunc(f3) samples (0: one a pixel); centred on the pixel.
bool motion_blur(Frame& f)
{
    const double angle = f.a.f[0] * 0.01 * 360 - 180, length = f.a.f[1] * 0.2;
    return il::motion_blur(f.src32, f.dst32, f.width, f.height, angle, length, static_cast<int>(slider(f, 3, 1.0)),
                           true);
}
// The same angle and length, trailing behind the pixel and fading.
bool motion_blur_2(Frame& f)
{
    const double angle = f.a.f[0] * 0.01 * 360 - 180, length = f.a.f[1] * 0.2;
    return il::motion_blur(f.src32, f.dst32, f.width, f.height, angle, length, 0, false);
}

// About the middle: an arc of f2 * 0.36 degrees (0..36), at most trunc(f3) samples (0: 32).
bool radial_blur(Frame& f)
{
    return il::radial_blur(f.src32, f.dst32, f.width, f.height, f.width / 2.0, f.height / 2.0, f.a.f[1] * 0.36,
                           path_samples(f, 3));
}
// An arc of f1 * 0.36 degrees about the centre placed by p3, p4 (percent of the canvas).
bool radial_blur_2(Frame& f)
{
    const il::Centre c = slider_centre(f, 3, 4);
    return il::radial_blur(f.src32, f.dst32, f.width, f.height, c.x, c.y, f.a.f[0] * 0.36, 64);
}
// Towards the middle by f2 % of each pixel's distance, at most trunc(f3) samples (0: 32).
bool zoom_blur(Frame& f)
{
    return il::zoom_blur(f.src32, f.dst32, f.width, f.height, f.width / 2.0, f.height / 2.0, f.a.f[1] * 0.01,
                         path_samples(f, 3));
}
// Towards the centre placed by p3, p4 by f1 % of the distance.
bool zoom_blur_2(Frame& f)
{
    const il::Centre c = slider_centre(f, 3, 4);
    return il::zoom_blur(f.src32, f.dst32, f.width, f.height, c.x, c.y, f.a.f[0] * 0.01, 64);
}

// Blocks of max(trunc(f1 * 0.5), 1) pixels.
bool mosaic(Frame& f)
{
    return il::mosaic_image(f.src32, f.dst32, f.width, f.height, std::max<long long>(slider(f, 1, 0.5), 1));
}
// Windows of radius max(trunc(f1 * 0.2), 1) (1..20).
bool arithmetic_mean(Frame& f)
{
    return il::arithmetic_mean_filter(f.src32, f.dst32, f.width, f.height, std::max<long long>(slider(f, 1, 0.2), 1));
}
bool midpoint(Frame& f)
{
    return il::midpoint_filter(f.src32, f.dst32, f.width, f.height, std::max<long long>(slider(f, 1, 0.2), 1));
}
// Amount f1 * 0.02 (0..2), blur radius max(trunc(f2 * 0.2), 1), threshold trunc(f3 * 2.559).
bool adaptive_unsharp_mask(Frame& f)
{
    const long long radius = std::clamp<long long>(slider(f, 2, 0.2), 1, 200);
    return il::adaptive_unsharp_mask(f.src32, f.dst32, f.width, f.height, f.a.f[0] * 0.02, static_cast<int>(radius),
                                     static_cast<int>(slider(f, 3, 2.559)));
}
// Moves the picture by (p1 - 500) * W / 500 and (p2 - 500) * H / 500 whole
// pixels (integer arithmetic, truncated: p = 500 stays, 0 and 1000 move a
// whole width left or right); the uncovered part shows what edge mode i1
// gives (background: the colour, transparent).
bool offset(Frame& f)
{
    const long long dx = (static_cast<long long>(f.a.p[0]) - 500) * f.width / 500;
    const long long dy = (static_cast<long long>(f.a.p[1]) - 500) * f.height / 500;
    il::clear_all_transforms();
    return il::add_offset_transform(f.width, f.height, static_cast<double>(dx), static_cast<double>(dy),
                                    slider_edge_mode(f)) &&
           il::transform_process(f.src32, f.width, f.height, 4, f.row32(), f.dst32, f.row32(), 0,
                                 transform_background(f), 0);
}

constexpr Entry kBlurs[] = {
    {"Blur", "library blurs", Pattern::R1, blur},
    {"Blur More", "library blurs", Pattern::R1, blur_more},
    {"Motion Blur", "library blurs", Pattern::R1, motion_blur},
    {"Motion Blur 2", "library blurs", Pattern::R1, motion_blur_2},
    {"Radial Blur", "library blurs", Pattern::R1, radial_blur},
    {"Radial Blur 2", "library blurs", Pattern::R1, radial_blur_2},
    {"Zoom Blur", "library blurs", Pattern::R1, zoom_blur},
    {"Zoom Blur 2", "library blurs", Pattern::R1, zoom_blur_2},
    {"Mosaic", "library blurs", Pattern::R1, mosaic},
    {"Arithmetic Mean", "library blurs", Pattern::R1, arithmetic_mean},
    {"Midpoint", "library blurs", Pattern::R1, midpoint},
    {"Adaptive Unsharp Mask", "library blurs", Pattern::R1, adaptive_unsharp_mask},
    {"Offset", "library blurs", Pattern::R1, offset},
};

}  // namespace

std::span<const Entry> library_blur_family() noexcept { return kBlurs; }

}  // namespace mve::dispatch
