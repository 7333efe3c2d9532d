// Tone and noise operations on a 4K RGBA32 picture against ImageMagick's
// nearest operation in the same run: "Brightness and Contrast" beside
// MagickBrightnessContrastImage, "Histogram Equalize" beside
// MagickEqualizeImage, "Add Gaussian Noise" (coloured) beside
// MagickAddNoiseImage(GaussianNoise).
//
// Ours runs in place on a working copy (the operation between the layer's
// read-in and write-back). ImageMagick is timed twice: the operation alone
// on a wand constituted once (its best case), and constitute, operate,
// export (what an ImageMagick effect costs a caller).
//
//   build/<dir>/bench/tone_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// The argument of each benchmark is the worker count for both libraries.
#include <wand/MagickWand.h>

#include "effect_scene.h"
#include "imagelib/noise.h"
#include "imagelib/tone_curves.h"
#include "magick_threads.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using Pixels = std::vector<std::uint8_t>;

const Pixels& picture()
{
    static const Pixels plain = effect_scene::test_picture(k4KW, k4KH);
    return plain;
}

using Threads = MagickThreads;

template <class Op>
void run_ours(benchmark::State& state, Op op)
{
    const Threads threads(state);
    Pixels work = picture();
    for (auto _ : state) {
        op(work.data());
        benchmark::DoNotOptimize(work.data());
    }
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

// The operation alone, repeated on one wand.
template <class Op>
void run_magick_op(benchmark::State& state, Op op)
{
    const Threads threads(state);
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, k4KW, k4KH, "RGBA", CharPixel, picture().data());
    for (auto _ : state) benchmark::DoNotOptimize(op(wand));
    DestroyMagickWand(wand);
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

// Constitute, operate, export.
template <class Op>
void run_magick_call(benchmark::State& state, Op op)
{
    const Threads threads(state);
    Pixels out(picture().size());
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, k4KW, k4KH, "RGBA", CharPixel, picture().data());
        op(wand);
        MagickExportImagePixels(wand, 0, 0, k4KW, k4KH, "RGBA", CharPixel, out.data());
        DestroyMagickWand(wand);
        benchmark::DoNotOptimize(out.data());
    }
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

// ---- Brightness and Contrast: +10 % each (p1 = p2 = 550) ----
void BM_BrightnessContrast(benchmark::State& s)
{
    run_ours(s, [](std::uint8_t* p) { mve::il::adjust_brightness_contrast(p, k4KW, k4KH, 0.1, 0.1); });
}
MagickBooleanType magick_bc(MagickWand* w) { return MagickBrightnessContrastImage(w, 10, 10); }
void BM_MagickBrightnessContrast(benchmark::State& s) { run_magick_op(s, magick_bc); }
void BM_MagickBrightnessContrastCall(benchmark::State& s) { run_magick_call(s, magick_bc); }

// ---- Histogram Equalize ----
void BM_HistogramEqualize(benchmark::State& s)
{
    run_ours(s, [](std::uint8_t* p) { mve::il::equalize_brightness(p, k4KW, k4KH); });
}
MagickBooleanType magick_equalize(MagickWand* w) { return MagickEqualizeImage(w); }
void BM_MagickEqualize(benchmark::State& s) { run_magick_op(s, magick_equalize); }
void BM_MagickEqualizeCall(benchmark::State& s) { run_magick_call(s, magick_equalize); }

// ---- Add Gaussian Noise, coloured (one draw per channel, as ImageMagick adds it) ----
void BM_AddGaussianNoise(benchmark::State& s)
{
    std::uint32_t seed = 1;
    run_ours(s, [&seed](std::uint8_t* p) {
        mve::il::add_noise(mve::il::NoiseKind::Gaussian, p, k4KW, k4KH, 4, k4KW * 4, 2000, 1, seed++);
    });
}
MagickBooleanType magick_noise(MagickWand* w) { return MagickAddNoiseImage(w, GaussianNoise); }
void BM_MagickAddNoise(benchmark::State& s) { run_magick_op(s, magick_noise); }
void BM_MagickAddNoiseCall(benchmark::State& s) { run_magick_call(s, magick_noise); }

struct Startup {
    Startup() { MagickWandGenesis(); }
} startup;

}  // namespace

#define MVE_TONE_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()
MVE_TONE_BENCH(BM_BrightnessContrast);
MVE_TONE_BENCH(BM_MagickBrightnessContrast);
MVE_TONE_BENCH(BM_MagickBrightnessContrastCall);
MVE_TONE_BENCH(BM_HistogramEqualize);
MVE_TONE_BENCH(BM_MagickEqualize);
MVE_TONE_BENCH(BM_MagickEqualizeCall);
MVE_TONE_BENCH(BM_AddGaussianNoise);
MVE_TONE_BENCH(BM_MagickAddNoise);
MVE_TONE_BENCH(BM_MagickAddNoiseCall);

BENCHMARK_MAIN();
