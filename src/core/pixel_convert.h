// Packed RGBA32 <-> RGBA64 conversions shared by the merges and the pixel
// transfer paths. 8-bit to 16-bit is v x 256 (255 becomes 65280, alpha
// included); 16-bit to 8-bit keeps the high byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve {

// `pixels` packed RGBA32 pixels into RGBA64 (each value v becomes v << 8).
void rgba32_to_rgba64(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept;
// The same into a layer row that is not read again soon: on an aligned row
// the stores bypass the cache.
void rgba32_to_rgba64_layer_row(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept;
// `pixels` RGBA64 pixels into packed RGBA32 (each value becomes v >> 8).
void rgba64_to_rgba32(const std::uint16_t* in, std::uint8_t* out, std::size_t pixels) noexcept;

// The unmasked load of RGBA32 pixels into a layer row. Lock alpha: RGB =
// v << 8, the layer's alpha kept. Otherwise alpha != 0: all four v << 8;
// alpha 0: all four 0 (hidden colour is not kept).
void load_rgba32_plain(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels, bool lockAlpha) noexcept;

// The plain loops the vector paths above are checked against.
void rgba32_to_rgba64_reference(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept;
void rgba64_to_rgba32_reference(const std::uint16_t* in, std::uint8_t* out, std::size_t pixels) noexcept;
void load_rgba32_plain_reference(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels,
                                 bool lockAlpha) noexcept;

}  // namespace mve
