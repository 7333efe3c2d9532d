// PNG writing: each row is filtered as it arrives (the filter with the least
// sum of absolute residuals, or Sub alone when the destination asks for
// speed), and the whole filtered picture is deflated in one call by
// libdeflate when the last row is in. A whole-buffer compressor is both
// faster and tighter than streaming zlib at the same level, and a picture
// being saved is in memory anyway. Lines handed bottom row first are held
// and filtered in file order at the end, because PNG stores the top row first.
#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/compression.h"
#include "imagelib/line_writer.h"
#include "imagelib/png_filter.h"

namespace mve::il {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// IDAT data is split into chunks of this size, well under the format's 2^31 - 1.
constexpr std::size_t kIdatChunkBytes = 1 << 20;
// libdeflate levels run 1..12; the zlib levels callers give (1..9) map onto
// the same number, anything lower to 1.
constexpr int kMaxLevel = 12;

void put32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// One chunk: length, type, data, and the CRC of type and data.
void write_chunk(ImageDest* dest, const char* type, const std::uint8_t* data, std::size_t n)
{
    std::uint8_t head[8];
    put32(head, static_cast<std::uint32_t>(n));
    std::memcpy(head + 4, type, 4);
    std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
    if (n) crc = libdeflate_crc32(crc, data, n);
    std::uint8_t tail[4];
    put32(tail, crc);
    dest->write(head, 8);
    if (n) dest->write(data, n);
    dest->write(tail, 4);
}

int channels_of(int colorType)
{
    switch (colorType) {
        case 0: return 1;  // grey
        case 4: return 2;  // grey and alpha
        case 2: return 3;  // RGB
        case 6: return 4;  // RGBA
        default: return 0;
    }
}

struct PngWriter final : LineWriter {
    ImageDest* dest = nullptr;
    int channels = 0;
    int level = 6;
    bool fastFilter = false;
    bool bottomUp = false;
    bool dropAlpha = false;  // RGBA lines stored as RGB (every alpha is 255)
    std::size_t lineBytes = 0;
    std::vector<std::uint8_t> rgb;  // a line without its alpha
    std::vector<std::uint8_t> held;      // bottom-up lines, in arrival order
    std::vector<std::uint8_t> above;     // the previous row in file order (zeros before the first)
    std::vector<std::uint8_t> scratch;   // residuals of the four predicting filters
    std::vector<std::uint8_t> filtered;  // filter byte + residuals of every row so far

    void filter_line(const std::uint8_t* pixels)
    {
        filtered.resize(filtered.size() + lineBytes + 1);
        std::uint8_t* out = filtered.data() + filtered.size() - lineBytes - 1;
        if (fastFilter) {
            out[0] = kPngFilterSub;
            png_filter_row(kPngFilterSub, pixels, above.data(), lineBytes, channels, out + 1);
        } else {
            png_filter_row_best(pixels, above.data(), lineBytes, channels, out, scratch.data());
        }
        std::memcpy(above.data(), pixels, lineBytes);
    }
    bool line(const std::uint8_t* pixels) override
    try {
        if (dropAlpha) {
            for (std::size_t x = 0, n = lineBytes / 3; x < n; ++x) std::memcpy(&rgb[x * 3], pixels + x * 4, 3);
            pixels = rgb.data();
        }
        if (bottomUp)
            held.insert(held.end(), pixels, pixels + lineBytes);
        else
            filter_line(pixels);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool finish() override
    try {
        if (failed || written != height) return false;
        if (bottomUp)
            for (int i = height - 1; i >= 0; --i) filter_line(held.data() + static_cast<std::size_t>(i) * lineBytes);
        std::vector<std::uint8_t> packed(z_deflate_bound(filtered.size()));
        const std::size_t n = z_deflate_buffer(filtered.data(), filtered.size(), packed.data(), packed.size(), level);
        if (n == 0) return false;
        for (std::size_t at = 0; at < n; at += kIdatChunkBytes)
            write_chunk(dest, "IDAT", packed.data() + at, std::min(kIdatChunkBytes, n - at));
        write_chunk(dest, "IEND", nullptr, 0);
        return !dest->failed;
    } catch (const std::bad_alloc&) {
        return false;
    }
    void start(int colorType, int xRes, int yRes, int unit)
    {
        dest->write(kSignature, 8);
        std::uint8_t header[13];
        put32(header, static_cast<std::uint32_t>(width));
        put32(header + 4, static_cast<std::uint32_t>(height));
        header[8] = 8;  // bits per channel
        header[9] = static_cast<std::uint8_t>(colorType);
        header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, not interlaced
        write_chunk(dest, "IHDR", header, sizeof header);
        if (xRes > 0 && yRes > 0) {
            std::uint8_t phys[9];
            put32(phys, static_cast<std::uint32_t>(xRes));
            put32(phys + 4, static_cast<std::uint32_t>(yRes));
            phys[8] = unit == 1 ? 1 : 0;  // 1: pixels per metre, 0: aspect ratio only
            write_chunk(dest, "pHYs", phys, sizeof phys);
        }
    }
};

}  // namespace

namespace {

// Whether every alpha byte of an RGBA picture is 255.
bool opaque(const std::uint8_t* pixels, int width, int height, int rowBytes)
{
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x)
            if (row[x * 4 + 3] != 255) return false;
    }
    return true;
}

