// The one-shot tools on a 3840 x 2160 canvas beside ImageMagick in the same
// run: the paint bucket on one large region and on a maze-like picture
// (MagickFloodfillPaintImage on the same pictures), the magic wand, four-
// colour linear and radial gradients (MagickSparseColorImage, and the
// "gradient:" generator), and a 1000-character paragraph of text.
//
//   build/<dir>/bench/fills_bench --benchmark_repetitions=3
// The argument of each benchmark is the worker count (0 = all cores).
// "fill" benchmarks time the whole export (the layer read into ToolSrc32,
// the region, the masked write-back); "region" ones the scanline fill alone.
#include <wand/MagickWand.h>

#include <string>
#include <vector>

#include "bench_util.h"
#include "engine/engine.h"
#include "ipl/fill_region.h"
#include "ipl/text.h"

namespace {

constexpr int kW = 3840, kH = 2160;

enum class Picture { OneRegion, Maze };

// One region: a single colour. Maze: walls every 4th row, each with a gap
// at alternating ends, and walls every 64th column broken in the middle row
// of each band, so the fill winds through one long corridor of short spans.
std::vector<std::uint8_t> picture(Picture kind)
{
    std::vector<std::uint8_t> px(static_cast<std::size_t>(kW) * kH * 4, 255);
    if (kind == Picture::Maze)
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const bool rowWall = y % 4 == 3 && ((y / 4) % 2 ? x > 8 : x < kW - 8);
                const bool colWall = x % 64 == 63 && y % 4 != 1;
                if (rowWall || colWall) {
                    std::uint8_t* p = &px[(static_cast<std::size_t>(y) * kW + x) * 4];
                    p[0] = p[1] = p[2] = 0;
                }
            }
    return px;
}

std::size_t marked_count(Picture kind)
{
    std::vector<std::uint8_t> px = picture(kind), region(static_cast<std::size_t>(kW) * kH);
    return mve::ipl::flood_region(mve::ipl::PixelView{px.data(), kW, kH, 4, kW * 4}, 0, 0, 0, region.data());
}

// A canvas with layer 1 holding the picture, current.
void load_canvas(Picture kind)
{
    static int loaded = -1;
    if (loaded == static_cast<int>(kind)) return;
    if (loaded >= 0) MVE_DeleteImage();
    loaded = static_cast<int>(kind);
    MVE_CreateImage(nullptr, kW, kH, 8, 0);
    MVE_CreateLayer(1, kW, kH);
    MVE_SetLayer(1);
    MVE_EnableMask(0);
    const std::vector<std::uint8_t> px = picture(kind);
    MVE_LoadRGBA32(px.data(), kW * 4, 0);
}

void BM_FillExport(benchmark::State& state, Picture kind)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    load_canvas(kind);
    int colour = 0;
    for (auto _ : state) {
        // Alternate colours so every call fills the whole region again.
        colour ^= 1;
        MVE_IPLFloodFill(colour ? 10 : 255, 255, 255, 0, 0, 0, "Paint Connected");
    }
    report_mpixels(state, static_cast<double>(marked_count(kind)));
}
void BM_FillOneRegion(benchmark::State& s)
{
    BM_FillExport(s, Picture::OneRegion);
}
void BM_FillMaze(benchmark::State& s)
{
    BM_FillExport(s, Picture::Maze);
}

void BM_RegionAlone(benchmark::State& state, Picture kind)
{
    std::vector<std::uint8_t> px = picture(kind), region(static_cast<std::size_t>(kW) * kH);
    std::size_t n = 0;
    for (auto _ : state) {
        n = mve::ipl::flood_region(mve::ipl::PixelView{px.data(), kW, kH, 4, kW * 4}, 0, 0, 0, region.data());
        benchmark::DoNotOptimize(region.data());
    }
    report_mpixels(state, static_cast<double>(n));
}
void BM_RegionOneRegion(benchmark::State& s)
{
    BM_RegionAlone(s, Picture::OneRegion);
}
void BM_RegionMaze(benchmark::State& s)
{
    BM_RegionAlone(s, Picture::Maze);
}

void BM_WandConnected(benchmark::State& state, Picture kind)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    load_canvas(kind);
    for (auto _ : state) MVE_IPLMaskWand(0, 0, 0, 100, "Connected");
    report_mpixels(state, static_cast<double>(marked_count(kind)));
}
void BM_WandOneRegion(benchmark::State& s)
{
    BM_WandConnected(s, Picture::OneRegion);
}
void BM_WandMaze(benchmark::State& s)
{
    BM_WandConnected(s, Picture::Maze);
}

