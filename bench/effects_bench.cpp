// Built-in effects against what a user would otherwise pick: libvips'
// gaussblur (sigma 5) and a separable box convolution, and ImageMagick's
// MagickBlurImage, on the same image and thread count.
//
//   build/<dir>/bench/effects_bench --benchmark_filter=...
// The argument of each benchmark is the worker count (0 = all cores). The
// blurs report the CPU time of all their threads beside the wall time: on a
// busy machine the wall time of two threads says little, the CPU time shows
// whether the second thread added work.
#include <wand/MagickWand.h>
#include <vips/vips.h>

#include "effect_scene.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using effect_scene::kHDH;
using effect_scene::kHDW;
using effect_scene::p_args;
using effect_scene::test_picture;

void run_effect(benchmark::State& state, const char* name, int w, int h, mve::ipl::EffectArgs a)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    effect_scene::run_effect(state, name, w, h, a);
}

// r = trunc(P1 * 100 + 1): p1 = 40 gives 5, p1 = 490 gives 50.
void BM_BoxBlur_R5(benchmark::State& s) { run_effect(s, "Box Blur", k4KW, k4KH, p_args(40)); }
void BM_BoxBlur_R50(benchmark::State& s) { run_effect(s, "Box Blur", k4KW, k4KH, p_args(490)); }
void BM_ValueBlur(benchmark::State& s) { run_effect(s, "Value Blur", kHDW, kHDH, p_args(300, 700)); }
void BM_NoiseReduction(benchmark::State& s) { run_effect(s, "Noise Reduction", kHDW, kHDH, p_args(600, 100)); }
void BM_HyperContrast(benchmark::State& s) { run_effect(s, "Hyper Contrast", kHDW, kHDH, p_args(500)); }

// libvips on a memory image, the result written back into memory.
void run_vips(benchmark::State& state, int w, int h, bool gaussian, int radius)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    vips_concurrency_set(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> src = test_picture(w, h), dst(src.size());
    VipsImage* in = vips_image_new_from_memory(src.data(), src.size(), w, h, 4, VIPS_FORMAT_UCHAR);
    VipsImage* box = vips_image_new_matrix(2 * radius + 1, 1);
    for (int i = 0; i < 2 * radius + 1; ++i) *VIPS_MATRIX(box, i, 0) = 1.0;
    vips_image_set_double(box, "scale", 2 * radius + 1);
    for (auto _ : state) {
        VipsImage* out = nullptr;
        const int fail = gaussian ? vips_gaussblur(in, &out, 5.0, nullptr)
                                  : vips_convsep(in, &out, box, "precision", VIPS_PRECISION_INTEGER, nullptr);
        if (!fail && out) {
            std::size_t size = 0;
            void* mem = vips_image_write_to_memory(out, &size);
            if (mem) std::copy_n(static_cast<std::uint8_t*>(mem), std::min(size, dst.size()), dst.data());
            g_free(mem);
            g_object_unref(out);
        }
        if (out && fail) g_object_unref(out);
        benchmark::DoNotOptimize(dst.data());
    }
    g_object_unref(box);
    g_object_unref(in);
    report_mpixels(state, static_cast<double>(w) * h);
}

void BM_VipsGaussblurSigma5(benchmark::State& s) { run_vips(s, k4KW, k4KH, true, 0); }
void BM_VipsBox_R5(benchmark::State& s) { run_vips(s, k4KW, k4KH, false, 5); }
void BM_VipsBox_R50(benchmark::State& s) { run_vips(s, k4KW, k4KH, false, 50); }

// ImageMagick: constitute, blur (radius 0 = chosen from sigma, sigma 5), export.
void BM_MagickBlurSigma5(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> src = test_picture(kHDW, kHDH), dst(src.size());
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, kHDW, kHDH, "RGBA", CharPixel, src.data());
        MagickBlurImage(wand, 0.0, 5.0);
        MagickExportImagePixels(wand, 0, 0, kHDW, kHDH, "RGBA", CharPixel, dst.data());
        DestroyMagickWand(wand);
        benchmark::DoNotOptimize(dst.data());
    }
    report_mpixels(state, static_cast<double>(kHDW) * kHDH);
}

struct Startup {
    Startup()
    {
        VIPS_INIT("effects_bench");
        MagickWandGenesis();
    }
} startup;

}  // namespace

BENCHMARK(BM_BoxBlur_R5)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_BoxBlur_R50)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_VipsGaussblurSigma5)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_VipsBox_R5)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VipsBox_R50)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ValueBlur)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NoiseReduction)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HyperContrast)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickBlurSigma5)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
