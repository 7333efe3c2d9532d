// Memory: the one internal allocator, the undo-reducing allocations and the
// owned buffer type that every plane of the engine is held in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace mve {

// Every engine allocation passes through here, so tests can make it fail.
void* raw_alloc(std::size_t bytes) noexcept;
void raw_free(void* block) noexcept;

namespace test_hooks {
// After `successes` more successful allocations every further one fails;
// a negative value turns failure injection off.
void fail_allocations_after(long successes) noexcept;
}  // namespace test_hooks

// Allocate n bytes; while that fails and undo or redo history exists, free
// old undo steps (n / 1024 KB) and retry. Null when nothing helps.
void* alloc_bytes_undo_reducing(long long n) noexcept;
// The same for n 16-bit values (n * 2 bytes); a negative n always fails.
std::uint16_t* alloc_shorts_undo_reducing(long long n) noexcept;

// An owned, undo-reducing allocation of `count` elements. Move-only, so whole
// records (layers, slots) can be swapped without copying pixels.
template <class T>
class Buffer {
public:
    Buffer() = default;
    ~Buffer() { reset(); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&& other) noexcept : data_(other.data_), count_(other.count_)
    {
        other.data_ = nullptr;
        other.count_ = 0;
    }
    Buffer& operator=(Buffer&& other) noexcept
    {
        if (this != &other) {
            reset();
            std::swap(data_, other.data_);
            std::swap(count_, other.count_);
        }
        return *this;
    }

    // Frees what is held, then allocates; false (and empty) on failure.
    bool allocate(std::size_t count) noexcept
    {
        reset();
        void* block;
        if constexpr (sizeof(T) == 2)
            block = alloc_shorts_undo_reducing(static_cast<long long>(count));
        else
            block = alloc_bytes_undo_reducing(static_cast<long long>(count * sizeof(T)));
        if (!block) return false;
        data_ = static_cast<T*>(block);
        count_ = count;
        return true;
    }
    void reset() noexcept
    {
        raw_free(data_);
        data_ = nullptr;
        count_ = 0;
    }
    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return count_; }
    std::size_t bytes() const noexcept { return count_ * sizeof(T); }
    explicit operator bool() const noexcept { return data_ != nullptr; }
    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }

private:
    T* data_ = nullptr;
    std::size_t count_ = 0;
};

using Plane16 = Buffer<std::uint16_t>;  // RGBA64 planes and the 16-bit Mask
using Plane8 = Buffer<std::uint8_t>;

}  // namespace mve
