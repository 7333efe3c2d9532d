// Start and stop of the image-library layer. The engine starts the layer once
// (MVE_IPLInit) and stops it before unloading (MVE_IPLExit); ImageMagick is
// the only part with real global state. Routes that need ImageMagick call
// ensure_magick(), so a host that forgot the start call still works.
#pragma once

namespace mve::il {

// Starts the codec libraries' global settings and ImageMagick (MagickWandGenesis).
// Non-zero on success.
int initialize() noexcept;
// Stops ImageMagick (MagickWandTerminus). Safe without a start.
void shutdown() noexcept;

// Starts ImageMagick when it is not running; true when it runs afterwards.
bool ensure_magick() noexcept;
bool magick_running() noexcept;

// Largest picture a decoder accepts, in pixels (width * height). Decoders fail
// above it instead of trying the allocation. The fuzz targets lower it.
long long decode_pixel_limit() noexcept;
void set_decode_pixel_limit(long long pixels) noexcept;

// A size a decoder may allocate: both sides positive and the area within the limit.
bool acceptable_size(long long width, long long height) noexcept;

}  // namespace mve::il
