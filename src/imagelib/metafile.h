// Metafiles: WMF (with or without the placeable header) and EMF pictures,
// played back onto a cairo raster of a given size, and written as one
// stretched 24-bit DIB.
//
// Reading: the picture's frame (EMF: the header frame in reference-device
// pixels; WMF: the placeable bounding box, or the first window origin and
// extent of a file without one) is fitted into the output keeping its aspect
// ratio and centred; the rest of the output shows the background colour.
// An output size of 0 x 0 means the picture's own size (EMF: reference-device
// pixels; WMF: the bounding box at 96 dots per inch). Text records are
// skipped, as are raster operations other than a plain copy and pattern
// brushes. Files and records are checked against the file size; files
// claiming more than kMaxMetafileRecords records are refused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/sources.h"

namespace mve::il {

constexpr std::uint32_t kMaxMetafileRecords = 1u << 20;
constexpr int kMaxMetafileObjects = 1 << 16;   // object table entries
constexpr int kMaxMetafileSavedStates = 1024;  // SaveDC nesting

// Renders a WMF or EMF file in memory to a newly allocated RGBA32 block
// (alpha 255) of width x height pixels (0 x 0: the picture's own size);
// background is a Windows colour value 0x00BBGGRR. Null on failure.
std::uint8_t* render_metafile(const std::uint8_t* data, std::size_t size, int width, int height,
                              std::uint32_t background, int* outWidth, int* outHeight) noexcept;

// Writers of an RGB24 picture (top row first) as one stretched DIB record.
// EMF: frame and reference device from the pixel size and dpi; WMF: a
// placeable file whose bounding box is the pixel size at `dpi` units per
// inch (sides up to 32767). Non-zero on success.
int write_emf(ImageDest* dest, const std::uint8_t* rgb, int width, int height, int rowBytes,
              int dpi) noexcept;
int write_wmf(ImageDest* dest, const std::uint8_t* rgb, int width, int height, int rowBytes,
              int dpi) noexcept;

}  // namespace mve::il
