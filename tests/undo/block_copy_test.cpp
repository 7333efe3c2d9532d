// The image library's block copy that every undo rectangle copy goes through.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "imagelib/block_copy.h"

using mve::overlay_image;

namespace {

// A destination of w x h pixels of bpp bytes, rows padded by `pad` bytes,
// followed by a fence of 64 bytes that no copy may touch.
struct Target {
    int w, h, bpp, rowBytes;
    std::vector<std::uint8_t> bytes;
    Target(int w_, int h_, int bpp_, int pad = 0)
        : w(w_), h(h_), bpp(bpp_), rowBytes(w_ * bpp_ + pad),
          bytes(static_cast<std::size_t>(rowBytes) * h_ + 64, 0xEE)
    {
    }
    std::uint8_t* at(int x, int y) { return bytes.data() + static_cast<std::size_t>(y) * rowBytes + x * bpp; }
    bool fence_intact() const
    {
        for (std::size_t i = bytes.size() - 64; i < bytes.size(); ++i)
            if (bytes[i] != 0xEE) return false;
        return true;
    }
};

std::vector<std::uint8_t> numbered(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{1});
    return v;
}

}  // namespace

TEST(BlockCopyTest, ExactCopyWithClippingForEveryPixelSize)
{
    for (int bpp : {2, 4, 8}) {
        // A 3 x 2 source placed at (-1, 3) on a 4 x 4 destination: only source
        // columns 1..2 of source row 0 land, on destination (0..1, 3).
        Target dst(4, 4, bpp, 3);
        const std::vector<std::uint8_t> src = numbered(static_cast<std::size_t>(3 * bpp) * 2);
        ASSERT_NE(overlay_image(dst.bytes.data(), 4, 4, bpp, dst.rowBytes, src.data(), 3, 2, 3 * bpp, -1, 3, 1.0, 0),
                  0);
        EXPECT_EQ(std::memcmp(dst.at(0, 3), src.data() + bpp, 2 * bpp), 0) << bpp;
        EXPECT_EQ(*dst.at(2, 3), 0xEE) << bpp;  // column 2 untouched
        EXPECT_EQ(*dst.at(0, 2), 0xEE) << bpp;  // row above untouched
        // Row padding between rows is never written.
        EXPECT_EQ(dst.bytes[static_cast<std::size_t>(2) * dst.rowBytes + 4 * bpp], 0xEE) << bpp;
        EXPECT_TRUE(dst.fence_intact()) << bpp;
    }
}

TEST(BlockCopyTest, SubRectangleOfAPaddedSourceKeepsEachRowLength)
{
    // Source 5 x 3 pixels of 2 bytes with rows of 14 bytes (4 bytes padding),
    // copied whole at (1, 1) of a 7 x 5 destination.
    std::vector<std::uint8_t> src = numbered(14 * 3);
    Target dst(7, 5, 2);
    ASSERT_NE(overlay_image(dst.bytes.data(), 7, 5, 2, dst.rowBytes, src.data(), 5, 3, 14, 1, 1, 1.0, 1), 0);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(std::memcmp(dst.at(1, 1 + row), &src[row * 14], 10), 0) << row;
    EXPECT_EQ(*dst.at(6, 1), 0xEE);
    EXPECT_TRUE(dst.fence_intact());
}

