// Rank and statistical filters and the frosted glass (pattern R5: they read
// Src32 as the host or an earlier call left it, and write Dst32). The
// window radius is trunc(f1 * 0.2) (0..20; 0 leaves the picture as it is).
#include "dispatch/families.h"
#include "dispatch/slider_maps.h"
#include "imagelib/rank_filters.h"
#include "imagelib/transforms.h"
#include "imagelib/distortions.h"

namespace mve::dispatch {

namespace {

long long window(const Frame& f) { return slider(f, 1, 0.2); }

bool median(Frame& f) { return il::median_filter(f.src32, f.dst32, f.width, f.height, window(f)); }
bool geometric_mean(Frame& f) { return il::geometric_mean_filter(f.src32, f.dst32, f.width, f.height, window(f)); }
bool harmonic_mean(Frame& f) { return il::harmonic_mean_filter(f.src32, f.dst32, f.width, f.height, window(f)); }
bool maximum(Frame& f) { return il::maximum_filter(f.src32, f.dst32, f.width, f.height, window(f)); }
bool minimum(Frame& f) { return il::minimum_filter(f.src32, f.dst32, f.width, f.height, window(f)); }

// Local enhancement: radius max(trunc(f1 * 0.2), 1), gain 1 + f2 * 0.04
// (1..5); the limits k0 = f3 %, k1 = f4 * 0.1 %, k2 = f5 % of the global
// mean and deviation, each 0 slider taking its usual value (0.4, 0.02, 0.4).
bool hdri(Frame& f)
{
    il::LocalEnhancement e;
    e.radius = std::max<long long>(window(f), 1);
    e.gain = 1.0 + f.a.f[1] * 0.04;
    if (f.a.p[2]) e.k0 = f.a.f[2] * 0.01;
    if (f.a.p[3]) e.k1 = f.a.f[3] * 0.001;
    if (f.a.p[4]) e.k2 = f.a.f[4] * 0.01;
    return il::local_histogram_enhancement(f.src32, f.dst32, f.width, f.height, e);
}

// Each pixel takes a neighbour at most trunc(f1 * 0.2) pixels away, chosen
// by the seed; the picture's edge pixels repeat beyond it.
bool frosted_glass(Frame& f)
{
    il::clear_all_transforms();
    return il::add_random_transform(f.width, f.height, static_cast<int>(window(f)),
                                    static_cast<std::uint32_t>(f.a.seed), il::kEdgeExtend) &&
           il::transform_process(f.src32, f.width, f.height, 4, f.row32(), f.dst32, f.row32(), 0, 0, 0);
}

constexpr Entry kRank[] = {
    {"Median", "rank filters", Pattern::R5, median},
    {"Geometric Mean", "rank filters", Pattern::R5, geometric_mean},
    {"Harmonic Mean", "rank filters", Pattern::R5, harmonic_mean},
    {"Maximum2", "rank filters", Pattern::R5, maximum},
    {"Minimum2", "rank filters", Pattern::R5, minimum},
    {"HDRI", "rank filters", Pattern::R5, hdri},
    {"Frosted Glass", "rank filters", Pattern::R5, frosted_glass},
};

}  // namespace

std::span<const Entry> rank_filter_family() noexcept { return kRank; }

}  // namespace mve::dispatch
