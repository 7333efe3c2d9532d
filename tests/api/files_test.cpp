// Image files and the staging image through the public interface: the
// getters on a 3x2 picture worked by hand, exact-size reads, round trips of
// every writer, resolution fields, page saves, thumbnails, bad input, and
// saves that fail without destroying the file they would replace.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

// 3 x 2, rows top to bottom:
//   (10,20,30,255)    (40,50,60,255)    (70,80,90,128)
//   (100,110,120,255) (130,140,150,0)   (160,170,180,255)
const Bytes kPicture = {10,  20,  30,  255, 40,  50,  60,  255, 70,  80,  90,  128,
                        100, 110, 120, 255, 130, 140, 150, 0,   160, 170, 180, 255};

std::string temp_path(const std::string& name)
{
    return ::testing::TempDir() + "mve_files_" + std::to_string(getpid()) + "_" + name;
}

Bytes file_bytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

Bytes rgb_of(const Bytes& rgba)
{
    Bytes rgb;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        rgb.insert(rgb.end(), rgba.begin() + i, rgba.begin() + i + 3);
    return rgb;
}

// Big-endian 32-bit value after the first occurrence of `tag` in a file.
long be32_after(const Bytes& b, const char* tag)
{
    for (std::size_t i = 0; i + 8 <= b.size(); ++i)
        if (std::memcmp(&b[i], tag, 4) == 0)
            return (b[i + 4] << 24) | (b[i + 5] << 16) | (b[i + 6] << 8) | b[i + 7];
    return -1;
}

struct FilesTest : ::testing::Test {
    std::vector<std::string> made;
    std::string path(const std::string& name)
    {
        made.push_back(temp_path(name));
        return made.back();
    }
    void TearDown() override
    {
        for (const auto& p : made) std::remove(p.c_str());
        MVE_DeleteNewRGBA();
    }
    // Writes kPicture as an RGBA PNG and stages it.
    std::string staged_picture()
    {
        const std::string p = path("picture.png");
        EXPECT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ".png", 72), 1);
        EXPECT_EQ(MVE_ReadFromFile(p.c_str()), 1);
        return p;
    }
};

TEST_F(FilesTest, StagingGettersOnAHandWorkedPicture)
{
    staged_picture();
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 3);
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 2);
    Bytes rgba(24);
    MVE_GetNewRGBA32(rgba.data());
    EXPECT_EQ(rgba, kPicture);
    Bytes rgb(18);
    MVE_GetNewRGBA24(rgb.data());
    EXPECT_EQ(rgb, Bytes({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180}));
    // Rows 12 bytes apart: 9 bytes of B, G, R and 3 bytes the getter leaves alone.
    Bytes bgr(24, 0xEE);
    MVE_GetNewBGR24(bgr.data(), 12);
    EXPECT_EQ(bgr, Bytes({30,  20,  10,  60,  50,  40,  90,  80,  70,  0xEE, 0xEE, 0xEE,  //
                          120, 110, 100, 150, 140, 130, 180, 170, 160, 0xEE, 0xEE, 0xEE}));
    // Two pixels have alpha below 255.
    EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 1);
    MVE_DeleteNewRGBA();
    EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 3);  // the last size set survives deletion
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 2);
    Bytes untouched(18, 7);
    MVE_GetNewRGBA24(untouched.data());  // no picture: nothing written
    EXPECT_EQ(untouched, Bytes(18, 7));
}

TEST_F(FilesTest, ResizedGetterAndOpaquePictures)
{
    // A flat opaque 8x6 picture resampled to 5x3 keeps its colour exactly.
    Bytes flat(8 * 6 * 4);
    for (std::size_t i = 0; i < flat.size(); i += 4)
        flat[i] = 200, flat[i + 1] = 100, flat[i + 2] = 50, flat[i + 3] = 255;
    const std::string p = path("flat.png");
    ASSERT_EQ(MVE_WriteToFileRGBA32(flat.data(), 8, 6, p.c_str(), ".png", 72), 1);
    ASSERT_EQ(MVE_ReadFromFile(p.c_str()), 1);
    EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0);
    Bytes out(5 * 3 * 3 + 3, 0xEE);
    MVE_GetResizedNewRGBA24(out.data(), 5, 3);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(out[i * 3], 200);
        EXPECT_EQ(out[i * 3 + 1], 100);
        EXPECT_EQ(out[i * 3 + 2], 50);
    }
    EXPECT_EQ(Bytes(out.end() - 3, out.end()), Bytes(3, 0xEE));  // nothing past w * h * 3
}

