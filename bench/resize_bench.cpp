// Resize and rotation of a 3840 x 2160 RGBA32 picture: our Lanczos3 beside
// ImageMagick's MagickResizeImage (LanczosFilter, with the import and export
// of the pixels) and libvips' vips_resize (kernel lanczos3, from and to
// memory). Each case runs on one thread and on all cores; compare the
// reported times of the same case and thread count.
#include <vips/vips.h>
#include <wand/MagickWand.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "imagelib/geometry.h"
#include "imagelib/library.h"
#include "imagelib/resampling.h"

namespace {

constexpr int kW = 3840, kH = 2160;

const std::vector<std::uint8_t>& source()
{
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p(static_cast<std::size_t>(kW) * kH * 4);
        std::uint32_t seed = 1;
        for (std::size_t i = 0; i < p.size(); ++i) {
            // Smooth gradients with some noise: like a painting, not like static.
            seed = seed * 1664525u + 1013904223u;
            const std::size_t px = i / 4;
            p[i] = static_cast<std::uint8_t>((px % kW) / 16 + (px / kW) / 16 + (seed >> 28));
        }
        return p;
    }();
    return pixels;
}

struct Size {
    int w, h;
};
Size target(const benchmark::State& state) { return state.range(0) == 0 ? Size{1920, 1080} : Size{7680, 4320}; }

void BM_OurLanczos3(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    const Size t = target(state);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(t.w) * t.h * 4);
    source();  // built once, outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(mve::il::resize_image(source().data(), kW, kH, kW * 4, out.data(), t.w, t.h, t.w * 4,
                                                       4, mve::il::kFilterLanczos3, 0));
    report_mpixels(state, double(t.w) * t.h);
}

void BM_MagickLanczos(benchmark::State& state)
{
    mve::il::ensure_magick();
    ThreadScope threads(static_cast<int>(state.range(1)));
    MagickSetResourceLimit(ThreadResource, state.range(1) == 1 ? 1 : static_cast<int>(std::thread::hardware_concurrency()));
    MagickSetResourceLimit(AreaResource, 1LL << 40);
    const Size t = target(state);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(t.w) * t.h * 4);
    source();  // built once, outside the timing
    source();  // built once, outside the timing
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, kW, kH, "RGBA", CharPixel, source().data());
        MagickResizeImage(wand, static_cast<size_t>(t.w), static_cast<size_t>(t.h), LanczosFilter, 1.0);
        MagickExportImagePixels(wand, 0, 0, static_cast<size_t>(t.w), static_cast<size_t>(t.h), "RGBA", CharPixel,
                                out.data());
        DestroyMagickWand(wand);
    }
    report_mpixels(state, double(t.w) * t.h);
}

void BM_VipsLanczos3(benchmark::State& state)
{
    static const bool started = VIPS_INIT("resize_bench") == 0;
    if (!started) {
        state.SkipWithError("vips did not start");
        return;
    }
    vips_concurrency_set(state.range(1) == 1 ? 1 : static_cast<int>(std::thread::hardware_concurrency()));
    vips_cache_set_max(0);
    const Size t = target(state);
    const double scale = double(t.w) / kW;
    source();  // built once, outside the timing
    source();  // built once, outside the timing
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(source().data(), source().size(), kW, kH, 4, VIPS_FORMAT_UCHAR);
        VipsImage* out = nullptr;
        vips_resize(in, &out, scale, "kernel", VIPS_KERNEL_LANCZOS3, nullptr);
        size_t bytes = 0;
        void* mem = vips_image_write_to_memory(out, &bytes);
        benchmark::DoNotOptimize(mem);
        g_free(mem);
        g_object_unref(out);
        g_object_unref(in);
    }
    report_mpixels(state, double(t.w) * t.h);
}

void BM_OurRotateRight(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> out(source().size());
    source();  // built once, outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(mve::il::quick_rotate_image(source().data(), kW, kH, kW * 4, out.data(), kH * 4, 0, 4));
    report_mpixels(state, double(kW) * kH);
}

void BM_MagickRotate(benchmark::State& state)
{
    mve::il::ensure_magick();
    MagickSetResourceLimit(ThreadResource, state.range(1) == 1 ? 1 : static_cast<int>(std::thread::hardware_concurrency()));
    std::vector<std::uint8_t> out(source().size());
    PixelWand* background = NewPixelWand();
    source();  // built once, outside the timing
    source();  // built once, outside the timing
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, kW, kH, "RGBA", CharPixel, source().data());
        MagickRotateImage(wand, background, 90.0);
        MagickExportImagePixels(wand, 0, 0, kH, kW, "RGBA", CharPixel, out.data());
        DestroyMagickWand(wand);
    }
    DestroyPixelWand(background);
    report_mpixels(state, double(kW) * kH);
}

// range(0): 0 = down to 1920x1080, 1 = up to 7680x4320; range(1): threads (0 = all).
void resize_args(benchmark::internal::Benchmark* b)
{
    for (int size : {0, 1})
        for (int threads : {1, 0}) b->Args({size, threads});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}
void rotate_args(benchmark::internal::Benchmark* b)
{
    b->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_OurLanczos3)->Apply(resize_args);
BENCHMARK(BM_MagickLanczos)->Apply(resize_args);
BENCHMARK(BM_VipsLanczos3)->Apply(resize_args);
BENCHMARK(BM_OurRotateRight)->Apply(rotate_args);
BENCHMARK(BM_MagickRotate)->Apply(rotate_args);

// Console output plus, at the end, our time against each peer's for the same
// case ("ImageMagick / ours" above 1 means we are faster).
struct RatioReporter : benchmark::ConsoleReporter {
    std::map<std::string, double> seconds;  // "<case>/<args>" -> real time per iteration
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void ratio(const char* ours, const char* peer, const char* label, const char* args)
    {
        const auto a = seconds.find(std::string(ours) + args), b = seconds.find(std::string(peer) + args);
        if (a == seconds.end() || b == seconds.end() || a->second <= 0) return;
        std::printf("%-36s %-22s %6.2fx\n", label, args, b->second / a->second);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nspeed ratios (peer time / our time; > 1: ours faster)\n");
    for (const char* args : {"/0/1/real_time", "/0/0/real_time", "/1/1/real_time", "/1/0/real_time"}) {
        reporter.ratio("BM_OurLanczos3", "BM_MagickLanczos", "Lanczos3 vs ImageMagick", args);
        reporter.ratio("BM_OurLanczos3", "BM_VipsLanczos3", "Lanczos3 vs libvips", args);
    }
    for (const char* args : {"/0/1/real_time", "/0/0/real_time"})
        reporter.ratio("BM_OurRotateRight", "BM_MagickRotate", "quarter turn vs ImageMagick", args);
    std::printf("args: /size (0 = 1920x1080, 1 = 7680x4320) /threads (1, 0 = all cores)\n");
    return 0;
}
