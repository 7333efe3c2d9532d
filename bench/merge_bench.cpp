// Merge core speed on a 3840 x 2160 RGBA64 plane, single-threaded, beside the
// physical limit (a plain read-modify-write pass over the same planes) and
// pixman's OVER on a 3840 x 2160 premultiplied a8r8g8b8 image, all in the
// same run. Each merge figure carries its ratio to both (x_limit, x_pixman).
// Also MVE_Merge of a 1920 x 1080 stack of 8 sparse layers. Figures are per
// CPU second (Google Benchmark's default), so a loaded machine still gives
// comparable numbers. MVE_SIMD_LEVEL=sse2 (or scalar) caps the packed float
// stage's vector level, MVE_DISABLE_FAST_PATHS=1 runs the scalar references.
#include <pixman.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "bench_util.h"
#include "core/blend_modes.h"
#include "core/merge_core.h"
#include "morvane/morvane.h"

namespace {

constexpr int kW = 3840, kH = 2160;
constexpr double kPixels = double(kW) * kH;

using Plane = std::vector<std::uint16_t>;

Plane make_plane(std::uint32_t seed, std::uint16_t alpha)
{
    Plane p(static_cast<std::size_t>(kW) * kH * 4);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        const std::uint32_t v = rng();
        p[i] = static_cast<std::uint16_t>(v), p[i + 1] = static_cast<std::uint16_t>(v >> 8);
        p[i + 2] = static_cast<std::uint16_t>(v >> 16), p[i + 3] = alpha;
    }
    return p;
}

// Process CPU time: the machine is shared, so wall time would count other work.
double cpu_seconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

template <class F>
double best_mpix(F&& pass, int reps = 5)
{
    double best = 1e30;
    for (int r = 0; r < reps; ++r) {
        const double t0 = cpu_seconds();
        pass();
        const double s = cpu_seconds() - t0;
        best = std::min(best, s);
    }
    return kPixels / best / 1e6;
}

// The plain read-modify-write pass: read both planes, write the destination.
void rmw_pass(const Plane& src, Plane& dst)
{
    const std::uint16_t* s = src.data();
    std::uint16_t* d = dst.data();
    const std::size_t n = dst.size();
    for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::uint16_t>((d[i] + s[i]) >> 1);
    benchmark::ClobberMemory();
}

struct PixmanImages {
    std::vector<std::uint32_t> src, dst;
    pixman_image_t* s = nullptr;
    pixman_image_t* d = nullptr;
    explicit PixmanImages(std::uint32_t alpha) : src(std::size_t(kW) * kH), dst(std::size_t(kW) * kH)
    {
        std::mt19937 rng(1);
        for (auto& v : src) {
            // Premultiplied: each colour byte at most the alpha.
            const std::uint32_t c = rng() % (alpha + 1);
            v = alpha << 24 | c << 16 | (c / 2) << 8 | (c / 3);
        }
        for (auto& v : dst) v = 0xFF000000u | (rng() & 0xFFFFFF);
        s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, src.data(), kW * 4);
        d = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, dst.data(), kW * 4);
    }
    ~PixmanImages()
    {
        pixman_image_unref(s);
        pixman_image_unref(d);
    }
    void over() { pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kW, kH); }
};

// Reference figures measured once per run, single-threaded.
struct References {
    double limit = 0, pixmanOpaque = 0, pixmanHalf = 0;
};
const References& references()
{
    static const References r = [] {
        ThreadScope one(1);
        References out;
        {
            const Plane src = make_plane(1, 0xFFFF);
            Plane dst = make_plane(2, 0xFFFF);
            out.limit = best_mpix([&] { rmw_pass(src, dst); });
        }
        {
            PixmanImages opaque(255);
            out.pixmanOpaque = best_mpix([&] { opaque.over(); });
        }
        {
            PixmanImages half(128);
            out.pixmanHalf = best_mpix([&] { half.over(); });
        }
        return out;
    }();
    return r;
}

void report_ratios(benchmark::State& state, double mpix)
{
    const References& r = references();
    state.counters["limit_Mpix/s"] = r.limit;
    state.counters["pixman_opaque_Mpix/s"] = r.pixmanOpaque;
    state.counters["pixman_half_Mpix/s"] = r.pixmanHalf;
    state.counters["x_limit"] = mpix / r.limit;
    state.counters["x_pixman_opaque"] = mpix / r.pixmanOpaque;
    state.counters["x_pixman_half"] = mpix / r.pixmanHalf;
}