TEST_F(FilesTest, ReadsIntoHostBuffersOnlyAtTheExactSize)
{
    const std::string p = path("exact.png");
    ASSERT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ".png", 72), 1);
    Bytes rgba(24, 1);
    EXPECT_EQ(MVE_ReadFromFileRGBA32(rgba.data(), 3, 2, p.c_str()), 1);
    EXPECT_EQ(rgba, kPicture);
    Bytes rgb(18, 1);
    EXPECT_EQ(MVE_ReadFromFileRGB24(rgb.data(), 3, 2, p.c_str()), 1);
    EXPECT_EQ(rgb, rgb_of(kPicture));
    // One pixel off in either direction: 0 and the buffer untouched.
    Bytes keep(40, 9);
    EXPECT_EQ(MVE_ReadFromFileRGBA32(keep.data(), 4, 2, p.c_str()), 0);
    EXPECT_EQ(MVE_ReadFromFileRGBA32(keep.data(), 3, 1, p.c_str()), 0);
    EXPECT_EQ(MVE_ReadFromFileRGB24(keep.data(), 2, 2, p.c_str()), 0);
    EXPECT_EQ(keep, Bytes(40, 9));
}

TEST_F(FilesTest, WritersRoundTripEveryFormat)
{
    const Bytes rgb = rgb_of(kPicture);
    // Lossless RGB24 formats come back exactly (alpha 255); GIF too, with six colours.
    for (const char* ext : {".bmp", ".png", ".pcx", ".psd", ".gif", ".BMP"}) {
        const std::string p = path(std::string("rgb") + ext);
        ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p.c_str(), ext, 72), 1) << ext;
        Bytes back(18, 0);
        ASSERT_EQ(MVE_ReadFromFileRGB24(back.data(), 3, 2, p.c_str()), 1) << ext;
        EXPECT_EQ(back, rgb) << ext;
        ASSERT_EQ(MVE_ReadFromFile(p.c_str()), 1) << ext;
        EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0) << ext;
    }
    // JPEG, in either case of the extension, comes back close.
    for (const char* ext : {".jpg", ".JPG"}) {
        const std::string p = path(std::string("rgb_") + (ext[1] == 'J' ? "upper" : "lower") + ".jpg");
        ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p.c_str(), ext, 72), 1) << ext;
        Bytes back(18, 0);
        ASSERT_EQ(MVE_ReadFromFileRGB24(back.data(), 3, 2, p.c_str()), 1) << ext;
        for (int i = 0; i < 18; ++i) EXPECT_NEAR(back[i], rgb[i], 12) << ext << " byte " << i;
    }
    // RGBA32 formats keep alpha exactly.
    for (const char* ext : {".png", ".tga", ".tif", ".TIF"}) {
        const std::string p = path(std::string("rgba") + (ext[1] == 'T' ? "_upper" : "") + ext);
        ASSERT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ext, 72), 1) << ext;
        Bytes back(24, 0);
        ASSERT_EQ(MVE_ReadFromFileRGBA32(back.data(), 3, 2, p.c_str()), 1) << ext;
        EXPECT_EQ(back, kPicture) << ext;
    }
    // Formats outside a writer's list write nothing and return 0.
    for (const char* ext : {".tga", ".xyz", ""}) {
        const std::string p = path(std::string("none") + ext + ".out");
        EXPECT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p.c_str(), ext, 72), 0) << ext;
        EXPECT_FALSE(exists(p)) << ext;
    }
    const std::string bmp32 = path("rgba.bmp");
    EXPECT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, bmp32.c_str(), ".bmp", 72), 0);
    EXPECT_FALSE(exists(bmp32));
}

