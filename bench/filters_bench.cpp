// The image library's blurs, rank filters, transforms and glows on a 4K
// RGBA32 picture against the closest ImageMagick operation in the same run
// (constitute, operate, export: what an ImageMagick effect costs a caller),
// and libvips' rank filter for the median.
//
//   build/<dir>/bench/filters_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// The argument of each benchmark is the worker count for every library.
#include <wand/MagickWand.h>
#include <vips/vips.h>

#include <cmath>

#include "effect_scene.h"
#include "imagelib/blurs.h"
#include "imagelib/distortions.h"
#include "imagelib/glows.h"
#include "imagelib/rank_filters.h"
#include "imagelib/transforms.h"
#include "magick_threads.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using Pixels = std::vector<std::uint8_t>;

// The benchmark picture; the glow version keeps alpha only inside circles.
const Pixels& picture(bool shapes)
{
    static const Pixels plain = effect_scene::test_picture(k4KW, k4KH);
    static const Pixels holed = [] {
        Pixels p = plain;
        for (int y = 0; y < k4KH; ++y)
            for (int x = 0; x < k4KW; ++x) {
                const int dx = x % 400 - 200, dy = y % 400 - 200;
                p[(static_cast<std::size_t>(y) * k4KW + x) * 4 + 3] = dx * dx + dy * dy < 120 * 120 ? 255 : 0;
            }
        return p;
    }();
    return shapes ? holed : plain;
}

struct Threads : MagickThreads {
    explicit Threads(benchmark::State& s) : MagickThreads(s)
    {
        vips_concurrency_set(static_cast<int>(s.range(0)));
    }
};

template <class Op>
void run_ours(benchmark::State& state, bool shapes, Op op)
{
    const Threads threads(state);
    effect_scene::run_on_buffers(state, picture(shapes), k4KW, k4KH, op);
}

template <class Op>
void run_magick(benchmark::State& state, bool shapes, Op op)
{
    run_ours(state, shapes, [&op](const std::uint8_t* in, std::uint8_t* out) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, k4KW, k4KH, "RGBA", CharPixel, in);
        op(wand);
        MagickExportImagePixels(wand, 0, 0, k4KW, k4KH, "RGBA", CharPixel, out);
        DestroyMagickWand(wand);
    });
}

void run_transform(benchmark::State& state, void (*queue)())
{
    run_ours(state, false, [queue](const std::uint8_t* s, std::uint8_t* d) {
        mve::il::clear_all_transforms();
        queue();
        mve::il::transform_process(s, k4KW, k4KH, 4, k4KW * 4, d, k4KW * 4, 0, 0, 0);
    });
}

// ---- Median, radius 3 (7 x 7) and 15 (31 x 31) ----
void BM_Median_R3(benchmark::State& s)
{
    run_ours(s, false, [](auto in, auto out) { mve::il::median_filter(in, out, k4KW, k4KH, 3); });
}
void BM_Median_R15(benchmark::State& s)
{
    run_ours(s, false, [](auto in, auto out) { mve::il::median_filter(in, out, k4KW, k4KH, 15); });
}
void magick_median(benchmark::State& s, int side)
{
    run_magick(s, false, [side](MagickWand* w) { MagickStatisticImage(w, MedianStatistic, side, side); });
}
void BM_MagickMedian_R3(benchmark::State& s) { magick_median(s, 7); }
void BM_MagickMedian_R15(benchmark::State& s) { magick_median(s, 31); }
void vips_median(benchmark::State& state, int side)
{
    const Threads threads(state);
    const Pixels& src = picture(false);
    Pixels dst(src.size());
    VipsImage* in = vips_image_new_from_memory(src.data(), src.size(), k4KW, k4KH, 4, VIPS_FORMAT_UCHAR);
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (!vips_rank(in, &out, side, side, side * side / 2, nullptr)) {
            std::size_t size = 0;
            void* mem = vips_image_write_to_memory(out, &size);
            if (mem) std::copy_n(static_cast<std::uint8_t*>(mem), std::min(size, dst.size()), dst.data());
            g_free(mem);
        }
        if (out) g_object_unref(out);
        benchmark::DoNotOptimize(dst.data());
    }
    g_object_unref(in);
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}
void BM_VipsRank_R3(benchmark::State& s) { vips_median(s, 7); }
void BM_VipsRank_R15(benchmark::State& s) { vips_median(s, 31); }

