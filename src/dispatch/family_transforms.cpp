// The distortion transforms (pattern R1): each clears the transform list,
// queues its transform and runs the transform processor from Src32 into
// Dst32, with edge mode i1 (0 background, 1 wrap, 2 extend, 3 mirror) and
// the packed colour, transparent, as the background. Every one is the
// identity with p1 = 0. Centres are placed by two sliders as percentages of
// the canvas, both 0 meaning the middle; radii are percentages of half the
// diagonal, 0 meaning all of it.
#include <cmath>

#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/distortions.h"
#include "imagelib/transforms.h"

namespace mve::dispatch {

namespace {

double radius_percent(const Frame& f, int n)
{
    return f.a.f[n - 1] * 0.01 * 0.5 * std::hypot(f.width, f.height);
}

// Queues through `add` and runs the processor.
template <class Add>
bool run_transform(Frame& f, Add add)
{
    il::clear_all_transforms();
    if (!add(f.width, f.height, slider_edge_mode(f))) return false;
    return il::transform_process(f.src32, f.width, f.height, 4, f.row32(), f.dst32, f.row32(), 0,
                                 transform_background(f), 0) != 0;
}

// Strength f1 %.
bool elliptical(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) { return il::add_elliptical_transform(w, h, f.a.f[0] * 0.01, e); });
}
// Strength f1 * 0.0095 (0..0.95), radius p2, centre p3, p4.
bool lens(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_lens_transform(w, h, slider_centre(f, 3, 4), radius_percent(f, 2), f.a.f[0] * 0.0095, e);
    });
}
// Amplitude f1 * 0.2 pixels, vein spacing max(f2 * 2, 1) pixels, turbulence f3 * 0.05.
bool marble_old(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_marble_transform(w, h, f.a.f[0] * 0.2, f.a.f[1] * 2.0, f.a.f[2] * 0.05,
                                        static_cast<std::uint32_t>(f.a.seed), e);
    });
}
// Amplitude f1 * 0.5 pixels, noise scale max(f2 * 2, 1) pixels, 1 + trunc(f3 * 0.07) octaves.
bool marble(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_perlin_displacement_transform(w, h, f.a.f[0] * 0.5, f.a.f[1] * 2.0,
                                                     1 + static_cast<int>(slider(f, 3, 0.07)),
                                                     static_cast<std::uint32_t>(f.a.seed), e);
    });
}
// Amount f1 % (the low byte of i2 bulges instead), radius p2, centre p3, p4.
bool pinch(Frame& f)
{
    const double amount = f.a.f[0] * 0.01 * ((f.a.i[1] & 0xFF) ? -1.0 : 1.0);
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_pinch_transform(w, h, slider_centre(f, 3, 4), radius_percent(f, 2), amount, e);
    });
}
// Amplitude f1 * 0.2 pixels, wavelength f2 * 2 pixels, phase f3 * 3.6 degrees, centre p4, p5.
bool ripple(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_ripple_transform(w, h, slider_centre(f, 4, 5), f.a.f[0] * 0.2, f.a.f[1] * 2.0,
                                        f.a.f[2] * 3.6, e);
    });
}
// Angle f1 * 3.6 degrees (the low byte of i2 turns the other way), radius p2, centre p3, p4.
bool spin(Frame& f)
{
    const double angle = f.a.f[0] * 3.6 * ((f.a.i[1] & 0xFF) ? -1.0 : 1.0);
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_spin_transform(w, h, slider_centre(f, 3, 4), radius_percent(f, 2), angle, e);
    });
}
// Angle f1 * 0.9 degrees, wavelength f2 * 2 pixels, centre p3, p4.
bool spin_wave(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_spin_wave_transform(w, h, slider_centre(f, 3, 4), f.a.f[0] * 0.9, f.a.f[1] * 2.0, e);
    });
}
// Amplitude f1 * 0.2 pixels, wavelength f2 * 2 pixels.
bool wave(Frame& f)
{
    return run_transform(
        f, [&](int w, int h, int e) { return il::add_wave_transform(w, h, f.a.f[0] * 0.2, f.a.f[1] * 2.0, e); });
}
// Amount f1 * 0.009, max(trunc(f2 * 0.2), 1) petals, radius p3, centre p4, p5.
bool wow(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_wow_transform(w, h, slider_centre(f, 4, 5), radius_percent(f, 3), f.a.f[0] * 0.009,
                                     static_cast<int>(std::max<long long>(slider(f, 2, 0.2), 1)), e);
    });
}
// Angle f1 * 0.9 degrees, max(trunc(f2 * 0.2), 1) ridges, radius p3, centre p4, p5.
bool zig_zag(Frame& f)
{
    return run_transform(f, [&](int w, int h, int e) {
        return il::add_zigzag_transform(w, h, slider_centre(f, 4, 5), radius_percent(f, 3), f.a.f[0] * 0.9,
                                        static_cast<int>(std::max<long long>(slider(f, 2, 0.2), 1)), e);
    });
}

constexpr Entry kTransforms[] = {
    {"Elliptical", "transforms", Pattern::R1, elliptical},
    {"Lens", "transforms", Pattern::R1, lens},
    {"Marble OLD", "transforms", Pattern::R1, marble_old},
    {"Marble", "transforms", Pattern::R1, marble},
    {"Pinch", "transforms", Pattern::R1, pinch},
    {"Ripple", "transforms", Pattern::R1, ripple},
    {"Spin", "transforms", Pattern::R1, spin},
    {"Spin Wave", "transforms", Pattern::R1, spin_wave},
    {"Wave", "transforms", Pattern::R1, wave},
    {"Wow", "transforms", Pattern::R1, wow},
    {"Zig Zag", "transforms", Pattern::R1, zig_zag},
};

}  // namespace

std::span<const Entry> transform_family() noexcept { return kTransforms; }

}  // namespace mve::dispatch
