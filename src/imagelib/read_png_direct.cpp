// PNG decoding without libpng for the layouts most programs (this engine
// among them) write: 8 bits per channel, grey, grey + alpha, RGB or RGBA, not
// interlaced, no transparency chunk. The whole IDAT stream is inflated in
// one libdeflate call (several times faster than zlib's streaming inflate
// that libpng drives), the rows are unfiltered in place and widened into the
// RGBA32 block. Anything else, or anything this path finds wrong, is left to
// libpng, so odd and damaged files behave exactly as they did.
#include <libdeflate.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagelib/compression.h"
#include "imagelib/library.h"
#include "imagelib/png_filter.h"
#include "imagelib/png_direct.h"
#include "imagelib/reading.h"

namespace mve::il {

namespace {

std::uint32_t be32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

struct Layout {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> joined;  // IDAT data when it came in several chunks
    const std::uint8_t* stream = nullptr;
    std::size_t streamBytes = 0;
};

int channels_of(int colorType)
{
    switch (colorType) {
        case 0: return 1;
        case 4: return 2;
        case 2: return 3;
        case 6: return 4;
        default: return 0;
    }
}

bool read_header(const std::uint8_t* h, Layout& l)
{
    const std::uint32_t w = be32(h), ht = be32(h + 4);
    // Depth 8, a layout above, deflate, the standard filters, not interlaced.
    if (h[8] != 8 || h[10] != 0 || h[11] != 0 || h[12] != 0) return false;
    l.channels = channels_of(h[9]);
    if (l.channels == 0 || w == 0 || ht == 0 || !acceptable_size(w, ht)) return false;
    l.width = static_cast<int>(w);
    l.height = static_cast<int>(ht);
    return true;
}

// Walks the chunks (whose lengths the caller has checked against the file):
// the header, then the IDAT run. False for a layout or chunk left to libpng.
bool read_chunks(const std::uint8_t* data, std::size_t size, Layout& l)
{
    std::size_t pos = 8;
    bool header = false, idatDone = false;
    std::size_t idatChunks = 0;
    while (pos + 12 <= size) {
        const std::size_t length = be32(data + pos);
        const std::uint8_t* type = data + pos + 4;
        const std::uint8_t* body = type + 4;
        const bool isIdat = std::memcmp(type, "IDAT", 4) == 0;
        if (std::memcmp(type, "IHDR", 4) == 0 || isIdat) {
            if (libdeflate_crc32(0, type, length + 4) != be32(body + length)) return false;
        }
        if (!header) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13 || !read_header(body, l)) return false;
            header = true;
        } else if (isIdat) {
            if (idatDone) return false;  // IDAT chunks must follow each other
            if (idatChunks++ == 0) {
                l.stream = body;
                l.streamBytes = length;
            } else {
                if (idatChunks == 2) l.joined.assign(l.stream, l.stream + l.streamBytes);
                l.joined.insert(l.joined.end(), body, body + length);
            }
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        } else {
            if (idatChunks) idatDone = true;
            // A palette or transparency changes the pixels; an unknown
            // critical chunk (upper-case first letter) must fail: libpng's.
            if (std::memcmp(type, "tRNS", 4) == 0 || std::memcmp(type, "PLTE", 4) == 0) return false;
            if (!(type[0] & 0x20)) return false;
        }
        pos += 12 + length;
    }
    if (idatChunks > 1) {
        l.stream = l.joined.data();
        l.streamBytes = l.joined.size();
    }
    return header && idatChunks > 0;
}

// One unfiltered row widened to RGBA32.
void widen(const std::uint8_t* in, std::uint8_t* out, int width, int channels)
{
    switch (channels) {
        case 4:
            std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
            break;
        case 3:
            for (int x = 0; x < width; ++x, in += 3, out += 4) out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 255;
            break;
        case 2:
            for (int x = 0; x < width; ++x, in += 2, out += 4) out[0] = out[1] = out[2] = in[0], out[3] = in[1];
            break;
        default:
            for (int x = 0; x < width; ++x, ++in, out += 4) out[0] = out[1] = out[2] = in[0], out[3] = 255;
            break;
    }
}

std::uint8_t* decode(const Layout& l)
{
    const std::size_t lineBytes = static_cast<std::size_t>(l.width) * l.channels;
    const std::size_t filteredBytes = (lineBytes + 1) * static_cast<std::size_t>(l.height);
    // A stream too short to expand that far is refused before allocating.
    if (filteredBytes / kMaxDeflateRatio > l.streamBytes) return nullptr;
    // Left uninitialised: the inflate writes every byte or the call fails.
    const std::unique_ptr<std::uint8_t[]> filtered(new std::uint8_t[filteredBytes]);
    // Static per thread: a decompressor is a small table, made once.
    thread_local struct Holder {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ~Holder() { libdeflate_free_decompressor(d); }
    } holder;
    if (!holder.d) return nullptr;
    // Exactly the filtered size, checksum included, or the file is left to libpng.
    if (libdeflate_zlib_decompress(holder.d, l.stream, l.streamBytes, filtered.get(), filteredBytes, nullptr) !=
        LIBDEFLATE_SUCCESS)
        return nullptr;
    std::uint8_t* block = allocate_block(l.width, l.height);
    if (!block) return nullptr;
    const std::vector<std::uint8_t> zeros(lineBytes, 0);
    const std::uint8_t* above = zeros.data();
    for (int y = 0; y < l.height; ++y) {
        std::uint8_t* line = filtered.get() + (lineBytes + 1) * static_cast<std::size_t>(y);
        if (!png_unfilter_row(line[0], line + 1, above, lineBytes, l.channels)) {
            release_block(block);
            return nullptr;
        }
        widen(line + 1, block + static_cast<std::size_t>(y) * l.width * 4, l.width, l.channels);
        above = line + 1;
    }
    return block;
}

}  // namespace

std::uint8_t* decode_png_direct(const std::uint8_t* data, std::size_t size, int* width, int* height) noexcept
try {
    Layout l;
    if (!read_chunks(data, size, l)) return nullptr;
    std::uint8_t* block = decode(l);
    if (block && width) *width = l.width;
    if (block && height) *height = l.height;
    return block;
} catch (const std::bad_alloc&) {
    return nullptr;
}

}  // namespace mve::il
