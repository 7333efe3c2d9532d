// Round trips of every writer through the readers, header resolutions, the
// line writers' orders, and readers fed missing, truncated or corrupt files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imagelib/library.h"
#include "imagelib/reading.h"
#include "imagelib/writing.h"

namespace {

using namespace mve::il;
using Bytes = std::vector<std::uint8_t>;

// A 5 x 3 RGBA picture with distinct values and several alpha levels.
Bytes sample_rgba(int w = 5, int h = 3)
{
    Bytes p(static_cast<std::size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i) {
        p[i * 4 + 0] = static_cast<std::uint8_t>(i * 17);
        p[i * 4 + 1] = static_cast<std::uint8_t>(255 - i * 11);
        p[i * 4 + 2] = static_cast<std::uint8_t>(i * 5 + 40);
        p[i * 4 + 3] = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : i * 16);
    }
    return p;
}

Bytes rgb_of(const Bytes& rgba)
{
    Bytes out;
    for (std::size_t i = 0; i < rgba.size(); i += 4) out.insert(out.end(), rgba.begin() + i, rgba.begin() + i + 3);
    return out;
}

// Writes with `write` into a memory destination and returns the encoded bytes.
template <class F>
Bytes encode(F&& write)
{
    ImageDest* dest = open_memory_dest();
    EXPECT_EQ(write(dest), 1);
    Bytes out = dest->bytes;
    close_dest(dest);
    return out;
}

// Decodes through a memory source with the given extension; empty on failure.
Bytes decode(const Bytes& file, int& w, int& h, const char* extension = "")
{
    ImageSource* source = open_memory_source(file.data(), file.size());
    source->extension = extension;
    std::uint8_t* block = read_image_to_rgba(source, &w, &h);
    close_source(source);
    if (!block) return {};
    Bytes out(block, block + static_cast<std::size_t>(w) * h * 4);
    release_block(block);
    return out;
}

struct CodecTest : ::testing::Test {
    static void SetUpTestSuite() { initialize(); }
};

TEST_F(CodecTest, LosslessRoundTripsAreExact)
{
    const Bytes rgba = sample_rgba();
    const Bytes rgb = rgb_of(rgba);
    int w = 0, h = 0;
    // RGBA formats keep all four channels.
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_png(d, rgba.data(), 5, 3, 20, 8, 6, 0, 0, 0); }), w, h), rgba);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_tiff(d, rgba.data(), 5, 3, 20, 32, 0, 0, 0); }), w, h), rgba);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_tga(d, rgba.data(), 5, 3, 20, 32); }), w, h, ".tga"), rgba);
    // RGB formats come back with alpha 255.
    Bytes opaque = rgba;
    for (std::size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_png(d, rgb.data(), 5, 3, 15, 8, 2, 0, 0, 0); }), w, h), opaque);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_bmp(d, rgb.data(), 5, 3, 15, 24, 0, 0, 0); }), w, h), opaque);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_tiff(d, rgb.data(), 5, 3, 15, 24, 0, 0, 0); }), w, h), opaque);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_pcx(d, rgb.data(), 5, 3, 15, 24); }), w, h), opaque);
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_psd(d, rgb.data(), 5, 3, 15, 24); }), w, h), opaque);
}

TEST_F(CodecTest, JpegIsCloseAndGifKeepsItsPalette)
{
    // A smooth picture survives quality 97 within a few levels.
    Bytes rgb(16 * 16 * 3);
    for (int i = 0; i < 256; ++i) rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = static_cast<std::uint8_t>(i % 16 * 8 + 40);
    int w = 0, h = 0;
    const Bytes back = decode(encode([&](ImageDest* d) { return write_jpg(d, rgb.data(), 16, 16, 48, 97, 24, 72, 72, 1); }), w, h);
    ASSERT_EQ(back.size(), 16u * 16 * 4);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(back[i * 4], rgb[i * 3], 4) << i;
        EXPECT_EQ(back[i * 4 + 3], 255);
    }
    // Three colours quantise to three palette entries and come back exactly.
    const std::uint8_t three[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 0, 0};
    std::uint8_t indices[4], palette[256 * 3];
    ASSERT_EQ(quantize_rgb_to_8bit(three, 4, 1, 12, indices, 256, palette), 3);
    EXPECT_EQ(indices[0], indices[3]);
    const Bytes gif = decode(encode([&](ImageDest* d) { return write_gif8(d, indices, 4, 1, 4, palette, 3, -1); }), w, h);
    const Bytes expect = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255};
    EXPECT_EQ(gif, expect);
}

