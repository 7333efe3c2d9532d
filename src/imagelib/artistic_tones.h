// Per-value tone effects of RGB24 pictures: negative, posterize, solarize
// and grey. Each builds one 256-entry table and maps every colour byte
// through it. Pictures are packed RGB24 (rows width * 3 bytes); src and dst
// may be the same buffer. Non-zero on success; 0 for bad arguments.
#pragma once

#include <array>
#include <cstdint>

namespace mve::il {

using ToneTable = std::array<std::uint8_t, 256>;

// v -> 255 - v.
ToneTable negative_table() noexcept;
// `levels` (2..256) even bands: v falls in band k = v * levels / 256 and
// becomes round(k * 255 / (levels - 1)), so 2 levels give 0 below 128 and
// 255 from 128 on.
ToneTable posterize_table(int levels) noexcept;
// Values above `threshold` are inverted (255 - v), the rest kept: the
// darkroom effect of flashing a print while it develops.
ToneTable solarize_table(int threshold) noexcept;

// Every byte of `count` bytes through the table. The fast path looks up two
// bytes at a time in a 65536-entry table built from it.
void apply_tone_table(const ToneTable& table, const std::uint8_t* src, std::uint8_t* dst,
                      std::size_t count) noexcept;

// The three tone effects on a whole picture.
int negative_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height) noexcept;
int posterize_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int levels) noexcept;
int solarize_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int threshold) noexcept;

// Grey: every pixel's luma (77 R + 150 G + 29 B + 128) / 256 into all three channels.
int grayscale_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height) noexcept;

}  // namespace mve::il
