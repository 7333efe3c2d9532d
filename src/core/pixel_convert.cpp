// Packed RGBA32 <-> RGBA64: v << 8 one way, the high byte the other.
#include "core/pixel_convert.h"

namespace mve {

void rgba32_to_rgba64(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept
{
    const std::size_t values = pixels * 4;
    for (std::size_t i = 0; i < values; ++i) out[i] = static_cast<std::uint16_t>(in[i] << 8);
}

void rgba64_to_rgba32(const std::uint16_t* in, std::uint8_t* out, std::size_t pixels) noexcept
{
    const std::size_t values = pixels * 4;
    for (std::size_t i = 0; i < values; ++i) out[i] = static_cast<std::uint8_t>(in[i] >> 8);
}

}  // namespace mve
