// The blocks that hand the layer to another part of the engine, called by
// name through the dispatcher: the Lua filter, a plug-in file, the scratch
// layer's distortion, and the compositions that start with the photo pop.
#include <fstream>
#include <string>

#include "dispatch_test_rig.h"

using namespace dispatch_test;

namespace {

using DispatchHosted = DispatchFixture;

// The script sees the call's parameters in order: pixel 0 gets (1, 0.5, 0)
// -> (255, trunc(127.5) = 127, 0); pixel 1 gets sliderVal1 = p1 x 0.001 =
// 0.2 as red -> trunc(51.0) = 51, and flagVal1 = i3 = 1 as green -> 255.
TEST_F(DispatchHosted, LuaFilterRunsTheScriptWithTheCallsArguments)
{
    canvas(2, 1);
    set_layer(solid({10, 20, 30, 255}));
    const std::string path = ::testing::TempDir() + "hosted.lua";
    std::ofstream(path) << "set_rgb(0, 0, 1, 0.5, 0)\nset_rgb(1, 0, sliderVal1, flagVal1, 0)\n";
    Call c = with_p({200}, {0, 0, 1});
    c.text = path.c_str();
    EXPECT_EQ(process("Lua Filter", c), 1);
    EXPECT_EQ(layer32(), (std::vector<std::uint8_t>{255, 127, 0, 255, 51, 255, 0, 255}));
}

// Sepia of grey 100: R = 100 x (393 + 769 + 189) / 1000 = 135, G = 100 x
// (349 + 686 + 168) / 1000 = 120, B = 100 x (272 + 534 + 131) / 1000 = 93.
// A file that is no plug-in leaves the layer as it was.
TEST_F(DispatchHosted, PluginRunsByItsFile)
{
    canvas(1, 1);
    set_layer(solid({100, 100, 100, 255}));
    Call c;
    c.text = MVE_SEPIA_PLUGIN;
    EXPECT_EQ(process("Adobe Compatible Plug-ins", c), 1);
    EXPECT_EQ(layer32(), (std::vector<std::uint8_t>{135, 120, 93, 255}));
    c.text = "/nonexistent/plugin.so";
    EXPECT_EQ(process("Adobe Compatible Plug-ins", c), 1);
    EXPECT_EQ(layer32(), (std::vector<std::uint8_t>{135, 120, 93, 255}));
}

// Without a scratch layer, or with a transparent one, nothing happens; a
// flat map has no slope, so even at full strength nothing moves.
TEST_F(DispatchHosted, ScratchLayerDistortionNeedsPixelsAndASlope)
{
    canvas(3, 2);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 6; ++k) picture.insert(picture.end(), {std::uint8_t(40 * k), 7, 9, 255});
    set_layer(picture);
    EXPECT_EQ(process("Distort by Scratch Layer", with_p({1000})), 1);
    EXPECT_EQ(layer32(), picture);
    ASSERT_EQ(MVE_CreateLayer(255, 3, 2), 1);
    EXPECT_EQ(process("Distort by Scratch Layer", with_p({1000})), 1);
    EXPECT_EQ(layer32(), picture);
    const std::vector<std::uint8_t> flat(6 * 4, 128);
    MVE_LoadRGBA32Layer(flat.data(), 12, 255, 0, 0, 3, 2, 0);
    EXPECT_EQ(process("Distort by Scratch Layer", with_p({1000})), 1);
    EXPECT_EQ(layer32(), picture);
}

// "Outliner 2" is "Outliner 1" on the photo-popped layer, so on a picture
// with detail the two differ.
TEST_F(DispatchHosted, OutlinerTwoStartsWithThePhotoPop)
{
    canvas(4, 4);
    std::vector<std::uint8_t> picture;
    for (int k = 0; k < 16; ++k)
        picture.insert(picture.end(), {std::uint8_t(15 * k), std::uint8_t(200 - 9 * k), 90, 255});
    set_layer(picture);
    process("Outliner 1", with_p({500, 500}));
    const auto one = layer32();
    set_layer(picture);
    process("Outliner 2", with_p({500, 500}));
    EXPECT_NE(layer32(), one);
}

}  // namespace
