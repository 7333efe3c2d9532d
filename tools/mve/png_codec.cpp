// PNG in memory for layered documents (see png_codec.h), on libpng.
#include "png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace mve_host {

namespace {

struct MemoryReader {
    const unsigned char* data;
    std::size_t size, at;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t length)
{
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > r->size - r->at) png_error(png, "truncated PNG");
    std::memcpy(out, r->data + r->at, length);
    r->at += length;
}

void write_to_vector(png_structp png, png_bytep in, png_size_t length)
{
    auto* v = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    v->insert(v->end(), in, in + length);
}

void flush_nothing(png_structp) {}

// libpng reports through longjmp; the message is kept for the caller.
void keep_error(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

}  // namespace

bool decode_png(const unsigned char* data, std::size_t size, std::uint64_t maxPixels, Rgba16Picture& out,
                std::string& error)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        error = "not a PNG";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, keep_error, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "no memory";
        return false;
    }
    MemoryReader reader{data, size, 0};
    std::vector<png_bytep> rows;
    std::vector<unsigned char> raw;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        out = {};
        return false;
    }
    png_set_read_fn(png, &reader, read_from_memory);
    png_set_user_limits(png, 65535, 65535);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (static_cast<std::uint64_t>(w) * h > maxPixels) png_error(png, "picture larger than the canvas limit");
    const int depth = png_get_bit_depth(png, info);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    if (!(png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_add_alpha(png, depth == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const bool sixteen = png_get_bit_depth(png, info) == 16;
    if (rowBytes != static_cast<std::size_t>(w) * (sixteen ? 8 : 4)) png_error(png, "unexpected PNG layout");
    raw.resize(rowBytes * h);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = raw.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    out.width = static_cast<int>(w), out.height = static_cast<int>(h), out.sixteenBit = sixteen;
    out.pixels.resize(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = sixteen ? static_cast<std::uint16_t>(raw[i * 2] << 8 | raw[i * 2 + 1])
                                : static_cast<std::uint16_t>(raw[i] << 8);
    return true;
}

bool encode_png(const std::uint16_t* pixels, int width, int height, bool sixteenBit,
                std::vector<unsigned char>& out)
{
    std::string error;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, keep_error, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (sixteenBit ? 8 : 4);
    std::vector<unsigned char> row(rowBytes);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    out.clear();
    png_set_write_fn(png, &out, write_to_vector, flush_nothing);
    png_set_IHDR(png, info, width, height, sixteenBit ? 16 : 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* in = pixels + static_cast<std::size_t>(y) * width * 4;
        for (int i = 0; i < width * 4; ++i) {
            if (sixteenBit) {
                row[i * 2] = static_cast<unsigned char>(in[i] >> 8);
                row[i * 2 + 1] = static_cast<unsigned char>(in[i] & 0xFF);
            } else {
                row[i] = static_cast<unsigned char>(in[i] >> 8);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace mve_host
