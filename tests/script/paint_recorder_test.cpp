// The paint-script recorder: every paint_ function's lines byte for byte,
// with CR LF ends, the header, "ScriptEnd", nil arguments, colours.
#include <filesystem>
#include <sstream>

#include "lua_test_rig.h"

using namespace lua_test;
using mve::script::FilterOutcome;

namespace {

struct PaintRecorder : LuaFilterTest {
    std::string dir;

    void SetUp() override
    {
        LuaFilterTest::SetUp();
        dir = ::testing::TempDir() + "recorder_start/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir + "scripts");
        MVE_SetStartDir(dir.c_str());
        make(2, 2, std::vector<Rgba>(4, {1, 2, 3, 255}));
    }

    std::string file() const
    {
        std::ifstream in(dir + "scripts/luapaint.srp", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool file_exists() const { return std::filesystem::exists(dir + "scripts/luapaint.srp"); }
};

// Lines joined with CR LF, each one ended.
std::string lines(std::initializer_list<const char*> items)
{
    std::string out;
    for (const char* s : items) out += std::string(s) + "\r\n";
    return out;
}

const std::string kHeader7 = lines({"1554", "Description", "1", " ", "RandomSeed", "7"});

TEST_P(PaintRecorder, StrokeExampleByteForByte)
{
    ASSERT_EQ(run("paint_open(7) paint_brush_size(12) paint_stroke_start(10, 20) paint_stroke_pos(15, 25, 0.5)"
                  " paint_stroke_stop() paint_close()"),
              FilterOutcome::Done);
    EXPECT_EQ(file(), kHeader7 + lines({"SetBrushSize", "12", "DrawStart", "10", "20", "-1", "SmoothPlot2", "0", "0",
                                        "0", "1", "0", "SmoothPlot2", "15", "25", "0.5", "0", "0", "SmoothPlot2",
                                        "0", "0", "0", "0", "1", "DrawStop", "1", "ScriptEnd"}));
    // Recording never touches the canvas.
    EXPECT_EQ(layer_at(0, 0), (Rgba{1, 2, 3, 255}));
}

TEST_P(PaintRecorder, ColoursNilArgumentsAndNumberFormat)
{
    ASSERT_EQ(run("paint_open(7)\n"
                  "paint_brush_color(1, 0.5, 0)\n"   // 255, 127.5 -> 127, 0
                  "paint_brush_color(2, -1, 0)\n"    // not clamped
                  "paint_line(1, 2, nil, 4)\n"       // nil leaves no line
                  "paint_dab(-3, 1e20, 'big')\n"     // Lua's number format; text unchanged
                  "paint_select_brush(2)\n"          // missing arguments leave no line
                  "paint_set_color_banks('warm', 1, 0, 0, 0.2, 0.4, 0.6, 0, 0, 0, 0.1, nil, 1)\n"
                  "paint_close()"),
              FilterOutcome::Done);
    EXPECT_EQ(file(), kHeader7 + lines({"SetColor", "255", "127", "0", "SetColor", "510", "-255", "0", "Line2", "1",
                                        "2", "4", "Dab", "-3", "1e+20", "big", "SelectBrush", "2", "SetColorBanks",
                                        "warm", "255", "0", "0", "51", "102", "153", "0", "0", "0", "25", "255",
                                        "ScriptEnd"}));
}

TEST_P(PaintRecorder, EveryCommandWithItsArguments)
{
    // Each function called with arguments 1..n (n its count plus one extra,
    // which must not be written).
    ASSERT_EQ(run("paint_open(1)\n"
                  "local function a(n) local t = {} for i = 1, n do t[i] = i end return unpack(t) end\n"
                  "paint_select_brush(a(4)) paint_brush_density(a(2)) paint_brush_opacity(a(2))\n"
                  "paint_spline(a(9)) paint_filter(a(21)) paint_rotate_brush(a(5))\n"
                  "paint_buffer_from_layer(a(2)) paint_buffer_to_layer(a(2)) paint_buffer_copy(a(3))\n"
                  "paint_buffer_clear(a(2)) paint_buffer_merge_layer(a(4)) paint_buffer_from_mask(a(2))\n"
                  "paint_buffer_to_mask(a(2)) paint_flip_horizontal(a(1)) paint_flip_vertical()\n"
                  "paint_clear_page() paint_fill_page() paint_set_page(a(5)) paint_mask_on(a(2))\n"
                  "paint_mask_clear() paint_mask_invert() paint_create_from_mask() paint_alpha_create_from_mask()\n"
                  "paint_mask_create_from_image() paint_mask_create_from_image_luma() paint_mask_create_from_alpha()\n"
                  "paint_flood_fill(a(8)) paint_rectangle(a(9)) paint_ellipse(a(9)) paint_text(a(11))\n"
                  "paint_gradient(a(19)) paint_mask_ellipse(a(6)) paint_mask_rectangle(a(6)) paint_mask_wand(a(6))\n"
                  "paint_copy(a(5)) paint_paste(a(6)) paint_warp(a(7))\n"),
              FilterOutcome::Done);
    // No paint_close: the run closes the file without "ScriptEnd".
    std::string expected = lines({"1554", "Description", "1", " ", "RandomSeed", "1"});
    auto command = [&](const char* keyword, int n) {
        expected += std::string(keyword) + "\r\n";
        for (int i = 1; i <= n; ++i) expected += std::to_string(i) + "\r\n";
    };
    command("SelectBrush", 3), command("SetBrushDensity", 1), command("SetBrushOpacity", 1);
    command("Spline", 8), command("Filter", 20), command("RotateBrush", 4);
    command("BufferFromLayer", 1), command("BufferToLayer", 1), command("BufferCopy", 2);
    command("BufferClear", 1), command("BufferMergeLayer", 3), command("BufferFromMask", 1);
    command("BufferToMask", 1), command("ImageFlipHorizontal", 0), command("ImageFlipVertical", 0);
    command("ClearPage", 0), command("FillPage", 0), command("SetPage", 4), command("MaskOn", 1);
    command("MaskClear", 0), command("MaskInvert", 0), command("ImageCreateFromMask", 0);
    command("AlphaCreateFromMask", 0), command("MaskCreateFromImage", 0), command("MaskCreateFromImageLuma", 0);
    command("MaskCreateFromAlpha", 0), command("Flood Fill", 7), command("Rectangle", 8), command("Ellipse", 8);
    command("Text", 10), command("Gradient", 18), command("MaskEllipse", 5), command("MaskRectangle", 5);
    command("MaskWand", 5), command("CopyTool", 4), command("PasteTool2", 5), command("Warp", 6);
    EXPECT_EQ(file(), expected);
}

TEST_P(PaintRecorder, NothingWithoutAnOpenFile)
{
    ASSERT_EQ(run("paint_line(1, 2, 3, 4) paint_close() paint_stroke_stop()"), FilterOutcome::Done);
    EXPECT_FALSE(file_exists());
    // After paint_close further calls write nothing; a second paint_open starts over.
    ASSERT_EQ(run("paint_open(3) paint_dab(1, 2, 3) paint_close() paint_dab(4, 5, 6)"
                  " paint_open(7) paint_open(7) paint_mask_clear()"),
              FilterOutcome::Done);
    EXPECT_EQ(file(), kHeader7 + lines({"MaskClear"}));
    EXPECT_EQ(mve::engine().script.paintScript, nullptr);
}

TEST_P(PaintRecorder, NoSeparatorAfterTheStartDirectory)
{
    // The start directory is used as given: without its trailing separator the
    // file lands beside it, named "<dir>scripts/luapaint.srp".
    const std::string bare = ::testing::TempDir() + "recorder_bare";
    std::filesystem::create_directories(bare + "scripts");
    MVE_SetStartDir(bare.c_str());
    ASSERT_EQ(run("paint_open(2) paint_close()"), FilterOutcome::Done);
    EXPECT_TRUE(std::filesystem::exists(bare + "scripts/luapaint.srp"));
    std::filesystem::remove_all(bare + "scripts");
    // An error after paint_open still closes the file, without "ScriptEnd".
    MVE_SetStartDir(dir.c_str());
    ASSERT_EQ(run("paint_open(7) paint_fill_page() error('x')"), FilterOutcome::ScriptError);
    EXPECT_EQ(file(), kHeader7 + lines({"FillPage"}));
    // A start directory without a scripts folder: no file, no error.
    MVE_SetStartDir((dir + "none/").c_str());
    messages.clear();
    ASSERT_EQ(run("paint_open(7) paint_fill_page() paint_close()"), FilterOutcome::Done);
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(BothForms, PaintRecorder, ::testing::Bool(), param_name);

}  // namespace
