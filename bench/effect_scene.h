// The effect benchmarks' picture and loop, shared by effects_bench and busy_bench.
#pragma once

#include <cstdint>
#include <vector>

#include "bench_util.h"
#include "ipl/effect_runner.h"

namespace effect_scene {

constexpr int k4KW = 3840, k4KH = 2160, kHDW = 1920, kHDH = 1080;

// A picture with edges, gradients and some noise, fully opaque.
inline std::vector<std::uint8_t> test_picture(int w, int h)
{
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    std::uint32_t s = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<std::uint8_t>((x * 255) / w);
            p[1] = static_cast<std::uint8_t>(((x / 64 + y / 64) & 1) ? 200 : 40);
            p[2] = static_cast<std::uint8_t>((y * 255) / h ^ (s >> 28));
            p[3] = 255;
        }
    return px;
}

// One built-in effect from a source buffer into a destination (the runner's
// initial copy included, as a host call pays it).
inline void run_effect(benchmark::State& state, const char* name, int w, int h, mve::ipl::EffectArgs a)
{
    std::vector<std::uint8_t> src = test_picture(w, h), dst(src.size());
    for (auto _ : state) {
        mve::ipl::run_named_effect_on(name, src.data(), dst.data(), w, h, 0, a);
        benchmark::DoNotOptimize(dst.data());
    }
    report_mpixels(state, static_cast<double>(w) * h);
}

inline mve::ipl::EffectArgs p_args(int p1, int p2 = 0)
{
    mve::ipl::EffectArgs a;
    a.p[0] = p1, a.p[1] = p2;
    return a;
}

// op(src, dst) on a picture of w x h pixels once per iteration, reported
// in Mpixels/s.
template <class Op>
void run_on_buffers(benchmark::State& state, const std::vector<std::uint8_t>& src, int w, int h, Op&& op)
{
    std::vector<std::uint8_t> dst(src.size());
    for (auto _ : state) {
        op(src.data(), dst.data());
        benchmark::DoNotOptimize(dst.data());
    }
    report_mpixels(state, static_cast<double>(w) * h);
}

}  // namespace effect_scene