TEST_F(FilesTest, ResolutionFieldsAndTheResolutionQuery)
{
    const Bytes rgb = rgb_of(kPicture);
    // PNG pHYs: trunc(72 * 39.3700787) = 2834, trunc(300 * 39.3700787) = 11811 per metre.
    const std::string p72 = path("r72.png"), p300 = path("r300.png");
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p72.c_str(), ".png", 72), 1);
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p300.c_str(), ".png", 300), 1);
    EXPECT_EQ(be32_after(file_bytes(p72), "pHYs"), 2834);
    EXPECT_EQ(be32_after(file_bytes(p300), "pHYs"), 11811);
    // 2834 * 0.0254 = 71.98 -> 71 -> 72; 11811 * 0.0254 = 299.99 -> 299 -> 300.
    EXPECT_EQ(MVE_GetDPIFromFile(p72.c_str()), 72);
    EXPECT_EQ(MVE_GetDPIFromFile(p300.c_str()), 300);
    struct Case {
        const char* ext;
        int dpi, expect;
        bool rgba;
    };
    // BMP 96: 3779 per metre * 0.0254 = 95.98 -> 95 -> 96. JPEG 240 is no snapped value: 72.
    // TIFF and JPEG store dots per inch as given.
    for (const Case& c :
         {Case{".bmp", 96, 96, false}, Case{".bmp", 600, 600, false}, Case{".jpg", 300, 300, false},
          Case{".jpg", 240, 72, false}, Case{".jpg", 450, 450, false}, Case{".tif", 150, 150, true},
          Case{".tif", 200, 200, true}, Case{".tif", 97, 96, true}}) {
        const std::string p = path(std::string("dpi") + std::to_string(c.dpi) + c.ext);
        const int ok = c.rgba ? MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), c.ext, c.dpi)
                              : MVE_WriteToFileRGB24(rgb.data(), 3, 2, p.c_str(), c.ext, c.dpi);
        ASSERT_EQ(ok, 1) << c.ext;
        EXPECT_EQ(MVE_GetDPIFromFile(p.c_str()), c.expect) << c.ext << " " << c.dpi;
    }
    // A JFIF density of 300 is stored as such.
    const std::string j = path("dpi300.jpg");
    const Bytes jb = file_bytes(j);
    ASSERT_GT(jb.size(), 20u);
    EXPECT_EQ(std::memcmp(&jb[6], "JFIF", 4), 0);
    EXPECT_EQ(jb[13], 1);                    // unit: dots per inch
    EXPECT_EQ((jb[14] << 8) | jb[15], 300);  // x density
    // Missing files and formats without a resolution give 72.
    EXPECT_EQ(MVE_GetDPIFromFile(path("missing.png").c_str()), 72);
    const std::string gif = path("dpi.gif");
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, gif.c_str(), ".gif", 300), 1);
    EXPECT_EQ(MVE_GetDPIFromFile(gif.c_str()), 72);
}

