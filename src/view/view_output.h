// The last steps of a view pixel: the Trace image, the transparency
// checkerboard and the mask tint, ending in the three output bytes.
//
// Values are 16-bit channels in, bytes out (the high byte). Checker cells are
// 32 x 32: cells where (cx / 32 + cy / 32) is even are the light ones.
#pragma once

#include <cstdint>

namespace mve {

constexpr std::uint32_t kCheckerLight = 65535;
constexpr std::uint32_t kCheckerDark = 65535 - 24576;  // 0x9FFF

inline bool checker_odd(int cx, int cy) noexcept
{
    return (((cx >> 5) + (cy >> 5)) & 1) != 0;
}

// Tracing: each colour halfway to the Trace pixel, c = (t + c) / 2; alpha kept.
inline void apply_tracing(std::uint16_t c[4], const std::uint16_t* trace) noexcept
{
    for (int i = 0; i < 3; ++i)
        c[i] = static_cast<std::uint16_t>((static_cast<std::uint32_t>(trace[i]) + c[i]) / 2);
}

// Checkerboard under alpha A < 65535: c = ((A x c) / 256 + (level x (65535 - A)) / 256) / 256.
inline void apply_checker(std::uint32_t rgb[3], std::uint32_t A, bool odd) noexcept
{
    const std::uint32_t under = ((odd ? kCheckerDark : kCheckerLight) * (65535 - A)) / 256;
    for (int i = 0; i < 3; ++i) rgb[i] = ((A * rgb[i]) / 256 + under) / 256;
}

// The mask tint of one pixel: the Mask value m and the tint channels T (8-bit
// values stored x 256). Without the strength flag unselected areas are at
// most half tinted: m = m / 2 + 32767.
struct MaskTint {
    const std::uint32_t* oddColour = nullptr;   // tint on odd checker cells
    const std::uint32_t* evenColour = nullptr;  // tint on even checker cells
    bool strong = false;                        // the strength flag is set
};

// Output byte = ((m x c) / 256 + ((65535 - m) x T) / 256) / 65536, for m < 65535.
inline void tint_bytes(const std::uint32_t rgb[3], std::uint32_t m, const std::uint32_t* tint, bool strong,
                       std::uint8_t out[3]) noexcept
{
    if (!strong) m = m / 2 + 32767;
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t v = (static_cast<std::uint64_t>(m) * rgb[i]) / 256 +
                                (static_cast<std::uint64_t>(65535 - m) * tint[i]) / 256;
        out[i] = static_cast<std::uint8_t>(v / 65536);
    }
}

}  // namespace mve
