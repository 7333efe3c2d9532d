// Reading: file-type guess, header sizes and resolution, and decoding into a
// newly allocated, tightly packed RGBA32 block (rows top to bottom, no gap).
// The caller owns a decoded block and frees it with release_block(); every
// reader returns null (or 0) on a missing, truncated, corrupt or unknown file
// and leaves nothing allocated behind.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/sources.h"

namespace mve::il {

// File-type codes of guess_file_type.
enum FileType : int {
    kTypeUnknown = 0,
    kTypeBMP = 1,
    kTypeGIF = 2,
    kTypeJPG = 3,
    kTypePNG = 4,
    kTypePCX = 5,
    kTypeTIFF = 6,
    kTypeWMF = 7,
    kTypeEMF = 8,
    kTypeTGA = 9,
    kTypePSD = 10,
    kTypeWEBP = 11,
};

// Type of the data at the source's position (signature first, then the
// extension for TGA, which has none). The position is not moved.
int guess_file_type(ImageSource* source) noexcept;

// Decodes the image at the source's position. Null on failure.
std::uint8_t* read_image_to_rgba(ImageSource* source, int* width, int* height) noexcept;

// Frees a block returned by a decoder (null is fine).
void release_block(void* block) noexcept;

// Header sizes without decoding; non-zero on success.
int get_image_dims(ImageSource* source, int* width, int* height) noexcept;
int get_png_dims(ImageSource* source, int* width, int* height, int* bitDepth, int* colorType,
                 int* interlace) noexcept;

// Header resolution r and its unit u, as the resolution query interprets them:
// BMP: pixels per metre, u = 2; JPG: JFIF density, u = 1 per inch, 2 per cm
// (0 = aspect only); PNG: pixels per metre, u = 1 (0 = aspect only);
// TIFF and PSD: u = 2 per inch, 3 per cm. Non-zero when a value was found.
int read_resolution(ImageSource* source, double* resolution, int* unit) noexcept;

// The decoders behind read_image_to_rgba, reading one encoded file from memory.
std::uint8_t* decode_png(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;
std::uint8_t* decode_jpeg(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;
std::uint8_t* decode_tiff(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;
// BMP, GIF (first frame), PSD (the composite), PCX and TGA through ImageMagick.
// `format` names the coder ("TGA") when the data has no signature, or null.
std::uint8_t* decode_magick(const std::uint8_t* data, std::size_t size, const char* format, int* width,
                            int* height) noexcept;

// Camera raw (DNG and the makers' formats) through LibRaw, demosaiced to sRGB.
std::uint8_t* decode_raw(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;
// WebP through libwebp.
std::uint8_t* decode_webp(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept;

// The orientation (1..8) in an APP1 EXIF block starting "Exif\0\0"; 1 when
// there is none. apply_orientation turns a decoded block upright: it may
// return a new block (freeing the old one, updating the size) or null when
// the turned copy cannot be allocated (the old block is freed then too).
int exif_orientation(const std::uint8_t* app1, std::size_t size) noexcept;
std::uint8_t* apply_orientation(std::uint8_t* block, int* width, int* height, int orientation) noexcept;

// Allocates a width * height RGBA32 block for a decoder; null when too large.
std::uint8_t* allocate_block(int width, int height) noexcept;

}  // namespace mve::il
