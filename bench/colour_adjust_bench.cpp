// HSL and HSV adjustment of a 3840 x 2160 RGBA32 buffer beside ImageMagick's
// MagickModulateImage on the same picture, in the same run.
//
//   build/<dir>/bench/colour_adjust_bench
// The argument of each benchmark is the worker count. Every iteration starts
// from the same picture (restored outside the timing); the timing covers the
// adjustment only (for ImageMagick: the modulate call on an image already
// constituted).
#include <wand/MagickWand.h>

#include <cstring>

#include "core/runtime.h"
#include "effect_scene.h"
#include "ipl/colour_adjust.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using effect_scene::test_picture;

// Hue +40 degrees, saturation +10 %, lightness (value) -5 %.
constexpr int kHue = 40, kSaturation = 10, kLightness = -5;

template <class Adjust>
void run_adjust(benchmark::State& state, Adjust adjust)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    const std::vector<std::uint8_t> picture = test_picture(k4KW, k4KH);
    std::vector<std::uint8_t> work = picture;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), picture.data(), picture.size());
        state.ResumeTiming();
        adjust(work.data(), k4KW, k4KH, kHue, kSaturation, kLightness);
        benchmark::DoNotOptimize(work.data());
    }
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

// The pixel reference alone (fast paths off), for the gain of the four-lane rows.
template <class Adjust>
void run_reference(benchmark::State& state, Adjust adjust)
{
    const bool saved = mve::fast_paths_enabled();
    mve::set_fast_paths(false);
    run_adjust(state, adjust);
    mve::set_fast_paths(saved);
}

void BM_HSLAdjust(benchmark::State& s)
{
    run_adjust(s, mve::ipl::hsl_adjust);
}
void BM_HSVAdjust(benchmark::State& s)
{
    run_adjust(s, mve::ipl::hsv_adjust);
}
void BM_HSLAdjustReference(benchmark::State& s)
{
    run_reference(s, mve::ipl::hsl_adjust);
}
void BM_HSVAdjustReference(benchmark::State& s)
{
    run_reference(s, mve::ipl::hsv_adjust);
}

// The same shifts in ImageMagick's terms: brightness and saturation in percent
// of the current value (100 keeps), hue 100 + degrees * 100 / 180.
void run_modulate(benchmark::State& state, ColorspaceType space)
{
    const int threads = static_cast<int>(state.range(0));
    SetMagickResourceLimit(ThreadResource, static_cast<MagickSizeType>(threads));
    const std::vector<std::uint8_t> picture = test_picture(k4KW, k4KH);
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, k4KW, k4KH, "RGBA", CharPixel, picture.data());
    MagickSetImageColorspace(wand, sRGBColorspace);
    MagickSetImageArtifact(wand, "modulate:colorspace", space == HSLColorspace ? "HSL" : "HSB");
    for (auto _ : state) {
        state.PauseTiming();
        MagickImportImagePixels(wand, 0, 0, k4KW, k4KH, "RGBA", CharPixel, picture.data());
        state.ResumeTiming();
        MagickModulateImage(wand, 100 + kLightness, 100 + kSaturation, 100 + kHue * 100.0 / 180);
    }
    DestroyMagickWand(wand);
    report_mpixels(state, static_cast<double>(k4KW) * k4KH);
}

void BM_MagickModulateHSL(benchmark::State& s)
{
    run_modulate(s, HSLColorspace);
}
void BM_MagickModulateHSB(benchmark::State& s)
{
    run_modulate(s, HSBColorspace);
}

struct Startup {
    Startup() { MagickWandGenesis(); }
} startup;

}  // namespace

BENCHMARK(BM_HSLAdjust)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HSLAdjustReference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickModulateHSL)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HSVAdjust)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HSVAdjustReference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickModulateHSB)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
