// TIFF decoding with libtiff from memory. 8-bit contiguous RGB, RGBA and grey
// strips are read scanline by scanline so straight alpha comes back exactly;
// every other layout goes through libtiff's RGBA reader, whose premultiplied
// alpha is undone afterwards.
#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "imagelib/library.h"
#include "imagelib/memory_tiff.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

bool read_scanlines(TIFF* tif, std::uint8_t* pixels, int width, int height, int samples, bool alpha)
{
    const tmsize_t line = TIFFScanlineSize(tif);
    if (line < static_cast<tmsize_t>(width) * samples) return false;
    auto* row = static_cast<std::uint8_t*>(_TIFFmalloc(line));
    if (!row) return false;
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        if (TIFFReadScanline(tif, row, static_cast<uint32_t>(y), 0) < 0) {
            ok = false;
            break;
        }
        std::uint8_t* out = pixels + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, out += 4) {
            const std::uint8_t* in = row + static_cast<std::size_t>(x) * samples;
            if (samples >= 3) {
                out[0] = in[0], out[1] = in[1], out[2] = in[2];
                out[3] = alpha ? in[3] : 255;
            } else {
                out[0] = out[1] = out[2] = in[0];
                out[3] = alpha ? in[1] : 255;
            }
        }
    }
    _TIFFfree(row);
    return ok;
}

bool read_generic(TIFF* tif, std::uint8_t* pixels, int width, int height, bool premultiplied)
{
    if (!TIFFReadRGBAImageOriented(tif, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                   reinterpret_cast<uint32_t*>(pixels), ORIENTATION_TOPLEFT, 0))
        return false;
    // The raster is ABGR words: on a little-endian machine the bytes are R, G, B, A.
    if (premultiplied) {
        const std::size_t n = static_cast<std::size_t>(width) * height;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint8_t* p = pixels + i * 4;
            const int a = p[3];
            if (a == 0 || a == 255) continue;
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::min(255, (p[c] * 255 + a / 2) / a));
        }
    }
    return true;
}

}  // namespace

std::uint8_t* decode_tiff(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
{
    if (!data || size < 8) return nullptr;
    MemoryTiff memory{const_cast<std::uint8_t*>(data), size, size, 0, nullptr};
    TIFF* tif = open_memory_tiff(memory, "r");
    if (!tif) return nullptr;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, samples = 1, planar = PLANARCONFIG_CONTIG, photometric = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    uint16_t extra = 0;
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
    const bool associated = extra > 0 && extraTypes && extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;

    std::uint8_t* pixels = nullptr;
    if (acceptable_size(w, h)) pixels = allocate_block(static_cast<int>(w), static_cast<int>(h));
    bool ok = pixels != nullptr;
    if (ok) {
        const bool rgb = photometric == PHOTOMETRIC_RGB && (samples == 3 || samples == 4);
        const bool grey = photometric == PHOTOMETRIC_MINISBLACK && (samples == 1 || samples == 2);
        const bool plain = bits == 8 && planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tif) && (rgb || grey) && !associated;
        if (plain)
            ok = read_scanlines(tif, pixels, static_cast<int>(w), static_cast<int>(h), samples,
                                samples == 4 || samples == 2);
        else
            ok = read_generic(tif, pixels, static_cast<int>(w), static_cast<int>(h), extra > 0);
    }
    TIFFClose(tif);
    if (!ok) {
        release_block(pixels);
        return nullptr;
    }
    if (width) *width = static_cast<int>(w);
    if (height) *height = static_cast<int>(h);
    return pixels;
}

}  // namespace mve::il
