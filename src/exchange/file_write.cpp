// The file writers: host RGB24 and RGBA32 buffers by extension, and the page
// (the composite of the visible layers) row by row through the line writers.
// Every write goes to a temporary beside the target that replaces it only
// when the whole file was written, so a failed save leaves an old file intact.
#include <algorithm>
#include <cctype>
#include <string>

#include "core/guard.h"
#include "core/merge_layers.h"
#include "exchange/exchange.h"
#include "imagelib/metafile.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

constexpr double kInchesPerMetre = 39.3700787;
constexpr int kJpegQuality = 97;
constexpr int kJpegDctFloat = 3;

std::string lower(const char* extension)
{
    std::string s = extension ? extension : "";
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int pixels_per_metre(int dpi) noexcept
{
    return static_cast<int>(dpi * kInchesPerMetre);
}

// Finishes a destination: keeps the file when the write succeeded, else
// removes the temporary so the target stays as it was.
bool finish(il::ImageDest* dest, bool written) noexcept
{
    if (!written) {
        il::discard_dest(dest);
        return false;
    }
    return il::close_dest(dest) != 0;
}

bool write_gif(il::ImageDest* dest, const std::uint8_t* rgb, int w, int h)
{
    Plane8 indices;
    require(indices.allocate(static_cast<std::size_t>(w) * h));
    std::uint8_t palette[256 * 3] = {};
    const int colours = il::quantize_rgb_to_8bit(rgb, w, h, w * 3, indices.data(), 256, palette);
    return colours > 0 && il::write_gif8(dest, indices.data(), w, h, w, palette, colours, -1) != 0;
}

bool encode_rgb24(il::ImageDest* dest, const std::string& ext, const std::uint8_t* px, int w, int h, int dpi,
                  int quality)
{
    const int ppm = pixels_per_metre(dpi);
    if (ext == ".bmp") return il::write_bmp(dest, px, w, h, w * 3, 24, ppm, ppm, 0) != 0;
    if (ext == ".png") return il::write_png(dest, px, w, h, w * 3, 8, 2, ppm, ppm, 1) != 0;
    if (ext == ".gif") return write_gif(dest, px, w, h);
    if (ext == ".jpg") return il::write_jpg(dest, px, w, h, w * 3, quality, 24, dpi, dpi, 1) != 0;
    if (ext == ".pcx") return il::write_pcx(dest, px, w, h, w * 3, 24) != 0;
    if (ext == ".psd") return il::write_psd(dest, px, w, h, w * 3, 24) != 0;
    if (ext == ".emf") return il::write_emf(dest, px, w, h, w * 3, dpi) != 0;
    if (ext == ".wmf") return il::write_wmf(dest, px, w, h, w * 3, dpi) != 0;
    return false;
}

bool encode_rgba32(il::ImageDest* dest, const std::string& ext, const std::uint8_t* px, int w, int h, int dpi)
{
    const int ppm = pixels_per_metre(dpi);
    if (ext == ".png") return il::write_png(dest, px, w, h, w * 4, 8, 6, ppm, ppm, 1) != 0;
    if (ext == ".tga") return il::write_tga(dest, px, w, h, w * 4, 32) != 0;
    if (ext == ".tif") return il::write_tiff(dest, px, w, h, w * 4, 32, dpi, dpi, 2) != 0;
    return false;
}

// The line writer of the page save for an extension, with the line order the
// engine hands its rows in; null for an extension the page save does not write.
il::LineWriter* page_writer(il::ImageDest* dest, const std::string& ext, int w, int h, int dpi, int bits,
                            int quality, bool* bottomUp)
{
    const int ppm = pixels_per_metre(dpi);
    *bottomUp = false;
    if (bits == 24) {
        if (ext == ".bmp") {
            *bottomUp = true;
            return il::init_write_bmp_lines(dest, w, h, 24, ppm, ppm, 0);
        }
        if (ext == ".png") {
            *bottomUp = true;
            return il::init_write_png_lines(dest, w, h, w * 3, 8, 2, ppm, ppm, 1, il::LineOrder::BottomUp);
        }
        if (ext == ".jpg") {
            il::set_jpg_dct(kJpegDctFloat);
            il::set_jpg_smoothing(0);
            il::set_jpg_sampling(1, 1, 1, 1, 1, 1);
            return il::init_write_jpg_lines(dest, w, h, quality, 24, dpi, dpi, 1);
        }
        return nullptr;
    }
    if (ext == ".png")
        return il::init_write_png_lines(dest, w, h, w * 4, 8, 6, ppm, ppm, 1, il::LineOrder::TopDown);
    if (ext == ".tga") return il::init_write_tga_lines(dest, w, h, 32);
    if (ext == ".tif") return il::init_write_tiff_lines(dest, w, h, 32, dpi, dpi, 2);
    return nullptr;
}

// Composites canvas row y and narrows it to 8 bits (high bytes), RGB24 or RGBA32.
void page_row(Engine& e, int y, Plane16& wide, std::uint8_t* out, int bits) noexcept
{
    const int w = e.canvas.width;
    std::fill(wide.data(), wide.data() + wide.size(), std::uint16_t{0});
    merge_visible_rect(e, wide.data(), 0, y, w, 1);
    const int channels = bits / 8;
    for (int x = 0; x < w; ++x)
        for (int c = 0; c < channels; ++c)
            out[x * channels + c] = static_cast<std::uint8_t>(wide[x * 4 + c] >> 8);
}

}  // namespace

