// Resampling: separable convolution resize with the named kernels, the
// simple resamplers, and the ImageMagick routes (Mitchell, adaptive resize,
// liquid rescale). Buffers are 8-bit channels, `bytesPerPixel` channels per
// pixel, rows `rowBytes` apart. Every function returns non-zero on success
// and 0 (destination untouched) for null buffers or sizes below 1.
#pragma once

#include <cstdint>

namespace mve::il {

// Filter codes of resize_image.
enum ResizeFilterCode : int {
    kFilterBox = 0,
    kFilterTriangle = 1,
    kFilterHamming = 2,
    kFilterGaussian = 3,
    kFilterBell = 4,
    kFilterBSpline = 5,
    kFilterCubic1 = 6,  // cubic convolution a = -1 (sharp)
    kFilterCubic2 = 7,  // cubic convolution a = -0.75
    kFilterLanczos3 = 8,
    kFilterMitchell = 9,
    kFilterSinc = 10,  // truncated sinc, four lobes
    kFilterHermite = 11,
    kFilterHanning = 12,
    kFilterCatrom = 13,
    kFilterAreaAverage = 15,
    kFilterBilinear = 16,  // interpolation only, no widening when shrinking
    kFilterBicubic = 17,
    kFilterNearest = 18,
};

// True for the codes listed above.
bool known_filter(int code) noexcept;

// Resizes src (width x height) into dst (newWidth x newHeight) with the
// kernel of `code`; an unknown code resamples as Lanczos3. bytesPerPixel 1..4.
// Rows run on the worker threads for large pictures. flags is reserved (0).
int resize_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
                 int newHeight, int dstRowBytes, int bytesPerPixel, int code, int flags) noexcept;

// Good general resize (bicubic), nearest-neighbour resample and area-average
// decimation, with the argument order of resize_image.
int resize_image_default(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                         int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept;
int simple_resample_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                          int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept;
int decimate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int newWidth,
                   int newHeight, int dstRowBytes, int bytesPerPixel, int flags) noexcept;
int resize_image_bicubic(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                         int newWidth, int newHeight, int dstRowBytes, int bytesPerPixel) noexcept;

// ImageMagick routes on packed RGBA32 (rows width * 4 bytes). Each constitutes
// the picture, runs one operation and exports newWidth x newHeight pixels.
enum class MagickResize { Mitchell, Adaptive, Lanczos };
int magick_resize_rgba(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                       int newHeight, MagickResize kind) noexcept;

// Content-aware width change of packed RGBA32 by seam carving: the result is
// newWidth x height, rows newWidth * 4 bytes. `guide` (16-bit, guideWidth per
// row, may be null) protects pixels where it is high when it is given.
// Uses ImageMagick's liquid rescale; when that is not available in the
// ImageMagick build, falls back to our own seam carver.
int seam_carve_rgba(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                    const std::uint16_t* guide, int guideWidth) noexcept;
// Our own carver (dynamic-programming seams on the gradient energy).
int seam_carve_rgba_own(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                        const std::uint16_t* guide, int guideWidth) noexcept;

}  // namespace mve::il
