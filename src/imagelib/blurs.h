// Blurs of the image library on packed RGBA32 pictures (rows of width * 4
// bytes, no gap). Every channel, alpha included, is filtered alike. Each
// returns non-zero on success and 0 for bad arguments or a failed allocation;
// src and dst may be the same buffer. Outside the picture the edge pixels repeat.
#pragma once

#include <cstdint>

namespace mve::il {

// --- local windows (blurs_local.cpp) ---

// Mean of each (2r + 1)^2 window, rounded to nearest: sum / n.
int arithmetic_mean_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
// "Blur": the 3 x 3 mean applied `passes` times (at least once, at most 100).
int blur_3x3(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long passes) noexcept;
// "Blur More": the 5 x 5 mean applied `passes` times (at least once, at most 100).
int blur_more(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long passes) noexcept;
// Blocks of block x block pixels (the last ones cut by the picture's edge),
// each filled with the rounded mean of its pixels. Block size at least 1.
int mosaic_image(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long block) noexcept;
// (max + min + 1) / 2 of each window, per channel.
int midpoint_filter(const std::uint8_t* src, std::uint8_t* dst, int width, int height, long long radius) noexcept;
// Unsharp mask whose amount follows the local contrast: with b the Gaussian
// blur of `radius` and L the luminance, each colour channel becomes
// v + amount * (v - b) * w with w = min(1, |L(v) - L(b)| / threshold)
// (w = 1 when threshold <= 0): flat areas and noise below the threshold stay,
// edges get the full amount. Alpha is kept.
int adaptive_unsharp_mask(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double amount,
                          int radius, int threshold) noexcept;

// --- blurs along paths (blurs_directional.cpp) ---

// Motion blur along a straight line at `angleDegrees` (0 = to the right,
// counter-clockwise with y pointing down the picture's rows) over `length`
// pixels. centred: the line runs from -length/2 to +length/2 through the
// pixel with equal weights; otherwise it trails behind the pixel (0 to
// -length) with weights falling linearly, the pixel itself heaviest.
// samples: points along the line, 0 or less = one per pixel of length;
// each is read bilinearly. length <= 0 copies.
int motion_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double angleDegrees,
                double length, int samples, bool centred) noexcept;
// Rotational blur about (cx, cy): each pixel averages bilinear samples on
// its circle about the centre, over an arc of `angleDegrees` (clamped to
// 360) centred on the pixel, about one sample per pixel of arc (at most maxSamples).
int radial_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cx, double cy,
                double angleDegrees, int maxSamples) noexcept;
// Zoom blur towards (cx, cy): each pixel p averages bilinear samples on the
// segment from p to c + (p - c) * (1 - strength), strength clamped to 0..1,
// about one sample per pixel of segment (at most maxSamples).
int zoom_blur(const std::uint8_t* src, std::uint8_t* dst, int width, int height, double cx, double cy,
              double strength, int maxSamples) noexcept;

}  // namespace mve::il
