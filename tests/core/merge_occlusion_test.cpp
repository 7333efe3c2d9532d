// The composite starting above the background where an opaque Normal layer
// covers a whole tile, and filling uniform background tiles: the same bits
// as the merge that takes every layer at every pixel, and never where the
// layer is scaled, hidden, smaller than the tile or changed since its map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "core/tile_occupancy.h"
#include "merge_stack_fixture.h"
#include "morvane/morvane.h"

namespace {

using Plane = mve_test::MergeStackFixture::Plane;
using Pixel = mve_test::MergeStackFixture::Pixel;
constexpr int T = mve::kOccupancyTile;

struct MergeOcclusion : mve_test::MergeStackFixture {
    static Plane filled(int width, int height, const Pixel& v)
    {
        Plane p(static_cast<std::size_t>(width) * height * 4);
        for (std::size_t i = 0; i < p.size(); i += 4) std::copy(v.begin(), v.end(), p.begin() + i);
        return p;
    }
};

const Pixel kRed{0xFF00, 0, 0, 0xFFFF};
const Pixel kBlue{0, 0, 0xFF00, 0xFFFF};

}  // namespace

TEST_F(MergeOcclusion, OpaqueLayerHidesBeneathOnlyWhileItIsShownWholeAndOpaque)
{
    // Three tile columns, two tile rows; white background, opaque blue
    // layer 2, opaque red layer 3 with one transparent pixel.
    make(2 * T + 3, T + 2, 3);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    Plane blue = filled(w, h, kBlue), red = filled(w, h, kRed);
    put(red, w, T + 1, 1, {0, 0, 0, 0});
    MVE_SetLayerData(blue.data(), 2);
    MVE_SetLayerData(red.data(), 3);
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
    MVE_SetLayerOptions(3, 1, 0, 100, "Normal");
    Plane out = merged(true);
    EXPECT_EQ(at(out, w, 0, 0), kRed);
    EXPECT_EQ(at(out, w, 2 * T + 2, T + 1), kRed);
    EXPECT_EQ(at(out, w, T + 1, 1), kBlue);  // the hole shows the layer beneath
    EXPECT_EQ(out, merged(false));

    // At 99 % the red alpha is (254 * 65535) >> 8 = 65023, so blue shows
    // through: blue = 65280 x (1 - 65023 / 65535), about 510.
    MVE_SetLayerOptions(3, 1, 0, 99, "Normal");
    out = merged(true);
    EXPECT_GE(at(out, w, 0, 0)[2], 500);
    EXPECT_LE(at(out, w, 0, 0)[2], 520);
    EXPECT_EQ(out, merged(false));

    // Hidden, it hides nothing.
    MVE_SetLayerOptions(3, 0, 0, 100, "Normal");
    out = merged(true);
    EXPECT_EQ(at(out, w, 0, 0), kBlue);
    EXPECT_EQ(at(out, w, 2 * T + 2, T + 1), kBlue);

    // Shown and made opaque everywhere, then given a hole in a tile that was
    // opaque at the last merge: a map kept from before would show red there.
    MVE_SetLayerOptions(3, 1, 0, 100, "Normal");
    put(red, w, T + 1, 1, kRed);
    MVE_SetLayerData(red.data(), 3);
    out = merged(true);
    EXPECT_EQ(at(out, w, T + 1, 1), kRed);
    put(red, w, T + 2, 2, {0xFF00, 0xFF00, 0, 0});
    MVE_SetLayerData(red.data(), 3);
    out = merged(true);
    EXPECT_EQ(at(out, w, T + 2, 2), kBlue);
    EXPECT_EQ(at(out, w, T + 1, 1), kRed);
    EXPECT_EQ(out, merged(false));
}