TEST(BlockCopyTest, BadArgumentsFailAndBlocksOffTheDestinationSucceedEmpty)
{
    std::vector<std::uint8_t> src(32, 1), dst(32, 0);
    EXPECT_EQ(overlay_image(nullptr, 2, 2, 2, 4, src.data(), 2, 2, 4, 0, 0, 1.0, 0), 0);
    EXPECT_EQ(overlay_image(dst.data(), 2, 2, 2, 4, nullptr, 2, 2, 4, 0, 0, 1.0, 0), 0);
    EXPECT_EQ(overlay_image(dst.data(), 2, 2, 0, 4, src.data(), 2, 2, 4, 0, 0, 1.0, 0), 0);
    EXPECT_EQ(overlay_image(dst.data(), 2, 2, 2, 3, src.data(), 2, 2, 4, 0, 0, 1.0, 0), 0);  // row too short
    EXPECT_EQ(overlay_image(dst.data(), -1, 2, 2, 4, src.data(), 2, 2, 4, 0, 0, 1.0, 0), 0);
    EXPECT_NE(overlay_image(dst.data(), 2, 2, 2, 4, src.data(), 2, 2, 4, 2, 0, 1.0, 0), 0);
    EXPECT_NE(overlay_image(dst.data(), 2, 2, 2, 4, src.data(), 2, 2, 4, -2000000000, 5, 1.0, 0), 0);
    EXPECT_NE(overlay_image(dst.data(), 2, 2, 2, 4, src.data(), 2, 2, 4, 0, 0, 0.0, 0), 0);
    for (std::uint8_t b : dst) EXPECT_EQ(b, 0);
}

TEST(BlockCopyTest, PartialOpacityMixesEachChannel)
{
    // 8-bit channels: 200 * 0.5 + 100 * 0.5 = 150. 16-bit: 65535 * 0.5 + 0 + 0.5 rounds to 32768.
    std::uint8_t s8[4] = {200, 200, 200, 200}, d8[4] = {100, 100, 100, 100};
    ASSERT_NE(overlay_image(d8, 1, 1, 4, 4, s8, 1, 1, 4, 0, 0, 0.5, 0), 0);
    EXPECT_EQ(d8[0], 150);
    std::uint16_t s16[4] = {65535, 65535, 65535, 65535}, d16[4] = {0, 0, 0, 0};
    ASSERT_NE(overlay_image(d16, 1, 1, 8, 8, s16, 1, 1, 8, 0, 0, 0.5, 0), 0);
    EXPECT_EQ(d16[3], 32768);
}

TEST(BlockCopyTest, OverlappingCopyWithinOnePlaneMatchesACopyThroughATemporary)
{
    // A 6 x 5 plane of 2-byte pixels; its top-left 4 x 3 block moved by (dx, dy).
    for (int dx : {-1, 0, 2})
        for (int dy : {-2, 1, 2}) {
            std::vector<std::uint8_t> plane = numbered(6 * 2 * 5);
            std::vector<std::uint8_t> expect = plane;
            const int sx = 1, sy = dy < 0 ? 2 : 0;  // block start inside the plane
            std::vector<std::uint8_t> tmp(4 * 2 * 3);
            for (int r = 0; r < 3; ++r) std::memcpy(&tmp[r * 8], &plane[(sy + r) * 12 + sx * 2], 8);
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 4; ++c) {
                    const int x = sx + dx + c, y = sy + dy + r;
                    if (x >= 0 && x < 6 && y >= 0 && y < 5)
                        std::memcpy(&expect[y * 12 + x * 2], &tmp[r * 8 + c * 2], 2);
                }
            ASSERT_NE(overlay_image(plane.data(), 6, 5, 2, 12, &plane[sy * 12 + sx * 2], 4, 3, 12, sx + dx, sy + dy,
                                    1.0, 0),
                      0);
            EXPECT_EQ(plane, expect) << dx << "," << dy;
        }
}

TEST(BlockCopyTest, LargeBlocksCopiedByTheWorkersAreExact)
{
    // 300 x 200 RGBA64 into a 320 x 240 plane at (10, 20): parallel rows.
    const int w = 300, h = 200;
    std::vector<std::uint16_t> src(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
    std::vector<std::uint16_t> dst(320 * 240 * 4, 0);
    ASSERT_NE(overlay_image(dst.data(), 320, 240, 8, 320 * 8, src.data(), w, h, w * 8, 10, 20, 1.0, 0), 0);
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(std::memcmp(&dst[((y + 20) * 320 + 10) * 4], &src[static_cast<std::size_t>(y) * w * 4], w * 8), 0)
            << y;
    EXPECT_EQ(dst[(20 * 320 + 9) * 4], 0);
}
