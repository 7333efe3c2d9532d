// The generic ImageMagick route: any format ImageMagick knows (under the
// engine's policy), found by the data's signature first and then by the
// file's extension for formats that have none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mve::il {

// `extension` is lower case with its dot ("" for none). Null on failure.
std::uint8_t* decode_magick_any(const std::uint8_t* data, std::size_t size, const std::string& extension, int* width,
                                int* height) noexcept;

}  // namespace mve::il
