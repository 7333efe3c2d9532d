// The artistic and edge effects on a 4K RGB24 picture against ImageMagick's
// nearest operation in the same run (constitute, operate, export: what an
// ImageMagick effect costs a caller): "Unsharp Mask", "Oil Paint",
// "Posterize" and "Edge2" (ImageMagick 6's Canny, which its wand interface
// does not expose, is called through MagickCore's CannyEdgeImage).
//
//   build/<dir>/bench/artistic_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// The argument of each benchmark is the worker count for both libraries.
#include <wand/MagickWand.h>

#include "effect_scene.h"
#include "imagelib/artistic.h"
#include "imagelib/artistic_tones.h"
#include "imagelib/edges.h"
#include "imagelib/sharpen.h"
#include "magick_threads.h"

namespace {

using effect_scene::k4KH;
using effect_scene::k4KW;
using Pixels = std::vector<std::uint8_t>;

const Pixels& picture()
{
    static const Pixels rgb = [] {
        const Pixels rgba = effect_scene::test_picture(k4KW, k4KH);
        Pixels out(static_cast<std::size_t>(k4KW) * k4KH * 3);
        mve::il::rgba32_to_rgb24(rgba.data(), out.data(), static_cast<std::size_t>(k4KW) * k4KH);
        return out;
    }();
    return rgb;
}

using Threads = MagickThreads;

template <class Op>
void run_ours(benchmark::State& state, Op op)
{
    const Threads threads(state);
    effect_scene::run_on_buffers(state, picture(), k4KW, k4KH, op);
}

template <class Op>
void run_magick(benchmark::State& state, Op op)
{
    run_ours(state, [&op](const std::uint8_t* in, std::uint8_t* out) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, k4KW, k4KH, "RGB", CharPixel, in);
        op(wand);
        MagickExportImagePixels(wand, 0, 0, k4KW, k4KH, "RGB", CharPixel, out);
        DestroyMagickWand(wand);
    });
}

// ---- Unsharp Mask: sigma 2.2, amount 1, threshold 0 (the effect's sliders 0, 1000, 500, 0) ----
void BM_UnsharpMask(benchmark::State& s)
{
    run_ours(s, [](auto in, auto out) {
        mve::il::unsharp_mask_sigma(in, k4KW, k4KH, 3, k4KW * 3, out, k4KW * 3, 1.0, 2.2, 0);
    });
}
void BM_MagickUnsharpMask(benchmark::State& s)
{
    run_magick(s, [](MagickWand* w) { MagickUnsharpMaskImage(w, 0, 2.2, 1.0, 0); });
}

// ---- Oil Paint: radius 3 (7 x 7 windows), 36 brightness bands (sliders 300, 500);
// ImageMagick's radius 3 ----
void BM_OilPaint(benchmark::State& s)
{
    run_ours(s, [](auto in, auto out) { mve::il::oil_paint_rgb24(in, out, k4KW, k4KH, 3, 36); });
}
void BM_MagickOilPaint(benchmark::State& s)
{
    run_magick(s, [](MagickWand* w) { MagickOilPaintImage(w, 3); });
}

// ---- Posterize: 4 levels ----
void BM_Posterize(benchmark::State& s)
{
    run_ours(s, [](auto in, auto out) { mve::il::posterize_rgb24(in, out, k4KW, k4KH, 4); });
}
void BM_MagickPosterize(benchmark::State& s)
{
    run_magick(s, [](MagickWand* w) { MagickPosterizeImage(w, 4, MagickFalse); });
}

// ---- Edge2 (Canny): blur sigma 1, thresholds 10 % and 30 % of the full step ----
void BM_Canny(benchmark::State& s)
{
    run_ours(s, [](auto in, auto out) { mve::il::canny_edges_rgb24(in, out, k4KW, k4KH, 1.0, 25.5, 76.5); });
}
void BM_MagickCanny(benchmark::State& s)
{
    run_ours(s, [](const std::uint8_t* in, std::uint8_t* out) {
        MagickWand* wand = NewMagickWand();
        MagickConstituteImage(wand, k4KW, k4KH, "RGB", CharPixel, in);
        ExceptionInfo* e = AcquireExceptionInfo();
        if (Image* edges = CannyEdgeImage(GetImageFromMagickWand(wand), 0, 1.0, 0.10, 0.30, e)) {
            ExportImagePixels(edges, 0, 0, k4KW, k4KH, "RGB", CharPixel, out, e);
            DestroyImage(edges);
        }
        DestroyExceptionInfo(e);
        DestroyMagickWand(wand);
    });
}

struct Startup {
    Startup() { MagickWandGenesis(); }
} startup;

}  // namespace

#define MVE_ARTISTIC_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()
MVE_ARTISTIC_BENCH(BM_UnsharpMask);
MVE_ARTISTIC_BENCH(BM_MagickUnsharpMask);
MVE_ARTISTIC_BENCH(BM_OilPaint);
MVE_ARTISTIC_BENCH(BM_MagickOilPaint);
MVE_ARTISTIC_BENCH(BM_Posterize);
MVE_ARTISTIC_BENCH(BM_MagickPosterize);
MVE_ARTISTIC_BENCH(BM_Canny);
MVE_ARTISTIC_BENCH(BM_MagickCanny);

BENCHMARK_MAIN();
