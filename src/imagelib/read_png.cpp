// PNG decoding with libpng from memory. libpng reports errors by longjmp: the
// state lives in a struct owned by the caller of the setjmp frame, so nothing
// with a destructor is skipped and nothing is read back from a clobbered local.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "imagelib/library.h"
#include "imagelib/png_direct.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t n)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (n > reader->size - reader->pos) png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->pos, n);
    reader->pos += n;
}

// Whether every chunk's stated length fits in the bytes that follow it. The
// whole file is in memory, so a chunk claiming more is a truncated or hostile
// file: refusing it here keeps libpng from allocating (and clearing) a buffer
// of the claimed size before it finds the data missing.
bool chunk_lengths_fit(const std::uint8_t* data, std::size_t size)
{
    std::size_t pos = 8;
    while (size - pos >= 12) {
        const std::uint32_t length = static_cast<std::uint32_t>(data[pos]) << 24 | data[pos + 1] << 16 |
                                     data[pos + 2] << 8 | data[pos + 3];
        if (length > size - pos - 12) return false;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0) return true;
        pos += 12 + static_cast<std::size_t>(length);
    }
    return pos == size;
}

void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void on_warning(png_structp, png_const_charp) {}

struct PngDecode {
    MemoryReader reader;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    int width = 0;
    int height = 0;
};

// Runs the whole decode; false after any libpng error.
bool run(PngDecode& d)
{
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_set_read_fn(d.png, &d.reader, read_from_memory);
    png_set_user_limits(d.png, 65535, 65535);
    // Ancillary chunks are read whole into memory: a chunk that claims 2 GB
    // fails here instead of being allocated; and no stream may hold more
    // chunks than a picture needs.
    png_set_chunk_malloc_max(d.png, static_cast<png_alloc_size_t>(kDecoderWorkingMemory));
    png_set_chunk_cache_max(d.png, 1000);
    png_read_info(d.png, d.info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(d.png, d.info, &w, &h, &depth, &colour, &interlace, nullptr, nullptr);
    if (!acceptable_size(w, h)) return false;
    // Every layout becomes 8-bit RGBA: palettes and low bit depths expand,
    // 16-bit keeps its high byte, grey is copied to R, G and B, missing alpha is 255.
    png_set_expand(d.png);
    png_set_strip_16(d.png);
    png_set_gray_to_rgb(d.png);
    png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    if (png_get_rowbytes(d.png, d.info) != static_cast<png_size_t>(w) * 4) return false;
    d.width = static_cast<int>(w);
    d.height = static_cast<int>(h);
    d.pixels = allocate_block(d.width, d.height);
    d.rows = static_cast<png_bytep*>(png_malloc(d.png, sizeof(png_bytep) * h));
    if (!d.pixels) return false;
    for (png_uint_32 y = 0; y < h; ++y) d.rows[y] = d.pixels + static_cast<std::size_t>(y) * w * 4;
    png_read_image(d.png, d.rows);
    png_read_end(d.png, nullptr);
    return true;
}

}  // namespace

std::uint8_t* decode_png(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
{
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0 || !chunk_lengths_fit(data, size)) return nullptr;
    if (std::uint8_t* direct = decode_png_direct(data, size, width, height)) return direct;
    PngDecode d{{data, size, 0}};
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
    if (!d.png) return nullptr;
    d.info = png_create_info_struct(d.png);
    const bool ok = d.info && run(d);
    if (d.rows) png_free(d.png, d.rows);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    if (!ok) {
        release_block(d.pixels);
        return nullptr;
    }
    if (width) *width = d.width;
    if (height) *height = d.height;
    return d.pixels;
}

}  // namespace mve::il