// ImageMagick: the picture constituted once; each iteration floods a clone
// (the clone's copy is timed apart and subtracted by the reader: see
// BM_MagickCloneOnly).
void BM_MagickFloodfill(benchmark::State& state, Picture kind, bool fill)
{
    MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(state.range(0) ? state.range(0) : 2));
    const std::vector<std::uint8_t> px = picture(kind);
    MagickWand* base = NewMagickWand();
    MagickConstituteImage(base, kW, kH, "RGBA", CharPixel, px.data());
    PixelWand* colour = NewPixelWand();
    PixelSetColor(colour, "rgb(10,255,255)");
    PixelWand* border = NewPixelWand();
    PixelSetColor(border, "white");
    for (auto _ : state) {
        MagickWand* wand = CloneMagickWand(base);
        if (fill) MagickFloodfillPaintImage(wand, DefaultChannels, colour, 0.0, nullptr, 0, 0, MagickFalse);
        DestroyMagickWand(wand);
    }
    DestroyPixelWand(border);
    DestroyPixelWand(colour);
    DestroyMagickWand(base);
    report_mpixels(state, static_cast<double>(marked_count(kind)));
}
void BM_MagickFloodOneRegion(benchmark::State& s)
{
    BM_MagickFloodfill(s, Picture::OneRegion, true);
}
void BM_MagickFloodMaze(benchmark::State& s)
{
    BM_MagickFloodfill(s, Picture::Maze, true);
}
void BM_MagickCloneOnly(benchmark::State& s)
{
    BM_MagickFloodfill(s, Picture::OneRegion, false);
}

void BM_Gradient(benchmark::State& state, const char* type)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    load_canvas(Picture::OneRegion);
    for (auto _ : state)
        MVE_IPLGradient(255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 4, 100, 100, kW - 100, kH - 100, type);
    report_mpixels(state, static_cast<double>(kW) * kH);
}
void BM_GradientLinear4(benchmark::State& s)
{
    BM_Gradient(s, "Linear");
}
void BM_GradientRadial4(benchmark::State& s)
{
    BM_Gradient(s, "Radial");
}

// ImageMagick's sparse colour (four points, Shepards) on a 4K picture, and
// its "gradient:" generator (two colours, top to bottom).
void BM_MagickSparseColor4(benchmark::State& state)
{
    MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(state.range(0) ? state.range(0) : 2));
    MagickWand* base = NewMagickWand();
    PixelWand* white = NewPixelWand();
    PixelSetColor(white, "white");
    MagickNewImage(base, kW, kH, white);
    const double args[] = {100, 100,      1, 0, 0, kW - 100, 100,      0, 1, 0,
                           100, kH - 100, 0, 0, 1, kW - 100, kH - 100, 1, 1, 0};
    for (auto _ : state) {
        MagickWand* wand = CloneMagickWand(base);
        MagickSparseColorImage(wand, static_cast<ChannelType>(RedChannel | GreenChannel | BlueChannel),
                               ShepardsColorInterpolate, 20, args);
        DestroyMagickWand(wand);
    }
    DestroyPixelWand(white);
    DestroyMagickWand(base);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_MagickGradientGenerator(benchmark::State& state)
{
    MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(state.range(0) ? state.range(0) : 2));
    for (auto _ : state) {
        MagickWand* wand = NewMagickWand();
        MagickSetSize(wand, kW, kH);
        MagickReadImage(wand, "gradient:red-blue");
        DestroyMagickWand(wand);
    }
    report_mpixels(state, static_cast<double>(kW) * kH);
}

std::string paragraph()
{
    const std::string words =
        "The quick brown fox jumps over the lazy dog while AV WA kerning pairs and fi ligatures ";
    std::string text;
    while (text.size() < 1000) text += words;
    text.resize(1000);
    return text;
}

// The whole export: Src32 refreshed, text drawn, Src32 written back.
void BM_TextParagraphExport(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    load_canvas(Picture::OneRegion);
    MVE_IPLAllocSrcBuffer32();
    const std::string text = paragraph();
    for (auto _ : state) MVE_IPLText(0, 0, 0, 100, 100, 0, 0, 0, 0, text.c_str(), true);
    MVE_IPLFreeSrcBuffer32();
    state.counters["chars/s"] = benchmark::Counter(1000.0 * state.iterations(), benchmark::Counter::kIsRate);
}

// Shaping, breaking and drawing alone into a 1000 x 600 picture.
void BM_TextParagraphDraw(benchmark::State& state)
{
    std::vector<std::uint8_t> rgba(1000 * 600 * 4, 0);
    const std::string text = paragraph();
    mve::ipl::TextState& s = mve::engine().text;
    mve::ipl::FontRecord font;
    for (auto _ : state) {
        mve::ipl::draw_text(s, font, text, mve::ipl::TextTarget{rgba.data(), 1000, 600, 0, 0, 1000, 600}, 0,
                            0, 0, true);
        benchmark::DoNotOptimize(rgba.data());
    }
    state.counters["chars/s"] = benchmark::Counter(1000.0 * state.iterations(), benchmark::Counter::kIsRate);
}

struct Startup {
    Startup()
    {
        MagickWandGenesis();
        MVE_IPLInit(0);
    }
} startup;

}  // namespace

BENCHMARK(BM_RegionOneRegion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegionMaze)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillOneRegion)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillMaze)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WandOneRegion)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WandMaze)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickFloodOneRegion)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickFloodMaze)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickCloneOnly)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GradientLinear4)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GradientRadial4)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickSparseColor4)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MagickGradientGenerator)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextParagraphDraw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextParagraphExport)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
