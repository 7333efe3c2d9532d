// Geometry on 8-bit pixel blocks: crop, quarter-turn rotation and flips.
// Pixel size 1..16 bytes; rows `rowBytes` apart. Non-zero on success; on
// failure the destination is untouched.
#pragma once

#include <cstdint>

namespace mve::il {

struct CropRect {
    int left, top, right, bottom;  // right and bottom exclusive
};

// Copies the rectangle of src into dst (rows of dstRowBytes). The rectangle
// must lie inside the picture and be at least one pixel wide and high.
int crop_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int dstRowBytes,
               CropRect rect, int bytesPerPixel) noexcept;

// Quarter turns: mode 0 a quarter turn clockwise, 1 a half turn, 2 a quarter
// turn counter-clockwise. Quarter turns give a height x width picture.
// Source and destination must not overlap.
int quick_rotate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                       int dstRowBytes, int mode, int bytesPerPixel) noexcept;

// In-place mirror images: left-right, and top-bottom (rows exchanged).
int horizontal_flip_image(std::uint8_t* buffer, int width, int height, int bytesPerPixel, int rowBytes) noexcept;
int vertical_flip_image(std::uint8_t* buffer, int rowBytes, int height) noexcept;

}  // namespace mve::il
