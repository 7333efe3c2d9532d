// libFuzzer target: the generic ImageMagick route of the RAW/import readers,
// under the policy the engine sets at start-up. The first byte picks the
// extension the file would have had (which names the coder when the data has
// no signature), the rest is the file. Inputs are capped at 256 KB and
// pictures at 4 M pixels.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imagelib/library.h"
#include "imagelib/magick_route.h"
#include "imagelib/reading.h"

namespace {

// Extensions of formats with and without signatures, and of coders the
// policy refuses (the fuzzer must find no way through them).
const char* const kExtensions[] = {"",     ".tga", ".ppm", ".pgm", ".xpm", ".xbm", ".ico", ".sgi",
                                   ".ras", ".pcx", ".bmp", ".gif", ".psd", ".mvg", ".msl", ".svg",
                                   ".text", ".txt", ".ps",  ".pdf", ".mpc", ".url", ".fax", ".mtv"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = (mve::il::set_decode_pixel_limit(1 << 22), mve::il::initialize(), true);
    (void)started;
    if (size < 1 || size > 256 * 1024) return 0;
    const std::string extension = kExtensions[data[0] % (sizeof kExtensions / sizeof kExtensions[0])];
    int width = 0, height = 0;
    std::uint8_t* pixels = mve::il::decode_magick_any(data + 1, size - 1, extension, &width, &height);
    mve::il::release_block(pixels);
    return 0;
}
