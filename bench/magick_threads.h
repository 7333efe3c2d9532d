// One benchmark case's thread count, given to the engine and to ImageMagick
// alike, so both sides of a comparison run on the same number of threads.
#pragma once

#include <benchmark/benchmark.h>
#include <wand/MagickWand.h>

#include "bench_util.h"

struct MagickThreads {
    ThreadScope engine;
    explicit MagickThreads(benchmark::State& s) : engine(static_cast<int>(s.range(0)))
    {
        MagickSetResourceLimit(ThreadResource, static_cast<MagickSizeType>(s.range(0)));
    }
};
