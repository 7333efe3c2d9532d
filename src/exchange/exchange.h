// Files and exchange: the staging image (one RGBA32 picture the readers, the
// scanner and the clipboard fill and the host reads back or loads into the
// current layer), the file readers and writers on the image-library layer,
// thumbnails and web pictures, and the scanner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/memory.h"
#include "engine/engine.h"
#include "exchange/exchange_state.h"

namespace mve::exchange {

// The subsystem's state, the engine record's exchange member.
ExchangeState& exchange_state() noexcept;

// Frees the old picture, stores the size and allocates w * h * 4 bytes.
// False (and "CreateNewRGBA Excpt" recorded) when the allocation fails.
bool create_staging(StagingImage& s, int width, int height) noexcept;
void delete_staging(StagingImage& s) noexcept;
bool staging_transparent(const StagingImage& s) noexcept;
// Packed copies of the staging image; nothing without a picture or destination.
void staging_to_rgba32(const StagingImage& s, std::uint8_t* out) noexcept;
void staging_to_rgb24(const StagingImage& s, std::uint8_t* out) noexcept;
void staging_to_bgr24(const StagingImage& s, std::uint8_t* out, int rowStep) noexcept;
// Resampled to w x h as packed RGB24; throws Failure when the resample cannot run.
void staging_resized_rgb24(const StagingImage& s, std::uint8_t* out, int width, int height);
// Loads the picture into the current layer at (0, 0) (plain RGBA32 load).
void staging_into_layer(Engine& e, const StagingImage& s);
// Takes an RGBA32 block of width x height pixels as the new staging picture.
bool stage_rgba32(StagingImage& s, const std::uint8_t* rgba, int width, int height) noexcept;

// A decoded RGBA32 block of the image-library layer.
struct Decoded {
    struct Free {
        void operator()(std::uint8_t* p) const noexcept;
    };
    std::unique_ptr<std::uint8_t, Free> pixels;
    int width = 0;
    int height = 0;
    explicit operator bool() const noexcept { return pixels != nullptr; }
};

// Any picture the engine reads (by signature: PNG, JPEG, TIFF, BMP, GIF, PSD,
// PCX, WebP; TGA by extension). Empty when the file is missing or unreadable.
Decoded decode_file(const char* path) noexcept;
// Everything ImageMagick reads, found by ImageMagick itself.
Decoded decode_file_magick(const char* path) noexcept;
// Camera raw through LibRaw.
Decoded decode_file_raw(const char* path) noexcept;

// The readers; true when the picture arrived.
bool read_into_staging(StagingImage& s, const Decoded& d) noexcept;
bool read_into_buffer(const char* path, std::uint8_t* out, int width, int height, int bytesPerPixel) noexcept;

// Header resolution snapped to 72, 96, 150, 200, 300, 450 or 600 (72 otherwise).
int file_dpi(const char* path) noexcept;
// Maps a converted resolution to the value the resolution query returns.
int snap_dpi(int dpi) noexcept;
// PNG header size; 0 for anything else.
int png_header_width(const char* path) noexcept;
int png_header_height(const char* path) noexcept;

// Writers of a host buffer; bits 24 (RGB24) or 32 (RGBA32). True when the
// file was written; an existing file is replaced only after a full write.
bool write_buffer(const std::uint8_t* pixels, int width, int height, const char* path, const char* extension,
                  int dpi, int bits, int jpegQuality);
// Writes the composite of the visible layers row by row.
bool save_page(Engine& e, const char* path, const char* extension, int dpi, int bits, int jpegQuality);
// The JPEG quality the writers use for a setting (1..100; anything else: 97).
int writer_jpeg_quality(int setting) noexcept;

// Thumbnail (BMP, size x size box) and web picture (JPEG within maxW x maxH).
void make_thumbnail(const char* source, const char* destination, int size);
void make_web_picture(const char* source, const char* destination, int maxWidth, int maxHeight);
// Size that keeps the aspect ratio inside size x size (the longer side becomes size).
void thumbnail_size(int width, int height, int size, int* outWidth, int* outHeight) noexcept;
void web_picture_size(int width, int height, int maxWidth, int maxHeight, int* outWidth,
                      int* outHeight) noexcept;

// Scanner on SANE. available: the scanner library starts; select_scanner
// chooses the first device; acquire_scan reads one picture into the staging
// image (false without a device or when the scan fails).
bool scanner_available() noexcept;
bool select_scanner(ScannerState& scanner);
bool acquire_scan(ScannerState& scanner, StagingImage& s);

// Recordings (the AVI and GIF exports' bodies). Creation opens a recording of
// width x height (the canvas size) and finishes one already open; frames of
// another size, frames after a failure and calls without a recording are
// ignored.
void create_avi(const char* path, int msPerFrame, int width, int height);
void write_avi_bitmap(const char* path);
void close_avi();
void create_gif(const char* path, int msPerFrame, const std::uint8_t* palette, int width, int height);
void write_gif_frame(const std::uint8_t* rgb, int width, int height);
void close_gif();

// PDF documents: one picture a page at 96 dpi inside 20-point grey (196)
// borders. Pictures that cannot be read are left out; those that became pages
// are deleted once the file is written. True when the file was written (at
// least one page); the list is emptied either way.
bool make_pdf(const std::vector<std::string>& images, const char* path, bool slideshow);

// Renames without replacing an existing file; true on success.
bool rename_file(const char* from, const char* to) noexcept;

}  // namespace mve::exchange
