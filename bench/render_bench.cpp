// MVE_Render on a 1920 x 1080 document: an opaque background and six visible
// layers, each holding a soft-edged disc over about a quarter of the canvas
// (one in Multiply, one in "Alpha Normal"), a stroke in the PaintLayer over
// the current layer, and the Mask displayed with an unselected band.
#include "render_scene.h"

namespace {

using namespace render_scene;

// Arguments: threads (0 = all cores).
void run(benchmark::State& state, int factor, float step, int x, int y, int w, int h, double outPixels)
{
    ThreadScope threads(static_cast<int>(state.range(0)));
    run_render(state, factor, step, x, y, w, h, outPixels);
}

void BM_Render_1to1_Full(benchmark::State& s) { run(s, 1, 1.0f, 0, 0, kW, kH, double(kW) * kH); }
void BM_Render_Magnified2x(benchmark::State& s) { run(s, 2, 1.0f, 480, 270, 960, 540, double(kW) * kH); }
void BM_Render_Reduced2(benchmark::State& s) { run(s, 1, 2.0f, 0, 0, kW, kH, double(kW / 2) * (kH / 2)); }
void BM_Render_1to1_Dirty256(benchmark::State& s) { run(s, 1, 1.0f, 800, 400, 256, 256, 256.0 * 256); }

}  // namespace

BENCHMARK(BM_Render_1to1_Full)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_Magnified2x)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_Reduced2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_1to1_Dirty256)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