LineWriter* start_png(ImageDest* dest, int width, int height, int rowBytes, int bitDepth, int colorType, int xRes,
                      int yRes, int unit, LineOrder order, bool dropAlpha) noexcept
{
    const int channels = channels_of(colorType);
    if (!dest || width <= 0 || height <= 0 || bitDepth != 8 || channels == 0) return nullptr;
    if (rowBytes < width * channels) return nullptr;
    auto* w = new (std::nothrow) PngWriter;
    if (!w) return nullptr;
    try {
        w->dest = dest;
        w->width = width;
        w->height = height;
        w->dropAlpha = dropAlpha && colorType == 6;
        if (w->dropAlpha) colorType = 2;
        w->channels = w->dropAlpha ? 3 : channels;
        w->rgb.resize(static_cast<std::size_t>(width) * 3);
        w->level = std::clamp(dest->pngCompression, 1, kMaxLevel);
        w->fastFilter = dest->pngFastFilter;
        w->bottomUp = order == LineOrder::BottomUp;
        w->lineBytes = static_cast<std::size_t>(width) * w->channels;
        w->above.assign(w->lineBytes, 0);
        w->scratch.resize(w->fastFilter ? 0 : w->lineBytes * 4);
        (w->bottomUp ? w->held : w->filtered).reserve((w->lineBytes + 1) * static_cast<std::size_t>(height));
        w->start(colorType, xRes, yRes, unit);
    } catch (const std::bad_alloc&) {
        delete w;
        return nullptr;
    }
    return w;
}

}  // namespace

LineWriter* init_write_png_lines(ImageDest* dest, int width, int height, int rowBytes, int bitDepth,
                                 int colorType, int xRes, int yRes, int unit, LineOrder order) noexcept
{
    return start_png(dest, width, height, rowBytes, bitDepth, colorType, xRes, yRes, unit, order, false);
}

// A whole RGBA picture that is opaque everywhere is stored as RGB, as other
// PNG writers do: the same pixels for every reader (alpha 255), a quarter
// fewer bytes to filter and compress, and a smaller file.
int write_png(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bitDepth,
              int colorType, int xRes, int yRes, int unit) noexcept
{
    if (!pixels) return 0;
    const bool dropAlpha = colorType == 6 && width > 0 && height > 0 && rowBytes >= width * 4 &&
                           opaque(pixels, width, height, rowBytes);
    return write_all_lines(start_png(dest, width, height, rowBytes, bitDepth, colorType, xRes, yRes, unit,
                                     LineOrder::TopDown, dropAlpha),
                           pixels, rowBytes, false);
}

}  // namespace mve::il
