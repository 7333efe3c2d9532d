// Decoding of BMP, GIF, PSD, PCX and TGA through ImageMagick from memory.
// A read that raises an error-level exception fails even when ImageMagick
// hands back a partial picture, so a truncated file never counts as read.
#include <wand/MagickWand.h>

#include <cctype>
#include <string>

#include "imagelib/library.h"
#include "imagelib/magick_route.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

// The picture's size from its header alone (a ping reads no pixels): a file
// claiming more than the caller can use is refused before it is decoded.
bool header_acceptable(const std::uint8_t* data, std::size_t size, const char* format)
{
    MagickWand* ping = NewMagickWand();
    if (!ping) return false;
    if (format) MagickSetFormat(ping, format);
    bool ok = true;
    if (MagickPingImageBlob(ping, data, size) != MagickFalse && MagickGetNumberImages(ping) > 0) {
        MagickSetFirstIterator(ping);
        ok = acceptable_size(static_cast<long long>(MagickGetImageWidth(ping)),
                             static_cast<long long>(MagickGetImageHeight(ping)));
    }
    DestroyMagickWand(ping);
    return ok;
}

}  // namespace

std::uint8_t* decode_magick(const std::uint8_t* data, std::size_t size, const char* format, int* width,
                            int* height) noexcept
{
    if (!data || size == 0 || !ensure_magick()) return nullptr;
    if (!header_acceptable(data, size, format)) return nullptr;
    MagickWand* wand = NewMagickWand();
    if (!wand) return nullptr;
    std::uint8_t* pixels = nullptr;
    if (format) MagickSetFormat(wand, format);
    ExceptionType severity = UndefinedException;
    const bool read = MagickReadImageBlob(wand, data, size) != MagickFalse;
    char* description = MagickGetException(wand, &severity);
    if (description) MagickRelinquishMemory(description);
    if (read && severity < ErrorException && MagickGetNumberImages(wand) > 0) {
        MagickSetFirstIterator(wand);  // GIF: first frame; PSD: the merged picture
        const auto w = static_cast<long long>(MagickGetImageWidth(wand));
        const auto h = static_cast<long long>(MagickGetImageHeight(wand));
        if (acceptable_size(w, h)) pixels = allocate_block(static_cast<int>(w), static_cast<int>(h));
        if (pixels && MagickExportImagePixels(wand, 0, 0, static_cast<size_t>(w), static_cast<size_t>(h), "RGBA",
                                              CharPixel, pixels) == MagickFalse) {
            release_block(pixels);
            pixels = nullptr;
        }
        // Some ImageMagick readers (24-bit TGA) leave the opacity of a picture
        // without alpha unset, so the exported alpha bytes are noise: such a
        // picture is opaque by definition.
        if (pixels && MagickGetImageAlphaChannel(wand) == MagickFalse)
            for (long long i = 3; i < w * h * 4; i += 4) pixels[i] = 255;
        if (pixels) {
            if (width) *width = static_cast<int>(w);
            if (height) *height = static_cast<int>(h);
        }
    }
    DestroyMagickWand(wand);
    return pixels;
}

std::uint8_t* decode_magick_any(const std::uint8_t* data, std::size_t size, const std::string& extension, int* width,
                                int* height) noexcept
try {
    std::uint8_t* block = decode_magick(data, size, nullptr, width, height);
    if (block || extension.size() < 2) return block;
    // Formats without a signature (TGA) are named by their extension.
    std::string format;
    for (char c : extension.substr(1)) format += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return decode_magick(data, size, format.c_str(), width, height);
} catch (...) {
    return nullptr;
}

}  // namespace mve::il
