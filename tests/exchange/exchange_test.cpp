// Files and exchange, inside: resolution snapping, the thumbnail and web
// picture sizes, EXIF orientation and CMYK JPEGs, WebP, camera raw (a DNG
// made here with libtiff) and the scanner on SANE's test backend, compared
// with what scanimage reads from the same device.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <tiffio.h>
#include <unistd.h>
#include <webp/encode.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/exchange.h"
#include "imagelib/reading.h"

namespace {

using namespace mve::exchange;
using Bytes = std::vector<unsigned char>;

std::string temp_path(const std::string& name)
{
    return ::testing::TempDir() + "mve_exchange_" + std::to_string(getpid()) + "_" + name;
}

void save(const std::string& path, const Bytes& b)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

TEST(Exchange, ResolutionSnapsToTheListedValues)
{
    const int cases[][2] = {{70, 72},   {71, 72},   {73, 72},   {74, 72},   {94, 72},   {95, 96},
                            {97, 96},   {98, 72},   {149, 150}, {151, 150}, {152, 72},  {199, 200},
                            {201, 200}, {298, 72},  {299, 300}, {301, 300}, {449, 450}, {451, 450},
                            {599, 600}, {601, 600}, {602, 72},  {0, 72},    {240, 72}};
    for (const auto& c : cases) EXPECT_EQ(snap_dpi(c[0]), c[1]) << c[0];
}

TEST(Exchange, ThumbnailAndWebPictureSizes)
{
    int w = 0, h = 0;
    // The longer side becomes size; the other trunc(size / longer * shorter).
    thumbnail_size(300, 200, 100, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 66);  // 100 / 300 * 200 = 66.67
    thumbnail_size(200, 300, 100, &w, &h);
    EXPECT_EQ(w, 66);
    EXPECT_EQ(h, 100);
    thumbnail_size(1000, 1, 10, &w, &h);  // 10 / 1000 * 1 = 0.01: at least one row
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 1);
    // maxW / maxH = 2 > 400 / 400 = 1: the height limits, (trunc(400 * 100 / 400), 100).
    web_picture_size(400, 400, 200, 100, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 100);
    // 0.5 is not above 1: the width limits, (100, trunc(300 * 100 / 400) = 75).
    web_picture_size(400, 300, 100, 200, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 75);
    // Inside both limits: the source size.
    web_picture_size(40, 30, 100, 200, &w, &h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    web_picture_size(40, 300, 1000, 100, &w, &h);  // height limits: trunc(40 * 100 / 300) = 13
    EXPECT_EQ(w, 13);
    EXPECT_EQ(h, 100);
}

// A 16 x 8 JPEG, left half red and right half blue, with an EXIF block
// giving `orientation` (0: no EXIF block), or a CMYK one.
Bytes make_jpeg(int orientation, bool cmyk = false)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 8;
    c.input_components = cmyk ? 4 : 3;
    c.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    if (orientation) {
        // "Exif\0\0", little-endian TIFF header, one IFD entry: 0x0112 SHORT 1 = orientation.
        const unsigned char exif[] = {'E', 'x',  'i',  'f', 0,
                                      0,   'I',  'I',  42,  0,
                                      8,   0,    0,    0,   1,
                                      0,   0x12, 0x01, 3,   0,
                                      1,   0,    0,    0,   static_cast<unsigned char>(orientation),
                                      0,   0,    0,    0,   0,
                                      0,   0};
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
    }
    std::vector<unsigned char> row(16 * c.input_components);
    for (int x = 0; x < 16; ++x) {
        unsigned char* p = &row[x * c.input_components];
        if (cmyk) {
            // Stored inverted, as Adobe writes it: red is C 0, M 255, Y 255, K 0 -> 255, 0, 0, 255.
            p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
        } else {
            p[0] = x < 8 ? 255 : 0, p[1] = 0, p[2] = x < 8 ? 0 : 255;
        }
    }
    for (int y = 0; y < 8; ++y) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes b(out, out + size);
    std::free(out);
    return b;
}

// Which colour, red or blue, is at (x, y) of a decoded block.
char colour_at(const Decoded& d, int x, int y)
{
    const unsigned char* p = d.pixels.get() + (static_cast<std::size_t>(y) * d.width + x) * 4;
    if (p[0] > 200 && p[2] < 60) return 'r';
    if (p[2] > 200 && p[0] < 60) return 'b';
    return '?';
}

