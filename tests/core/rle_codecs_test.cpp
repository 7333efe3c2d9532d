// Run-length line codecs: record layout, run limits, clipping and malformed input.
#include "core/rle_codecs.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "imagelib/compression.h"
#include "morvane/morvane.h"

namespace mve {
namespace {

std::vector<std::uint16_t> solid_row(int width, std::uint16_t r, std::uint16_t g, std::uint16_t b, std::uint16_t a)
{
    std::vector<std::uint16_t> row;
    for (int i = 0; i < width; ++i) row.insert(row.end(), {r, g, b, a});
    return row;
}

TEST(RleCodecsRgba, LongRunSplitsAt255)
{
    // 300 equal pixels: 255 + 45, two records of 5 bytes.
    const auto row = solid_row(300, 0x1234, 0x5678, 0x9ABC, 0xFFFF);
    std::vector<std::uint8_t> out(5 * 300);
    ASSERT_EQ(rle_encode_rgba(row.data(), out.data(), 300), 10);
    const std::uint8_t expected[10] = {255, 0x12, 0x56, 0x9A, 0xFF, 45, 0x12, 0x56, 0x9A, 0xFF};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], expected[i]) << i;

    // Exactly 510 pixels: two full runs, no empty third record.
    const auto row510 = solid_row(510, 0, 0, 0, 0);
    std::vector<std::uint8_t> out510(5 * 510);
    EXPECT_EQ(rle_encode_rgba(row510.data(), out510.data(), 510), 10);
    EXPECT_EQ(out510[5], 255);
}

TEST(RleCodecsRgba, AlternatingColoursGiveOneRecordPerPixel)
{
    std::vector<std::uint16_t> row;
    for (int i = 0; i < 4; ++i) row.insert(row.end(), {static_cast<std::uint16_t>(i % 2 ? 0xFF00 : 0), 0, 0, 0xFF00});
    std::vector<std::uint8_t> out(20);
    ASSERT_EQ(rle_encode_rgba(row.data(), out.data(), 4), 20);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[5 * i], 1);
        EXPECT_EQ(out[5 * i + 1], i % 2 ? 0xFF : 0x00);
    }
}

TEST(RleCodecsRgba, LowBytesAreIgnoredAndDecodeAsZero)
{
    // (0x12FF, ...) and (0x1200, ...) share one run; decoding gives 0x1200.
    const std::uint16_t row[8] = {0x12FF, 0x34AA, 0x5601, 0x78FF, 0x1200, 0x3400, 0x5600, 0x7800};
    std::uint8_t out[10] = {};
    ASSERT_EQ(rle_encode_rgba(row, out, 2), 5);
    EXPECT_EQ(out[0], 2);
    std::uint16_t back[8];
    EXPECT_EQ(rle_decode_rgba(out, 5, back, 2), 5u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(back[4 * i + 0], 0x1200);
        EXPECT_EQ(back[4 * i + 1], 0x3400);
        EXPECT_EQ(back[4 * i + 2], 0x5600);
        EXPECT_EQ(back[4 * i + 3], 0x7800);
    }
}

TEST(RleCodecsRgba, WidthOneOrLessIsOneRecordOfTheFirstPixel)
{
    const std::uint16_t px[4] = {0xAB00, 0xCD00, 0xEF00, 0x0100};
    std::uint8_t out[5] = {};
    for (int width : {1, 0, -3}) {
        ASSERT_EQ(rle_encode_rgba(px, out, width), 5) << width;
        EXPECT_EQ(out[0], 1);
        EXPECT_EQ(out[1], 0xAB);
        EXPECT_EQ(out[4], 0x01);
    }
}

TEST(RleCodecsRgba, DecodeClipsAtRowEndAndStopsAtZeroRun)
{
    // A run of 10 into a row of 3: three pixels written, the guard pixel untouched.
    const std::uint8_t longRun[5] = {10, 1, 2, 3, 4};
    std::vector<std::uint16_t> out(16, 0x7777);
    EXPECT_EQ(rle_decode_rgba(longRun, kRleUnbounded, out.data(), 3), 5u);
    EXPECT_EQ(out[8], 0x0100);
    EXPECT_EQ(out[11], 0x0400);
    EXPECT_EQ(out[12], 0x7777);

    // [1, 9,9,9,9][0, ...][1, ...]: one pixel, then the zero run ends decoding
    // without reading on; the rest of the row keeps its old values.
    const std::uint8_t zero[15] = {1, 9, 9, 9, 9, 0, 5, 5, 5, 5, 1, 6, 6, 6, 6};
    std::fill(out.begin(), out.end(), 0x7777);
    EXPECT_EQ(rle_decode_rgba(zero, kRleUnbounded, out.data(), 3), 5u);
    EXPECT_EQ(out[0], 0x0900);
    EXPECT_EQ(out[4], 0x7777);

    // Width 0 writes nothing and reads nothing.
    EXPECT_EQ(rle_decode_rgba(longRun, kRleUnbounded, out.data(), 0), 0u);
}

