// The libpng-free PNG path that decode_png tries first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve::il {

// Decodes 8-bit grey, grey + alpha, RGB and RGBA without interlacing or a
// transparency chunk into a new RGBA32 block. Null for any other layout and
// for anything it finds wrong, which the caller then hands to libpng.
std::uint8_t* decode_png_direct(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;

}  // namespace mve::il