TEST_F(MergeOcclusion, OpaqueLayerSmallerThanTheTileHidesOnlyItsOwnPixels)
{
    // Layer 3 is T + 5 wide: tile column 1 is opaque inside it, but the
    // columns from T + 5 on lie outside and show layer 2; the background
    // (opaque white, one repeated pixel) shows where layer 2 is hidden.
    make(2 * T + 3, T + 2, 2);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    ASSERT_EQ(MVE_CreateLayer(3, T + 5, h), 1);
    // The host's data is packed at the canvas width; layer 3 takes its part.
    Plane blue = filled(w, h, kBlue), red = filled(w, h, kRed);
    MVE_SetLayerData(blue.data(), 2);
    MVE_SetLayerData(red.data(), 3);
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
    MVE_SetLayerOptions(3, 1, 0, 100, "Normal");
    Plane out = merged(true);
    EXPECT_EQ(at(out, w, T + 4, 0), kRed);
    EXPECT_EQ(at(out, w, T + 5, 0), kBlue);
    EXPECT_EQ(at(out, w, 2 * T + 2, T + 1), kBlue);
    EXPECT_EQ(out, merged(false));

    // A rectangle starting left of and above the canvas: zeros there.
    const Plane rect = merged_rect(true, -2, -1, T + 9, 3);
    EXPECT_EQ(at(rect, T + 9, 0, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(at(rect, T + 9, 2, 1), kRed);
    EXPECT_EQ(at(rect, T + 9, T + 6, 2), kRed);
    EXPECT_EQ(at(rect, T + 9, T + 7, 2), kBlue);
    EXPECT_EQ(rect, merged_rect(false, -2, -1, T + 9, 3));
    // Rectangles wholly left or right of the canvas hold zeros only.
    for (int left : {-3 * T, w + 2}) EXPECT_EQ(merged_rect(true, left, 0, 2, 2), Plane(16, 0));

    MVE_SetLayerOptions(2, 0, 0, 100, "Normal");
    out = merged(true);
    EXPECT_EQ(at(out, w, T + 5, 0), (Pixel{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(at(out, w, 0, 0), kRed);
}

TEST_F(MergeOcclusion, RandomStacksWithOpaqueTilesMatchTheFullMerge)
{
    const char* modes[] = {"Normal", "Normal", "Multiply", "Screen", "Alpha Normal", "Layer Mask", "Normal"};
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 rng(seed);
        const int columns = 2 + static_cast<int>(rng() % 3), rows = 1 + static_cast<int>(rng() % 3);
        make(columns * T - static_cast<int>(rng() % 5), rows * T + static_cast<int>(rng() % 5), 7);
        std::vector<int> widths(8, w), heights(8, h);
        std::vector<Plane> layers(8);
        // A tile: empty, opaque (alphas above 0xFEFF), nearly opaque (one
        // alpha of exactly 0xFEFF) or mixed.
        auto fill_tile = [&](int index, int tx, int ty, unsigned kind) {
            Plane& p = layers[index];
            const unsigned short r = rng(), g = rng(), b = rng();
            for (int y = ty * T; y < std::min(heights[index], ty * T + T); ++y)
                for (int x = tx * T; x < std::min(widths[index], tx * T + T); ++x) {
                    unsigned short a = 0;
                    if (kind == 1 || kind == 2) a = static_cast<unsigned short>(0xFF00 + rng() % 256);
                    if (kind == 3) a = rng() % 3 == 0 ? 0 : static_cast<unsigned short>(rng());
                    put(p, w, x, y, {r, static_cast<unsigned short>(g + x), b, a});
                }
            if (kind == 2 && tx * T < widths[index] && ty * T < heights[index])
                p[(static_cast<std::size_t>(ty) * T * w + tx * T) * 4 + 3] = 0xFEFF;
        };
        auto fill_layer = [&](int index) {
            layers[index].assign(static_cast<std::size_t>(w) * h * 4, 0);  // packed at the canvas width
            for (int ty = 0; ty * T < heights[index]; ++ty)
                for (int tx = 0; tx * T < widths[index]; ++tx) fill_tile(index, tx, ty, rng() % 4);
            MVE_SetLayerData(layers[index].data(), index);
        };
        // The background: one repeated pixel, or random tiles.
        if (rng() % 2) {
            layers[1] =
                filled(w, h, {static_cast<unsigned short>(rng()), 7, 9, static_cast<unsigned short>(rng())});
            MVE_SetLayerData(layers[1].data(), 1);
        } else {
            fill_layer(1);
        }
        MVE_SetLayerOptions(1, rng() % 4 != 0, 0, 100, "Normal");
        for (int index = 2; index <= 7; ++index) {
            if (rng() % 4 == 0) {
                widths[index] = w - static_cast<int>(rng() % T),
                heights[index] = h - static_cast<int>(rng() % T);
                ASSERT_EQ(MVE_CreateLayer(index, widths[index], heights[index]), 1);
            }
            fill_layer(index);
            const int opacity = rng() % 5 == 0 ? 99 : 100;
            MVE_SetLayerOptions(index, rng() % 6 != 0, 0, opacity, modes[rng() % 7]);
        }
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            EXPECT_EQ(merged(true), merged(false));
            const int x = static_cast<int>(rng() % (2 * T)) - T / 2, y = static_cast<int>(rng() % T) - 3;
            const int rw = 1 + static_cast<int>(rng() % w), rh = 1 + static_cast<int>(rng() % h);
            EXPECT_EQ(merged_rect(true, x, y, rw, rh), merged_rect(false, x, y, rw, rh));
            // Between merges a tile of some layer changes kind, a layer is
            // shown or hidden, or its opacity moves.
            const int index = 2 + static_cast<int>(rng() % 6);
            fill_tile(index, static_cast<int>(rng() % columns), static_cast<int>(rng() % rows), rng() % 4);
            MVE_SetLayerData(layers[index].data(), index);
            MVE_SetLayerOptions(2 + static_cast<int>(rng() % 6), rng() % 2, 0, rng() % 2 ? 100 : 99,
                                "Normal");
        }
        MVE_DeleteImage();
    }
}