TEST(RleCodecsRgba, BoundedDecodeStopsAtTruncatedRecord)
{
    // 7 bytes: one whole record (2 pixels) and 2 bytes of the next.
    const std::uint8_t in[7] = {2, 1, 1, 1, 1, 3, 2};
    std::vector<std::uint16_t> out(20, 0x7777);
    EXPECT_EQ(rle_decode_rgba(in, sizeof in, out.data(), 5), 5u);
    EXPECT_EQ(out[4], 0x0100);
    EXPECT_EQ(out[8], 0x7777);
}

TEST(RleCodecsGrey, RecordsAndRoundTrip)
{
    // 300 values of 0x4000: [255, 0x40][45, 0x40].
    std::vector<std::uint16_t> row(300, 0x40FF);
    std::vector<std::uint8_t> out(600);
    ASSERT_EQ(rle_encode_grey(row.data(), out.data(), 300), 4);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 0x40);
    EXPECT_EQ(out[2], 45);

    // Multiples of 256 come back exactly.
    const std::uint16_t mask[6] = {0xFF00, 0xFF00, 0, 0x8000, 0x8000, 0x0100};
    std::uint8_t enc[12];
    const int n = rle_encode_grey(mask, enc, 6);
    EXPECT_EQ(n, 8);  // runs 2, 1, 2, 1
    std::uint16_t back[7] = {0, 0, 0, 0, 0, 0, 0x5555};
    EXPECT_EQ(rle_decode_grey(enc, static_cast<std::size_t>(n), back, 6), static_cast<std::size_t>(n));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], mask[i]) << i;
    EXPECT_EQ(back[6], 0x5555);

    // Width 1 or less: [1, v].
    EXPECT_EQ(rle_encode_grey(mask + 3, enc, 1), 2);
    EXPECT_EQ(enc[0], 1);
    EXPECT_EQ(enc[1], 0x80);
    EXPECT_EQ(rle_encode_grey(mask + 3, enc, 0), 2);

    // A zero run stops the grey decoder too.
    const std::uint8_t zero[4] = {0, 0x10, 3, 0x20};
    back[0] = 0x1111;
    EXPECT_EQ(rle_decode_grey(zero, kRleUnbounded, back, 3), 0u);
    EXPECT_EQ(back[0], 0x1111);
}

// Seeded sweep: for rows of paint-like data (runs and noise), decoding what was
// encoded gives the input with its low bytes cleared, every run is 1..255,
// neighbouring records differ unless the first one is full, and no more than
// 5 bytes per pixel are written.
TEST(RleCodecsRgba, RandomRowsRoundTrip)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        const int width = 1 + static_cast<int>(rng() % 900);
        std::vector<std::uint16_t> row(4 * width);
        std::uint16_t c[4] = {};
        for (int x = 0; x < width; ++x) {
            if (rng() % 8 == 0)
                for (auto& v : c) v = static_cast<std::uint16_t>(rng() % 3 * 0x5500);
            for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<std::uint16_t>(c[k] | (rng() & 0xFF));
        }
        std::vector<std::uint8_t> enc(5 * width);
        const int n = rle_encode_rgba(row.data(), enc.data(), width);
        ASSERT_EQ(n % 5, 0) << "seed " << seed;
        ASSERT_LE(n, 5 * width) << "seed " << seed;
        int total = 0;
        for (int r = 0; r < n; r += 5) {
            ASSERT_GE(enc[r], 1) << "seed " << seed;
            total += enc[r];
            if (r > 0 && enc[r - 5] < 255)
                EXPECT_NE(std::vector<std::uint8_t>(enc.begin() + r - 4, enc.begin() + r),
                          std::vector<std::uint8_t>(enc.begin() + r + 1, enc.begin() + r + 5))
                    << "seed " << seed;
        }
        EXPECT_EQ(total, width) << "seed " << seed;
        std::vector<std::uint16_t> back(4 * width);
        EXPECT_EQ(rle_decode_rgba(enc.data(), static_cast<std::size_t>(n), back.data(), width),
                  static_cast<std::size_t>(n));
        for (int i = 0; i < 4 * width; ++i) ASSERT_EQ(back[i], row[i] & 0xFF00) << "seed " << seed << " i " << i;
    }
}

