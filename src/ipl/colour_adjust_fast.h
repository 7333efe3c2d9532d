// The HSL and HSV adjustments four pixels at a time, without branches.
#pragma once

#include <cstdint>

namespace mve::ipl {

// Shifts `count` packed RGBA32 pixels in place, alpha kept. Every lane runs
// the very double operations of hsl_adjust_pixel / hsv_adjust_pixel in the
// same order (no fused multiply-adds), both sides of each choice computed and
// one selected, so the bytes are identical to the pixel reference. hueShift
// must lie in -360..360 (one correction by 360 then always suffices);
// saturation and lightness (value) are percents. The last count % 4 pixels
// go through the pixel reference.
void hsl_adjust_row_fast(std::uint8_t* rgba, int count, int hueShift, int saturation, int lightness) noexcept;
void hsv_adjust_row_fast(std::uint8_t* rgba, int count, int hueShift, int saturation, int value) noexcept;

}  // namespace mve::ipl
