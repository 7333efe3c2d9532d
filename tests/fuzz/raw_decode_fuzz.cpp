// libFuzzer target: the camera-raw decoder (LibRaw) on arbitrary bytes.
// Inputs are capped at 256 KB and pictures at 4 M pixels; any result must
// really hold width * height pixels and be freed.
#include <cstddef>
#include <cstdint>

#include "imagelib/library.h"
#include "imagelib/reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool limited = (mve::il::set_decode_pixel_limit(1 << 22), true);
    (void)limited;
    if (size > 256 * 1024) return 0;
    int width = 0, height = 0;
    std::uint8_t* pixels = mve::il::decode_raw(data, size, &width, &height);
    if (pixels) {
        volatile std::uint8_t last = pixels[static_cast<std::size_t>(width) * height * 4 - 1];
        (void)last;
    }
    mve::il::release_block(pixels);
    return 0;
}
