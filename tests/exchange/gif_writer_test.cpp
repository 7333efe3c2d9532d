// The GIF writer's quantiser worked by hand, and its files read back with
// giflib's reader.
#include "exchange/gif_writer.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace mve::exchange;

std::string temp_path(const char* name)
{
    return ::testing::TempDir() + "mve_gif_" + std::to_string(getpid()) + "_" + name;
}

TEST(GifQuantiser, MedianCutKeepsFewColoursExactAndSplitsByPopulation)
{
    // Two colours in far apart cells: two boxes, each colour exactly.
    const std::uint8_t two[] = {255, 0, 0, 255, 0, 0, 0, 0, 255};
    ColourHistogram h;
    h.add(two, 9, 0, 0, 3, 1);
    GifPalette p = h.median_cut(256);
    ASSERT_EQ(p.count, 2);
    std::vector<std::vector<int>> got = {{p.rgb[0], p.rgb[1], p.rgb[2]}, {p.rgb[3], p.rgb[4], p.rgb[5]}};
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::vector<int>>{{0, 0, 255}, {255, 0, 0}}));

    // Greys 0, 16, 200, 216 (one pixel each) into two colours: the red range
    // 0..27 (cells) is cut at the population median, between 16 and 200:
    // means (0 + 16) / 2 = 8 and (200 + 216) / 2 = 208.
    const std::uint8_t greys[] = {0, 0, 0, 16, 16, 16, 200, 200, 200, 216, 216, 216};
    h.clear();
    h.add(greys, 12, 0, 0, 4, 1);
    p = h.median_cut(2);
    ASSERT_EQ(p.count, 2);
    const int a = std::min(p.rgb[0], p.rgb[3]), b = std::max(p.rgb[0], p.rgb[3]);
    EXPECT_EQ(a, 8);
    EXPECT_EQ(b, 208);

    // Pixels equal to the previous frame are left out of the count.
    const std::uint8_t previous[] = {0, 0, 0, 16, 16, 16, 0, 0, 0, 216, 216, 216};
    h.clear();
    h.add(greys, 12, 0, 0, 4, 1, previous);
    EXPECT_EQ(h.total(), 1u);  // only the 200 grey changed

    // The mapper: 100 lies nearer 8 (distance 92) than 208 (108) on each channel.
    ColourMapper m;
    GifPalette two8;
    two8.count = 2;
    const std::uint8_t entries[] = {8, 8, 8, 208, 208, 208};
    std::copy(entries, entries + 6, two8.rgb);
    m.reset(two8, nullptr);
    EXPECT_EQ(m.index_of(100, 100, 100), 0);
    EXPECT_EQ(m.index_of(170, 170, 170), 1);
    EXPECT_EQ(ColourMapper::nearest(two8, 108, 108, 108), 0);  // 100 from both: the first wins
}

// Reads a GIF back: per frame its rectangle, delay, transparency and pixels.
struct ReadFrame {
    int x, y, w, h, delay, transparent, disposal;
    std::vector<std::uint8_t> rgb;  // w * h, the frame's own colours (transparent as 1, 2, 3)
};
std::vector<ReadFrame> read_gif(const std::string& path, int* screenW = nullptr)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    std::vector<ReadFrame> frames;
    if (!gif) return frames;
    if (DGifSlurp(gif) == GIF_OK) {
        if (screenW) *screenW = gif->SWidth;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& s = gif->SavedImages[i];
            GraphicsControlBlock gcb{};
            DGifSavedExtensionToGCB(gif, i, &gcb);
            ReadFrame f{s.ImageDesc.Left, s.ImageDesc.Top,      s.ImageDesc.Width, s.ImageDesc.Height,
                        gcb.DelayTime,    gcb.TransparentColor, gcb.DisposalMode,  {}};
            const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
            for (int k = 0; k < f.w * f.h; ++k) {
                const int index = s.RasterBits[k];
                if (index == f.transparent) {
                    f.rgb.insert(f.rgb.end(), {1, 2, 3});
                } else {
                    const GifColorType c = map->Colors[index];
                    f.rgb.insert(f.rgb.end(), {c.Red, c.Green, c.Blue});
                }
            }
            frames.push_back(f);
        }
    }
    DGifCloseFile(gif, &error);
    return frames;
}

// A 5 x 5 white frame with the listed pixels in red.
std::vector<std::uint8_t> frame_with(std::initializer_list<std::pair<int, int>> red)
{
    std::vector<std::uint8_t> rgb(5 * 5 * 3, 255);
    for (auto [x, y] : red) rgb[(y * 5 + x) * 3 + 1] = rgb[(y * 5 + x) * 3 + 2] = 0;
    return rgb;
}

