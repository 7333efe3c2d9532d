// The effect dispatcher: its Gaussian blur against libvips' gaussblur and
// ImageMagick's MagickGaussianBlurImage at the same sigma and thread count,
// and the dispatcher's own cost over the built-in runner.
//
// Arguments: (sigma, threads). The engine's blur and libvips run on a
// 3840 x 2160 RGBA picture; ImageMagick's Gaussian is a full 2-D kernel and
// takes minutes there at sigma 20, so it runs on 960 x 540 (a sixteenth of
// the pixels) and is compared by its Mpix/s rate.
#include <vips/vips.h>
#include <wand/MagickWand.h>

#include <vector>

#include "effect_scene.h"
#include "engine/engine.h"
#include "imagelib/gaussian_blur.h"

namespace {

using namespace effect_scene;

constexpr int kMagickW = 960, kMagickH = 540;

// "Gaussian Blur" p1 for a sigma: 0.6 + 0.4 * p1 * 0.1 = sigma.
int slider_for(double sigma)
{
    return static_cast<int>((sigma - 0.6) / 0.04 + 0.5);
}

double sigma_of(const benchmark::State& state)
{
    return static_cast<double>(state.range(0));
}

// The blur the "Gaussian Blur" effect runs, on its own.
void BM_EngineGaussian(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    const std::vector<std::uint8_t> src = test_picture(k4KW, k4KH);
    std::vector<std::uint8_t> dst(src.size());
    const double sigma = 0.6 + 0.4 * slider_for(sigma_of(state)) * 0.1;
    for (auto _ : state) {
        mve::il::gaussian_blur(src.data(), k4KW, k4KH, 4, k4KW * 4, dst.data(), k4KW * 4, sigma);
        benchmark::DoNotOptimize(dst.data());
    }
    report_mpixels(state, double(k4KW) * k4KH);
}

// The whole effect through the dispatcher: layer into Src32, premultiply,
// blur, unpremultiply, write-back through the Mask into the 16-bit layer.
void BM_DispatchGaussian(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    load_scene(Scene::None);
    MVE_CreateImage(nullptr, k4KW, k4KH, 8, 0);
    MVE_CreateLayer(1, k4KW, k4KH);
    MVE_SetLayer(1);
    const std::vector<std::uint8_t> src = test_picture(k4KW, k4KH);
    MVE_LoadRGBA32(src.data(), k4KW * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    const int p1 = slider_for(sigma_of(state));
    for (auto _ : state) {
        MVE_IPLImageProcess(0, "Gaussian Blur", 1, p1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            nullptr);
    }
    MVE_DeleteImage();
    report_mpixels(state, double(k4KW) * k4KH);
}

void BM_VipsGaussblur(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    vips_concurrency_set(static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> src = test_picture(k4KW, k4KH);
    VipsImage* in = vips_image_new_from_memory(src.data(), src.size(), k4KW, k4KH, 4, VIPS_FORMAT_UCHAR);
    for (auto _ : state) {
        VipsImage* out = nullptr;
        if (vips_gaussblur(in, &out, sigma_of(state), nullptr) == 0) {
            size_t size = 0;
            void* mem = vips_image_write_to_memory(out, &size);
            benchmark::DoNotOptimize(mem);
            g_free(mem);
            g_object_unref(out);
        }
    }
    g_object_unref(in);
    report_mpixels(state, double(k4KW) * k4KH);
}

void BM_MagickGaussianBlur(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(state.range(1)));
    const std::vector<std::uint8_t> src = test_picture(kMagickW, kMagickH);
    std::vector<std::uint8_t> dst(src.size());
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, kMagickW, kMagickH, "RGBA", CharPixel, src.data());
        MagickGaussianBlurImage(wand, 0.0, sigma_of(state));
        MagickExportImagePixels(wand, 0, 0, kMagickW, kMagickH, "RGBA", CharPixel, dst.data());
        DestroyMagickWand(wand);
    }
    report_mpixels(state, double(kMagickW) * kMagickH);
}

