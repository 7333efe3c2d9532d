// Resize of pictures with 16-bit channels (RGBA64 brushes). The same kernels
// and filter codes as resize_image, on unsigned 16-bit samples: each output
// channel is clamp((sum_i w_i * s_i + 2^13) >> 14, 0, 65535). Rows are
// `rowBytes` bytes apart. Non-zero on success; 0 (destination untouched) for
// null buffers, sizes below 1 or a channel count outside 1..4.
#pragma once

#include <cstdint>

namespace mve::il {

int resize_image16(const std::uint16_t* src, int width, int height, int srcRowBytes, std::uint16_t* dst,
                   int newWidth, int newHeight, int dstRowBytes, int channels, int code) noexcept;

}  // namespace mve::il
