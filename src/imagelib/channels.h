// Channel planes of packed 4-byte pictures: split a picture into up to four
// one-byte-per-pixel planes and put planes back into a picture. Planes are
// packed (width bytes a row); pictures have rows `rowBytes` apart.
#pragma once

#include <cstdint>

namespace mve::il {

// planes[c] receives channel c of every pixel; a null plane is skipped.
// Non-zero on success (0 for a null picture or a bad size).
int split_image(const std::uint8_t* picture, int width, int height, int rowBytes,
                std::uint8_t* const planes[4]) noexcept;

// Channel c of every pixel is set from planes[c]; a null plane leaves that
// channel of the picture as it is, so one plane can replace one channel.
// The same plane may be given for several channels.
int combine_image_channels(const std::uint8_t* const planes[4], int width, int height, std::uint8_t* picture,
                           int rowBytes) noexcept;

}  // namespace mve::il
