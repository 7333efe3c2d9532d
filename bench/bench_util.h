// Shared helpers of the benchmark programs.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

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

// A photo-like RGBA32 picture: smooth gradients with a little sensor noise.
inline std::vector<unsigned char> photo_like_picture(int w, int h, unsigned seed)
{
    std::vector<unsigned char> p(static_cast<std::size_t>(w) * h * 4);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* q = &p[(static_cast<std::size_t>(y) * w + x) * 4];
            const int n = static_cast<int>(rng() % 7) - 3;
            q[0] = static_cast<unsigned char>(std::clamp(x * 255 / w + n, 0, 255));
            q[1] = static_cast<unsigned char>(std::clamp(y * 255 / h + n, 0, 255));
            q[2] = static_cast<unsigned char>(std::clamp(((x + y) / 16) % 256 + n, 0, 255));
            q[3] = 255;
        }
    return p;
}
