// Writers through ImageMagick: PSD and PCX from RGB24 or RGBA32, the 8-bit
// GIF from palette indices, and the colour reduction that feeds it.
#include <wand/MagickWand.h>

#include <cstring>
#include <unordered_map>
#include <vector>

#include "imagelib/library.h"
#include "imagelib/writing.h"

namespace mve::il {

namespace {

// Packs rows of rowBytes into a tight block of width * channels bytes.
std::vector<std::uint8_t> packed(const std::uint8_t* pixels, int width, int height, int rowBytes, int channels)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.data() + static_cast<std::size_t>(y) * width * channels,
                    pixels + static_cast<std::size_t>(y) * rowBytes, static_cast<std::size_t>(width) * channels);
    return out;
}

// Constitutes a picture, encodes it in `format` and appends it to dest.
int encode(ImageDest* dest, const std::vector<std::uint8_t>& block, int width, int height, const char* map,
           const char* format, bool palette)
{
    if (!ensure_magick()) return 0;
    MagickWand* wand = NewMagickWand();
    if (!wand) return 0;
    int ok = 0;
    if (MagickConstituteImage(wand, static_cast<size_t>(width), static_cast<size_t>(height), map, CharPixel,
                              block.data()) != MagickFalse &&
        MagickSetImageFormat(wand, format) != MagickFalse) {
        if (palette) MagickSetImageType(wand, std::strlen(map) == 4 ? PaletteMatteType : PaletteType);
        size_t length = 0;
        unsigned char* blob = MagickGetImageBlob(wand, &length);
        if (blob && length > 0) {
            dest->write(blob, length);
            ok = 1;
        }
        if (blob) MagickRelinquishMemory(blob);
    }
    DestroyMagickWand(wand);
    return ok;
}

int write_rgb_format(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits,
                     const char* format) noexcept
{
    if (!dest || !pixels || width <= 0 || height <= 0 || (bits != 24 && bits != 32)) return 0;
    try {
        const int channels = bits / 8;
        return encode(dest, packed(pixels, width, height, rowBytes, channels), width, height,
                      channels == 4 ? "RGBA" : "RGB", format, false);
    } catch (...) {
        return 0;
    }
}

}  // namespace

int write_psd(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept
{
    return write_rgb_format(dest, pixels, width, height, rowBytes, bits, "PSD");
}

int write_pcx(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept
{
    return write_rgb_format(dest, pixels, width, height, rowBytes, bits, "PCX");
}

int quantize_rgb_to_8bit(const std::uint8_t* rgb, int width, int height, int rowBytes, std::uint8_t* indices,
                         int colours, std::uint8_t* palette) noexcept
{
    if (!rgb || !indices || !palette || width <= 0 || height <= 0 || colours < 2 || colours > 256) return 0;
    if (!ensure_magick()) return 0;
    try {
        std::vector<std::uint8_t> block = packed(rgb, width, height, rowBytes, 3);
        MagickWand* wand = NewMagickWand();
        if (!wand) return 0;
        bool ok = MagickConstituteImage(wand, static_cast<size_t>(width), static_cast<size_t>(height), "RGB",
                                        CharPixel, block.data()) != MagickFalse &&
                  MagickQuantizeImage(wand, static_cast<size_t>(colours), sRGBColorspace, 0, MagickFalse,
                                      MagickFalse) != MagickFalse &&
                  MagickExportImagePixels(wand, 0, 0, static_cast<size_t>(width), static_cast<size_t>(height), "RGB",
                                          CharPixel, block.data()) != MagickFalse;
        DestroyMagickWand(wand);
        if (!ok) return 0;
        // The quantised picture has at most `colours` distinct colours: number them.
        std::unordered_map<std::uint32_t, int> index;
        for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
            const std::uint8_t* p = &block[i * 3];
            const std::uint32_t key = (p[0] << 16u) | (p[1] << 8u) | p[2];
            auto [it, added] = index.try_emplace(key, static_cast<int>(index.size()));
            if (added) {
                if (it->second >= colours) return 0;
                std::memcpy(palette + it->second * 3, p, 3);
            }
            indices[i] = static_cast<std::uint8_t>(it->second);
        }
        return static_cast<int>(index.size());
    } catch (...) {
        return 0;
    }
}

int write_gif8(ImageDest* dest, const std::uint8_t* indices, int width, int height, int rowBytes,
               const std::uint8_t* palette, int colours, int transparentIndex) noexcept
{
    if (!dest || !indices || !palette || width <= 0 || height <= 0 || colours < 1 || colours > 256) return 0;
    try {
        // Expanded to RGBA; with at most 256 colours the GIF coder keeps them exactly.
        std::vector<std::uint8_t> block(static_cast<std::size_t>(width) * height * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int i = indices[static_cast<std::size_t>(y) * rowBytes + x];
                if (i >= colours) i = 0;
                std::uint8_t* out = &block[(static_cast<std::size_t>(y) * width + x) * 4];
                std::memcpy(out, palette + i * 3, 3);
                out[3] = i == transparentIndex ? 0 : 255;
            }
        return encode(dest, block, width, height, "RGBA", "GIF", true);
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
