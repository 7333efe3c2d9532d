// Text: drawn only inside its box, plain or anti-aliased, wrapped at spaces,
// shaped (kerning), the font chooser's rules and the text-brush clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "imagelib/reading.h"
#include "ipl/text.h"
#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace {

using namespace mve;

int set_dejavu(char* face, int size, int* height, void*)
{
    std::snprintf(face, static_cast<std::size_t>(size), "DejaVu Sans");
    *height = 16;
    return 1;
}

struct TextTest : mve_test::CanvasFixture {
    void SetUp() override
    {
        MVE_IPLInit(0);
        make(80, 40, 2);
        MVE_EnableMask(0);
        MVE_SetFontChooser(set_dejavu, nullptr);
        ASSERT_EQ(MVE_ChooseFont(), 1);
        MVE_IPLAllocSrcBuffer32();
    }
    // Bounding box of the pixels of layer 2 that are no longer transparent.
    struct Ink {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0, partial = 0, other = 0;
    };
    Ink ink(int r, int g, int b)
    {
        Ink k;
        const std::vector<unsigned short> px = layer(2);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned short* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
                if (p[3] == 0) continue;
                k.left = std::min(k.left, x), k.right = std::max(k.right, x);
                k.top = std::min(k.top, y), k.bottom = std::max(k.bottom, y);
                ++k.count;
                if (p[3] >> 8 != 255) ++k.partial;
                if (p[0] >> 8 != r || p[1] >> 8 != g || p[2] >> 8 != b) ++k.other;
            }
        return k;
    }
};

TEST_F(TextTest, PlainTextStaysInsideItsBox)
{
    MVE_IPLText(255, 0, 0, 20, 10, 0, 0, 0, 0, "Hig", false);
    const Ink k = ink(255, 0, 0);
    ASSERT_GT(k.count, 20);
    EXPECT_GE(k.left, 20);
    EXPECT_GE(k.top, 10);
    EXPECT_EQ(k.partial, 0);  // smooth off: every drawn pixel is opaque
    EXPECT_EQ(k.other, 0);
    // "g" reaches below the baseline: ascent (about 15 at 16 px) under y = 10.
    EXPECT_GT(k.bottom, 10 + 12);
}

TEST_F(TextTest, SmoothTextBlendsItsEdges)
{
    MVE_IPLText(0, 0, 255, 0, 0, 0, 0, 0, 0, "O", true);
    const Ink k = ink(0, 0, 255);
    EXPECT_GT(k.partial, 0);
    EXPECT_EQ(k.other, 0);  // over transparent pixels the colour is exact
}

TEST_F(TextTest, ClippedAtTheCanvasAndWrappedAtSpaces)
{
    // A word wider than the box from x = 70 is cut at the canvas edge; the
    // next word goes to the next line.
    MVE_IPLText(255, 0, 0, 60, 0, 0, 0, 0, 0, "WWWW WWWW", false);
    const Ink k = ink(255, 0, 0);
    EXPECT_LE(k.right, 79);
    EXPECT_GE(k.left, 60);
    EXPECT_GT(k.bottom, 19);  // a second line (line height 19 at 16 px)
}

TEST_F(TextTest, NothingWithoutSrc32OrText)
{
    MVE_IPLFreeSrcBuffer32();
    MVE_IPLText(255, 0, 0, 0, 0, 0, 0, 0, 0, "Hello", false);
    EXPECT_EQ(ink(255, 0, 0).count, 0);
    MVE_IPLAllocSrcBuffer32();
    MVE_IPLText(255, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, false);
    MVE_IPLText(255, 0, 0, 0, 0, 0, 0, 0, 0, "", false);
    MVE_IPLText(255, 0, 0, 500, -500, 0, 0, 0, 0, "off the canvas", false);
    MVE_IPLText(255, 0, 0, INT_MIN, INT_MIN, 0, 0, 0, 0, "far corner", false);
    EXPECT_EQ(ink(255, 0, 0).count, 0);
    // A long text: drawing stops at the bottom of the box.
    std::string longText(100000, 'a');
    for (std::size_t i = 7; i < longText.size(); i += 8) longText[i] = ' ';
    MVE_IPLText(255, 0, 0, 0, 0, 0, 0, 0, 0, longText.c_str(), false);
    EXPECT_GT(ink(255, 0, 0).count, 100);
}

TEST_F(TextTest, ShapingKernsPairs)
{
    const ipl::FontRecord& font = engine().text.textFont;
    const int av = ipl::measure_line(engine().text, font, "AV").width;
    const int a = ipl::measure_line(engine().text, font, "A").width;
    const int v = ipl::measure_line(engine().text, font, "V").width;
    EXPECT_LT(av, a + v);
    // An unknown face falls back to the default face rather than failing.
    ipl::FontRecord unknown;
    std::strcpy(unknown.face, "No Such Face 12345");
    EXPECT_GT(ipl::measure_line(engine().text, unknown, "AV").width, 0);
}

// Right-to-left text and mixed lines. Each case draws a text into a blank
// picture and, beside it, the characters one by one in the order a reader
// sees them from left to right, each at the pen position the previous ones
// advanced to (rounded to the pixel as the text tool rounds each glyph's
// position): the two pictures must be identical.
struct Drawn {
    std::vector<std::uint8_t> rgba;
    explicit Drawn(int w, int h) : rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
};

