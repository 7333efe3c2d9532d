// WebP decoding with libwebp from memory: the size is read from the header
// before any pixel is decoded; the first frame of an animation is not read
// (WebPDecode refuses animated files).
#include <webp/decode.h>

#include "imagelib/library.h"
#include "imagelib/reading.h"

namespace mve::il {

std::uint8_t* decode_webp(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
{
    int w = 0, h = 0;
    if (!data || !WebPGetInfo(data, size, &w, &h) || !acceptable_size(w, h)) return nullptr;
    std::uint8_t* pixels = allocate_block(w, h);
    if (!pixels) return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(w) * h * 4;
    if (!WebPDecodeRGBAInto(data, size, pixels, bytes, w * 4)) {
        release_block(pixels);
        return nullptr;
    }
    if (width) *width = w;
    if (height) *height = h;
    return pixels;
}

}  // namespace mve::il
