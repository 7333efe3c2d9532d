// Camera raw decoding with LibRaw from memory: demosaiced, white balance as
// shot, sRGB, 8 bits, turned upright by the file's orientation. The size in
// the file's metadata is checked before anything is unpacked.
#include <libraw/libraw.h>

#include <memory>
#include <new>

#include "imagelib/library.h"
#include "imagelib/reading.h"

namespace mve::il {

std::uint8_t* decode_raw(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
{
    if (!data || size < 16) return nullptr;
    std::unique_ptr<LibRaw> raw(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
    if (!raw) return nullptr;
    try {
        auto& params = raw->imgdata.params;
        params.output_bps = 8;
        params.use_camera_wb = 1;
        params.output_color = 1;  // sRGB
        if (raw->open_buffer(const_cast<std::uint8_t*>(data), size) != LIBRAW_SUCCESS) return nullptr;
        const auto& sizes = raw->imgdata.sizes;
        if (!acceptable_size(sizes.raw_width, sizes.raw_height) ||
            !acceptable_size(sizes.width, sizes.height))
            return nullptr;
        if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) return nullptr;
        int err = 0;
        libraw_processed_image_t* image = raw->dcraw_make_mem_image(&err);
        if (!image) return nullptr;
        std::uint8_t* pixels = nullptr;
        const bool rgb8 =
            image->type == LIBRAW_IMAGE_BITMAP && image->bits == 8 &&
            (image->colors == 3 || image->colors == 1) &&
            image->data_size >= static_cast<unsigned>(image->width) * image->height * image->colors;
        if (rgb8) pixels = allocate_block(image->width, image->height);
        if (pixels) {
            const std::uint8_t* p = image->data;
            const std::size_t n = static_cast<std::size_t>(image->width) * image->height;
            for (std::size_t i = 0; i < n; ++i, p += image->colors) {
                std::uint8_t* q = pixels + i * 4;
                q[0] = p[0];
                q[1] = p[image->colors == 3 ? 1 : 0];
                q[2] = p[image->colors == 3 ? 2 : 0];
                q[3] = 255;
            }
            if (width) *width = image->width;
            if (height) *height = image->height;
        }
        LibRaw::dcraw_clear_mem(image);
        return pixels;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace mve::il
