// The dab benchmarks' scene, shared by dab_bench and busy_bench: a 3840 x
// 2160 canvas with a painted layer, a texture source layer and the PaintLayer,
// soft round brushes, and the dab and stroke loops.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench_util.h"
#include "morvane/morvane.h"

namespace dab_scene {

constexpr int kW = 3840, kH = 2160;
constexpr int kMaxBrush = 512;
constexpr int kLayer = 2;        // the painted layer under the PaintLayer
constexpr int kTextureLayer = 3; // "Texturize3" layer the paper grain is built from

// Serpentine walk of dab centres over the canvas: steps of a quarter
// diameter along a row, rows one diameter apart, wrapping at the bottom.
struct DabWalk {
    int size, x, y, dir = 1;
    explicit DabWalk(int d) : size(d), x(d / 2), y(d / 2) {}
    void next()
    {
        x += dir * std::max(1, size / 4);
        if (x < size / 2 || x > kW - size / 2) {
            dir = -dir;
            x += dir * std::max(1, size / 4);
            y += size;
            if (y > kH - size / 2) y = size / 2;
        }
    }
};

// Fills a layer with a smooth colour field so pick-up and texture read real values.
inline void fill_pattern(int layer, int seed)
{
    std::vector<std::uint16_t> plane(static_cast<std::size_t>(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            std::uint16_t* p = &plane[(static_cast<std::size_t>(y) * kW + x) * 4];
            p[0] = static_cast<std::uint16_t>((x * 17 + seed * 1000) & 0xFFFF);
            p[1] = static_cast<std::uint16_t>((y * 29 + ((x ^ y) & 63) * 256) & 0xFFFF);
            p[2] = static_cast<std::uint16_t>(((x + y) * 11) & 0xFFFF);
            p[3] = 0xFFFF;
        }
    MVE_SetLayerData(plane.data(), layer);
}

// One engine for the whole program: canvas, white background, a painted
// current layer, a texture source layer and the PaintLayer.
inline void ensure_canvas()
{
    if (!load_scene(Scene::DabCanvas)) return;
    MVE_CreateImage(nullptr, kW, kH, kMaxBrush, 0);
    MVE_CreateLayer(1, kW, kH);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayer(1);
    MVE_Clear(255, 255, 255, 255);
    MVE_CreateLayer(kLayer, kW, kH);
    MVE_SetLayerOptions(kLayer, 1, 0, 100, "Normal");
    fill_pattern(kLayer, 1);
    MVE_CreateLayer(kTextureLayer, kW, kH);
    fill_pattern(kTextureLayer, 7);
    // Hidden, so setting its options does not switch the paper grain on for
    // every benchmark; the grit-and-texture one builds it explicitly.
    MVE_SetLayerOptions(kTextureLayer, 0, 0, 100, "Texturize3");
    MVE_SetLayer(kLayer);
    MVE_SetUndoLevels(8);
    MVE_SetUndoMB(1024);
    MVE_CreatePaintLayer(100, 100, "Normal");
}

enum class Kind { Plain, Wet, WetCopy, GritTexture };

// Brush of diameter d: soft round (softness 128), mix mode 32, and the
// pick-up or grit settings of the kind.
inline void set_brush(int d, Kind kind)
{
    MVE_SetSize(d);
    MVE_SetAlpha(100);
    MVE_SetDensity(200);
    const bool wet = kind == Kind::Wet || kind == Kind::WetCopy;
    const int grit = kind == Kind::GritTexture ? 3 : 0;
    MVE_SetTool(1.0f, grit, 110, 210, 128, 0, 12, wet ? 128 : 0, 0, wet ? 1 : 0, 0, 0, 0, "", "", 0);
    MVE_SetMixMode(32, 128);
    MVE_SetColor(40, 90, 200);
}

// Dabs of diameter d of one kind, one per iteration, along the walk.
inline void run_dabs(benchmark::State& state, int d, Kind kind)
{
    ensure_canvas();
    set_brush(d, kind);
    if (kind == Kind::GritTexture) MVE_CreateTexture(kTextureLayer);
    DabWalk walk(d);
    if (kind == Kind::Wet) MVE_CopyBlendBufferSurface(walk.x, walk.y, 0, 0);
    for (auto _ : state) {
        if (kind == Kind::WetCopy) MVE_CopyBlendBufferSurface(walk.x, walk.y, 32, 0);
        MVE_DrawDabGrit(walk.x, walk.y, 0x2800, 0x5A00, 0xC800);
        if (kind == Kind::GritTexture) MVE_DecDrawingLength();
        walk.next();
    }
    if (kind == Kind::GritTexture) MVE_DeleteTexture();
    MVE_ClearPaintLayer();
    state.counters["dabs/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    report_mpixels(state, double(d) * d);
}

// One stroke as the host paints it: 1000 dabs of 64 along rows of the walk
// (about 16000 px of travel, a 3500 x 1000 px region), merged into the layer
// and recorded as one undo step.
inline void run_stroke(benchmark::State& state)
{
    ensure_canvas();
    set_brush(64, Kind::Plain);
    MVE_ClearUndo();
    DabWalk walk(64);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            MVE_DrawDabGrit(walk.x, walk.y, 0x2800, 0x5A00, 0xC800);
            walk.next();
        }
        MVE_MergePaintLayer(kLayer);
        MVE_SaveUndoBuffer(1, 0);
    }
}

}  // namespace dab_scene
