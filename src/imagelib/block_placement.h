// Placing a decoded picture in storage the caller already owns. A reader
// that keeps the picture (the staging image) installs a placement around one
// decode: the decoder's first block of that decode is then taken from the
// placement instead of the allocator, so the picture lands where it is kept
// and no copy follows. A decoder that frees that block (a failed read, or an
// orientation turn that makes a new one) hands it back to the placement.
#pragma once

#include <cstdint>

namespace mve::il {

class BlockPlacement {
public:
    virtual ~BlockPlacement() = default;
    // Storage for width * height RGBA32 pixels, or null (the allocator then serves).
    virtual std::uint8_t* place(int width, int height) noexcept = 0;
    // The placed block is no longer wanted by the decoder.
    virtual void give_back(std::uint8_t* block) noexcept = 0;
};

// Installs `placement` on this thread for its lifetime (one decode).
class PlaceNextBlock {
public:
    explicit PlaceNextBlock(BlockPlacement* placement) noexcept;
    ~PlaceNextBlock();
    PlaceNextBlock(const PlaceNextBlock&) = delete;
    PlaceNextBlock& operator=(const PlaceNextBlock&) = delete;

private:
    BlockPlacement* saved_;
    std::uint8_t* savedBlock_;
};

}  // namespace mve::il
