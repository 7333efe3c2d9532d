// Dab speed on a 3840 x 2160 canvas: dabs per second and covered Mpixels/s
// (the dab square, diameter^2, per dab) for soft round dabs of diameter 16,
// 64, 256 and 512 drawn into the PaintLayer with MVE_DrawDabGrit, for plain
// paint (mix mode 32), wet pick-up with remix (the BlendBuffer loaded once
// from the canvas, then every dab picks up and remixes), wet pick-up with a
// BlendBuffer copy before every dab, and plain paint through grit and the
// paper texture; each on one thread and on all cores. Beside them, libmypaint
// drawing the same diameters (hardness 0.5) on its fixed tiled surface, with
// its tile work flushed by end_atomic inside the timed loop. One thread is
// timed in CPU time, all cores on the wall clock. Last, one stroke
// as a host paints it: 1000 dabs of size 64, MVE_MergePaintLayer and
// MVE_SaveUndoBuffer, timed in wall milliseconds per stroke (the goal is
// below 100 ms).
//
// Dab centres walk across the canvas in rows a quarter diameter apart along
// x, as a stroke would, so every dab touches fresh cache lines at the rate
// real painting does.
#include <libmypaint/mypaint-fixed-tiled-surface.h>
#include <libmypaint/mypaint-surface.h>

#include "dab_scene.h"

namespace {

using namespace dab_scene;

void BM_Dab(benchmark::State& state, Kind kind)
{
    ThreadScope threads(static_cast<int>(state.range(1)));
    run_dabs(state, static_cast<int>(state.range(0)), kind);
}

// libmypaint: 16 dabs queued per transaction, then end_atomic renders them
// into the tiles, so the figure includes the tile work.
void BM_MyPaintDab(benchmark::State& state)
{
    // libmypaint sets its own threads (OpenMP, all cores): the thread
    // argument only names the row the figure sits beside.
    const int d = static_cast<int>(state.range(0));
    constexpr int kBatch = 16;
    MyPaintFixedTiledSurface* fixed = mypaint_fixed_tiled_surface_new(kW, kH);
    MyPaintSurface* surface = mypaint_fixed_tiled_surface_interface(fixed);
    DabWalk walk(d);
    for (auto _ : state) {
        mypaint_surface_begin_atomic(surface);
        for (int i = 0; i < kBatch; ++i) {
            mypaint_surface_draw_dab(surface, float(walk.x), float(walk.y), d * 0.5f, 0.16f, 0.35f, 0.78f, 1.0f, 0.5f,
                                     1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
            walk.next();
        }
        MyPaintRectangle roi;
        mypaint_surface_end_atomic(surface, &roi);
    }
    mypaint_surface_unref(surface);
    state.counters["dabs/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
    report_mpixels(state, double(d) * d * kBatch);
}

void BM_StrokeMergeUndo(benchmark::State& state)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    run_stroke(state);
}

// One thread is timed in CPU time, so other work on a shared machine does not
// count against it; all cores are timed on the wall clock, which is what the
// extra threads buy.
void one_thread(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"d", "threads"});
    for (int d : {16, 64, 256, 512}) b->Args({d, 1});
}

void all_cores(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"d", "threads"});
    for (int d : {16, 64, 256, 512}) b->Args({d, 0});
    b->UseRealTime();
}

#define DAB_BENCH(name, kind)                                       \
    BENCHMARK_CAPTURE(BM_Dab, name, kind)->Apply(one_thread);       \
    BENCHMARK_CAPTURE(BM_Dab, name, kind)->Apply(all_cores)

DAB_BENCH(plain, Kind::Plain);
DAB_BENCH(wet_remix, Kind::Wet);
DAB_BENCH(wet_copy_each_dab, Kind::WetCopy);
DAB_BENCH(grit_texture, Kind::GritTexture);
BENCHMARK(BM_MyPaintDab)->Apply(one_thread);
BENCHMARK(BM_MyPaintDab)->Apply(all_cores);
BENCHMARK(BM_StrokeMergeUndo)->ArgName("threads")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokeMergeUndo)->ArgName("threads")->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
