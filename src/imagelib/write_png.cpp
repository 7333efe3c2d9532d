// PNG writing with libpng, line by line. Lines handed bottom row first are
// collected and written in file order when the writer finishes, because PNG
// stores the top row first.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "imagelib/line_writer.h"

namespace mve::il {

namespace {

void write_to_dest(png_structp png, png_bytep data, png_size_t n)
{
    static_cast<ImageDest*>(png_get_io_ptr(png))->write(data, n);
}
void flush_dest(png_structp) {}
void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void on_warning(png_structp, png_const_charp) {}

struct PngWriter final : LineWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool bottomUp = false;
    std::size_t lineBytes = 0;
    std::vector<std::uint8_t> held;  // bottom-up lines, in arrival order

    ~PngWriter() override { png_destroy_write_struct(&png, &info); }

    bool write_row(const std::uint8_t* row)
    {
        if (setjmp(png_jmpbuf(png))) return false;
        png_write_row(png, const_cast<png_bytep>(row));
        return true;
    }
    bool line(const std::uint8_t* pixels) override
    {
        if (!bottomUp) return write_row(pixels);
        held.insert(held.end(), pixels, pixels + lineBytes);
        return true;
    }
    bool finish() override
    {
        if (failed || written != height) return false;
        if (bottomUp)
            for (int i = height - 1; i >= 0; --i)
                if (!write_row(held.data() + static_cast<std::size_t>(i) * lineBytes)) return false;
        if (setjmp(png_jmpbuf(png))) return false;
        png_write_end(png, info);
        return true;
    }
    bool start(ImageDest* dest, int depth, int colour, int xRes, int yRes, int unit)
    {
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_write_fn(png, dest, write_to_dest, flush_dest);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, colour,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (xRes > 0 && yRes > 0)
            png_set_pHYs(png, info, static_cast<png_uint_32>(xRes), static_cast<png_uint_32>(yRes),
                         unit == 1 ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
        png_set_compression_level(png, dest->pngCompression);
        if (dest->pngFastFilter) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        png_write_info(png, info);
        return true;
    }
};

int channels_of(int colorType)
{
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY: return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_RGB: return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
        default: return 0;
    }
}

}  // namespace

LineWriter* init_write_png_lines(ImageDest* dest, int width, int height, int rowBytes, int bitDepth,
                                 int colorType, int xRes, int yRes, int unit, LineOrder order) noexcept
{
    const int channels = channels_of(colorType);
    if (!dest || width <= 0 || height <= 0 || bitDepth != 8 || channels == 0) return nullptr;
    if (rowBytes < width * channels) return nullptr;
    auto* w = new (std::nothrow) PngWriter;
    if (!w) return nullptr;
    w->width = width;
    w->height = height;
    w->bottomUp = order == LineOrder::BottomUp;
    w->lineBytes = static_cast<std::size_t>(width) * channels;
    w->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
    if (w->png) w->info = png_create_info_struct(w->png);
    if (!w->info || !w->start(dest, bitDepth, colorType, xRes, yRes, unit)) {
        delete w;
        return nullptr;
    }
    return w;
}

int write_png(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bitDepth,
              int colorType, int xRes, int yRes, int unit) noexcept
{
    if (!pixels) return 0;
    return write_all_lines(
        init_write_png_lines(dest, width, height, rowBytes, bitDepth, colorType, xRes, yRes, unit, LineOrder::TopDown),
        pixels, rowBytes, false);
}

}  // namespace mve::il
