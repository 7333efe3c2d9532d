// The number of threads the engine's row loops use, and its exports.
#include "core/parallel.h"

#include <oneapi/tbb/info.h>

#include <cstdlib>

#include "core/guard.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

// More threads than this is a typing error rather than a wish.
constexpr int kMaxThreads = 256;

int all_cores() { return std::max(1, tbb::info::default_concurrency()); }

// MVE_THREADS as a positive count, or 0 when unset or not a positive number.
int threads_from_environment()
{
    const char* text = std::getenv("MVE_THREADS");
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return *end == '\0' && n > 0 ? static_cast<int>(std::min<long>(n, kMaxThreads)) : 0;
}

// Makes `count` threads the arena's width. The process-wide worker pool has
// one worker fewer than cores by default; a wider arena needs it raised, or
// the extra threads would never exist.
void apply(ParallelSettings& s, int count)
{
    if (s.threads == count) return;
    if (s.arena.is_active()) s.arena.terminate();
    s.allowance.reset();
    if (count > all_cores()) s.allowance.emplace(tbb::global_control::max_allowed_parallelism, count);
    s.arena.initialize(count, 1);
    s.threads = count;
}

}  // namespace

void reset_parallel_settings(ParallelSettings& s) noexcept
{
    if (s.arena.is_active()) s.arena.terminate();
    s.allowance.reset();
    s.threads = 0;
    s.chunkNs = kChunkNs;
}

int thread_count()
{
    ParallelSettings& s = parallel_settings();
    if (s.threads == 0) {
        const int fromEnvironment = threads_from_environment();
        apply(s, fromEnvironment > 0 ? fromEnvironment : all_cores());
    }
    return s.threads;
}

int set_thread_count(int count)
{
    apply(parallel_settings(), count > 0 ? std::min(count, kMaxThreads) : all_cores());
    return parallel_settings().threads;
}

}  // namespace mve

extern "C" {

MVE_API int MVE_SetThreadCount(int count)
{
    return mve::guarded("SetThreadCount Excpt", 0, [&] { return mve::set_thread_count(count); });
}

MVE_API int MVE_GetThreadCount(void)
{
    return mve::guarded("GetThreadCount Excpt", 0, [&] { return mve::thread_count(); });
}

}  // extern "C"
