// Per-value tone effects (see artistic_tones.h).
#include "imagelib/artistic_tones.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/parallel.h"
#include "core/runtime.h"
#include "imagelib/byte_pair_table.h"

namespace mve::il {

namespace {

bool bad(const std::uint8_t* src, const std::uint8_t* dst, int width, int height) noexcept
{
    return !src || !dst || width <= 0 || height <= 0;
}

void apply_pairs(const BytePairTable& pt, const std::uint8_t* src, std::uint8_t* dst,
                 std::size_t count) noexcept
{
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        std::uint16_t w[4];
        std::memcpy(w, src + k, 8);
        for (std::uint16_t& v : w) v = pt.pairs[v];
        std::memcpy(dst + k, w, 8);
    }
    for (; k < count; ++k) dst[k] = static_cast<std::uint8_t>(pt.pairs[src[k]]);
}

int apply_to_picture(const ToneTable& table, const std::uint8_t* src, std::uint8_t* dst, int width,
                     int height) noexcept
{
    if (bad(src, dst, width, height)) return 0;
    apply_tone_table(table, src, dst, static_cast<std::size_t>(width) * height * 3);
    return 1;
}

}  // namespace

ToneTable negative_table() noexcept
{
    ToneTable t{};
    for (int v = 0; v < 256; ++v) t[v] = static_cast<std::uint8_t>(255 - v);
    return t;
}

ToneTable posterize_table(int levels) noexcept
{
    levels = levels < 2 ? 2 : levels > 256 ? 256 : levels;
    ToneTable t{};
    for (int v = 0; v < 256; ++v) {
        const int band = v * levels / 256;
        t[v] = static_cast<std::uint8_t>((band * 255 + (levels - 1) / 2) / (levels - 1));
    }
    return t;
}

ToneTable solarize_table(int threshold) noexcept
{
    ToneTable t{};
    for (int v = 0; v < 256; ++v) t[v] = static_cast<std::uint8_t>(v > threshold ? 255 - v : v);
    return t;
}

void apply_tone_table(const ToneTable& table, const std::uint8_t* src, std::uint8_t* dst,
                      std::size_t count) noexcept
{
    // Rows of 64 KiB bytes: the loop's unit of work for the worker threads.
    constexpr std::size_t kBlock = 1 << 16;
    const int blocks = static_cast<int>((count + kBlock - 1) / kBlock);
    if (!fast_paths_enabled() || count < 4 * kBlock) {
        for_each_row(0, blocks, kBlock * cost::kCopy / 3, [&](int b) {
            const std::size_t end = std::min(count, (b + 1) * kBlock);
            for (std::size_t k = b * kBlock; k < end; ++k) dst[k] = table[src[k]];
        });
        return;
    }
    std::unique_ptr<BytePairTable> pairs;
    try {
        pairs = std::make_unique<BytePairTable>(table.data(), table.data());
    } catch (...) {
        for (std::size_t k = 0; k < count; ++k) dst[k] = table[src[k]];
        return;
    }
    for_each_row(0, blocks, kBlock * cost::kCopy / 3, [&](int b) {
        const std::size_t start = b * kBlock, end = std::min(count, start + kBlock);
        apply_pairs(*pairs, src + start, dst + start, end - start);
    });
}

int negative_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height) noexcept
{
    return apply_to_picture(negative_table(), src, dst, width, height);
}

int posterize_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int levels) noexcept
{
    return apply_to_picture(posterize_table(levels), src, dst, width, height);
}

int solarize_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height, int threshold) noexcept
{
    return apply_to_picture(solarize_table(threshold), src, dst, width, height);
}

int grayscale_rgb24(const std::uint8_t* src, std::uint8_t* dst, int width, int height) noexcept
{
    if (bad(src, dst, width, height)) return 0;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::size_t row = static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width * 3; x += 3) {
            const std::uint8_t* p = src + row + x;
            const auto grey = static_cast<std::uint8_t>((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
            std::uint8_t* q = dst + row + x;
            q[0] = q[1] = q[2] = grey;
        }
    });
    return 1;
}

}  // namespace mve::il