// Layer lines and compressed blocks on a 3 x 2 canvas with layer 2.
struct LayerBlocks : ::testing::Test {
    static constexpr int W = 3, H = 2;
    void SetUp() override
    {
        MVE_CreateImage(nullptr, W, H, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(2, W, H), 1);
        MVE_SetLayer(2);
        // Row 0: (0x12FF, 0x3400, 0x56AB, 0xFF00), the same, alpha 0 with colour;
        // row 1: grey 0x8000 opaque, black half transparent, white opaque.
        const std::uint16_t px[W * H][4] = {{0x12FF, 0x3400, 0x56AB, 0xFF00}, {0x12FF, 0x3400, 0x56AB, 0xFF00},
                                            {0x7700, 0x8800, 0x9900, 0x0000}, {0x8000, 0x8000, 0x8000, 0xFF00},
                                            {0, 0, 0, 0x8000},                {0xFF00, 0xFF00, 0xFF00, 0xFF00}};
        std::memcpy(engine().layers.table[2].pixels.begin_write(), px, sizeof px);
        MVE_SetLastError("");
    }
    void TearDown() override { MVE_DeleteImage(); }
    std::vector<std::uint16_t> layer() const
    {
        const auto& p = engine().layers.table[2].pixels;
        return std::vector<std::uint16_t>(p.data(), p.data() + p.size());
    }
    std::vector<unsigned char> block(int level = 0)
    {
        std::vector<unsigned char> out(1024);
        const int n = MVE_GetRGBA32LayerCompressed(out.data(), 0, static_cast<int>(out.size()), 2, level);
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    }
    std::string error() const { return MVE_GetLastError(); }
};

TEST_F(LayerBlocks, LineRoundTripAndBounds)
{
    std::vector<unsigned char> line(15);
    // Row 0: the first two pixels share a run on high bytes.
    ASSERT_EQ(MVE_GetRGBA32LayerLineRLE(line.data(), 2, 0), 10);
    EXPECT_EQ(line[0], 2);
    EXPECT_EQ(line[3], 0x56);
    MVE_PutRGBA32LayerLineRLE(line.data(), 2, 1);
    const auto l = layer();
    EXPECT_EQ(l[12], 0x1200);  // row 1, pixel 0 now decoded with zero low bytes
    EXPECT_EQ(l[14], 0x5600);
    EXPECT_EQ(l[20], 0x7700);
    EXPECT_EQ(MVE_GetRGBA32LayerLineRLE(line.data(), 2, 2), 0);   // row outside
    EXPECT_EQ(MVE_GetRGBA32LayerLineRLE(line.data(), 3, 0), 0);   // absent layer
    EXPECT_EQ(MVE_GetRGBA32LayerLineRLE(line.data(), 999, 0), 0); // index outside the table
    EXPECT_EQ(MVE_GetRGBA32LayerLineRLE(nullptr, 2, 0), 0);
    MVE_PutRGBA32LayerLineRLE(line.data(), 2, -1);
    MVE_PutRGBA32LayerLineRLE(nullptr, 2, 0);
    EXPECT_EQ(layer(), l);
}

TEST_F(LayerBlocks, BlockIsAZlibStreamOfTheRgba32Layer)
{
    const auto out = block();
    ASSERT_GT(out.size(), 0u);
    std::vector<unsigned char> expected(W * H * 4), inflated(W * H * 4);
    MVE_GetRGBA32Layer(expected.data(), W * 4, 2);
    uLongf n = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(inflated.data(), &n, out.data(), static_cast<uLong>(out.size())), Z_OK);
    EXPECT_EQ(n, inflated.size());
    EXPECT_EQ(inflated, expected);
    EXPECT_EQ(inflated[0], 0x12);
    EXPECT_EQ(inflated[3], 0xFF);
}

TEST_F(LayerBlocks, BlockRoundTripLoadsUnmasked)
{
    const auto out = block(12);
    ASSERT_GT(out.size(), 0u);
    // Clear the layer, then load through a Mask that would block everything:
    // the load is unmasked.
    std::memset(engine().layers.table[2].pixels.begin_write(), 0, engine().layers.table[2].pixels.bytes());
    MVE_ClearMask(65535, 65535, 65535);
    MVE_LoadRGBA32LayerCompressed(out.data(), 0, static_cast<int>(out.size()), 2);
    EXPECT_EQ(error(), "");
    // High bytes << 8; the alpha-0 pixel becomes all zero.
    const std::vector<std::uint16_t> expected = {0x1200, 0x3400, 0x5600, 0xFF00, 0x1200, 0x3400, 0x5600, 0xFF00,
                                                 0,      0,      0,      0,      0x8000, 0x8000, 0x8000, 0xFF00,
                                                 0,      0,      0,      0x8000, 0xFF00, 0xFF00, 0xFF00, 0xFF00};
    EXPECT_EQ(layer(), expected);
}

