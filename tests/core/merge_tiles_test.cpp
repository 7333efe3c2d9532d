// The composite passing over empty tiles of sparse layers: the same bits as
// the merge that visits every pixel, also after a layer changed between
// merges (a map kept from before would skip the new pixels).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "merge_stack_fixture.h"
#include "morvane/morvane.h"

namespace {

using Plane = std::vector<unsigned short>;

using MergeTiles = mve_test::MergeStackFixture;

const std::vector<unsigned short> kWhite{65535, 65535, 65535, 65535};

}  // namespace

TEST_F(MergeTiles, PixelsWrittenIntoAnEmptyTileAfterAMergeAreShown)
{
    // 130 x 70: several tiles each way. The background is opaque white;
    // layer 2 holds one opaque red pixel, at (100, 10).
    make(130, 70, 2);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
    Plane layer(static_cast<std::size_t>(w) * h * 4, 0);
    put(layer, w, 100, 10, {0xFF00, 0, 0, 0xFFFF});
    MVE_SetLayerData(layer.data(), 2);
    Plane out = merged(true);
    EXPECT_EQ(at(out, w, 100, 10), (std::vector<unsigned short>{0xFF00, 0, 0, 0xFFFF}));
    EXPECT_EQ(at(out, w, 10, 65), kWhite);
    EXPECT_EQ(at(out, w, 129, 69), kWhite);

    // Opaque Normal replaces: the new blue pixel in the formerly empty tile
    // holding (10, 65) must come through unchanged.
    put(layer, w, 10, 65, {0, 0, 0xFF00, 0xFFFF});
    MVE_SetLayerData(layer.data(), 2);
    out = merged(true);
    EXPECT_EQ(at(out, w, 10, 65), (std::vector<unsigned short>{0, 0, 0xFF00, 0xFFFF}));
    EXPECT_EQ(at(out, w, 100, 10), (std::vector<unsigned short>{0xFF00, 0, 0, 0xFFFF}));
    EXPECT_EQ(out, merged(false));

    // And a merge of a rectangle inside that tile only sees it too.
    put(layer, w, 12, 66, {0, 0xFF00, 0, 0xFFFF});
    MVE_SetLayerData(layer.data(), 2);
    const Plane rect = merged_rect(true, 10, 65, 3, 2);
    EXPECT_EQ(at(rect, 3, 2, 1), (std::vector<unsigned short>{0, 0xFF00, 0, 0xFFFF}));
    EXPECT_EQ(at(rect, 3, 1, 1), kWhite);
}

TEST_F(MergeTiles, AlphaModesActOnTransparentTiles)
{
    // "Alpha Filter" turns a transparent source into opaque white. With the
    // background hidden the composite starts transparent, so an all-empty
    // layer in that mode makes every pixel opaque white: skipping it would
    // leave (0, 0, 0, 0).
    make(70, 66, 2);
    MVE_SetLayerOptions(1, 0, 0, 100, "Normal");
    MVE_SetLayerOptions(2, 1, 0, 100, "Alpha Filter");
    const Plane out = merged(true);
    EXPECT_EQ(at(out, w, 0, 0), kWhite);
    EXPECT_EQ(at(out, w, 69, 65), kWhite);
    EXPECT_EQ(out, merged(false));
}

TEST_F(MergeTiles, SparseRandomStacksMatchTheFullMerge)
{
    make(200, 150, 7);
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    const char* modes[] = {"Normal", "Multiply", "Screen", "Overlay", "Alpha Normal", "Normal"};
    std::mt19937 rng(2024);
    std::vector<Plane> layers(8);
    bool filled[8][12] = {};
    auto fill_tile = [&](int index, int tx, int ty) {
        Plane& p = layers[index];
        filled[index][ty * 4 + tx] = true;
        for (int y = ty * 64; y < std::min(h, ty * 64 + 64); ++y)
            for (int x = tx * 64; x < std::min(w, tx * 64 + 64); ++x) {
                const unsigned k = rng() % 4;  // a mix of empty, opaque and partial pixels
                const unsigned short a = k == 0 ? 0 : k == 1 ? 65535 : static_cast<unsigned short>(rng());
                put(p, w, x, y,
                    {static_cast<unsigned short>(rng()), static_cast<unsigned short>(rng()),
                     static_cast<unsigned short>(rng()), a});
            }
    };
    for (int index = 2; index <= 7; ++index) {
        Plane& p = layers[index];
        p.assign(static_cast<std::size_t>(w) * h * 4, 0);
        for (int ty = 0; ty < 3; ++ty)
            for (int tx = 0; tx < 4; ++tx)
                if (rng() % 3 == 0) fill_tile(index, tx, ty);
        MVE_SetLayerData(p.data(), index);
        MVE_SetLayerOptions(index, 1, 0, index == 3 ? 60 : 100, modes[index - 2]);
    }
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(merged(true), merged(false));
        EXPECT_EQ(merged_rect(true, -10, 30, 150, 100), merged_rect(false, -10, 30, 150, 100));
        EXPECT_EQ(merged_rect(true, 63, 63, 3, 70), merged_rect(false, 63, 63, 3, 70));
        // Between merges a colour-mode layer gets pixels in a tile that was
        // empty when its map was made.
        const int index = round % 2 == 0 ? 2 : 4;
        int tile = static_cast<int>(rng() % 12);
        while (filled[index][tile]) tile = (tile + 1) % 12;
        fill_tile(index, tile % 4, tile / 4);
        MVE_SetLayerData(layers[index].data(), index);
    }
}