TEST_F(CodecTest, ResolutionFieldsReadBack)
{
    const Bytes rgba = sample_rgba();
    const Bytes rgb = rgb_of(rgba);
    auto resolution = [](const Bytes& file, double& r, int& u) {
        ImageSource* s = open_memory_source(file.data(), file.size());
        const int ok = read_resolution(s, &r, &u);
        close_source(s);
        return ok;
    };
    double r = 0;
    int u = 0;
    // 72 dpi: trunc(72 * 39.3700787) = 2834 pixels per metre, PNG unit 1.
    ASSERT_TRUE(resolution(encode([&](ImageDest* d) { return write_png(d, rgba.data(), 5, 3, 20, 8, 6, 2834, 2834, 1); }), r, u));
    EXPECT_EQ(r, 2834);
    EXPECT_EQ(u, 1);
    // 300 dpi JPEG: density 300, unit 1 (per inch).
    ASSERT_TRUE(resolution(encode([&](ImageDest* d) { return write_jpg(d, rgb.data(), 5, 3, 15, 97, 24, 300, 300, 1); }), r, u));
    EXPECT_EQ(r, 300);
    EXPECT_EQ(u, 1);
    // BMP unit 0 stores pixels per metre as given; read back with unit 2.
    ASSERT_TRUE(resolution(encode([&](ImageDest* d) { return write_bmp(d, rgb.data(), 5, 3, 15, 24, 11811, 11811, 0); }), r, u));
    EXPECT_EQ(r, 11811);
    EXPECT_EQ(u, 2);
    // TIFF 150 per inch (unit 2).
    ASSERT_TRUE(resolution(encode([&](ImageDest* d) { return write_tiff(d, rgba.data(), 5, 3, 20, 32, 150, 150, 2); }), r, u));
    EXPECT_DOUBLE_EQ(r, 150);
    EXPECT_EQ(u, 2);
}

TEST_F(CodecTest, TypesAndHeaderSizes)
{
    const Bytes rgba = sample_rgba(7, 2);
    const Bytes png = encode([&](ImageDest* d) { return write_png(d, rgba.data(), 7, 2, 28, 8, 6, 0, 0, 0); });
    ImageSource* s = open_memory_source(png.data(), png.size());
    EXPECT_EQ(guess_file_type(s), kTypePNG);
    int w = 0, h = 0, depth = 0, colour = 0, interlace = -1;
    ASSERT_TRUE(get_png_dims(s, &w, &h, &depth, &colour, &interlace));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(depth, 8);
    EXPECT_EQ(colour, 6);
    EXPECT_EQ(interlace, 0);
    // Seeking past the end fails and leaves the position.
    EXPECT_EQ(seek_source(s, 1, 2), 0);
    EXPECT_EQ(seek_source(s, 3, 0), 1);
    EXPECT_EQ(guess_file_type(s), kTypeUnknown);
    EXPECT_EQ(seek_source(s, 0, 0), 1);
    EXPECT_EQ(guess_file_type(s), kTypePNG);
    close_source(s);

    const Bytes rgb = rgb_of(rgba);
    const Bytes jpg = encode([&](ImageDest* d) { return write_jpg(d, rgb.data(), 7, 2, 21, 90, 24, 0, 0, 0); });
    s = open_memory_source(jpg.data(), jpg.size());
    EXPECT_EQ(guess_file_type(s), kTypeJPG);
    ASSERT_TRUE(get_image_dims(s, &w, &h));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 2);
    close_source(s);
}