TEST_F(FilesTest, PngHeaderSizeAndHugeHeadersRefused)
{
    const std::string p = staged_picture();
    EXPECT_EQ(MVE_GetWidthFromPNG(p.c_str()), 3);
    EXPECT_EQ(MVE_GetHeightFromPNG(p.c_str()), 2);
    const std::string j = path("notpng.jpg");
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb_of(kPicture).data(), 3, 2, j.c_str(), ".jpg", 72), 1);
    EXPECT_EQ(MVE_GetWidthFromPNG(j.c_str()), 0);
    EXPECT_EQ(MVE_GetHeightFromPNG(path("missing.png").c_str()), 0);
    // The 3x2 PNG's header rewritten to claim 100000 x 100000: the header size
    // is reported, but reading refuses before allocating 40 GB.
    Bytes b = file_bytes(p);
    const unsigned char big[8] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0};
    std::memcpy(&b[16], big, 8);
    const std::string huge = path("huge.png");
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    EXPECT_EQ(MVE_GetWidthFromPNG(huge.c_str()), 100000);
    EXPECT_EQ(MVE_ReadFromFile(huge.c_str()), 0);
    EXPECT_EQ(MVE_ReadFromFileRAW(huge.c_str()), 0);
    // A JPEG bomb: a small file whose frame header claims 60000 x 60000
    // (3.6 G pixels, above the 100 M pixel limit) is refused from its header.
    Bytes jb = file_bytes(j);
    std::size_t sof = 2;
    while (sof + 9 < jb.size() && !(jb[sof] == 0xFF && jb[sof + 1] == 0xC0))
        sof += 2 + ((jb[sof + 2] << 8) | jb[sof + 3]);
    ASSERT_LT(sof + 9, jb.size());
    jb[sof + 5] = jb[sof + 7] = 0xEA, jb[sof + 6] = jb[sof + 8] = 0x60;
    const std::string bomb = path("bomb.jpg");
    std::ofstream(bomb, std::ios::binary).write(reinterpret_cast<const char*>(jb.data()), jb.size());
    EXPECT_EQ(MVE_ReadFromFile(bomb.c_str()), 0);
}

TEST_F(FilesTest, BadInputIsRefused)
{
    const std::string good = staged_picture();
    const Bytes whole = file_bytes(good);
    const std::string text = path("text.png"), empty = path("empty.png"), cut = path("cut.png");
    std::ofstream(text) << "this is a text file named like a picture\n";
    std::ofstream(empty).close();
    std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), whole.size() / 2);
    for (const std::string& p : {text, empty, cut, path("missing.png"), ::testing::TempDir()}) {
        EXPECT_EQ(MVE_ReadFromFile(p.c_str()), 0) << p;
        EXPECT_EQ(MVE_ReadFromFileRAW(p.c_str()), 0) << p;
        EXPECT_EQ(MVE_ImportFromFile(p.c_str()), 0) << p;
        EXPECT_EQ(MVE_ReadFromFileRAW_OLD(p.c_str()), 0) << p;
        Bytes buf(24, 3);
        EXPECT_EQ(MVE_ReadFromFileRGBA32(buf.data(), 3, 2, p.c_str()), 0) << p;
        EXPECT_EQ(buf, Bytes(24, 3));
    }
    // The failed reads left the staged picture alone.
    Bytes rgba(24);
    MVE_GetNewRGBA32(rgba.data());
    EXPECT_EQ(rgba, kPicture);
}

TEST_F(FilesTest, ImageMagickRouteReadsWhatItKnows)
{
    const std::string tga = path("route.tga");
    ASSERT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, tga.c_str(), ".tga", 72), 1);
    ASSERT_EQ(MVE_ImportFromFile(tga.c_str()), 1);
    Bytes rgba(24);
    MVE_GetNewRGBA32(rgba.data());
    EXPECT_EQ(rgba, kPicture);
    // A portable pixmap: no reader of ours, but ImageMagick knows it.
    const std::string ppm = path("route.ppm");
    std::ofstream(ppm, std::ios::binary) << "P6\n2 1\n255\n" << std::string("\x01\x02\x03\xfa\xfb\xfc", 6);
    EXPECT_EQ(MVE_ReadFromFile(ppm.c_str()), 0);
    ASSERT_EQ(MVE_ReadFromFileRAW(ppm.c_str()), 1);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 2);
    Bytes two(8);
    MVE_GetNewRGBA32(two.data());
    EXPECT_EQ(two, Bytes({1, 2, 3, 255, 250, 251, 252, 255}));
}

