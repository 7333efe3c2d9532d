// libtiff client procedures over a memory block, shared by the TIFF reader and
// writers. A writable block grows through `grow` (a destination's vector).
#pragma once

#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mve::il {

struct MemoryTiff {
    std::uint8_t* data;
    std::size_t size;      // bytes valid
    std::size_t capacity;  // bytes addressable
    std::size_t pos;
    std::vector<std::uint8_t>* grow;  // non-null for writing
};

// Opens the block with libtiff ("r" or "w"); null on failure. Reading is
// capped so that a hostile header cannot make libtiff allocate gigabytes.
TIFF* open_memory_tiff(MemoryTiff& memory, const char* mode) noexcept;

}  // namespace mve::il
