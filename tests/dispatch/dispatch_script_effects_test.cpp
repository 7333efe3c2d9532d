// The image-script families through the dispatcher, worked by hand on small
// canvases: the blend-code mapping, "Rotate" and "Zoom" as identities and a
// quarter turn, the kaleidoscope's symmetry, "Pattern Explorer" from a
// script file and "Clip Fill" from the in-process clipboard.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "dispatch/dispatch.h"
#include "dispatch/script_blend_code.h"
#include "dispatch_test_rig.h"
#include "engine/engine.h"
#include "platform/clipboard.h"

using namespace dispatch_test;

namespace {

using DispatchScriptEffects = DispatchFixture;

// A w x h opaque picture whose pixel i is (i + 1) * (10, 5, 3), alpha 255.
std::vector<std::uint8_t> counting(int w, int h)
{
    std::vector<std::uint8_t> p;
    for (int i = 0; i < w * h; ++i)
        p.insert(p.end(),
                 {std::uint8_t((i + 1) * 10), std::uint8_t((i + 1) * 5), std::uint8_t((i + 1) * 3), 255});
    return p;
}

const std::uint8_t* pixel(const std::vector<std::uint8_t>& p, int w, int x, int y)
{
    return &p[(static_cast<std::size_t>(y) * w + x) * 4];
}

TEST(ScriptBlendCode, HostNormalIsTwelveAndTheNextTwelveMoveDownOne)
{
    EXPECT_EQ(mve::dispatch::script_blend_code(0), 12);
    EXPECT_EQ(mve::dispatch::script_blend_code(1), 0);
    EXPECT_EQ(mve::dispatch::script_blend_code(7), 6);
    EXPECT_EQ(mve::dispatch::script_blend_code(12), 11);
    for (int kept : {13, 15, 17, 18, -1, 1000}) EXPECT_EQ(mve::dispatch::script_blend_code(kept), kept);
}

TEST_F(DispatchScriptEffects, RotateByZeroAndZoomByOneKeepTheLayer)
{
    canvas(3, 2);
    const auto before = counting(3, 2);
    set_layer(before);
    EXPECT_EQ(process("Rotate", with_p({0})), 1);
    EXPECT_EQ(layer32(), before);
    EXPECT_EQ(process("Zoom", with_p({100})), 1);  // f1 * 10 = 100 %
    EXPECT_EQ(layer32(), before);
}

TEST_F(DispatchScriptEffects, RotateByAQuarterTurnsTheSquare)
{
    // p1 = 250: 25 * 3.6 = 90 degrees counter-clockwise: [A B; C D] becomes [B D; A C].
    canvas(2, 2);
    const auto in = counting(2, 2);
    set_layer(in);
    process("Rotate", with_p({250}));
    const auto out = layer32();
    auto same = [&](int x, int y, int sx, int sy) {
        EXPECT_EQ(0, std::memcmp(pixel(out, 2, x, y), pixel(in, 2, sx, sy), 4)) << x << "," << y;
    };
    same(0, 0, 1, 0);
    same(1, 0, 1, 1);
    same(0, 1, 0, 0);
    same(1, 1, 0, 1);
}

TEST_F(DispatchScriptEffects, KaleidoscopeOfFourMirrorsTheUpperRightQuadrant)
{
    // p1 = 125: trunc(12.5 * 0.32) = 4 segments about the middle of a 4 x 4
    // canvas; every quadrant shows the upper right one, mirrored.
    canvas(4, 4);
    const auto in = counting(4, 4);
    set_layer(in);
    process("Kaleidoscope", with_p({125}));
    const auto out = layer32();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int sx = x < 2 ? 3 - x : x, sy = y < 2 ? y : 3 - y;
            EXPECT_EQ(0, std::memcmp(pixel(out, 4, x, y), pixel(in, 4, sx, sy), 4)) << x << "," << y;
        }
}

TEST_F(DispatchScriptEffects, PatternExplorerTilesTheScriptThroughItsEffects)
{
    const std::string path = "/tmp/mve_explorer_" + std::to_string(getpid()) + ".isl";
    std::ofstream(path) << "ISL 1\nsize 2 1\nbackground 10 20 30\n";
    canvas(3, 2);
    const auto before = solid({1, 2, 3, 255});
    set_layer(before);
    // p1 = 50 inverts; p2 names no step and adds none: 255 - (10, 20, 30) everywhere.
    Call c = with_p({50, 9999});
    c.text = path.c_str();
    EXPECT_EQ(process("Pattern Explorer", c), 1);
    EXPECT_EQ(layer32(), solid({245, 235, 225, 255}));
    // A missing file leaves the layer as it is.
    set_layer(before);
    const std::string missing = path + ".missing";
    c.text = missing.c_str();
    EXPECT_EQ(process("Pattern Explorer", c), 1);
    EXPECT_EQ(layer32(), before);
    c.text = nullptr;
    EXPECT_EQ(process("Pattern Explorer", c), 1);
    EXPECT_EQ(layer32(), before);
    std::remove(path.c_str());
}

TEST_F(DispatchScriptEffects, ClipFillStretchesTheClipboardOverTheLayerAndDropsTheStagingImage)
{
    mve::platform::set_clipboard_in_process_only(mve::engine().platform, true);
    canvas(5, 3);
    set_layer(solid({9, 9, 9, 255}));
    // A flat 2 x 2 picture stays flat when stretched to 5 x 3; opaque, it
    // covers the layer wholly in the Normal merge.
    const std::vector<std::uint8_t> clip = {50, 100, 150, 255, 50, 100, 150, 255,
                                            50, 100, 150, 255, 50, 100, 150, 255};
    MVE_RGBA32ToClipboardRect(clip.data(), 0, 0, 2, 2, 0);
    EXPECT_EQ(process("Clip Fill"), 1);
    EXPECT_EQ(layer32(), solid({50, 100, 150, 255}));
    EXPECT_EQ(mve::engine().exchange.staging.pixels.data(), nullptr);
}

}  // namespace
