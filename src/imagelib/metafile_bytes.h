// Little-endian fields of one metafile record, read with bounds checks: a
// field past the record's end reads as 0 and marks the view short, so the
// record parsers test `ok()` once instead of every offset.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

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

private:
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