// The generic route runs under the engine's ImageMagick policy: a drawing
// script, a scripting-language file and a text file that would pull in other
// files are refused (ImageMagick alone would draw or render each of them), and
// the staged picture stays as it was.
TEST_F(FilesTest, ImageMagickRouteRefusesScriptsAndFileReaders)
{
    const std::string secret = staged_picture();
    const std::string mvg = path("route.mvg");
    std::ofstream(mvg) << "viewbox 0 0 2 1\nfill red\nrectangle 0,0 1,0\n";
    const std::string pulls = path("pulls.mvg");
    std::ofstream(pulls) << "viewbox 0 0 3 2\nimage over 0,0 3,2 '" << secret << "'\n";
    const std::string msl = path("route.msl");
    std::ofstream(msl) << "<?xml version=\"1.0\"?><image><read filename=\"" << secret << "\"/></image>";
    const std::string text = path("route.text");
    std::ofstream(text) << "@" << secret;
    for (const std::string& p : {mvg, pulls, msl, text}) {
        EXPECT_EQ(MVE_ImportFromFile(p.c_str()), 0) << p;
        EXPECT_EQ(MVE_ReadFromFileRAW(p.c_str()), 0) << p;
    }
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 3);
    Bytes rgba(24);
    MVE_GetNewRGBA32(rgba.data());
    EXPECT_EQ(rgba, kPicture);
}

// Metafiles are drawn at the canvas size over the brush colour: the host
// buffer readers take them only at that size, and a 3 x 2 picture in a 5 x 2
// canvas keeps its shape, centred, one brush-coloured column either side.
TEST_F(FilesTest, MetafilesDrawnAtTheCanvasSizeOverTheBrushColour)
{
    const Bytes rgb = rgb_of(kPicture);
    MVE_SetColor(200, 100, 50);
    MVE_CreateImage(nullptr, 3, 2, 8, 0);
    for (const char* ext : {".emf", ".wmf"}) {
        SCOPED_TRACE(ext);
        const std::string p = path(std::string("meta") + ext);
        ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 3, 2, p.c_str(), ext, 96), 1);
        Bytes back(3 * 2 * 3), other(4 * 2 * 3);
        EXPECT_EQ(MVE_ReadFromFileRGB24(back.data(), 3, 2, p.c_str()), 1);
        EXPECT_EQ(back, rgb);
        EXPECT_EQ(MVE_ReadFromFileRGB24(other.data(), 4, 2, p.c_str()), 0);
    }
    // A bitmap larger than the buffer is still drawn (reduced to the canvas).
    const std::string big = path("big.emf");
    Bytes uniform(6 * 4 * 3), small(3 * 2 * 3);
    for (std::size_t i = 0; i < uniform.size(); i += 3)
        uniform[i] = 7, uniform[i + 1] = 77, uniform[i + 2] = 177;
    ASSERT_EQ(MVE_WriteToFileRGB24(uniform.data(), 6, 4, big.c_str(), ".emf", 96), 1);
    EXPECT_EQ(MVE_ReadFromFileRGB24(small.data(), 3, 2, big.c_str()), 1);
    EXPECT_EQ(small, Bytes(uniform.begin(), uniform.begin() + 18));
    MVE_DeleteImage();
    MVE_CreateImage(nullptr, 5, 2, 8, 0);
    for (const char* ext : {".emf", ".wmf"}) {
        SCOPED_TRACE(ext);
        ASSERT_EQ(MVE_ReadFromFile(path(std::string("meta") + ext).c_str()), 1);
        ASSERT_EQ(MVE_GetNewRGBAWidth(), 5);
        Bytes staged(5 * 2 * 4);
        MVE_GetNewRGBA32(staged.data());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 5; ++x) {
                const unsigned char* s = &staged[(y * 5 + x) * 4];
                const bool margin = x == 0 || x == 4;
                const unsigned char* want = margin ? nullptr : &rgb[(y * 3 + x - 1) * 3];
                EXPECT_EQ(s[0], margin ? 200 : want[0]) << x << "," << y;
                EXPECT_EQ(s[1], margin ? 100 : want[1]) << x << "," << y;
                EXPECT_EQ(s[2], margin ? 50 : want[2]) << x << "," << y;
                EXPECT_EQ(s[3], 255);
            }
        }
    }
    MVE_DeleteImage();
}

