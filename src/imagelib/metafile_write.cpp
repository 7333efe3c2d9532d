// Metafile writers: the picture as one stretched 24-bit DIB, in an EMF or in
// a placeable WMF. Both map one logical unit to one picture pixel; the
// resolution sets the physical size (EMF frame, WMF units per inch).
#include <cmath>
#include <cstring>
#include <vector>

#include "imagelib/metafile.h"
#include "imagelib/metafile_render.h"

namespace mve::il {

namespace {

constexpr int kDefaultDpi = 96;

class Bytes {
public:
    void u16(std::uint32_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    std::vector<std::uint8_t>& data() { return bytes_; }

private:
    void put(std::uint32_t v, int n)
    {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> bytes_;
};

std::size_t dib_row_bytes(int width)
{
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// BITMAPINFOHEADER of a bottom-up 24-bit DIB at `dpi`.
void put_dib_header(Bytes& b, int width, int height, int dpi)
{
    const auto ppm = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
    b.u32(40);
    b.u32(static_cast<std::uint32_t>(width));
    b.u32(static_cast<std::uint32_t>(height));
    b.u16(1);
    b.u16(24);
    b.u32(0);
    b.u32(static_cast<std::uint32_t>(dib_row_bytes(width) * height));
    b.u32(ppm);
    b.u32(ppm);
    b.u32(0);
    b.u32(0);
}

// The DIB's pixel rows: bottom row first, BGR, each padded to four bytes.
void put_dib_bits(Bytes& b, const std::uint8_t* rgb, int width, int height, int rowBytes)
{
    const std::size_t row = dib_row_bytes(width);
    std::vector<std::uint8_t>& out = b.data();
    std::size_t at = out.size();
    out.resize(at + row * height);
    for (int y = height - 1; y >= 0; --y, at += row) {
        const std::uint8_t* p = rgb + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += 3) {
            out[at + 3 * x] = p[2];
            out[at + 3 * x + 1] = p[1];
            out[at + 3 * x + 2] = p[0];
        }
    }
}

bool usable(const std::uint8_t* rgb, int width, int height, int rowBytes)
{
    // Record sizes are 32-bit: the bits must stay well inside them.
    return rgb != nullptr && width > 0 && height > 0 && rowBytes >= width * 3 &&
           dib_row_bytes(width) * static_cast<std::size_t>(height) < (std::size_t{1} << 31);
}

}  // namespace

int write_emf(ImageDest* dest, const std::uint8_t* rgb, int width, int height, int rowBytes, int dpi) noexcept
{
    if (!dest || !usable(rgb, width, height, rowBytes)) return 0;
    if (dpi <= 0) dpi = kDefaultDpi;
    try {
        const std::uint32_t bitsSize = static_cast<std::uint32_t>(dib_row_bytes(width) * height);
        const std::uint32_t headerSize = 108, blitSize = 80 + 40 + bitsSize, eofSize = 20;
        const std::uint32_t total = headerSize + blitSize + eofSize;
        // Frame in hundredths of a millimetre (inclusive), reference device = the picture.
        const auto hundredths = [dpi](int px) {
            return static_cast<std::uint32_t>(std::lround(px * 2540.0 / dpi));
        };
        const auto micrometres = [dpi](int px) {
            return static_cast<std::uint32_t>(std::lround(px * 25400.0 / dpi));
        };
        Bytes b;
        b.u32(1);  // header
        b.u32(headerSize);
        for (std::uint32_t v : {0u, 0u, std::uint32_t(width - 1), std::uint32_t(height - 1)}) b.u32(v);
        for (std::uint32_t v : {0u, 0u, hundredths(width) - 1, hundredths(height) - 1}) b.u32(v);
        b.u32(0x464D4520u);  // " EMF"
        b.u32(0x00010000u);
        b.u32(total);
        b.u32(3);  // records
        b.u16(1);  // handles: the reserved entry only
        b.u16(0);
        for (std::uint32_t v : {0u, 0u, 0u}) b.u32(v);  // description, palette
        b.u32(static_cast<std::uint32_t>(width));
        b.u32(static_cast<std::uint32_t>(height));
        b.u32(std::max(1u, (micrometres(width) + 500) / 1000));
        b.u32(std::max(1u, (micrometres(height) + 500) / 1000));
        for (std::uint32_t v : {0u, 0u, 0u}) b.u32(v);  // no pixel format, not OpenGL
        b.u32(micrometres(width));
        b.u32(micrometres(height));

        b.u32(81);  // StretchDIBits
        b.u32(blitSize);
        for (std::uint32_t v : {0u, 0u, std::uint32_t(width - 1), std::uint32_t(height - 1)}) b.u32(v);
        for (std::uint32_t v : {0u, 0u, 0u, 0u}) b.u32(v);  // destination and source origins
        b.u32(static_cast<std::uint32_t>(width));
        b.u32(static_cast<std::uint32_t>(height));
        b.u32(80);  // header offset and size, bits offset and size
        b.u32(40);
        b.u32(120);
        b.u32(bitsSize);
        b.u32(0);  // RGB colours
        b.u32(kRopSourceCopy);
        b.u32(static_cast<std::uint32_t>(width));
        b.u32(static_cast<std::uint32_t>(height));
        put_dib_header(b, width, height, dpi);
        put_dib_bits(b, rgb, width, height, rowBytes);

        for (std::uint32_t v : {14u, eofSize, 0u, 16u, eofSize}) b.u32(v);  // end of file
        dest->write(b.data().data(), b.data().size());
        return dest->failed ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

int write_wmf(ImageDest* dest, const std::uint8_t* rgb, int width, int height, int rowBytes, int dpi) noexcept
{
    // The placeable bounding box holds 16-bit coordinates.
    if (!dest || !usable(rgb, width, height, rowBytes) || width > 32767 || height > 32767) return 0;
    if (dpi <= 0 || dpi > 0xFFFF) dpi = kDefaultDpi;
    try {
        const std::uint32_t bitsSize = static_cast<std::uint32_t>(dib_row_bytes(width) * height);
        const std::uint32_t blitWords = 14 + (40 + bitsSize) / 2;
        const std::uint32_t totalWords = 9 + 5 + 5 + blitWords + 3;
        Bytes b;
        // Placeable header; its checksum is the XOR of the ten words before it.
        const std::uint16_t placeable[10] = {
            0xCDD7, 0x9AC6, 0, 0, 0, std::uint16_t(width), std::uint16_t(height), std::uint16_t(dpi), 0, 0};
        std::uint16_t checksum = 0;
        for (std::uint16_t w : placeable) {
            b.u16(w);
            checksum ^= w;
        }
        b.u16(checksum);
        for (std::uint32_t v : {1u, 9u, 0x0300u}) b.u16(v);  // memory metafile, header words, version
        b.u32(totalWords);
        b.u16(0);  // objects
        b.u32(blitWords);
        b.u16(0);
        b.u32(5);  // SetWindowOrg (0, 0)
        b.u16(0x020B);
        b.u16(0);
        b.u16(0);
        b.u32(5);  // SetWindowExt (width, height), parameters y first
        b.u16(0x020C);
        b.u16(static_cast<std::uint32_t>(height));
        b.u16(static_cast<std::uint32_t>(width));
        b.u32(blitWords);  // StretchDIB of the whole picture
        b.u16(0x0F43);
        b.u32(kRopSourceCopy);
        b.u16(0);  // RGB colours
        for (int v : {height, width, 0, 0, height, width, 0, 0}) b.u16(static_cast<std::uint32_t>(v));
        put_dib_header(b, width, height, dpi);
        put_dib_bits(b, rgb, width, height, rowBytes);
        b.u32(3);  // end of file
        b.u16(0);
        dest->write(b.data().data(), b.data().size());
        return dest->failed ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