TEST_F(LayerBlocks, BadBlocksLeaveTheLayerAndReportFailure)
{
    const auto good = block();
    ASSERT_GT(good.size(), 8u);
    const auto before = layer();
    auto expect_refused = [&](const std::vector<unsigned char>& bad, int length, const char* what) {
        MVE_SetLastError("");
        MVE_LoadRGBA32LayerCompressed(bad.data(), 0, length, 2);
        EXPECT_EQ(error(), "LoadRGBA32LayerCompressed Excpt") << what;
        EXPECT_EQ(layer(), before) << what;
    };
    // Truncated: last byte of the checksum gone, and half the stream gone.
    expect_refused(good, static_cast<int>(good.size()) - 1, "truncated by one");
    expect_refused(good, static_cast<int>(good.size()) / 2, "truncated by half");
    expect_refused(good, 0, "empty");
    // Corrupt: a flipped byte inside the deflate data breaks the stream or its checksum.
    auto corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x5A;
    expect_refused(corrupt, static_cast<int>(corrupt.size()), "flipped byte");
    auto header = good;
    header[0] = 0x00;  // not a zlib header
    expect_refused(header, static_cast<int>(header.size()), "bad header");

    // Intact streams of the wrong size: 4 x 2 and 2 x 2 pixels of RGBA32.
    for (std::size_t bytes : {std::size_t{32}, std::size_t{16}}) {
        std::vector<unsigned char> raw(bytes, 0x40), z(z_deflate_bound(bytes));
        const std::size_t n = z_deflate_buffer(raw.data(), bytes, z.data(), z.size(), 6);
        ASSERT_GT(n, 0u);
        expect_refused(z, static_cast<int>(n), bytes == 32 ? "oversize" : "undersize");
    }

    // Null buffers and absent layers do nothing and report nothing.
    MVE_SetLastError("");
    MVE_LoadRGBA32LayerCompressed(nullptr, 0, 100, 2);
    MVE_LoadRGBA32LayerCompressed(good.data(), 0, static_cast<int>(good.size()), 5);
    MVE_LoadRGBA32LayerCompressed(good.data(), 0, static_cast<int>(good.size()), -1);
    EXPECT_EQ(error(), "");
    EXPECT_EQ(layer(), before);
}

TEST_F(LayerBlocks, CompressionFailuresReturnZero)
{
    std::vector<unsigned char> out(1024);
    EXPECT_EQ(MVE_GetRGBA32LayerCompressed(out.data(), 0, 4, 2, 6), 0);  // does not fit
    EXPECT_EQ(MVE_GetRGBA32LayerCompressed(out.data(), 0, 1024, 7, 6), 0);  // absent layer
    EXPECT_EQ(MVE_GetRGBA32LayerCompressed(nullptr, 0, 1024, 2, 6), 0);
    EXPECT_EQ(error(), "");
    // A failed scratch allocation is reported.
    mve::test_hooks::fail_allocations_after(0);
    const int n = MVE_GetRGBA32LayerCompressed(out.data(), 0, 1024, 2, 6);
    mve::test_hooks::fail_allocations_after(-1);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(error(), "GetRGBA32Layer Excpt");
}

TEST(Compression, LevelsAndExactSizes)
{
    std::vector<unsigned char> raw(5000);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<unsigned char>(i * 7 % 13);
    std::vector<unsigned char> z(z_deflate_bound(raw.size())), back(raw.size());
    for (int level : {-1, 0, 1, 6, 9, 12, 99}) {
        const std::size_t n = z_deflate_buffer(raw.data(), raw.size(), z.data(), z.size(), level);
        ASSERT_GT(n, 0u) << level;
        ASSERT_TRUE(z_inflate_buffer(z.data(), n, back.data(), back.size())) << level;
        EXPECT_EQ(back, raw) << level;
        EXPECT_FALSE(z_inflate_buffer(z.data(), n, back.data(), back.size() - 1)) << level;
    }
    EXPECT_EQ(z_deflate_buffer(raw.data(), raw.size(), z.data(), 3, 6), 0u);
    EXPECT_EQ(z_deflate_buffer(nullptr, 1, z.data(), z.size(), 6), 0u);
    EXPECT_FALSE(z_inflate_buffer(nullptr, 1, back.data(), 1));
}

}  // namespace
}  // namespace mve
