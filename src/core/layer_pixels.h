// A 16-bit plane (a layer's RGBA64 pixels, the Mask) with its content
// generation.
//
// The generation is a number taken from one engine-wide counter whenever the
// plane's pixels may change, so two equal generations mean the same content,
// even after records were moved or swapped between table indices. Caches of
// derived data (the merge's tile occupancy, the dispatcher's Dst32, the
// Mask's "fully open") key on it.
//
// Reading is free; every way to write goes through begin_write() (or replaces
// the plane), which takes a new generation. Call it once per operation,
// before any parallel row loop, never per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/memory.h"

namespace mve {

// The next value of the engine-wide generation counter (never 0).
std::uint64_t next_content_generation() noexcept;

class TrackedPlane16 {
public:
    TrackedPlane16() = default;
    // Moving keeps the generation with the pixels; the emptied source takes
    // a new one, so it never shares a generation with other content.
    TrackedPlane16(TrackedPlane16&& other) noexcept
        : plane_(std::move(other.plane_)), generation_(other.generation_)
    {
        other.generation_ = next_content_generation();
    }
    TrackedPlane16& operator=(TrackedPlane16&& other) noexcept
    {
        if (this != &other) {
            plane_ = std::move(other.plane_);
            generation_ = other.generation_;
            other.generation_ = next_content_generation();
        }
        return *this;
    }

    const std::uint16_t* data() const noexcept { return plane_.data(); }
    std::size_t size() const noexcept { return plane_.size(); }
    std::size_t bytes() const noexcept { return plane_.bytes(); }
    explicit operator bool() const noexcept { return static_cast<bool>(plane_); }
    const std::uint16_t& operator[](std::size_t i) const noexcept { return plane_[i]; }
    std::uint64_t generation() const noexcept { return generation_; }

    // The writable plane for one operation; the content counts as changed.
    std::uint16_t* begin_write() noexcept
    {
        generation_ = next_content_generation();
        return plane_.data();
    }
    // Frees the plane, then allocates `count` values (contents undefined).
    bool allocate(std::size_t count) noexcept
    {
        generation_ = next_content_generation();
        return plane_.allocate(count);
    }
    void reset() noexcept
    {
        generation_ = next_content_generation();
        plane_.reset();
    }
    // Takes `plane` as the new content.
    void assign(Plane16&& plane) noexcept
    {
        generation_ = next_content_generation();
        plane_ = std::move(plane);
    }
    // Hands the plane over, leaving the layer empty.
    Plane16 take() noexcept
    {
        generation_ = next_content_generation();
        return std::move(plane_);
    }

private:
    Plane16 plane_;
    std::uint64_t generation_ = 0;  // 0: never held anything
};

using LayerPixels = TrackedPlane16;

}  // namespace mve
