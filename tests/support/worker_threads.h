// Runs a test's pixel loops on a given number of threads, in chunks of about
// one row, so even the small canvases of the tests spread their rows over
// every thread. Restores the settings when it goes out of scope.
#pragma once

#include "core/parallel.h"

namespace mve {

struct WorkerThreads {
    int savedThreads = thread_count();
    double savedChunkNs = parallel_settings().chunkNs;

    explicit WorkerThreads(int threads, double chunkNs = 1.0)
    {
        set_thread_count(threads);
        parallel_settings().chunkNs = chunkNs;
    }
    ~WorkerThreads()
    {
        set_thread_count(savedThreads);
        parallel_settings().chunkNs = savedChunkNs;
    }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;
};

}  // namespace mve