// ---- Motion Blur: 21 samples over 20 pixels at 30 degrees; ImageMagick's
// kernel of radius 10 runs 21 taps over the same length ----
void BM_MotionBlur(benchmark::State& s)
{
    run_ours(s, false, [](auto in, auto out) { mve::il::motion_blur(in, out, k4KW, k4KH, 30.0, 20.0, 0, true); });
}
void BM_MagickMotionBlur(benchmark::State& s)
{
    run_magick(s, false, [](MagickWand* w) { MagickMotionBlurImage(w, 10.0, 5.0, 30.0); });
}

// ---- Radial Blur: 10 degrees about the middle, at most 32 samples a pixel
// (the effect's default count); ImageMagick takes 4 * angle * sqrt(radius) + 2,
// here 35, nearest-pixel samples ----
void BM_RadialBlur(benchmark::State& s)
{
    run_ours(s, false, [](auto in, auto out) {
        mve::il::radial_blur(in, out, k4KW, k4KH, k4KW / 2.0, k4KH / 2.0, 10.0, 32);
    });
}
void BM_MagickRotationalBlur(benchmark::State& s)
{
    run_magick(s, false, [](MagickWand* w) { MagickRotationalBlurImage(w, 10.0); });
}

// ---- Spin: 180 degrees over the whole picture; Wave: amplitude 10, wavelength 100 ----
void BM_Spin(benchmark::State& s)
{
    run_transform(s, [] {
        mve::il::add_spin_transform(k4KW, k4KH, mve::il::Centre{k4KW / 2.0, k4KH / 2.0}, 0, 180.0, 2);
    });
}
void BM_MagickSwirl(benchmark::State& s) { run_magick(s, false, [](MagickWand* w) { MagickSwirlImage(w, 180.0); }); }
void BM_Wave(benchmark::State& s)
{
    run_transform(s, [] { mve::il::add_wave_transform(k4KW, k4KH, 10.0, 100.0, 2); });
}
void BM_MagickWave(benchmark::State& s) { run_magick(s, false, [](MagickWand* w) { MagickWaveImage(w, 10.0, 100.0); }); }

// ---- Glow Outer: radius 20 on a picture of opaque discs; ImageMagick's
// shadow (a blurred, coloured alpha) of sigma 10 is the nearest ----
void BM_GlowOuter(benchmark::State& s)
{
    run_ours(s, true, [](auto in, auto out) {
        mve::il::outer_glow(in, out, k4KW, k4KH, 20, 2.0, mve::il::GlowColour{255, 240, 120});
    });
}
void BM_MagickShadow(benchmark::State& s)
{
    run_magick(s, true, [](MagickWand* w) { MagickShadowImage(w, 80.0, 10.0, 0, 0); });
}

struct Startup {
    Startup()
    {
        VIPS_INIT("filters_bench");
        MagickWandGenesis();
    }
} startup;

}  // namespace

#define MVE_FILTER_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()
MVE_FILTER_BENCH(BM_Median_R3);
MVE_FILTER_BENCH(BM_MagickMedian_R3);
MVE_FILTER_BENCH(BM_VipsRank_R3);
MVE_FILTER_BENCH(BM_Median_R15);
MVE_FILTER_BENCH(BM_MagickMedian_R15);
MVE_FILTER_BENCH(BM_VipsRank_R15);
MVE_FILTER_BENCH(BM_MotionBlur);
MVE_FILTER_BENCH(BM_MagickMotionBlur);
MVE_FILTER_BENCH(BM_RadialBlur);
MVE_FILTER_BENCH(BM_MagickRotationalBlur);
MVE_FILTER_BENCH(BM_Spin);
MVE_FILTER_BENCH(BM_MagickSwirl);
MVE_FILTER_BENCH(BM_Wave);
MVE_FILTER_BENCH(BM_MagickWave);
MVE_FILTER_BENCH(BM_GlowOuter);
MVE_FILTER_BENCH(BM_MagickShadow);

BENCHMARK_MAIN();
