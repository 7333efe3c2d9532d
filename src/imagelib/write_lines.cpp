// The line-writer interface and the two formats simple enough to write by
// hand: BMP (24-bit BGR or 32-bit BGRA, bottom row first as stored) and TGA
// (uncompressed, top-left origin).
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/line_writer.h"

namespace mve::il {

namespace {

void put16(std::uint8_t* p, unsigned v) { p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF; }
void put32(std::uint8_t* p, std::uint32_t v) { put16(p, v & 0xFFFF), put16(p + 2, v >> 16); }

// Pixels per metre from a value in the BMP unit convention.
std::uint32_t per_metre(int value, int unit)
{
    if (value <= 0) return 0;
    if (unit == 1) return static_cast<std::uint32_t>(value * 39.3700787);
    if (unit == 2) return static_cast<std::uint32_t>(value * 100);
    return static_cast<std::uint32_t>(value);
}

// Swaps R and B into `out`, keeping the channel count.
void to_bgr(const std::uint8_t* in, std::uint8_t* out, int width, int channels)
{
    for (int x = 0; x < width; ++x, in += channels, out += channels) {
        out[0] = in[2], out[1] = in[1], out[2] = in[0];
        if (channels == 4) out[3] = in[3];
    }
}

struct BmpWriter final : LineWriter {
    ImageDest* dest;
    int channels;
    std::vector<std::uint8_t> row;

    BmpWriter(ImageDest* d, int c) : dest(d), channels(c) {}
    bool line(const std::uint8_t* pixels) override
    {
        to_bgr(pixels, row.data(), width, channels);
        dest->write(row.data(), row.size());
        return true;
    }
    bool finish() override { return true; }
};

struct TgaWriter final : LineWriter {
    ImageDest* dest;
    int channels;
    std::vector<std::uint8_t> row;

    TgaWriter(ImageDest* d, int c) : dest(d), channels(c) {}
    bool line(const std::uint8_t* pixels) override
    {
        to_bgr(pixels, row.data(), width, channels);
        dest->write(row.data(), row.size());
        return true;
    }
    bool finish() override { return true; }
};

bool valid(ImageDest* dest, int width, int height, int bits)
{
    return dest && width > 0 && height > 0 && width <= 65535 && height <= 65535 && (bits == 24 || bits == 32);
}

}  // namespace

LineWriter* init_write_bmp_lines(ImageDest* dest, int width, int height, int bits, int xRes, int yRes,
                                 int unit) noexcept
{
    if (!valid(dest, width, height, bits)) return nullptr;
    try {
        const int channels = bits / 8;
        auto* w = new BmpWriter(dest, channels);
        w->width = width;
        w->height = height;
        const std::size_t stride = (static_cast<std::size_t>(width) * channels + 3) & ~std::size_t{3};
        w->row.assign(stride, 0);  // padding bytes stay 0
        std::uint8_t header[54] = {'B', 'M'};
        const std::size_t image = stride * height;
        put32(header + 2, static_cast<std::uint32_t>(54 + image));
        put32(header + 10, 54);
        put32(header + 14, 40);
        put32(header + 18, static_cast<std::uint32_t>(width));
        put32(header + 22, static_cast<std::uint32_t>(height));  // positive: bottom row first
        put16(header + 26, 1);
        put16(header + 28, static_cast<unsigned>(bits));
        put32(header + 34, static_cast<std::uint32_t>(image));
        put32(header + 38, per_metre(xRes, unit));
        put32(header + 42, per_metre(yRes, unit));
        dest->write(header, sizeof header);
        return w;
    } catch (...) {
        return nullptr;
    }
}

LineWriter* init_write_tga_lines(ImageDest* dest, int width, int height, int bits) noexcept
{
    if (!valid(dest, width, height, bits)) return nullptr;
    try {
        auto* w = new TgaWriter(dest, bits / 8);
        w->width = width;
        w->height = height;
        w->row.assign(static_cast<std::size_t>(width) * (bits / 8), 0);
        std::uint8_t header[18] = {};
        header[2] = 2;  // uncompressed true colour
        put16(header + 12, static_cast<unsigned>(width));
        put16(header + 14, static_cast<unsigned>(height));
        header[16] = static_cast<std::uint8_t>(bits);
        header[17] = static_cast<std::uint8_t>(0x20 | (bits == 32 ? 8 : 0));  // top-left origin, alpha bits
        dest->write(header, sizeof header);
        return w;
    } catch (...) {
        return nullptr;
    }
}

int write_next_line(LineWriter* writer, const std::uint8_t* line) noexcept
{
    if (!writer || !line || writer->failed || writer->written >= writer->height) return 0;
    try {
        if (!writer->line(line)) writer->failed = true;
    } catch (...) {
        writer->failed = true;
    }
    if (writer->failed) return 0;
    ++writer->written;
    return 1;
}

int destroy_write_lines(LineWriter* writer) noexcept
{
    if (!writer) return 0;
    bool ok = !writer->failed && writer->written == writer->height;
    try {
        if (!writer->finish()) ok = false;
    } catch (...) {
        ok = false;
    }
    delete writer;
    return ok ? 1 : 0;
}

int write_all_lines(LineWriter* writer, const std::uint8_t* pixels, int rowBytes, bool bottomUp) noexcept
{
    if (!writer) return 0;
    bool ok = pixels != nullptr;
    for (int i = 0; i < writer->height && ok; ++i) {
        const int y = bottomUp ? writer->height - 1 - i : i;
        ok = write_next_line(writer, pixels + static_cast<std::size_t>(y) * rowBytes) != 0;
    }
    return destroy_write_lines(writer) && ok ? 1 : 0;
}

int write_bmp(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits,
              int xRes, int yRes, int unit) noexcept
{
    if (!pixels) return 0;
    return write_all_lines(init_write_bmp_lines(dest, width, height, bits, xRes, yRes, unit), pixels, rowBytes, true);
}

int write_tga(ImageDest* dest, const std::uint8_t* pixels, int width, int height, int rowBytes, int bits) noexcept
{
    if (!pixels) return 0;
    return write_all_lines(init_write_tga_lines(dest, width, height, bits), pixels, rowBytes, false);
}

}  // namespace mve::il
