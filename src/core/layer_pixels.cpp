// The engine-wide content generation counter.
#include "core/layer_pixels.h"

#include <atomic>

namespace mve {

namespace {
// Process-wide rather than per engine record, so that a generation never
// repeats, not even across engine resets.
std::atomic<std::uint64_t> generationCounter{0};
}  // namespace

std::uint64_t next_content_generation() noexcept
{
    return generationCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace mve
