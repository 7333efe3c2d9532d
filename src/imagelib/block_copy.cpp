#include "imagelib/block_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/clip.h"
#include "core/parallel.h"

namespace mve {

namespace {

// The part of the source that lands inside the destination.
struct Clip {
    int srcX, srcY;  // first source pixel copied
    int dstX, dstY;  // where it lands
    int width, height;
};

Clip clip_block(int dstWidth, int dstHeight, int srcWidth, int srcHeight, int x, int y) noexcept
{
    // The source placed at (x, y), clipped to the destination in wide arithmetic.
    const ClipRect r = clip_rect(x, y, srcWidth, srcHeight, dstWidth, dstHeight);
    Clip c{};
    if (r.empty()) return c;
    c.srcX = static_cast<int>(r.x0 - static_cast<long long>(x));
    c.srcY = static_cast<int>(r.y0 - static_cast<long long>(y));
    c.dstX = r.x0;
    c.dstY = r.y0;
    c.width = r.width();
    c.height = r.height();
    return c;
}

// One row at partial opacity: d = s * a + d * (1 - a), rounded, per channel.
template <class Channel>
void mix_row(Channel* d, const Channel* s, std::size_t channels, double a) noexcept
{
    for (std::size_t i = 0; i < channels; ++i)
        d[i] = static_cast<Channel>(s[i] * a + d[i] * (1.0 - a) + 0.5);
}

bool ranges_overlap(const std::uint8_t* a, std::size_t aBytes, const std::uint8_t* b, std::size_t bBytes) noexcept
{
    return a < b + bBytes && b < a + aBytes;
}

}  // namespace

int overlay_image(void* dst, int dstWidth, int dstHeight, int bytesPerPixel, int dstRowBytes, const void* src,
                  int srcWidth, int srcHeight, int srcRowBytes, int x, int y, double opacity, int flags) noexcept
{
    (void)flags;  // the flagged callers want the same plain copy
    if (!dst || !src || bytesPerPixel < 1 || bytesPerPixel > 16) return 0;
    if (dstWidth < 0 || dstHeight < 0 || srcWidth < 0 || srcHeight < 0) return 0;
    if (static_cast<long long>(dstRowBytes) < static_cast<long long>(dstWidth) * bytesPerPixel) return 0;
    if (static_cast<long long>(srcRowBytes) < static_cast<long long>(srcWidth) * bytesPerPixel) return 0;
    if (!(opacity > 0.0)) return 1;  // nothing to put down (NaN included)

    const Clip c = clip_block(dstWidth, dstHeight, srcWidth, srcHeight, x, y);
    if (c.width == 0 || c.height == 0) return 1;

    const std::size_t bpp = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t rowBytes = static_cast<std::size_t>(c.width) * bpp;
    auto* d0 = static_cast<std::uint8_t*>(dst) + static_cast<std::size_t>(c.dstY) * dstRowBytes + c.dstX * bpp;
    auto* s0 = static_cast<const std::uint8_t*>(src) + static_cast<std::size_t>(c.srcY) * srcRowBytes + c.srcX * bpp;
    const std::size_t dstSpan = static_cast<std::size_t>(c.height - 1) * dstRowBytes + rowBytes;
    const std::size_t srcSpan = static_cast<std::size_t>(c.height - 1) * srcRowBytes + rowBytes;

    const bool exact = opacity >= 1.0;
    const bool wide = bpp % 2 == 0 && bpp != 4;  // 2-, 6-, 8-byte pixels carry 16-bit channels
    auto copy_row = [&](int row) {
        std::uint8_t* d = d0 + static_cast<std::size_t>(row) * dstRowBytes;
        const std::uint8_t* s = s0 + static_cast<std::size_t>(row) * srcRowBytes;
        if (exact)
            std::memmove(d, s, rowBytes);
        else if (wide)
            mix_row(reinterpret_cast<std::uint16_t*>(d), reinterpret_cast<const std::uint16_t*>(s), rowBytes / 2,
                    opacity);
        else
            mix_row(d, s, rowBytes, opacity);
    };

    if (ranges_overlap(d0, dstSpan, s0, srcSpan)) {
        // One plane moved within itself: when the destination lies after the
        // source, walk bottom-up so every source row is read before it is
        // overwritten; memmove handles the overlap inside a row.
        if (d0 > s0)
            for (int row = c.height - 1; row >= 0; --row) copy_row(row);
        else
            for (int row = 0; row < c.height; ++row) copy_row(row);
        return 1;
    }
    if (exact) {
        // A byte copy is bound by memory bandwidth, which one core nearly
        // fills; worker threads would add their start-up and meeting cost and
        // gain little, so it runs on the calling thread.
        if (dstRowBytes == srcRowBytes && static_cast<std::size_t>(dstRowBytes) == rowBytes)
            std::memcpy(d0, s0, dstSpan);  // packed rows: one straight copy
        else
            for (int row = 0; row < c.height; ++row) std::memcpy(d0 + static_cast<std::size_t>(row) * dstRowBytes,
                                                                 s0 + static_cast<std::size_t>(row) * srcRowBytes,
                                                                 rowBytes);
        return 1;
    }
    // The mix does arithmetic per channel: worth the workers on large blocks.
    for_each_plane_row(c.width, c.height, cost::kSimple, [&](int row) { copy_row(row); });
    return 1;
}

}  // namespace mve
