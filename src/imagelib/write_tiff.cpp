// TIFF writing with libtiff into the destination's memory, one strip per
// line group, Deflate-compressed (lossless), straight alpha marked unassociated.
#include <tiffio.h>

#include <new>
#include <vector>

#include "imagelib/line_writer.h"
#include "imagelib/memory_tiff.h"

namespace mve::il {

namespace {

struct TiffWriter final : LineWriter {
    ImageDest* dest = nullptr;
    MemoryTiff memory{};
    TIFF* tif = nullptr;
    std::vector<std::uint8_t> scratch;  // libtiff's predictor rewrites the line it is given

    ~TiffWriter() override
    {
        if (tif) TIFFClose(tif);
    }
    bool line(const std::uint8_t* pixels) override
    {
        scratch.assign(pixels, pixels + scratch.size());
        return TIFFWriteScanline(tif, scratch.data(), static_cast<uint32_t>(written), 0) >= 0;
    }
    bool finish() override
    {
        if (failed || written != height) return false;
        // Closing flushes the last strip and the directory into dest->bytes.
        const bool ok = TIFFFlush(tif) == 1;
        TIFFClose(tif);
        tif = nullptr;
        dest->pos = dest->bytes.size();
        return ok;
    }
};

}  // namespace

LineWriter* init_write_tiff_lines(ImageDest* dest, int width, int height, int bits, int xRes, int yRes,
                                  int unit) noexcept
{
    if (!dest || width <= 0 || height <= 0 || (bits != 24 && bits != 32)) return nullptr;
    auto* w = new (std::nothrow) TiffWriter;
    if (!w) return nullptr;
    w->width = width;
    w->height = height;
    w->dest = dest;
    try {
        w->scratch.resize(static_cast<std::size_t>(width) * (bits / 8));
    } catch (...) {
        delete w;
        return nullptr;
    }
    // The TIFF is written into the destination's bytes from its current end.
    w->memory = MemoryTiff{dest->bytes.data(), dest->bytes.size(), dest->bytes.size(), dest->bytes.size(), &dest->bytes};
    w->tif = open_memory_tiff(w->memory, "w");
    if (!w->tif) {
        delete w;
        return nullptr;
    }
    TIFF* tif = w->tif;
    const uint16_t samples = static_cast<uint16_t>(bits / 8);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (samples == 4) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (xRes > 0 && yRes > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(xRes));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(yRes));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(unit >= 1 && unit <= 3 ? unit : RESUNIT_INCH));
    }
    return w;
}

int write_tiff(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits,
               int xRes, int yRes, int unit) noexcept
{
    if (!pixels) return 0;
    return write_all_lines(init_write_tiff_lines(dest, width, height, bits, xRes, yRes, unit), pixels, rowBytes,
                           false);
}

}  // namespace mve::il