TEST(Exchange, JpegOrientationAndCmyk)
{
    struct Case {
        int orientation, width, height;
        int redX, redY, blueX, blueY;  // a point inside each half after turning
    };
    // 1: as stored. 2: mirrored, red right. 3: half turn, red right. 4: upside
    // down, red stays left. 6: quarter turn clockwise, the left column becomes
    // the top row. 8: counter-clockwise, it becomes the bottom row. 5 and 7 are
    // transposes: 5 maps (x, y) to (y, x): red on top; 7 to (7 - y, 15 - x): red below.
    for (const Case& c :
         {Case{0, 16, 8, 3, 4, 12, 4}, Case{1, 16, 8, 3, 4, 12, 4}, Case{2, 16, 8, 12, 4, 3, 4},
          Case{3, 16, 8, 12, 4, 3, 4}, Case{4, 16, 8, 3, 4, 12, 4}, Case{5, 8, 16, 4, 3, 4, 12},
          Case{6, 8, 16, 4, 3, 4, 12}, Case{7, 8, 16, 4, 12, 4, 3}, Case{8, 8, 16, 4, 12, 4, 3}}) {
        const std::string path = temp_path("orient" + std::to_string(c.orientation) + ".jpg");
        save(path, make_jpeg(c.orientation));
        const Decoded d = decode_file(path.c_str());
        std::remove(path.c_str());
        ASSERT_TRUE(d) << c.orientation;
        EXPECT_EQ(d.width, c.width) << c.orientation;
        EXPECT_EQ(d.height, c.height) << c.orientation;
        EXPECT_EQ(colour_at(d, c.redX, c.redY), 'r') << c.orientation;
        EXPECT_EQ(colour_at(d, c.blueX, c.blueY), 'b') << c.orientation;
    }
    const std::string path = temp_path("cmyk.jpg");
    save(path, make_jpeg(0, true));
    const Decoded d = decode_file(path.c_str());
    std::remove(path.c_str());
    ASSERT_TRUE(d);
    EXPECT_EQ(colour_at(d, 3, 3), 'r');
    EXPECT_EQ(d.pixels.get()[3], 255);
}

TEST(Exchange, WebPReadsExactly)
{
    // 3 x 2 with alpha, lossless.
    const Bytes rgba = {1, 2, 3, 255, 40, 50, 60, 128, 200, 0, 9, 255,
                        7, 8, 9, 255, 90, 91, 92, 10,  5,   5, 5, 255};
    uint8_t* out = nullptr;
    const std::size_t n = WebPEncodeLosslessRGBA(rgba.data(), 3, 2, 12, &out);
    ASSERT_GT(n, 0u);
    Bytes file(out, out + n);
    WebPFree(out);
    const std::string path = temp_path("pic.webp");
    save(path, file);
    const Decoded d = decode_file(path.c_str());
    ASSERT_TRUE(d);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(Bytes(d.pixels.get(), d.pixels.get() + 24), rgba);
    // Cut short, it is refused.
    file.resize(file.size() - 4);
    save(path, file);
    EXPECT_FALSE(decode_file(path.c_str()));
    std::remove(path.c_str());
}

// A DNG of a flat grey scene: 16-bit CFA samples in an RGGB pattern, identity
// colour matrix, neutral white balance.
void write_dng(const std::string& path, int w, int h)
{
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, 32803);  // colour filter array
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
    TIFFSetField(t, TIFFTAG_MAKE, "Morvane");
    TIFFSetField(t, TIFFTAG_MODEL, "Test");
    const std::uint16_t dim[2] = {2, 2};
    const std::uint8_t pattern[4] = {0, 1, 1, 2};
    TIFFSetField(t, TIFFTAG_CFAREPEATPATTERNDIM, dim);
    TIFFSetField(t, TIFFTAG_CFAPATTERN, 4, pattern);
    const std::uint8_t version[4] = {1, 4, 0, 0};
    TIFFSetField(t, TIFFTAG_DNGVERSION, version);
    TIFFSetField(t, TIFFTAG_DNGBACKWARDVERSION, version);
    TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, "Morvane Test");
    const float matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    TIFFSetField(t, TIFFTAG_COLORMATRIX1, 9, matrix);
    const float neutral[3] = {1, 1, 1};
    TIFFSetField(t, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
    const std::uint32_t white = 65535;
    TIFFSetField(t, TIFFTAG_WHITELEVEL, 1, &white);
    std::vector<std::uint16_t> row(w, 20000);
    for (int y = 0; y < h; ++y) ASSERT_EQ(TIFFWriteScanline(t, row.data(), y, 0), 1);
    TIFFClose(t);
}

TEST(Exchange, CameraRawDngIsRead)
{
    const std::string path = temp_path("scene.dng");
    write_dng(path, 64, 48);
    const Decoded d = decode_file_raw(path.c_str());
    ASSERT_TRUE(d);
    EXPECT_EQ(d.width, 64);
    EXPECT_EQ(d.height, 48);
    // A flat grey scene stays grey and opaque in the middle.
    const unsigned char* p = d.pixels.get() + (24 * 64 + 32) * 4;
    EXPECT_NEAR(p[0], p[1], 8);
    EXPECT_NEAR(p[2], p[1], 8);
    EXPECT_GT(p[1], 20);
    EXPECT_EQ(p[3], 255);
    // A truncated DNG is refused.
    Bytes b;
    {
        std::ifstream f(path, std::ios::binary);
        b.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    b.resize(b.size() / 3);
    save(path, b);
    EXPECT_FALSE(decode_file_raw(path.c_str()));
    std::remove(path.c_str());
}

}  // namespace
