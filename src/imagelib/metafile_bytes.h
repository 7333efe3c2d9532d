// Little-endian fields of one metafile record, read with bounds checks: a
// field past the record's end reads as 0 and marks the view short, so the
// record parsers test `ok()` once instead of every offset.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mve::il {

class RecordView {
public:
    RecordView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool ok() const { return !short_; }
    bool has(std::size_t offset, std::size_t bytes) const
    {
        return offset <= size_ && bytes <= size_ - offset;
    }

    std::uint32_t u32(std::size_t at) const
    {
        if (!need(at, 4)) return 0;
        const std::uint8_t* p = data_ + at;
        return p[0] | (p[1] << 8u) | (p[2] << 16u) | (static_cast<std::uint32_t>(p[3]) << 24u);
    }
    std::uint16_t u16(std::size_t at) const
    {
        if (!need(at, 2)) return 0;
        return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    std::int32_t s32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::int16_t s16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    float f32(std::size_t at) const { return std::bit_cast<float>(u32(at)); }

    // Text fields as UTF-8, ending at a NUL or after `count` characters;
    // empty when they do not fit in the record. UTF-16 pairs surrogates
    // (a lone one becomes U+FFFD); single bytes are read as Latin-1.
    std::string utf16(std::size_t at, std::size_t count) const
    {
        std::string out;
        if (count > size_ / 2 || !has(at, count * 2)) return out;
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t c = u16(at + 2 * i);
            if (c == 0) break;
            if (c >= 0xD800 && c < 0xE000) {
                const std::uint32_t low = i + 1 < count ? u16(at + 2 * i + 2) : 0;
                const bool paired = c < 0xDC00 && low >= 0xDC00 && low < 0xE000;
                c = paired ? 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00) : 0xFFFD;
                i += paired;
            }
            append_utf8(out, c);
        }
        return out;
    }
    std::string latin1(std::size_t at, std::size_t count) const
    {
        std::string out;
        if (!has(at, count)) return out;
        for (std::size_t i = 0; i < count && data_[at + i] != 0; ++i) append_utf8(out, data_[at + i]);
        return out;
    }

private:
    static void append_utf8(std::string& out, std::uint32_t c)
    {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    bool need(std::size_t at, std::size_t bytes) const
    {
        if (has(at, bytes)) return true;
        short_ = true;
        return false;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    mutable bool short_ = false;
};

}  // namespace mve::il
