// Thumbnails (a BMP inside a size x size box, transparent parts white) and
// web pictures (a JPEG within a maximum width and height).
#include <cstring>

#include "core/guard.h"
#include "exchange/exchange.h"
#include "imagelib/resampling.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

constexpr int kWebJpegQuality = 75;

// Packed RGB24 of a decoded picture; fully transparent pixels take `fill`
// when `whiten` (the colour-alpha operation), the others keep their colour.
void to_rgb(const Decoded& d, std::uint8_t* out, bool whiten) noexcept
{
    const std::uint8_t* p = d.pixels.get();
    for (std::size_t i = 0, n = static_cast<std::size_t>(d.width) * d.height; i < n; ++i, p += 4, out += 3) {
        const bool clear = whiten && p[3] == 0;
        out[0] = clear ? 255 : p[0];
        out[1] = clear ? 255 : p[1];
        out[2] = clear ? 255 : p[2];
    }
}

// Resamples RGB24: decimation when both sides shrink, else the general resize.
void resample(const std::uint8_t* src, int w, int h, std::uint8_t* dst, int w2, int h2)
{
    const int ok = w2 < w && h2 < h ? il::decimate_image(src, w, h, w * 3, dst, w2, h2, w2 * 3, 3, 0)
                                    : il::resize_image_default(src, w, h, w * 3, dst, w2, h2, w2 * 3, 3);
    require(ok != 0);
}

// Decodes the source, sizes it with `fit`, resamples and writes it with `write`.
template <class Fit, class Write>
void shrink_file(const char* source, const char* destination, bool whiten, Fit fit, Write write)
{
    il::ImageDest* dest = nullptr;
    try {
        const Decoded d = decode_file(source);
        if (!d) return;
        int w2 = 0, h2 = 0;
        fit(d.width, d.height, &w2, &h2);
        Plane8 rgb, small;
        require(rgb.allocate(static_cast<std::size_t>(d.width) * d.height * 3));
        require(small.allocate(static_cast<std::size_t>(w2) * h2 * 3));
        to_rgb(d, rgb.data(), whiten);
        resample(rgb.data(), d.width, d.height, small.data(), w2, h2);
        dest = il::open_file_dest(destination, 0);
        if (!dest) return;
        if (write(dest, small.data(), w2, h2))
            il::close_dest(dest);
        else
            il::discard_dest(dest);
    } catch (...) {
        il::discard_dest(dest);
        throw;
    }
}

}  // namespace

void thumbnail_size(int width, int height, int size, int* outWidth, int* outHeight) noexcept
{
    const int longer = width >= height ? width : height;
    const int shorter = width >= height ? height : width;
    int other = static_cast<int>(static_cast<double>(size) / longer * shorter);
    if (other < 1) other = 1;  // a sliver still gets one row
    *outWidth = width >= height ? size : other;
    *outHeight = width >= height ? other : size;
}

void web_picture_size(int width, int height, int maxWidth, int maxHeight, int* outWidth,
                      int* outHeight) noexcept
{
    *outWidth = width;
    *outHeight = height;
    if (maxHeight > 0 && static_cast<double>(maxWidth) / maxHeight > static_cast<double>(width) / height) {
        if (maxHeight < height) {
            *outWidth = static_cast<int>(static_cast<double>(width) * maxHeight / height);
            *outHeight = maxHeight;
        }
    } else if (maxWidth < width) {
        *outWidth = maxWidth;
        *outHeight = static_cast<int>(static_cast<double>(height) * maxWidth / width);
    }
    if (*outWidth < 1) *outWidth = 1;
    if (*outHeight < 1) *outHeight = 1;
}

void make_thumbnail(const char* source, const char* destination, int size)
{
    if (size <= 0) return;
    const auto fit = [size](int w, int h, int* w2, int* h2) { thumbnail_size(w, h, size, w2, h2); };
    shrink_file(source, destination, true, fit,
                [](il::ImageDest* dest, const std::uint8_t* px, int tw, int th) {
                    return il::write_bmp(dest, px, tw, th, tw * 3, 24, 0, 0, 0) != 0;
                });
}

void make_web_picture(const char* source, const char* destination, int maxWidth, int maxHeight)
{
    if (maxWidth <= 0 || maxHeight <= 0) return;
    const auto fit = [=](int w, int h, int* w2, int* h2) {
        web_picture_size(w, h, maxWidth, maxHeight, w2, h2);
    };
    shrink_file(source, destination, false, fit,
                [](il::ImageDest* dest, const std::uint8_t* px, int tw, int th) {
                    return il::write_jpg(dest, px, tw, th, tw * 3, kWebJpegQuality, 24, 72, 72, 1) != 0;
                });
}

}  // namespace mve::exchange

extern "C" {

MVE_API int MVE_MakeThumbnail(const char* source, const char* destination, int size)
{
    mve::guarded("MakeThumbnails Excpt", [&] { mve::exchange::make_thumbnail(source, destination, size); });
    return 0;
}

MVE_API int MVE_MakeWebPic(const char* source, const char* destination, int maxWidth, int maxHeight)
{
    mve::guarded("MakeWebPic Excpt",
                 [&] { mve::exchange::make_web_picture(source, destination, maxWidth, maxHeight); });
    return 0;
}

}  // extern "C"
