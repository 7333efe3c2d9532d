// EXIF orientation: cameras store the sensor's rows and note in the EXIF
// block how the picture is to be turned; readers show it upright.
#include <cstring>

#include "imagelib/geometry.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

struct Tiff {
    const std::uint8_t* p;
    std::size_t n;
    bool little;
    std::uint32_t u16(std::size_t at) const
    {
        return little ? p[at] | (p[at + 1] << 8) : (p[at] << 8) | p[at + 1];
    }
    std::uint32_t u32(std::size_t at) const
    {
        return little ? u16(at) | (u16(at + 2) << 16) : (u16(at) << 16) | u16(at + 2);
    }
};

}  // namespace

int exif_orientation(const std::uint8_t* data, std::size_t size) noexcept
{
    if (!data || size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
    Tiff t{data + 6, size - 6, data[6] == 'I'};
    if (!(std::memcmp(t.p, "II*\0", 4) == 0 || std::memcmp(t.p, "MM\0*", 4) == 0)) return 1;
    const std::uint32_t ifd = t.u32(4);
    if (ifd > t.n - 2 || ifd < 8) return 1;
    const std::uint32_t count = t.u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t e = ifd + 2 + static_cast<std::size_t>(i) * 12;
        if (e + 12 > t.n) return 1;
        if (t.u16(e) == 0x0112 && t.u16(e + 2) == 3) {
            const std::uint32_t v = t.u16(e + 8);
            return v >= 1 && v <= 8 ? static_cast<int>(v) : 1;
        }
    }
    return 1;
}

std::uint8_t* apply_orientation(std::uint8_t* block, int* width, int* height, int orientation) noexcept
{
    if (!block || orientation <= 1 || orientation > 8) return block;
    const int w = *width, h = *height;
    // 2: mirrored; 3: half turn; 4: upside down mirrored; 5..8 need a quarter
    // turn clockwise (6), then a mirror (5: left-right, 7: top-bottom), or a
    // quarter turn counter-clockwise (8).
    if (orientation == 2) {
        horizontal_flip_image(block, w, h, 4, w * 4);
        return block;
    }
    if (orientation == 4) {
        vertical_flip_image(block, w * 4, h);
        return block;
    }
    std::uint8_t* turned = allocate_block(orientation == 3 ? w : h, orientation == 3 ? h : w);
    if (!turned) {
        release_block(block);
        return nullptr;
    }
    const int mode = orientation == 3 ? 1 : orientation == 8 ? 2 : 0;
    const int w2 = orientation == 3 ? w : h, h2 = orientation == 3 ? h : w;
    quick_rotate_image(block, w, h, w * 4, turned, w2 * 4, mode, 4);
    release_block(block);
    if (orientation == 5) horizontal_flip_image(turned, w2, h2, 4, w2 * 4);
    if (orientation == 7) vertical_flip_image(turned, w2 * 4, h2);
    *width = w2;
    *height = h2;
    return turned;
}

}  // namespace mve::il
