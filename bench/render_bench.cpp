// MVE_Render on a 1920 x 1080 document: an opaque background and six visible
// layers, each holding a soft-edged disc over about a quarter of the canvas
// (one in Multiply, one in "Alpha Normal"), a stroke in the PaintLayer over
// the current layer, and the Mask displayed with an unselected band.
#include <cmath>
#include <vector>

#include "bench_util.h"
#include "morvane/morvane.h"

namespace {

constexpr int kW = 1920, kH = 1080;

// A disc of radius r at (cx, cy), opaque inside, alpha falling to 0 over the
// outer `soft` pixels.
void soft_disc(std::vector<unsigned short>& plane, double cx, double cy, double r, double soft,
               unsigned short red, unsigned short green, unsigned short blue)
{
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d >= r) continue;
            const double t = d < r - soft ? 1.0 : (r - d) / soft;
            unsigned short* p = &plane[(static_cast<std::size_t>(y) * kW + x) * 4];
            p[0] = red, p[1] = green, p[2] = blue;
            p[3] = static_cast<unsigned short>(t * 65535);
        }
}

void build_scene()
{
    static bool built = false;
    if (built) return;
    built = true;
    MVE_CreateImage(nullptr, kW, kH, 64, 0);
    MVE_CreateLayer(1, kW, kH);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    // A disc of radius 580 covers pi * 580^2 / (1920 * 1080) ~ 51 % ... use 410: ~26 %.
    const struct {
        double cx, cy;
        const char* mode;
        unsigned short r, g, b;
    } discs[] = {
        {500, 400, "Normal", 0xF000, 0x2000, 0x2000},       {1400, 400, "Multiply", 0x3000, 0x9000, 0xF000},
        {960, 600, "Normal", 0x2000, 0xC000, 0x3000},       {500, 800, "Alpha Normal", 0x8000, 0x8000, 0x1000},
        {1400, 750, "Normal", 0xE000, 0xE000, 0x2000},      {960, 300, "Normal", 0x6000, 0x1000, 0x9000},
    };
    std::vector<unsigned short> plane(static_cast<std::size_t>(kW) * kH * 4);
    int index = 2;
    for (const auto& d : discs) {
        std::fill(plane.begin(), plane.end(), 0);
        soft_disc(plane, d.cx, d.cy, 410, 60, d.r, d.g, d.b);
        MVE_CreateLayer(index, kW, kH);
        MVE_SetLayerData(plane.data(), index);
        MVE_SetLayerOptions(index, 1, 0, 100, d.mode);
        ++index;
    }
    MVE_SetLayer(4);
    // The stroke: soft blobs along a line, swapped in as the PaintLayer.
    std::fill(plane.begin(), plane.end(), 0);
    for (int i = 0; i < 12; ++i) soft_disc(plane, 300 + i * 110, 500 + 150 * std::sin(i * 0.6), 40, 25, 0x1000, 0x1000, 0xF000);
    MVE_CreateLayer(20, kW, kH);
    MVE_SetLayerData(plane.data(), 20);
    MVE_SetLayerOptions(20, 0, 0, 80, "Normal");
    MVE_SwapPaintLayer(20);
    // Mask: a band of unselected rows.
    std::vector<unsigned short> mask(static_cast<std::size_t>(kW) * kH, 65535);
    std::fill(mask.begin() + static_cast<std::size_t>(kW) * 700, mask.begin() + static_cast<std::size_t>(kW) * 900, 0);
    MVE_SetMaskData16(mask.data());
    MVE_SetMaskOptions(255, 0, 0, 0, 0, 255, 0);
    MVE_DisplayMask(1);
    MVE_SetViewSize(kW, kH);
}

std::vector<unsigned char>& output()
{
    static std::vector<unsigned char> out(static_cast<std::size_t>(kW) * kH * 3);
    return out;
}

// Arguments: threads (0 = all cores).
void run(benchmark::State& state, int factor, float step, int x, int y, int w, int h, double outPixels)
{
    build_scene();
    ThreadScope threads(static_cast<int>(state.range(0)));
    MVE_SetScale(factor, step);
    for (auto _ : state) {
        MVE_Render(output().data(), kW * 3, x, y, w, h);
        benchmark::ClobberMemory();
    }
    report_mpixels(state, outPixels);
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
