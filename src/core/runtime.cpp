#include "core/runtime.h"

#include <cstdlib>
#include <cstring>

namespace mve {

bool fast_paths_from_environment() noexcept
{
    const char* v = std::getenv("MVE_DISABLE_FAST_PATHS");
    return !(v && *v && std::strcmp(v, "0") != 0);
}

void reset_runtime() noexcept
{
    Runtime& r = runtime();
    r.fastPaths.store(fast_paths_from_environment());
    r.crt = CrtRandom{};
    reset_parallel_settings(r.parallel);
    r.jpeg = JpegWriteOptions{};
    r.pixelLimit = Runtime{}.pixelLimit;
    r.decodeMaxWidth = Runtime{}.decodeMaxWidth;
    r.decodeMaxHeight = Runtime{}.decodeMaxHeight;
    r.allocationsBeforeFailure.store(-1);
    r.reclaimMemory = nullptr;
}

}  // namespace mve
