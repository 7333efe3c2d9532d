// Writing: whole-picture writers and line-by-line writers. Input pixels are
// RGB24 (bits 24) or RGBA32 (bits 32), rows `rowBytes` apart, top row first
// for the whole-picture writers. Every writer returns non-zero on success and
// appends to a destination (sources.h); the file is written when the
// destination is closed.
//
// Resolution arguments keep the unit convention of each format:
//   PNG  unit 1: pixels per metre (0: aspect ratio only)
//   BMP  unit 0: pixels per metre; 1: per inch; 2: per centimetre
//   JPEG unit 1: dots per inch; 2: per centimetre (0: aspect ratio only)
//   TIFF unit 2: per inch; 3: per centimetre (1: none)
#pragma once

#include <cstdint>

#include "imagelib/sources.h"

namespace mve::il {

int write_png(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bitDepth,
              int colorType, int xRes, int yRes, int unit) noexcept;
int write_jpg(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int quality,
              int bits, int xRes, int yRes, int unit) noexcept;
int write_bmp(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits,
              int xRes, int yRes, int unit) noexcept;
int write_tiff(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits,
               int xRes, int yRes, int unit) noexcept;
int write_tga(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept;
// PSD and PCX through ImageMagick.
int write_psd(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept;
int write_pcx(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept;

// 8-bit palette pictures. The palette is `colours` RGB triples (at most 256).
// quantize_rgb_to_8bit reduces RGB24 to at most `colours` colours, writing one
// index per pixel (rows of width bytes) and the palette; it returns the
// number of palette entries used, 0 on failure.
int quantize_rgb_to_8bit(const std::uint8_t* rgb, int width, int height, int rowBytes, std::uint8_t* indices,
                         int colours, std::uint8_t* palette) noexcept;
// GIF from indices (rows of rowBytes); transparentIndex < 0 for none.
int write_gif8(ImageDest* dest, const std::uint8_t* indices, int width, int height, int rowBytes,
               const std::uint8_t* palette, int colours, int transparentIndex) noexcept;

// JPEG options used by every later JPEG write (the page writer sets them).
// dct: 1 accurate integer, 2 fast integer, 3 floating point; smoothing 0..100;
// sampling factors per component (1 = no subsampling).
void set_jpg_dct(int dct) noexcept;
void set_jpg_smoothing(int factor) noexcept;
void set_jpg_sampling(int h0, int v0, int h1, int v1, int h2, int v2) noexcept;
void reset_jpg_options() noexcept;

// Line-by-line writers. Lines are handed one at a time; PNG takes them in the
// order chosen at initialisation, BMP bottom row first (the file's own order),
// JPEG, TIFF and TGA top row first. destroy_write_lines finishes the file and
// frees the writer; it returns 0 when any step failed or lines are missing.
struct LineWriter;
enum class LineOrder { TopDown, BottomUp };

LineWriter* init_write_png_lines(ImageDest* dest, int width, int height, int rowBytes, int bitDepth,
                                 int colorType, int xRes, int yRes, int unit, LineOrder order) noexcept;
LineWriter* init_write_jpg_lines(ImageDest* dest, int width, int height, int quality, int bits, int xRes,
                                 int yRes, int unit) noexcept;
LineWriter* init_write_bmp_lines(ImageDest* dest, int width, int height, int bits, int xRes, int yRes,
                                 int unit) noexcept;
LineWriter* init_write_tiff_lines(ImageDest* dest, int width, int height, int bits, int xRes, int yRes,
                                  int unit) noexcept;
LineWriter* init_write_tga_lines(ImageDest* dest, int width, int height, int bits) noexcept;
int write_next_line(LineWriter* writer, const std::uint8_t* line) noexcept;
int destroy_write_lines(LineWriter* writer) noexcept;

}  // namespace mve::il
