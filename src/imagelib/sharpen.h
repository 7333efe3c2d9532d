// Sharpening of interleaved 8-bit pictures by unsharp masking: the picture
// is blurred with the library's Gaussian (blur_image) and the difference
// between the picture and its blur is added back, scaled.
#pragma once

#include <cstdint>

namespace mve::il {

// Unsharp mask, one pass, 3 or 4 bytes per pixel (the fourth byte, alpha, is
// copied unchanged). For each colour channel, with b the Gaussian blur of
// `radius` pixels (sigma radius / 2) of the original o:
//     d = o - b
//     out = |d| > threshold ? clamp(round(o + amount * d), 0, 255) : o
// threshold 0..255 keeps gentle gradients and noise from being boosted.
// src and dst may be the same buffer. Non-zero on success; 0 for null
// buffers, bad sizes, a threshold outside 0..255, a negative amount or radius.
int unsharp_mask(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                 std::uint8_t* dst, int dstRowBytes, double amount, int radius, int threshold) noexcept;

// The same unsharp mask with the blur's standard deviation `sigma` given
// directly (any sigma >= 0; 0 leaves the picture as it is).
int unsharp_mask_sigma(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                       std::uint8_t* dst, int dstRowBytes, double amount, double sigma,
                       int threshold) noexcept;

// The strong 3 x 3 sharpen: each colour channel o becomes
//     clamp(round(o + amount * (o - mean of its 8 neighbours)), 0, 255)
// (edge pixels repeated; amount 1 is the classic kernel 2 / -1/8); alpha,
// if any, is copied. Packed rows of width * bytesPerPixel; src != dst.
int sharpen_3x3(const std::uint8_t* src, int width, int height, int bytesPerPixel, std::uint8_t* dst,
                double amount) noexcept;

// The plain sharpen tool: an unsharp mask without threshold whose amount is
// level / 10 (level 10 adds the full difference once) and whose blur has
// `radius` pixels. Same buffers and result as unsharp_mask.
int sharpen_image(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcRowBytes,
                  std::uint8_t* dst, int dstRowBytes, int level, int radius) noexcept;

}  // namespace mve::il
