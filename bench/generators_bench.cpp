// The dispatcher's "Plasma" and "Generate Perlin Noise" generators on a
// 3840 x 2160 picture beside ImageMagick's plasma: generator (per-channel
// midpoint displacement, the closest it has to either), and a texture script
// tiled over the same picture beside ImageMagick's texture tiling
// (MagickTextureImage, then the export a caller needs).
//
//   build/<dir>/bench/generators_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// The argument of each benchmark is the worker count for every library.
#include <wand/MagickWand.h>

#include <cstdint>
#include <vector>

#include "bench_util.h"
#include "imagelib/image_script.h"
#include "imagelib/script_texture.h"

namespace {

constexpr int kW = 3840, kH = 2160;
using Pixels = std::vector<std::uint8_t>;

struct Threads {
    ThreadScope engine;
    explicit Threads(benchmark::State& s) : engine(static_cast<int>(s.range(0)))
    {
        MagickWandGenesis();
        MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(s.range(0)));
    }
};

// One dispatcher generator step (its slot layout) over the picture.
void run_generator(benchmark::State& state, int id, std::initializer_list<std::pair<int, double>> values)
{
    const Threads threads(state);
    mve::il::IslStep step;
    mve::il::default_step(id, step);
    for (auto [slot, v] : values) step.values[static_cast<std::size_t>(slot)] = v;
    Pixels px(static_cast<std::size_t>(kW) * kH * 4, 255);
    std::uint32_t seed = 1;
    for (auto _ : state) {
        step.values[3] = seed++;
        if (!mve::il::run_image_step(step, px.data(), kW, kH, 1)) state.SkipWithError("step refused");
        benchmark::DoNotOptimize(px.data());
    }
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_Plasma_Ours(benchmark::State& state)
{
    run_generator(state, 30, {{4, 500}});
}

void BM_PerlinNoise_Ours(benchmark::State& state)
{
    run_generator(state, 33, {{4, 62}, {18, 43}, {6, 50}});  // cells of 32, 4 octaves
}

void BM_FractalPlasma_Ours(benchmark::State& state)
{
    run_generator(state, 32, {{4, 500}});
}

// ImageMagick's plasma:fractal image read at the same size and exported as
// RGBA bytes.
void BM_Plasma_Magick(benchmark::State& state)
{
    const Threads threads(state);
    Pixels px(static_cast<std::size_t>(kW) * kH * 4);
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickSetSize(wand, kW, kH);
        if (MagickReadImage(wand, "plasma:fractal") == MagickFalse)
            state.SkipWithError("plasma: not readable");
        MagickExportImagePixels(wand, 0, 0, kW, kH, "RGBA", CharPixel, px.data());
        DestroyMagickWand(wand);
        benchmark::DoNotOptimize(px.data());
    }
    report_mpixels(state, static_cast<double>(kW) * kH);
}

const mve::il::Texture& paper()
{
    static const mve::il::Texture t = mve::il::render_script_texture(MVE_TEXTURE_DIR "/paper_plain.isl");
    return t;
}

// Tiling only: the rendered 256 x 256 texture copied over the picture.
void BM_TextureTile_Ours(benchmark::State& state)
{
    const Threads threads(state);
    Pixels px(static_cast<std::size_t>(kW) * kH * 4);
    for (auto _ : state) {
        mve::il::tile_texture(paper(), -37, -101, px.data(), kW, kH);
        benchmark::DoNotOptimize(px.data());
    }
    report_mpixels(state, static_cast<double>(kW) * kH);
}

// The whole background: render the script, then tile it.
void BM_TextureRenderAndTile_Ours(benchmark::State& state)
{
    const Threads threads(state);
    Pixels px(static_cast<std::size_t>(kW) * kH * 4);
    for (auto _ : state) {
        const mve::il::Texture t = mve::il::render_script_texture(MVE_TEXTURE_DIR "/paper_plain.isl");
        mve::il::tile_texture(t, -37, -101, px.data(), kW, kH);
        benchmark::DoNotOptimize(px.data());
    }
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_TextureTile_Magick(benchmark::State& state)
{
    const Threads threads(state);
    const mve::il::Texture& t = paper();
    MagickWand* tile = NewMagickWand();
    MagickConstituteImage(tile, t.width, t.height, "RGBA", CharPixel, t.rgba.data());
    Pixels px(static_cast<std::size_t>(kW) * kH * 4);
    for (auto _ : state) {
        MagickWand* canvas = NewMagickWand();
        MagickSetSize(canvas, kW, kH);
        MagickReadImage(canvas, "xc:none");
        MagickWand* tiled = MagickTextureImage(canvas, tile);
        MagickExportImagePixels(tiled, 0, 0, kW, kH, "RGBA", CharPixel, px.data());
        DestroyMagickWand(tiled);
        DestroyMagickWand(canvas);
        benchmark::DoNotOptimize(px.data());
    }
    DestroyMagickWand(tile);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

BENCHMARK(BM_Plasma_Ours)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FractalPlasma_Ours)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PerlinNoise_Ours)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Plasma_Magick)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextureTile_Ours)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextureRenderAndTile_Ours)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextureTile_Magick)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
