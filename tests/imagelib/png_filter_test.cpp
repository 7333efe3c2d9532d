// PNG row filters worked by hand, their inverses, the per-row choice, and the
// writer using every filter type in one file that still decodes exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/runtime.h"
#include "imagelib/compression.h"
#include "imagelib/png_filter.h"
#include "imagelib/reading.h"
#include "imagelib/writing.h"

namespace {

using namespace mve::il;
using Bytes = std::vector<std::uint8_t>;

struct FastPaths {
    bool saved = mve::fast_paths_enabled();
    explicit FastPaths(bool on) { mve::set_fast_paths(on); }
    ~FastPaths() { mve::set_fast_paths(saved); }
};

Bytes filtered(int type, const Bytes& row, const Bytes& above, int bpp)
{
    Bytes out(row.size());
    png_filter_row(type, row.data(), above.data(), row.size(), bpp, out.data());
    return out;
}

// Two RGBA pixels under a row above; every residual below is worked by hand.
TEST(PngFilter, ResidualsOfTwoPixels)
{
    const Bytes row = {10, 20, 30, 40, 50, 60, 70, 80};
    const Bytes above = {100, 5, 5, 5, 100, 100, 100, 100};
    for (bool fast : {false, true}) {
        FastPaths mode(fast);
        EXPECT_EQ(filtered(kPngFilterNone, row, above, 4), row);
        // Sub: the first pixel has a zero left neighbour.
        EXPECT_EQ(filtered(kPngFilterSub, row, above, 4), (Bytes{10, 20, 30, 40, 40, 40, 40, 40}));
        // Up: 10 - 100 = -90 = 166; 50 - 100 = 206.
        EXPECT_EQ(filtered(kPngFilterUp, row, above, 4), (Bytes{166, 15, 25, 35, 206, 216, 226, 236}));
        // Average rounds down: (0 + 100) / 2 = 50, (0 + 5) / 2 = 2, (10 + 100) / 2 = 55, (20 + 100) / 2 = 60.
        EXPECT_EQ(filtered(kPngFilterAverage, row, above, 4), (Bytes{216, 18, 28, 38, 251, 0, 5, 10}));
        // Paeth: first pixel predicts "above" (left and above-left are 0);
        // second pixel, red: left 10, above 100, above-left 100, p = 10 -> left;
        // green: left 20, above 100, above-left 5, p = 115 -> above.
        EXPECT_EQ(filtered(kPngFilterPaeth, row, above, 4), (Bytes{166, 15, 25, 35, 40, 216, 226, 236}));
    }
}

// Every filter undone gives the row back, on rows long enough for the vector
// loop and its tail, for grey, grey+alpha, RGB and RGBA, with and without the
// fast paths; the fast filters give the scalar bytes.
TEST(PngFilter, EveryTypeRoundTripsExactly)
{
    for (int bpp : {1, 2, 3, 4}) {
        const std::size_t n = static_cast<std::size_t>(37 * bpp);
        Bytes row(n), above(n);
        for (std::size_t i = 0; i < n; ++i) {
            row[i] = static_cast<std::uint8_t>((i * 73 + 11) ^ (i >> 2));
            above[i] = static_cast<std::uint8_t>(i * 29 + 200);
        }
        for (int type = kPngFilterNone; type <= kPngFilterPaeth; ++type) {
            Bytes scalar, fast;
            {
                FastPaths mode(false);
                scalar = filtered(type, row, above, bpp);
            }
            {
                FastPaths mode(true);
                fast = filtered(type, row, above, bpp);
            }
            EXPECT_EQ(fast, scalar) << "type " << type << " bpp " << bpp;
            for (bool fastUndo : {false, true}) {
                FastPaths mode(fastUndo);
                Bytes undone = scalar;
                ASSERT_TRUE(png_unfilter_row(type, undone.data(), above.data(), n, bpp));
                EXPECT_EQ(undone, row) << "type " << type << " bpp " << bpp << " fast " << fastUndo;
            }
        }
    }
    Bytes row(4);
    EXPECT_FALSE(png_unfilter_row(5, row.data(), row.data(), 4, 1));
}

// A ramp is cheapest under Sub, a row equal to the one above under Up; ties
// go to the lower type.
TEST(PngFilter, ChoosesTheSmallestResiduals)
{
    for (bool fast : {false, true}) {
        FastPaths mode(fast);
        const std::size_t n = 40;
        Bytes ramp(n), zeros(n, 0), out(n + 1), scratch(4 * n);
        for (std::size_t i = 0; i < n; ++i) ramp[i] = static_cast<std::uint8_t>(i * 10);
        // Sub: 0, 10, 10, ... costs 390; Paeth over a zero row predicts the
        // left byte too (a tie, lower type wins); None costs far more.
        EXPECT_EQ(png_filter_row_best(ramp.data(), zeros.data(), n, 1, out.data(), scratch.data()), kPngFilterSub);
        EXPECT_EQ(out[0], kPngFilterSub);
        EXPECT_EQ(out[1], 0);
        EXPECT_EQ(out[2], 10);
        EXPECT_EQ(png_filter_row_best(ramp.data(), ramp.data(), n, 1, out.data(), scratch.data()), kPngFilterUp);
        EXPECT_EQ(Bytes(out.begin() + 1, out.end()), zeros);
        // Values near 0 read as small signed residuals: None costs 0 on a zero row.
        EXPECT_EQ(png_filter_row_best(zeros.data(), ramp.data(), n, 1, out.data(), scratch.data()), kPngFilterNone);
    }
}

// A grey picture whose rows are each cheapest under a known filter (costs
// worked by hand, ties going to the lower type), so one file holds all five
// types; it decodes to the same pixels.
TEST(PngFilter, WriterUsesEveryTypeAndDecodesExactly)
{
    const int w = 9, h = 6;
    const std::size_t n = w;
    const Bytes pixels = {
        1, 0,  1,   0,   1,   0,   1,   0,   1,    // None 5, Up 5, Average 5 (ties), Sub 9, Paeth 9
        0, 10, 20,  30,  40,  50,  60,  70,  80,   // Sub 80, Paeth 80 (tie: left each time), Up 357
        0, 10, 20,  30,  40,  50,  60,  70,  80,   // Up 0 (Paeth 0 too, tie)
        0, 5,  12,  21,  30,  40,  50,  60,  70,   // Average 0: each (left + above) / 2
        0, 50, 100, 150, 200, 0,   0,   0,   0,    // (only the row above the next)
        0, 50, 100, 150, 200, 200, 200, 200, 200,  // Paeth 56 (above, then left), Sub 200, Up 224
    };
    ImageDest* dest = open_memory_dest();
    ASSERT_EQ(write_png(dest, pixels.data(), w, h, w, 8, 0, 0, 0, 0), 1);
    const Bytes file = dest->bytes;
    close_dest(dest);

    // Gather the IDAT data (chunks after the 8-byte signature) and inflate it.
    Bytes idat;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t len = static_cast<std::size_t>(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (std::memcmp(file.data() + at + 4, "IDAT", 4) == 0)
            idat.insert(idat.end(), file.begin() + at + 8, file.begin() + at + 8 + len);
        at += 12 + len;
    }
    Bytes raw((n + 1) * h);
    ASSERT_TRUE(mve::z_inflate_buffer(idat.data(), idat.size(), raw.data(), raw.size()));
    std::vector<int> types;
    for (int y = 0; y < h; ++y) types.push_back(raw[(n + 1) * y]);
    types[4] = -1;  // not asserted
    EXPECT_EQ(types, (std::vector<int>{kPngFilterNone, kPngFilterSub, kPngFilterUp, kPngFilterAverage, -1,
                                       kPngFilterPaeth}));

    int dw = 0, dh = 0;
    std::uint8_t* decoded = decode_png(file.data(), file.size(), &dw, &dh);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
    Bytes grey;
    for (int i = 0; i < w * h; ++i) grey.push_back(decoded[i * 4]);
    EXPECT_EQ(grey, pixels);
    EXPECT_EQ(decoded[4 * 10 + 1], 10);  // grey spread to G and B, alpha 255
    EXPECT_EQ(decoded[4 * 10 + 3], 255);
    release_block(decoded);
}

// An RGBA picture whose every alpha is 255 is stored as RGB (colour type 2
// at byte 25 of the file) and reads back with alpha 255; one alpha of 254
// keeps RGBA (colour type 6).
TEST(PngFilter, OpaqueRgbaIsStoredAsRgb)
{
    Bytes rgba = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255};
    for (int lastAlpha : {255, 254}) {
        rgba[23] = static_cast<std::uint8_t>(lastAlpha);
        ImageDest* dest = open_memory_dest();
        ASSERT_EQ(write_png(dest, rgba.data(), 3, 2, 12, 8, 6, 0, 0, 0), 1);
        const Bytes file = dest->bytes;
        close_dest(dest);
        EXPECT_EQ(file[25], lastAlpha == 255 ? 2 : 6);
        int w = 0, h = 0;
        std::uint8_t* decoded = decode_png(file.data(), file.size(), &w, &h);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(Bytes(decoded, decoded + 24), rgba);
        release_block(decoded);
    }
}

}  // namespace
