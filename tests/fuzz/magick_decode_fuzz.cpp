// libFuzzer target: the ImageMagick route (BMP, GIF, PSD, PCX, TGA) through
// the same dispatch the file reader uses. The first byte picks whether the
// data is offered as a TGA (which has no signature). Inputs are capped at
// 256 KB and pictures at 4 M pixels.
#include <cstddef>
#include <cstdint>

#include "imagelib/library.h"
#include "imagelib/reading.h"
#include "imagelib/sources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = (mve::il::set_decode_pixel_limit(1 << 22), mve::il::initialize(), true);
    (void)started;
    if (size < 1 || size > 256 * 1024) return 0;
    mve::il::ImageSource* source = mve::il::open_memory_source(data + 1, size - 1);
    if (!source) return 0;
    if (data[0] & 1) source->extension = ".tga";
    const int type = mve::il::guess_file_type(source);
    int width = 0, height = 0;
    // Only the ImageMagick formats: the other decoders have their own targets.
    if (type == mve::il::kTypeBMP || type == mve::il::kTypeGIF || type == mve::il::kTypePSD ||
        type == mve::il::kTypePCX || type == mve::il::kTypeTGA) {
        std::uint8_t* pixels = mve::il::read_image_to_rgba(source, &width, &height);
        mve::il::release_block(pixels);
    }
    mve::il::get_image_dims(source, &width, &height);
    mve::il::close_source(source);
    return 0;
}