TEST_F(TextTest, RightToLeftAndMixedLinesAreDrawnInReadingOrder)
{
    ipl::TextState& s = engine().text;
    const ipl::FontRecord& font = s.textFont;
    const int W = 160, H = 24;
    auto draw = [&](Drawn& d, int x, const char* text) {
        ipl::draw_text(s, font, text, ipl::TextTarget{d.rgba.data(), W, H, x, 0, W, H}, 255, 255, 255, false);
    };
    const char* alef = "\xD7\x90";
    const char* bet = "\xD7\x91";
    struct Case {
        const char* text;
        std::vector<const char*> seen;  // left to right
    } cases[] = {
        {"\xD7\x90\xD7\x91", {bet, alef}},                          // Hebrew alef bet: alef on the right
        {"\xD7\x90\xD7\x91 12", {"1", "2", " ", bet, alef}},        // numbers keep their order in Hebrew
        {"ab \xD7\x90\xD7\x91", {"a", "b", " ", bet, alef}},        // a Hebrew word in an English line
        {"\xD7\x90 xy \xD7\x91", {bet, " ", "x", "y", " ", alef}},  // an English word in a Hebrew line
    };
    for (const Case& c : cases) {
        Drawn whole(W, H), pieces(W, H);
        draw(whole, 2, c.text);
        long pen = 0;  // 1/64 pixel
        for (const char* ch : c.seen) {
            draw(pieces, 2 + static_cast<int>((pen + 32) >> 6), ch);
            pen += ipl::measure_line(s, font, ch).advance64;
        }
        EXPECT_TRUE(whole.rgba == pieces.rgba) << c.text;
        EXPECT_NE(std::count(whole.rgba.begin(), whole.rgba.end(), 255), 0) << c.text;
    }
}

TEST_F(TextTest, ShapingJoinsLigatures)
{
    ipl::TextState& s = engine().text;
    // Arabic lam followed by alef is always written as one lam-alef glyph.
    EXPECT_EQ(ipl::measure_line(s, s.textFont, "\xD9\x84\xD8\xA7").glyphs, 1);
    EXPECT_EQ(ipl::measure_line(s, s.textFont, "\xD9\x84\xD8\xA8").glyphs,
              2);  // lam beh: joined, not one glyph
}

int cancel(char*, int, int*, void*)
{
    return 0;
}
int calls = 0;
int fail_then_choose(char* face, int size, int* height, void*)
{
    if (calls++ == 0) return -8193;
    EXPECT_EQ(face[0], '\0');  // the record was cleared before the retry
    std::snprintf(face, static_cast<std::size_t>(size), "DejaVu Serif");
    *height = -20;
    return 1;
}
int always_fail(char*, int, int*, void*)
{
    return -77;
}

TEST_F(TextTest, FontChooserRules)
{
    MVE_SetFontChooser(nullptr, nullptr);
    EXPECT_EQ(MVE_ChooseTextBrushFont(), 0);  // no chooser: cancelled
    MVE_SetFontChooser(cancel, nullptr);
    EXPECT_EQ(MVE_ChooseFont(), 0);
    EXPECT_STREQ(engine().text.textFont.face, "DejaVu Sans");  // unchanged
    calls = 0;
    MVE_SetFontChooser(fail_then_choose, nullptr);
    EXPECT_EQ(MVE_ChooseFont(), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_STREQ(engine().text.textFont.face, "DejaVu Serif");
    EXPECT_EQ(ipl::font_pixel_size(engine().text.textFont), 20);
    EXPECT_STREQ(MVE_GetLastError(), "Font Err: CFERR_NOFONTS");
    MVE_SetFontChooser(always_fail, nullptr);
    EXPECT_EQ(MVE_ChooseFont(), 0);
    EXPECT_EQ(engine().text.textFont.face[0], '\0');
    EXPECT_STREQ(MVE_GetLastError(), "Font Err: Other Error");
}

TEST_F(TextTest, TextBrushClipsArePngsPerCharacter)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "mve_text_clips_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_EQ(MVE_ChooseTextBrushFont(), 1);
    MVE_BuildTextBrushClips(0, 0, 0, "iW\xC3\xA9", dir.c_str());  // "iW" and e acute: three characters
    int widths[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::filesystem::path file = dir / ("clip" + std::to_string(i) + ".png");
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        std::vector<std::uint8_t> bytes(std::filesystem::file_size(file));
        FILE* f = std::fopen(file.c_str(), "rb");
        ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
        int width = 0, height = 0;
        std::uint8_t* rgba = il::decode_png(bytes.data(), bytes.size(), &width, &height);
        ASSERT_NE(rgba, nullptr);
        int opaque = 0;
        for (int k = 0; k < width * height; ++k) opaque += rgba[k * 4 + 3] != 0;
        il::release_block(rgba);
        EXPECT_GT(opaque, 0);
        EXPECT_EQ(height, ipl::measure_line(engine().text, engine().text.brushFont, "W").height);
        widths[i] = width;
    }
    EXPECT_LT(widths[0], widths[1]);  // "i" is narrower than "W"
    EXPECT_FALSE(std::filesystem::exists(dir / "clip3.png"));
    std::filesystem::remove_all(dir);
    MVE_BuildTextBrushClips(0, 0, 0, "a", (dir / "missing").c_str());
    EXPECT_STREQ(MVE_GetLastError(), "BuildTextBrushClips Excpt");
}

}  // namespace
