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

// A size a decoder may allocate: both sides positive, within the current
// caller's bound, and the area within the limit.
bool acceptable_size(long long width, long long height) noexcept;

// For its lifetime, decoders refuse pictures wider or taller than the given
// sides (bounds only narrow: an inner bound cannot widen an outer one). A
// loader that can only use pictures up to a size says so before it decodes,
// so that a tiny file claiming a huge picture costs a header read, no more.
class DecodeBound {
public:
    DecodeBound(long long maxWidth, long long maxHeight) noexcept;
    ~DecodeBound();
    DecodeBound(const DecodeBound&) = delete;
    DecodeBound& operator=(const DecodeBound&) = delete;

private:
    long long savedWidth_, savedHeight_;
};

// Memory any one decoder may take besides its output block: libpng's chunk
// allocations and libjpeg's working memory. Progressive JPEG streams are cut
// off after kMaxJpegScans scans (a valid one has about a dozen).
constexpr long long kDecoderWorkingMemory = 64LL << 20;
constexpr int kMaxJpegScans = 256;

}  // namespace mve::il