// A failed save never destroys the file it would have replaced, and leaves no temporary behind.
TEST_F(FilesTest, FailedSaveKeepsTheOldFile)
{
    const std::string p = path("keep.png");
    ASSERT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ".png", 72), 1);
    const Bytes before = file_bytes(p);
    // Nothing to write, an extension the writer does not know, one the 24-bit writer does not have.
    EXPECT_EQ(MVE_WriteToFileRGBA32(nullptr, 3, 2, p.c_str(), ".png", 72), 0);
    EXPECT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ".xyz", 72), 0);
    EXPECT_EQ(MVE_WriteToFileRGB24(kPicture.data(), 3, 2, p.c_str(), ".tga", 72), 0);
    EXPECT_EQ(file_bytes(p), before);
    // The disk "fills up": files may not grow beyond 4 KB, and a noisy 128x128 PNG needs more.
    Bytes noise(128 * 128 * 4);
    unsigned v = 1;
    for (auto& b : noise) b = static_cast<unsigned char>((v = v * 1103515245u + 12345u) >> 16);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int wrote = MVE_WriteToFileRGBA32(noise.data(), 128, 128, p.c_str(), ".png", 72);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(wrote, 0);
    EXPECT_EQ(file_bytes(p), before);
    // A directory that does not exist, and a path that is a directory.
    EXPECT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, "/nonexistent/dir/x.png", ".png", 72), 0);
    EXPECT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, ::testing::TempDir().c_str(), ".png", 72), 0);
    // No temporary left beside the target.
    const std::string dir = ::testing::TempDir();
    const std::string prefix = p.substr(dir.size()) + ".";
    std::unique_ptr<FILE, int (*)(FILE*)> ls(popen(("ls -a " + dir).c_str(), "r"), pclose);
    char line[512];
    while (fgets(line, sizeof line, ls.get())) EXPECT_NE(std::string(line).rfind(prefix, 0), 0u) << line;
}

struct PageTest : mve_test::CanvasFixture {
    std::vector<std::string> made;
    void TearDown() override
    {
        for (const auto& p : made) std::remove(p.c_str());
        CanvasFixture::TearDown();
    }
};

// The page is the composite of the visible layers; with one layer it is that
// layer: 8 bits go in as v * 256 and come out as the high byte, exactly.
TEST_F(PageTest, PageSavesWriteTheComposite)
{
    make(3, 2, 1);
    Bytes page = kPicture;
    page[19] = 64;  // the one alpha-0 pixel gets alpha 64 (an alpha-0 load clears the colour)
    MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
    MVE_LoadRGBA32Layer(page.data(), 12, 1, 0, 0, 3, 2, 0);
    const Bytes rgb = rgb_of(page);
    for (const char* ext : {".bmp", ".png", ".PNG"}) {
        made.push_back(temp_path(std::string("page24") + (ext[1] == 'P' ? "u" : "") + ext));
        ASSERT_EQ(MVE_SavePageToFileRGB24(made.back().c_str(), ext, 300), 1) << ext;
        Bytes back(18);
        ASSERT_EQ(MVE_ReadFromFileRGB24(back.data(), 3, 2, made.back().c_str()), 1) << ext;
        EXPECT_EQ(back, rgb) << ext;
        EXPECT_EQ(MVE_GetDPIFromFile(made.back().c_str()), 300) << ext;
    }
    made.push_back(temp_path("page24.jpg"));
    ASSERT_EQ(MVE_SavePageToFileRGB24(made.back().c_str(), ".jpg", 150), 1);
    Bytes jpg(18);
    ASSERT_EQ(MVE_ReadFromFileRGB24(jpg.data(), 3, 2, made.back().c_str()), 1);
    for (int i = 0; i < 18; ++i) EXPECT_NEAR(jpg[i], rgb[i], 12) << i;
    EXPECT_EQ(MVE_GetDPIFromFile(made.back().c_str()), 150);
    for (const char* ext : {".png", ".tga", ".tif"}) {
        made.push_back(temp_path(std::string("page32") + ext));
        ASSERT_EQ(MVE_SavePageToFileRGB32(made.back().c_str(), ext, 72), 1) << ext;
        Bytes back(24);
        ASSERT_EQ(MVE_ReadFromFileRGBA32(back.data(), 3, 2, made.back().c_str()), 1) << ext;
        EXPECT_EQ(back, page) << ext;
    }
    made.push_back(temp_path("page.gif"));
    EXPECT_EQ(MVE_SavePageToFileRGB24(made.back().c_str(), ".gif", 72), 0);
    EXPECT_EQ(MVE_SavePageToFileRGB32(made.back().c_str(), ".jpg", 72), 0);
    EXPECT_FALSE(exists(made.back()));
}

