// The render benchmarks' document, shared by render_bench and busy_bench:
// MVE_Render of a 1920 x 1080 document: an opaque background and six visible
// layers, each holding a soft-edged disc over about a quarter of the canvas
// (one in Multiply, one in "Alpha Normal"), a stroke in the PaintLayer over
// the current layer, and the Mask displayed with an unselected band.
#pragma once

#include <cmath>
#include <vector>

#include "bench_util.h"
#include "morvane/morvane.h"

namespace render_scene {

constexpr int kW = 1920, kH = 1080;

// A disc of radius r at (cx, cy), opaque inside, alpha falling to 0 over the
// outer `soft` pixels.
inline void soft_disc(std::vector<unsigned short>& plane, double cx, double cy, double r, double soft,
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

inline void build_scene()
{
    if (!load_scene(Scene::RenderDocument)) return;
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

inline std::vector<unsigned char>& output()
{
    static std::vector<unsigned char> out(static_cast<std::size_t>(kW) * kH * 3);
    return out;
}

// Renders the rectangle at the scale, one render per iteration.
inline void run_render(benchmark::State& state, int factor, float step, int x, int y, int w, int h, double outPixels)
{
    build_scene();
    MVE_SetScale(factor, step);
    for (auto _ : state) {
        MVE_Render(output().data(), kW * 3, x, y, w, h);
        benchmark::ClobberMemory();
    }
    report_mpixels(state, outPixels);
}

}  // namespace render_scene
