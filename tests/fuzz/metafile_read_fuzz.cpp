// libFuzzer target: WMF and EMF playback on arbitrary bytes, once into a small
// fixed output and once at the picture's own size. Inputs are capped at
// 256 KB and pictures at 256 K pixels; any result must really hold
// width * height pixels and be freed.
#include <cstddef>
#include <cstdint>

#include "imagelib/library.h"
#include "imagelib/metafile.h"
#include "imagelib/reading.h"

// Fontconfig, loading its default configuration the first time text is
// drawn, leaves one small block unreachable; that is not the reader's leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool limited = (mve::il::set_decode_pixel_limit(1 << 18), true);
    (void)limited;
    if (size > 256 * 1024) return 0;
    for (int side : {24, 0}) {
        int width = 0, height = 0;
        std::uint8_t* pixels =
            mve::il::render_metafile(data, size, side, side * 3 / 4, 0x336699, &width, &height);
        if (pixels) {
            volatile std::uint8_t last = pixels[static_cast<std::size_t>(width) * height * 4 - 1];
            (void)last;
        }
        mve::il::release_block(pixels);
    }
    return 0;
}