int writer_jpeg_quality(int setting) noexcept
{
    return setting >= 1 && setting <= 100 ? setting : kJpegQuality;
}

bool write_buffer(const std::uint8_t* pixels, int width, int height, const char* path, const char* extension,
                  int dpi, int bits, int jpegQuality)
{
    il::ImageDest* dest = il::open_file_dest(path, 0);
    if (!dest) return false;
    bool written = false;
    try {
        const std::string ext = lower(extension);
        if (pixels && width > 0 && height > 0)
            written = bits == 24 ? encode_rgb24(dest, ext, pixels, width, height, dpi,
                                                writer_jpeg_quality(jpegQuality))
                                 : encode_rgba32(dest, ext, pixels, width, height, dpi);
    } catch (...) {
        il::discard_dest(dest);
        throw;
    }
    return finish(dest, written);
}

bool save_page(Engine& e, const char* path, const char* extension, int dpi, int bits, int jpegQuality)
{
    const int w = e.canvas.width, h = e.canvas.height;
    il::ImageDest* dest = il::open_file_dest(path, 0);
    if (!dest) return false;
    bool written = false;
    try {
        bool bottomUp = false;
        il::LineWriter* writer = w > 0 && h > 0 ? page_writer(dest, lower(extension), w, h, dpi, bits,
                                                              writer_jpeg_quality(jpegQuality), &bottomUp)
                                                : nullptr;
        if (writer) {
            Plane16 wide;
            Plane8 line;
            bool ok = wide.allocate(static_cast<std::size_t>(w) * 4) &&
                      line.allocate(static_cast<std::size_t>(w) * 4);
            for (int i = 0; ok && i < h; ++i) {
                page_row(e, bottomUp ? h - 1 - i : i, wide, line.data(), bits);
                ok = il::write_next_line(writer, line.data()) != 0;
            }
            // The writer is destroyed in every case; it reports missing lines itself.
            written = il::destroy_write_lines(writer) != 0 && ok;
        }
    } catch (...) {
        il::discard_dest(dest);
        throw;
    }
    return finish(dest, written);
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

static int quality() noexcept
{
    return ex::exchange_state().jpegQuality;
}

extern "C" {

MVE_API void MVE_SetWriteJPGQuality(int quality)
{
    ex::exchange_state().jpegQuality = quality;
}

MVE_API int MVE_WriteToFileRGB24(const unsigned char* pixels, int width, int height, const char* path,
                                 const char* extension, int dpi)
{
    return guarded("WriteToFileRGB24 Excpt", 0, [&] {
        return ex::write_buffer(pixels, width, height, path, extension, dpi, 24, quality()) ? 1 : 0;
    });
}

MVE_API int MVE_WriteToFileRGBA32(const unsigned char* pixels, int width, int height, const char* path,
                                  const char* extension, int dpi)
{
    return guarded("WriteToFileRGBA32 Excpt", 0, [&] {
        return ex::write_buffer(pixels, width, height, path, extension, dpi, 32, quality()) ? 1 : 0;
    });
}

MVE_API int MVE_SavePageToFileRGB24(const char* path, const char* extension, int dpi)
{
    return guarded("SavePageToFileRGB24 Excpt", 0,
                   [&] { return ex::save_page(mve::engine(), path, extension, dpi, 24, quality()) ? 1 : 0; });
}

MVE_API int MVE_SavePageToFileRGB32(const char* path, const char* extension, int dpi)
{
    return guarded("SavePageToFileRGB32 Excpt", 0,
                   [&] { return ex::save_page(mve::engine(), path, extension, dpi, 32, quality()) ? 1 : 0; });
}

}  // extern "C"
