// Shared helpers of the benchmark programs.
#pragma once

#include <benchmark/benchmark.h>
#include <omp.h>

// Reports Mpixels/s for `pixels` processed per iteration.
inline void report_mpixels(benchmark::State& state, double pixels)
{
    state.counters["Mpix/s"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// Runs the benchmark body with `threads` OpenMP workers (0 = all cores).
struct ThreadScope {
    int saved;
    explicit ThreadScope(int threads) : saved(omp_get_max_threads())
    {
        if (threads > 0) omp_set_num_threads(threads);
    }
    ~ThreadScope() { omp_set_num_threads(saved); }
};