TEST_F(PageTest, StagingImageLoadsIntoTheCurrentLayer)
{
    make(4, 3, 1);
    const std::string p = temp_path("setin.png");
    made.push_back(p);
    ASSERT_EQ(MVE_WriteToFileRGBA32(kPicture.data(), 3, 2, p.c_str(), ".png", 72), 1);
    ASSERT_EQ(MVE_ReadFromFile(p.c_str()), 1);
    MVE_SetInNewRGBA();
    const auto layer1 = layer(1);
    // Pixel (x, y) of the 3x2 picture at (x, y) of the 4-wide layer: v * 256,
    // and the alpha-0 pixel (1, 1) all zero.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 4; ++c) {
                const int v = kPicture[(y * 3 + x) * 4 + c];
                const int expect = (x == 1 && y == 1) ? 0 : v * 256;
                EXPECT_EQ(layer1[(y * 4 + x) * 4 + c], expect) << x << "," << y << " c" << c;
            }
    MVE_DeleteNewRGBA();
}

TEST_F(FilesTest, ThumbnailsAndWebPictures)
{
    // 6x3: the left half transparent red (alpha 0), the right half opaque blue.
    Bytes pic(6 * 3 * 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            unsigned char* q = &pic[(y * 6 + x) * 4];
            q[0] = x < 3 ? 255 : 0, q[1] = 0, q[2] = x < 3 ? 0 : 255, q[3] = x < 3 ? 0 : 255;
        }
    const std::string src = path("thumb_src.png"), thumb = path("thumb.bmp"), web = path("web.jpg");
    ASSERT_EQ(MVE_WriteToFileRGBA32(pic.data(), 6, 3, src.c_str(), ".png", 72), 1);
    // Size 4: the longer side 6 becomes 4, the other trunc(4 / 6 * 3) = 2.
    EXPECT_EQ(MVE_MakeThumbnail(src.c_str(), thumb.c_str(), 4), 0);
    const Bytes b = file_bytes(thumb);
    ASSERT_GT(b.size(), 54u);
    EXPECT_EQ(b[0], 'B');
    ASSERT_EQ(MVE_ReadFromFile(thumb.c_str()), 1);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 4);
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 2);
    Bytes t(4 * 2 * 3);
    MVE_GetNewRGBA24(t.data());
    // Leftmost column: transparent red became white; rightmost: blue.
    EXPECT_EQ(Bytes(t.begin(), t.begin() + 3), Bytes({255, 255, 255}));
    EXPECT_EQ(Bytes(t.begin() + 9, t.begin() + 12), Bytes({0, 0, 255}));
    // Web picture within 4x4 of a 6x3 source: 4/4 = 1 is not above 6/3 = 2, so
    // the width limits: (4, trunc(3 * 4 / 6) = 2). Within 100x100: the source size.
    EXPECT_EQ(MVE_MakeWebPic(src.c_str(), web.c_str(), 4, 4), 0);
    EXPECT_EQ(MVE_GetWidthFromPNG(web.c_str()), 0);
    ASSERT_EQ(MVE_ReadFromFile(web.c_str()), 1);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 4);
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 2);
    ASSERT_EQ(MVE_MakeWebPic(src.c_str(), web.c_str(), 100, 100), 0);
    ASSERT_EQ(MVE_ReadFromFile(web.c_str()), 1);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 6);
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 3);
    // A source that cannot be read makes nothing.
    const std::string none = path("none.bmp");
    EXPECT_EQ(MVE_MakeThumbnail(path("missing.png").c_str(), none.c_str(), 4), 0);
    EXPECT_FALSE(exists(none));
}

}  // namespace