TEST(GifWriter, WholeFramesCarryDelayAndExactFlatColours)
{
    const std::string path = temp_path("whole.gif");
    GifWriter gif;
    ASSERT_TRUE(gif.open(path, 5, 5, 25, nullptr, false));
    const auto f0 = frame_with({}), f1 = frame_with({{1, 1}});
    ASSERT_TRUE(gif.write_frame(f0.data()));
    ASSERT_TRUE(gif.write_frame(f1.data()));
    ASSERT_TRUE(gif.close());
    const auto frames = read_gif(path);
    ASSERT_EQ(frames.size(), 2u);
    for (const ReadFrame& f : frames) {
        EXPECT_EQ(f.x, 0);
        EXPECT_EQ(f.y, 0);
        EXPECT_EQ(f.w, 5);
        EXPECT_EQ(f.h, 5);
        EXPECT_EQ(f.delay, 25);
        EXPECT_EQ(f.transparent, NO_TRANSPARENT_COLOR);
    }
    EXPECT_EQ(frames[0].rgb, f0);
    EXPECT_EQ(frames[1].rgb, f1);
}

TEST(GifWriter, DifferencingWritesOnlyTheChangedRectangle)
{
    const std::string path = temp_path("diff.gif");
    GifWriter gif;
    ASSERT_TRUE(gif.open(path, 5, 5, 10, nullptr, true));
    const auto f0 = frame_with({}), f1 = frame_with({{1, 1}, {3, 2}}), f2 = f1;
    ASSERT_TRUE(gif.write_frame(f0.data()));
    ASSERT_TRUE(gif.write_frame(f1.data()));
    ASSERT_TRUE(gif.write_frame(f2.data()));
    ASSERT_TRUE(gif.close());
    const auto frames = read_gif(path);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].w, 5);
    EXPECT_EQ(frames[0].rgb, f0);
    // Changed pixels (1, 1) and (3, 2): the box x 1..3, y 1..2; inside it the
    // unchanged pixels are transparent, the two changed ones red.
    const ReadFrame& d = frames[1];
    EXPECT_EQ(d.x, 1);
    EXPECT_EQ(d.y, 1);
    EXPECT_EQ(d.w, 3);
    EXPECT_EQ(d.h, 2);
    EXPECT_EQ(d.disposal, DISPOSE_DO_NOT);
    ASSERT_GE(d.transparent, 0);
    const std::vector<std::uint8_t> expected = {255, 0, 0, 1, 2, 3, 1,   2, 3,  //
                                                1,   2, 3, 1, 2, 3, 255, 0, 0};
    EXPECT_EQ(d.rgb, expected);
    // Nothing changed: one transparent pixel keeps the frame's time.
    EXPECT_EQ(frames[2].w * frames[2].h, 1);
    EXPECT_EQ(frames[2].rgb, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(frames[2].delay, 10);
}

TEST(GifWriter, FixedPaletteIsTheGlobalTableInWindowsOrder)
{
    std::vector<std::uint8_t> palette(1024, 0);
    // Entry 0 black, entry 1 red (B, G, R, unused), entry 2 white.
    palette[4 + 2] = 255;
    palette[8] = palette[9] = palette[10] = 255;
    const std::string path = temp_path("fixed.gif");
    GifWriter gif;
    ASSERT_TRUE(gif.open(path, 5, 5, 0, palette.data(), false));
    auto f = frame_with({{0, 0}});
    f[3] = 250, f[4] = 10, f[5] = 5;  // (1, 0) near red
    ASSERT_TRUE(gif.write_frame(f.data()));
    ASSERT_TRUE(gif.close());
    const auto frames = read_gif(path);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].rgb.begin(), frames[0].rgb.begin() + 9),
              (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 255, 255, 255}));
}

TEST(GifWriter, FullDiskEndsTheFileAfterTheLastCompleteFrame)
{
    const std::string path = temp_path("full.gif");
    GifWriter gif;
    ASSERT_TRUE(gif.open(path, 5, 5, 10, nullptr, false));
    const auto f0 = frame_with({});
    ASSERT_TRUE(gif.write_frame(f0.data()));
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    std::fseek(probe, 0, SEEK_END);
    const long afterOne = std::ftell(probe);
    std::fclose(probe);
    // Room for part of a second frame only.
    set_output_capacity_for_testing(afterOne + 12);
    EXPECT_FALSE(gif.write_frame(frame_with({{2, 2}}).data()));
    EXPECT_TRUE(gif.failed());
    EXPECT_FALSE(gif.close());
    set_output_capacity_for_testing(-1);
    const auto frames = read_gif(path);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].rgb, f0);
}

}  // namespace