TEST_F(CodecTest, LineWritersTakeTheirOrder)
{
    const Bytes rgba = sample_rgba(4, 3);
    int w = 0, h = 0;
    // PNG fed bottom row first still stores the top row first.
    ImageDest* d = open_memory_dest();
    LineWriter* lw = init_write_png_lines(d, 4, 3, 16, 8, 6, 0, 0, 0, LineOrder::BottomUp);
    for (int y = 2; y >= 0; --y) ASSERT_EQ(write_next_line(lw, &rgba[y * 16]), 1);
    ASSERT_EQ(destroy_write_lines(lw), 1);
    EXPECT_EQ(decode(d->bytes, w, h), rgba);
    close_dest(d);
    // BMP lines arrive bottom row first, as the file stores them.
    const Bytes rgb = rgb_of(rgba);
    d = open_memory_dest();
    lw = init_write_bmp_lines(d, 4, 3, 24, 0, 0, 0);
    for (int y = 2; y >= 0; --y) ASSERT_EQ(write_next_line(lw, &rgb[y * 12]), 1);
    ASSERT_EQ(destroy_write_lines(lw), 1);
    Bytes opaque = rgba;
    for (std::size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    EXPECT_EQ(decode(d->bytes, w, h), opaque);
    close_dest(d);
    // A writer that did not get all its lines reports failure; extra lines are refused.
    d = open_memory_dest();
    lw = init_write_tiff_lines(d, 4, 3, 32, 0, 0, 0);
    EXPECT_EQ(write_next_line(lw, &rgba[0]), 1);
    EXPECT_EQ(destroy_write_lines(lw), 0);
    lw = init_write_tga_lines(d, 4, 1, 32);
    EXPECT_EQ(write_next_line(lw, &rgba[0]), 1);
    EXPECT_EQ(write_next_line(lw, &rgba[0]), 0);
    EXPECT_EQ(destroy_write_lines(lw), 1);
    close_dest(d);
    EXPECT_EQ(init_write_png_lines(nullptr, 4, 3, 16, 8, 6, 0, 0, 0, LineOrder::TopDown), nullptr);
    ImageDest* empty = open_memory_dest();
    EXPECT_EQ(init_write_jpg_lines(empty, 0, 3, 90, 24, 0, 0, 0), nullptr);
    close_dest(empty);
}

// A 24-bit TGA carries no alpha: it reads back opaque, whatever noise the
// decoder left in its opacity.
TEST_F(CodecTest, Tga24RoundTripIsExact)
{
    const Bytes rgba = sample_rgba();
    const Bytes rgb = rgb_of(rgba);
    Bytes opaque = rgba;
    for (std::size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    int w = 0, h = 0;
    EXPECT_EQ(decode(encode([&](ImageDest* d) { return write_tga(d, rgb.data(), 5, 3, 15, 24); }), w, h, ".tga"), opaque);
}

// Bad inputs: every reader fails cleanly. Files are made here from good ones.
TEST_F(CodecTest, BadFilesFailWithoutCrashing)
{
    const Bytes rgba = sample_rgba(32, 32);
    const Bytes rgb = rgb_of(rgba);
    std::vector<std::pair<const char*, Bytes>> good = {
        {"png", encode([&](ImageDest* d) { return write_png(d, rgba.data(), 32, 32, 128, 8, 6, 0, 0, 0); })},
        {"jpg", encode([&](ImageDest* d) { return write_jpg(d, rgb.data(), 32, 32, 96, 90, 24, 0, 0, 0); })},
        {"tif", encode([&](ImageDest* d) { return write_tiff(d, rgba.data(), 32, 32, 128, 32, 0, 0, 0); })},
        {"bmp", encode([&](ImageDest* d) { return write_bmp(d, rgb.data(), 32, 32, 96, 24, 0, 0, 0); })},
        {"psd", encode([&](ImageDest* d) { return write_psd(d, rgb.data(), 32, 32, 96, 24); })},
    };
    int w = -1, h = -1;
    for (auto& [name, file] : good) {
        ASSERT_FALSE(decode(file, w, h).empty()) << name;
        // Cut to half: the picture data is incomplete.
        Bytes half(file.begin(), file.begin() + static_cast<long>(file.size() / 2));
        EXPECT_TRUE(decode(half, w, h).empty()) << name << " truncated";
        // Only the signature.
        Bytes head(file.begin(), file.begin() + 8);
        EXPECT_TRUE(decode(head, w, h).empty()) << name << " header only";
    }
    // Corrupt PNG: a damaged IHDR fails its CRC.
    Bytes png = good[0].second;
    png[18] ^= 0x55;
    EXPECT_TRUE(decode(png, w, h).empty());
    // A header claiming 60000 x 60000 is refused before any allocation.
    Bytes huge = good[0].second;
    huge[16] = 0, huge[17] = 0, huge[18] = 0xEA, huge[19] = 0x60;
    huge[20] = 0, huge[21] = 0, huge[22] = 0xEA, huge[23] = 0x60;
    EXPECT_TRUE(decode(huge, w, h).empty());
    // Not an image at all, and empty input.
    w = h = -1;
    const std::string text = "this is a text file, not a picture";
    EXPECT_TRUE(decode(Bytes(text.begin(), text.end()), w, h).empty());
    EXPECT_TRUE(decode(Bytes{}, w, h).empty());
    EXPECT_EQ(w, -1);  // failures leave the outputs alone
    EXPECT_EQ(read_image_to_rgba(nullptr, &w, &h), nullptr);
    // Missing file and unwritable destination.
    EXPECT_EQ(open_file_source("/nonexistent/dir/picture.png"), nullptr);
    EXPECT_EQ(open_file_dest("/nonexistent/dir/out.png", 0), nullptr);
}

TEST_F(CodecTest, CommittedBadFilesFail)
{
    const char* dir = std::getenv("MVE_TEST_DATA");
    if (!dir) GTEST_SKIP() << "MVE_TEST_DATA not set";
    for (const char* name : {"truncated.png", "truncated.jpg", "corrupt.tif", "not_an_image.bmp", "empty.gif"}) {
        const std::string path = std::string(dir) + "/bad/" + name;
        ImageSource* source = open_file_source(path.c_str());
        ASSERT_NE(source, nullptr) << path;
        int w = 0, h = 0;
        EXPECT_EQ(read_image_to_rgba(source, &w, &h), nullptr) << name;
        close_source(source);
    }
}

TEST_F(CodecTest, FileDestinationWritesOnClose)
{
    const Bytes rgba = sample_rgba();
    const std::string path = ::testing::TempDir() + "imagelib_codec_test.png";
    ImageDest* dest = open_file_dest(path.c_str(), 0);
    ASSERT_NE(dest, nullptr);
    ASSERT_EQ(write_png(dest, rgba.data(), 5, 3, 20, 8, 6, 2834, 2834, 1), 1);
    ASSERT_EQ(close_dest(dest), 1);
    ImageSource* source = open_file_source(path.c_str());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->extension, ".png");
    int w = 0, h = 0;
    std::uint8_t* block = read_image_to_rgba(source, &w, &h);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(block, block + 60), rgba);
    release_block(block);
    close_source(source);
    std::remove(path.c_str());
}

}  // namespace
