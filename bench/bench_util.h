// Shared helpers of the benchmark programs.
#pragma once

#include <benchmark/benchmark.h>

#include "morvane/morvane.h"

// Reports Mpixels/s for `pixels` processed per iteration.
inline void report_mpixels(benchmark::State& state, double pixels)
{
    state.counters["Mpix/s"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// Runs the benchmark body with `threads` engine threads (0 = all cores).
struct ThreadScope {
    int saved;
    explicit ThreadScope(int threads) : saved(MVE_GetThreadCount()) { MVE_SetThreadCount(threads); }
    ~ThreadScope() { MVE_SetThreadCount(saved); }
};

// The engine holds one canvas at a time. Scene builders call load_scene with
// their own scene; it returns true when that scene must be built (another one,
// or none, was loaded), after freeing whatever was there.
enum class Scene { None, DabCanvas, RenderDocument };

inline bool load_scene(Scene scene)
{
    static Scene loaded = Scene::None;
    if (loaded == scene) return false;
    if (loaded != Scene::None) MVE_DeleteImage();
    loaded = scene;
    return true;
}