// The dispatcher's cost: a cheap effect ("Basic Threshold") through
// MVE_IPLImageProcess (repeated on the layer it wrote, when Dst32 still holds
// the layer and serves as the next source; and with one pixel of the layer
// loaded between calls, so the layer is read again each time), against the
// same steps a host would call one by one
// (refresh Src32, the runner, the write-back, the dirty mark), against a
// host that calls the built-in effect export on its own copy of the layer
// and loads the result, and against the runner alone on buffers (the
// processing buffers, or the host's own through the export) without the
// layer's round trip.
enum class Route { Dispatcher, DispatcherLayerChanged, HostSteps, HostBuiltin, RunnerOnly, BuiltinOnly };

void run_threshold(benchmark::State& state, Route route)
{
    ThreadScope threads(1);
    load_scene(Scene::None);
    MVE_CreateImage(nullptr, kHDW, kHDH, 8, 0);
    MVE_CreateLayer(1, kHDW, kHDH);
    MVE_SetLayer(1);
    const std::vector<std::uint8_t> src = test_picture(kHDW, kHDH);
    std::vector<std::uint8_t> result(src.size());
    MVE_LoadRGBA32(src.data(), kHDW * 4, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLAllocDstBuffer32();
    mve::ipl::EffectArgs args;
    args.p[0] = 500;
    for (auto _ : state) {
        switch (route) {
            case Route::Dispatcher:
                MVE_IPLImageProcess(0, "Basic Threshold", 1, 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0, nullptr);
                break;
            case Route::DispatcherLayerChanged:
                MVE_LoadRGBA32Layer(src.data(), kHDW * 4, 1, 0, 0, 1, 1, 0);
                MVE_IPLImageProcess(0, "Basic Threshold", 1, 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0, nullptr);
                break;
            case Route::HostSteps:
                MVE_IPLUpdateSrcBuffer32();
                mve::ipl::run_named_effect("Basic Threshold", 0, args);
                MVE_LoadRGBA32(mve::engine().ipl.dst32.read().data(), kHDW * 4, 1);
                MVE_InvalidateDirtyUndoCanvas();
                break;
            case Route::HostBuiltin:
                MVE_GetRGBA32(result.data(), kHDW * 4);
                MVE_IPLRunBuiltinEffect("Basic Threshold", result.data(), kHDW, kHDH, 0.5, 0, 0, 0);
                MVE_LoadRGBA32(result.data(), kHDW * 4, 1);
                MVE_InvalidateDirtyUndoCanvas();
                break;
            case Route::RunnerOnly:
                mve::ipl::run_named_effect("Basic Threshold", 0, args);
                break;
            case Route::BuiltinOnly:
                MVE_IPLRunBuiltinEffect("Basic Threshold", result.data(), kHDW, kHDH, 0.5, 0, 0, 0);
                break;
        }
    }
    MVE_DeleteImage();
    report_mpixels(state, double(kHDW) * kHDH);
}

void BM_ThresholdDispatcher(benchmark::State& s)
{
    run_threshold(s, Route::Dispatcher);
}
void BM_ThresholdDispatcherLayerChanged(benchmark::State& s)
{
    run_threshold(s, Route::DispatcherLayerChanged);
}
void BM_ThresholdHostSteps(benchmark::State& s)
{
    run_threshold(s, Route::HostSteps);
}
void BM_ThresholdRunnerOnly(benchmark::State& s)
{
    run_threshold(s, Route::RunnerOnly);
}
void BM_ThresholdHostBuiltin(benchmark::State& s)
{
    run_threshold(s, Route::HostBuiltin);
}
void BM_ThresholdBuiltinOnly(benchmark::State& s)
{
    run_threshold(s, Route::BuiltinOnly);
}

const bool started = [] {
    VIPS_INIT("dispatch_bench");
    MagickWandGenesis();
    return true;
}();

void sigma_and_threads(benchmark::internal::Benchmark* b)
{
    for (int sigma : {2, 5, 20})
        for (int threads : {1, 2}) b->Args({sigma, threads});
}

}  // namespace

BENCHMARK(BM_EngineGaussian)
    ->Apply(sigma_and_threads)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_DispatchGaussian)
    ->Apply(sigma_and_threads)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_VipsGaussblur)
    ->Apply(sigma_and_threads)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_MagickGaussianBlur)
    ->Apply(sigma_and_threads)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_ThresholdDispatcher)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThresholdDispatcherLayerChanged)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThresholdHostSteps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThresholdHostBuiltin)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThresholdRunnerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThresholdBuiltinOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