void run_merge(benchmark::State& state, int mode, std::uint16_t srcAlpha)
{
    references();
    ThreadScope one(1);
    const Plane src = make_plane(3, srcAlpha);
    Plane dst = make_plane(4, 0xFFFF);
    double seconds = 0;
    for (auto _ : state) {
        const double t0 = cpu_seconds();
        mve::merge_rgba64(src.data(), 0, 0, kW, kH, kW * 4, nullptr, dst.data(), 0, 0, kW * 4, mode, 0, 256,
                          255, false, false);
        seconds += cpu_seconds() - t0;
        benchmark::ClobberMemory();
    }
    report_mpixels(state, kPixels);
    report_ratios(state, kPixels * double(state.iterations()) / seconds / 1e6);
}

void BM_Limit_ReadModifyWrite(benchmark::State& state)
{
    ThreadScope one(1);
    const Plane src = make_plane(1, 0xFFFF);
    Plane dst = make_plane(2, 0xFFFF);
    for (auto _ : state) rmw_pass(src, dst);
    report_mpixels(state, kPixels);
}

void BM_Pixman_Over(benchmark::State& state)
{
    PixmanImages images(static_cast<std::uint32_t>(state.range(0)));
    for (auto _ : state) images.over();
    report_mpixels(state, kPixels);
}

void BM_Merge_NormalOpaque(benchmark::State& s)
{
    run_merge(s, mve::kNormal, 0xFFFF);
}
void BM_Merge_NormalHalf(benchmark::State& s)
{
    run_merge(s, mve::kNormal, 0x8000);
}
void BM_Merge_Multiply(benchmark::State& s)
{
    run_merge(s, mve::kMultiply, 0x8000);
}
void BM_Merge_Screen(benchmark::State& s)
{
    run_merge(s, mve::kScreen, 0x8000);
}
void BM_Merge_SoftLight(benchmark::State& s)
{
    run_merge(s, mve::kSoftLight, 0x8000);
}
void BM_Merge_HslColor(benchmark::State& s)
{
    run_merge(s, mve::kHslColor, 0x8000);
}
void BM_Merge_AlphaSmoothLum(benchmark::State& s)
{
    run_merge(s, mve::kAlphaSmoothLum, 0x8000);
}

// MVE_Merge of 1920 x 1080 with the background and 8 layers, each about a
// quarter covered by soft-edged discs.
void BM_MVE_Merge_1080p_8Layers(benchmark::State& state)
{
    ThreadScope one(1);
    const int w = 1920, h = 1080;
    MVE_CreateImage(nullptr, w, h, 64, 0);
    MVE_CreateLayer(1, w, h);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    const char* modes[] = {"Normal", "Normal", "Multiply", "Normal", "Screen", "Normal", "Overlay", "Normal"};
    std::mt19937 rng(9);
    std::vector<std::uint16_t> plane(static_cast<std::size_t>(w) * h * 4);
    for (int k = 0; k < 8; ++k) {
        std::fill(plane.begin(), plane.end(), 0);
        // Four discs of radius r cover about a quarter: 4 pi r^2 = w h / 4.
        const double r = std::sqrt(w * h / 4.0 / 4.0 / 3.14159);
        for (int disc = 0; disc < 4; ++disc) {
            const double cx = rng() % w, cy = rng() % h;
            const std::uint16_t cr = rng(), cg = rng(), cb = rng();
            for (int y = std::max(0, int(cy - r)); y < std::min(h, int(cy + r) + 1); ++y)
                for (int x = std::max(0, int(cx - r)); x < std::min(w, int(cx + r) + 1); ++x) {
                    const double dist = std::hypot(x - cx, y - cy);
                    if (dist >= r) continue;
                    // Opaque core, soft edge over the outer fifth.
                    const double t = std::min(1.0, (r - dist) / (0.2 * r));
                    std::uint16_t* p = &plane[(static_cast<std::size_t>(y) * w + x) * 4];
                    p[0] = cr, p[1] = cg, p[2] = cb;
                    p[3] = std::max<std::uint16_t>(p[3], static_cast<std::uint16_t>(t * 65535));
                }
        }
        MVE_CreateLayer(k + 2, w, h);
        MVE_SetLayerData(plane.data(), k + 2);
        MVE_SetLayerOptions(k + 2, 1, 0, 100, modes[k]);
    }
    std::vector<std::uint16_t> out(static_cast<std::size_t>(w) * h * 4);
    for (auto _ : state) {
        MVE_Merge(out.data());
        benchmark::ClobberMemory();
    }
    report_mpixels(state, double(w) * h);
    MVE_DeleteImage();
}

}  // namespace

BENCHMARK(BM_Limit_ReadModifyWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pixman_Over)->Arg(255)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_NormalOpaque)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_NormalHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_Multiply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_Screen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_SoftLight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_HslColor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_AlphaSmoothLum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MVE_Merge_1080p_8Layers)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
