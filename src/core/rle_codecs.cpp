// Run-length line codecs (formats in rle_codecs.h).
#include "core/rle_codecs.h"

#include <cstring>

#include "morvane/morvane.h"

namespace mve {

namespace {

// The four high bytes of an RGBA64 pixel, as one comparable word.
constexpr std::uint64_t kHighBytes = 0xFF00FF00FF00FF00ull;

inline std::uint64_t load_pixel(const std::uint16_t* p) noexcept
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Length of the run starting at index i: pixels whose masked key equals that
// of pixel i, at most 255, ending at width.
template <class Key>
inline int run_length(int i, int width, Key key) noexcept
{
    const auto first = key(i);
    const int limit = (width - i < kRleMaxRun) ? width - i : kRleMaxRun;
    int n = 1;
    while (n < limit && key(i + n) == first) ++n;
    return n;
}

}  // namespace

int rle_encode_rgba(const std::uint16_t* in, std::uint8_t* out, int width) noexcept
{
    if (width < 1) width = 1;  // one record of the first pixel
    auto key = [in](int i) { return load_pixel(in + 4 * i) & kHighBytes; };
    std::uint8_t* o = out;
    for (int i = 0; i < width;) {
        const int n = run_length(i, width, key);
        const std::uint16_t* p = in + 4 * i;
        o[0] = static_cast<std::uint8_t>(n);
        o[1] = static_cast<std::uint8_t>(p[0] >> 8);
        o[2] = static_cast<std::uint8_t>(p[1] >> 8);
        o[3] = static_cast<std::uint8_t>(p[2] >> 8);
        o[4] = static_cast<std::uint8_t>(p[3] >> 8);
        o += kRgbaRecordBytes;
        i += n;
    }
    return static_cast<int>(o - out);
}

int rle_encode_grey(const std::uint16_t* in, std::uint8_t* out, int width) noexcept
{
    if (width < 1) width = 1;
    auto key = [in](int i) { return static_cast<std::uint16_t>(in[i] & 0xFF00); };
    std::uint8_t* o = out;
    for (int i = 0; i < width;) {
        const int n = run_length(i, width, key);
        o[0] = static_cast<std::uint8_t>(n);
        o[1] = static_cast<std::uint8_t>(in[i] >> 8);
        o += kGreyRecordBytes;
        i += n;
    }
    return static_cast<int>(o - out);
}

std::size_t rle_decode_rgba(const std::uint8_t* in, std::size_t inBytes, std::uint16_t* out, int width) noexcept
{
    std::size_t used = 0;
    int x = 0;
    while (x < width && inBytes - used >= kRgbaRecordBytes) {
        const std::uint8_t* r = in + used;
        if (r[0] == 0) break;  // malformed: see rle_codecs.h
        used += kRgbaRecordBytes;
        // 8-bit v becomes v << 8 in every channel.
        const std::uint16_t px[4] = {static_cast<std::uint16_t>(r[1] << 8), static_cast<std::uint16_t>(r[2] << 8),
                                     static_cast<std::uint16_t>(r[3] << 8), static_cast<std::uint16_t>(r[4] << 8)};
        const int n = (r[0] < width - x) ? r[0] : width - x;  // clip at the row end
        std::uint16_t* o = out + 4 * static_cast<std::size_t>(x);
        for (int k = 0; k < n; ++k) std::memcpy(o + 4 * k, px, sizeof px);
        x += n;
    }
    return used;
}

std::size_t rle_decode_grey(const std::uint8_t* in, std::size_t inBytes, std::uint16_t* out, int width) noexcept
{
    std::size_t used = 0;
    int x = 0;
    while (x < width && inBytes - used >= kGreyRecordBytes) {
        const std::uint8_t* r = in + used;
        if (r[0] == 0) break;
        used += kGreyRecordBytes;
        const std::uint16_t v = static_cast<std::uint16_t>(r[1] << 8);
        const int n = (r[0] < width - x) ? r[0] : width - x;
        std::uint16_t* o = out + x;
        for (int k = 0; k < n; ++k) o[k] = v;
        x += n;
    }
    return used;
}

namespace core {

int rle_compress_rgba(const std::uint16_t* in, std::uint8_t* out, int width) noexcept
{
    return (in && out) ? rle_encode_rgba(in, out, width) : 0;
}

void rle_uncompress_rgba(const std::uint8_t* in, std::uint16_t* out, int width) noexcept
{
    if (in && out) rle_decode_rgba(in, kRleUnbounded, out, width);
}

int rle_compress_grey(const std::uint16_t* in, std::uint8_t* out, int width) noexcept
{
    return (in && out) ? rle_encode_grey(in, out, width) : 0;
}

void rle_uncompress_grey(const std::uint8_t* in, std::uint16_t* out, int width) noexcept
{
    if (in && out) rle_decode_grey(in, kRleUnbounded, out, width);
}

}  // namespace core

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API int MVE_RLECompressRGBA64ToRGBA32(const unsigned short* in, unsigned char* out, int width)
{
    return core::rle_compress_rgba(in, out, width);
}

MVE_API void MVE_RLEUncompressRGBA32ToRGBA64(const unsigned char* in, unsigned short* out, int width)
{
    core::rle_uncompress_rgba(in, out, width);
}

MVE_API int MVE_RLECompressG16ToG8(const unsigned short* in, unsigned char* out, int width)
{
    return core::rle_compress_grey(in, out, width);
}

MVE_API void MVE_RLEUncompressG8ToG16(const unsigned char* in, unsigned short* out, int width)
{
    core::rle_uncompress_grey(in, out, width);
}

}  // extern "C"
