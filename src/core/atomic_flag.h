// A flag one thread sets and another reads (a stop request, a key press).
// The engine record is reset by assigning a fresh record, so copying a flag
// gives a cleared one rather than failing to compile.
#pragma once

#include <atomic>
#include <cstdint>

namespace mve {

struct AtomicFlag {
    std::atomic<std::int32_t> value{0};

    AtomicFlag() = default;
    AtomicFlag(const AtomicFlag&) noexcept {}
    AtomicFlag& operator=(const AtomicFlag&) noexcept
    {
        value.store(0);
        return *this;
    }

    void set() noexcept { value.store(1); }
    void clear() noexcept { value.store(0); }
    bool is_set() const noexcept { return value.load(std::memory_order_relaxed) != 0; }
    // True when the flag was set; clears it.
    bool take() noexcept { return value.exchange(0) != 0; }
};
static_assert(sizeof(AtomicFlag) == sizeof(std::int32_t), "read as a plain 32-bit integer by script code");

}  // namespace mve
