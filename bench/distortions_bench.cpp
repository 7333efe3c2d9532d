// The image-script distortions "Twirl" and "Kaleidoscope" on a 4K RGBA32
// picture beside ImageMagick's swirl in the same run (constitute, swirl,
// export: what an ImageMagick effect costs a caller). Ours include copying
// the picture into the buffer they change in place.
//
//   build/<dir>/bench/distortions_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// The argument of each benchmark is the worker count for both libraries.
#include <wand/MagickWand.h>

#include <cstring>

#include "effect_scene.h"
#include "imagelib/image_script.h"
#include "magick_threads.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using Pixels = std::vector<std::uint8_t>;

const Pixels& picture()
{
    static const Pixels p = effect_scene::test_picture(k4KW, k4KH);
    return p;
}

using Threads = MagickThreads;

// One script step with its defaults changed by {slot, value}.
void run_step(benchmark::State& state, int id, std::initializer_list<std::pair<int, double>> values)
{
    const Threads threads(state);
    mve::il::IslStep step;
    mve::il::default_step(id, step);
    for (const auto& [slot, v] : values) step.values[static_cast<std::size_t>(slot)] = v;
    Pixels work(picture().size());
    for (auto _ : state) {
        std::memcpy(work.data(), picture().data(), work.size());
        if (!mve::il::run_image_step(step, work.data(), k4KW, k4KH, 1)) state.SkipWithError("step refused");
        benchmark::DoNotOptimize(work.data());
    }
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

// Twirl of 180 degrees over the circle of half the longer side, falling off
// as (1 - d / R)^2: ImageMagick's swirl of 180 degrees does the same.
void BM_Twirl(benchmark::State& s)
{
    const double radius = 0.5 * k4KW / (0.5 * std::hypot(k4KW, k4KH)) * 100;
    run_step(s, mve::il::kIslTwirl, {{0, 180}, {1, radius}});
}
void BM_Kaleidoscope(benchmark::State& s)
{
    run_step(s, mve::il::kIslKaleidoscope, {{0, 8}, {1, 10}});
}

void BM_MagickSwirl(benchmark::State& state)
{
    const Threads threads(state);
    Pixels out(picture().size());
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, k4KW, k4KH, "RGBA", CharPixel, picture().data());
        MagickSwirlImage(wand, 180.0);
        MagickExportImagePixels(wand, 0, 0, k4KW, k4KH, "RGBA", CharPixel, out.data());
        DestroyMagickWand(wand);
        benchmark::DoNotOptimize(out.data());
    }
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

struct Startup {
    Startup() { MagickWandGenesis(); }
} startup;

}  // namespace

#define MVE_DISTORTION_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()
MVE_DISTORTION_BENCH(BM_Twirl);
MVE_DISTORTION_BENCH(BM_Kaleidoscope);
MVE_DISTORTION_BENCH(BM_MagickSwirl);

BENCHMARK_MAIN();
