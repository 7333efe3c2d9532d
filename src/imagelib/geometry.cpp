#include "imagelib/geometry.h"

#include <algorithm>
#include <cstring>

#include "core/parallel.h"

namespace mve::il {

namespace {

bool valid_pixel_size(int bpp) { return bpp >= 1 && bpp <= 16; }

// Rotation of 32-bit pixels in square tiles so that reads and writes both
// stay within a few cache lines. For output pixel (ox, oy) the source is
// clockwise: (oy, height - 1 - ox); counter-clockwise: (width - 1 - oy, ox).
constexpr int kTile = 32;

template <class Pixel>
void rotate_quarter(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                    int dstRowBytes, bool clockwise)
{
    const int outWidth = height, outHeight = width;
    const int tileRows = (outHeight + kTile - 1) / kTile;
    for_each_row(0, tileRows, kTile * outWidth * cost::kCopy, [&](int tile) {
        const int oy0 = tile * kTile, oy1 = std::min(outHeight, oy0 + kTile);
        for (int ox0 = 0; ox0 < outWidth; ox0 += kTile) {
            const int ox1 = std::min(outWidth, ox0 + kTile);
            for (int oy = oy0; oy < oy1; ++oy) {
                auto* out = reinterpret_cast<Pixel*>(dst + static_cast<std::size_t>(oy) * dstRowBytes);
                const int sx = clockwise ? oy : width - 1 - oy;
                for (int ox = ox0; ox < ox1; ++ox) {
                    const int sy = clockwise ? height - 1 - ox : ox;
                    out[ox] = *reinterpret_cast<const Pixel*>(src + static_cast<std::size_t>(sy) * srcRowBytes +
                                                              static_cast<std::size_t>(sx) * sizeof(Pixel));
                }
            }
        }
    });
}

// Any pixel size: byte copies per pixel.
void rotate_generic(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                    int dstRowBytes, int mode, int bpp)
{
    const int outWidth = mode == 1 ? width : height, outHeight = mode == 1 ? height : width;
    for_each_plane_row(outWidth, outHeight, cost::kSimple, [&](int oy) {
        std::uint8_t* out = dst + static_cast<std::size_t>(oy) * dstRowBytes;
        for (int ox = 0; ox < outWidth; ++ox) {
            int sx, sy;
            if (mode == 0) sx = oy, sy = height - 1 - ox;
            else if (mode == 2) sx = width - 1 - oy, sy = ox;
            else sx = width - 1 - ox, sy = height - 1 - oy;
            std::memcpy(out + static_cast<std::size_t>(ox) * bpp,
                        src + static_cast<std::size_t>(sy) * srcRowBytes + static_cast<std::size_t>(sx) * bpp, bpp);
        }
    });
}

}  // namespace

int crop_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst, int dstRowBytes,
               CropRect r, int bpp) noexcept
{
    if (!src || !dst || !valid_pixel_size(bpp) || width <= 0 || height <= 0) return 0;
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height || r.right <= r.left || r.bottom <= r.top)
        return 0;
    const std::size_t bytes = static_cast<std::size_t>(r.right - r.left) * bpp;
    if (static_cast<std::size_t>(dstRowBytes) < bytes) return 0;
    for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(dst + static_cast<std::size_t>(y - r.top) * dstRowBytes,
                    src + static_cast<std::size_t>(y) * srcRowBytes + static_cast<std::size_t>(r.left) * bpp, bytes);
    return 1;
}

int quick_rotate_image(const std::uint8_t* src, int width, int height, int srcRowBytes, std::uint8_t* dst,
                       int dstRowBytes, int mode, int bpp) noexcept
{
    if (!src || !dst || !valid_pixel_size(bpp) || width <= 0 || height <= 0 || mode < 0 || mode > 2) return 0;
    const int outWidth = mode == 1 ? width : height;
    if (dstRowBytes < outWidth * bpp || srcRowBytes < width * bpp) return 0;
    if (bpp == 4 && mode != 1)
        rotate_quarter<std::uint32_t>(src, width, height, srcRowBytes, dst, dstRowBytes, mode == 0);
    else
        rotate_generic(src, width, height, srcRowBytes, dst, dstRowBytes, mode, bpp);
    return 1;
}

int horizontal_flip_image(std::uint8_t* buffer, int width, int height, int bpp, int rowBytes) noexcept
{
    if (!buffer || !valid_pixel_size(bpp) || width <= 0 || height <= 0 || rowBytes < width * bpp) return 0;
    for_each_plane_row(width, height, cost::kCopy, [&](int y) {
        std::uint8_t* row = buffer + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t tmp[16];
        for (int a = 0, b = width - 1; a < b; ++a, --b) {
            std::memcpy(tmp, row + a * bpp, bpp);
            std::memcpy(row + a * bpp, row + b * bpp, bpp);
            std::memcpy(row + b * bpp, tmp, bpp);
        }
    });
    return 1;
}

int vertical_flip_image(std::uint8_t* buffer, int rowBytes, int height) noexcept
{
    if (!buffer || rowBytes <= 0 || height <= 0) return 0;
    for_each_row(0, height / 2, rowBytes / 4 * 2 * cost::kCopy, [&](int y) {
        std::uint8_t* a = buffer + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t* b = buffer + static_cast<std::size_t>(height - 1 - y) * rowBytes;
        std::swap_ranges(a, a + rowBytes, b);
    });
    return 1;
}

}  // namespace mve::il
