// A 65536-entry table mapping two bytes at once: entry (hi << 8 | lo) holds
// high[hi] << 8 | low[lo]. One 16-bit load and one lookup replace two byte
// lookups and two byte stores, which is what bounds a per-byte table pass.
#pragma once

#include <cstdint>
#include <memory>

namespace mve::il {

struct BytePairTable {
    std::unique_ptr<std::uint16_t[]> pairs{new std::uint16_t[65536]};

    // Throws std::bad_alloc when there is no room for the 128 KiB.
    BytePairTable(const std::uint8_t low[256], const std::uint8_t high[256])
    {
        for (int hi = 0; hi < 256; ++hi)
            for (int lo = 0; lo < 256; ++lo)
                pairs[hi << 8 | lo] = static_cast<std::uint16_t>(high[hi] << 8 | low[lo]);
    }
};

}  // namespace mve::il
