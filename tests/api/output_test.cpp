// AVI, GIF and PDF output through the public interface, read back by the
// outside programs a user would open them with: ffprobe / ffmpeg, gifsicle and
// PIL, pdfinfo and pdftoppm.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "morvane/morvane.h"
#include "support/canvas_fixture.h"
#include "support/run_command.h"

namespace {

using mve::test::run_command;

std::string temp_path(const std::string& name)
{
    return ::testing::TempDir() + "mve_output_" + std::to_string(getpid()) + "_" + name;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

std::vector<unsigned char> solid(int w, int h, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> rgb;
    for (int i = 0; i < w * h; ++i) rgb.insert(rgb.end(), {r, g, b});
    return rgb;
}

struct OutputTest : mve_test::CanvasFixture {
    void TearDown() override
    {
        MVE_CloseAVI();
        MVE_CloseGIF();
        MVE_SetAVICodec(0, 90);
        MVE_SetGIFFrameDifferencing(0);
        MVE_I2PDF_Reset();
        CanvasFixture::TearDown();
    }
};

TEST_F(OutputTest, AviPlaysAtOneFramePerPeriodAndIgnoresFramesOfAnotherSize)
{
    make(8, 6);
    MVE_SetAVICodec(1, 0);
    const std::string path = temp_path("a.avi");
    MVE_CreateAVI(path.c_str(), 100);
    const auto red = solid(8, 6, 255, 0, 0), wrong = solid(6, 8, 0, 255, 0);
    MVE_WriteAVI_RGB24(red.data(), 8, 6);
    MVE_WriteAVI_RGB24(wrong.data(), 6, 8);  // ignored
    MVE_WriteAVI_RGB24(nullptr, 8, 6);       // ignored
    // A frame from a bitmap file: a blue 8 x 6 BMP written by the engine.
    const std::string bmp = temp_path("frame.bmp");
    const auto blue = solid(8, 6, 0, 0, 255);
    ASSERT_EQ(MVE_WriteToFileRGB24(blue.data(), 8, 6, bmp.c_str(), ".bmp", 96), 1);
    MVE_WriteAVI(bmp.c_str());
    MVE_WriteAVI((temp_path("missing.bmp")).c_str());  // ignored
    MVE_CloseAVI();
    MVE_CloseAVI();  // closing twice does nothing
    // 100 ms a frame: 10 frames a second; two frames.
    EXPECT_EQ(run_command("ffprobe -v error -count_frames -show_entries "
                          "stream=codec_type,width,height,r_frame_rate,nb_read_frames -of csv=p=0 " +
                          path),
              "video,8,6,10/1,2");
    // The second frame decodes to blue exactly (DIB).
    EXPECT_EQ(
        run_command("ffmpeg -v error -i " + path +
                    " -vf 'select=eq(n\\,1)' -f rawvideo -pix_fmt rgb24 - | od -An -tu1 -N3 | tr -s ' '"),
        " 0 0 255");
}

TEST_F(OutputTest, CallsInTheWrongOrderAndUncreatablePathsDoNothing)
{
    make(4, 4);
    const auto px = solid(4, 4, 1, 2, 3);
    MVE_WriteAVI_RGB24(px.data(), 4, 4);  // before creation
    MVE_WriteGIF_RGB24(px.data(), 4, 4);
    MVE_CloseAVI();
    MVE_CloseGIF();
    MVE_CreateAVI("/nonexistent-dir/a.avi", 100);
    MVE_WriteAVI_RGB24(px.data(), 4, 4);
    MVE_CreateGIF("/nonexistent-dir/a.gif", 100, nullptr);
    MVE_WriteGIF_RGB24(px.data(), 4, 4);
    EXPECT_EQ(MVE_I2PDF_MakePDF("/nonexistent-dir/a.pdf"), 0);
    EXPECT_FALSE(exists("/nonexistent-dir"));
}

TEST_F(OutputTest, MjpegIsTheDefaultCodec)
{
    make(16, 16);
    const std::string path = temp_path("m.avi");
    MVE_CreateAVI(path.c_str(), 250);
    const auto grey = solid(16, 16, 128, 128, 128);
    for (int i = 0; i < 3; ++i) MVE_WriteAVI_RGB24(grey.data(), 16, 16);
    MVE_CloseAVI();
    // 250 ms a frame: 4 frames a second.
    EXPECT_EQ(
        run_command(
            "ffprobe -v error -count_frames -show_entries stream=codec_name,r_frame_rate,nb_read_frames "
            "-of csv=p=0 " +
            path),
        "mjpeg,4/1,3");
}

TEST_F(OutputTest, GifDelaysFramesAndPixelsAsGifsicleAndPilSeeThem)
{
    make(5, 4);
    const std::string path = temp_path("g.gif");
    MVE_CreateGIF(path.c_str(), 250, nullptr);
    const auto red = solid(5, 4, 255, 0, 0), green = solid(5, 4, 0, 255, 0);
    MVE_WriteGIF_RGB24(red.data(), 5, 4);
    MVE_WriteGIF_RGB24(green.data(), 4, 5);  // wrong size: ignored
    MVE_WriteGIF_RGB24(green.data(), 5, 4);
    MVE_CloseGIF();
    // 250 ms: a delay of 25 hundredths, gifsicle prints it as 0.25s.
    const std::string info = run_command("gifsicle --info " + path);
    EXPECT_NE(info.find("2 images"), std::string::npos) << info;
    EXPECT_NE(info.find("logical screen 5x4"), std::string::npos) << info;
    std::size_t delays = 0;
    for (std::size_t at = info.find("delay 0.25s"); at != std::string::npos;
         at = info.find("delay 0.25s", at + 1))
        ++delays;
    EXPECT_EQ(delays, 2u) << info;
    EXPECT_EQ(
        run_command("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                    "out = []\n"
                    "for i in range(im.n_frames):\n"
                    "  im.seek(i); out.append(str(im.convert('RGB').getpixel((2, 1))))\n"
                    "print(im.n_frames, im.info.get('duration'), ' '.join(out))\" " +
                    path),
        "2 250 (255, 0, 0) (0, 255, 0)");
}

TEST_F(OutputTest, DifferencedGifShowsTheSameFramesAsWholeOnes)
{
    make(6, 6);
    MVE_SetGIFFrameDifferencing(1);
    const std::string path = temp_path("d.gif");
    MVE_CreateGIF(path.c_str(), 100, nullptr);
    auto f = solid(6, 6, 255, 255, 255);
    MVE_WriteGIF_RGB24(f.data(), 6, 6);
    // A blue 2 x 2 square appears at (3, 2), then a red pixel at (0, 5).
    for (int y = 2; y < 4; ++y)
        for (int x = 3; x < 5; ++x) f[(y * 6 + x) * 3] = f[(y * 6 + x) * 3 + 1] = 0;
    MVE_WriteGIF_RGB24(f.data(), 6, 6);
    f[(5 * 6) * 3 + 1] = f[(5 * 6) * 3 + 2] = 0;
    MVE_WriteGIF_RGB24(f.data(), 6, 6);
    MVE_CloseGIF();
    const std::string info = run_command("gifsicle --info " + path);
    EXPECT_NE(info.find("3 images"), std::string::npos) << info;
    EXPECT_NE(info.find("+ image #1 2x2 at 3,2 transparent"), std::string::npos) << info;
    EXPECT_NE(info.find("+ image #2 1x1 at 0,5 transparent"), std::string::npos) << info;
    // PIL composes the frames: the last one shows white, the square and the pixel.
    EXPECT_EQ(
        run_command("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                    "im.seek(2); rgb = im.convert('RGB'); "
                    "print(rgb.getpixel((0, 0)), rgb.getpixel((3, 2)), rgb.getpixel((4, 3)), "
                    "rgb.getpixel((0, 5)))\" " +
                    path),
        "(255, 255, 255) (0, 0, 255) (0, 0, 255) (255, 0, 0)");
}

TEST_F(OutputTest, PdfPagesAreThePicturesAt96DpiInsideGreyBorders)
{
    make(4, 4);
    // Pictures of 96 x 48 and 48 x 96 pixels: 72 x 36 and 36 x 72 points,
    // plus 20 points of border on every side: 112 x 76 and 76 x 112.
    const std::string a = temp_path("p1.png"), b = temp_path("p2.png"), bad = temp_path("bad.png");
    const auto red = solid(96, 48, 255, 0, 0), blue = solid(48, 96, 0, 0, 255);
    ASSERT_EQ(MVE_WriteToFileRGB24(red.data(), 96, 48, a.c_str(), ".png", 96), 1);
    ASSERT_EQ(MVE_WriteToFileRGB24(blue.data(), 48, 96, b.c_str(), ".png", 96), 1);
    {
        std::ofstream(bad) << "not a picture";
    }
    MVE_I2PDF_AddImage(a.c_str());
    MVE_I2PDF_AddImage(bad.c_str());                       // corrupt: no page
    MVE_I2PDF_AddImage(temp_path("missing.png").c_str());  // missing: no page
    MVE_I2PDF_AddImage(b.c_str());
    const std::string pdf = temp_path("doc.pdf");
    ASSERT_EQ(MVE_I2PDF_MakePDF(pdf.c_str()), 1);
    EXPECT_EQ(MVE_I2PDF_MakePDF(temp_path("empty.pdf").c_str()), 0);  // the list was emptied
    // The pictures that became pages are deleted; what could not be read is kept.
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_TRUE(exists(bad));
    EXPECT_EQ(run_command("pdfinfo " + pdf + " | grep -E '^Pages:' | tr -s ' '"), "Pages: 2");
    EXPECT_EQ(run_command("pdfinfo -f 1 -l 2 " + pdf +
                          " | grep -E '^Page +[0-9]+ size:' | sed 's/.*size: *//; s/ pts.*//'"),
              "112 x 76\n76 x 112");
    // Rendered at 96 dpi the first page is 96 + 2 x 26.67 = 149.33 by 101.33
    // pixels, which pdftoppm rounds up: the border (grey 196) at the corner,
    // the picture's red in the middle.
    const std::string ppm = temp_path("page");
    run_command("pdftoppm -r 96 -f 1 -l 1 -singlefile " + pdf + " " + ppm);
    EXPECT_EQ(run_command(
                  "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                  "print(im.size, im.getpixel((5, 5)), im.getpixel((im.size[0] // 2, im.size[1] // 2)))\" " +
                  ppm + ".ppm"),
              "(150, 102) (196, 196, 196) (255, 0, 0)");
}

TEST_F(OutputTest, SlideshowPagesCarryTransitionAndDuration)
{
    make(4, 4);
    const std::string a = temp_path("s1.png");
    const auto green = solid(32, 32, 0, 200, 0);
    ASSERT_EQ(MVE_WriteToFileRGB24(green.data(), 32, 32, a.c_str(), ".png", 96), 1);
    MVE_I2PDF_AddImage(a.c_str());
    MVE_I2PDF_AddImage(a.c_str());
    const std::string pdf = temp_path("slides.pdf");
    ASSERT_EQ(MVE_I2PDF_MakePDFSlideshow(pdf.c_str()), 1);
    EXPECT_EQ(run_command("pdfinfo " + pdf + " | grep -E '^Pages:' | tr -s ' '"), "Pages: 2");
    // The pages still render after the update...
    const std::string ppm = temp_path("slide");
    run_command("pdftoppm -r 96 -f 2 -l 2 -singlefile " + pdf + " " + ppm);
    EXPECT_EQ(
        run_command("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                    "print(im.getpixel((im.size[0] // 2, im.size[1] // 2)))\" " +
                    ppm + ".ppm"),
        "(0, 200, 0)");
    // ...and the appended page versions hold the slideshow entries.
    std::ifstream in(pdf, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t update = text.find("/Trans");
    ASSERT_NE(update, std::string::npos);
    EXPECT_NE(text.find("/Dur 4", update), std::string::npos);
    EXPECT_NE(text.find("/D 1 >>"), std::string::npos);
    EXPECT_NE(text.find("/PageMode /FullScreen"), std::string::npos);
    EXPECT_NE(text.find("/Prev "), std::string::npos);
}

TEST(Output, RenameFileNeverReplacesAnExistingFile)
{
    const std::string a = temp_path("r_a"), b = temp_path("r_b"), c = temp_path("r_c");
    {
        std::ofstream(a) << "a";
    }
    {
        std::ofstream(c) << "c";
    }
    EXPECT_EQ(MVE_RenameFile(a.c_str(), b.c_str()), 1);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(exists(b));
    EXPECT_EQ(MVE_RenameFile(b.c_str(), c.c_str()), 0);  // c exists: kept
    std::ifstream kept(c);
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "c");
    EXPECT_EQ(MVE_RenameFile(temp_path("r_missing").c_str(), temp_path("r_d").c_str()), 0);
    EXPECT_EQ(MVE_RenameFile(nullptr, b.c_str()), 0);
}

TEST_F(OutputTest, SetGridBlursTheCurrentLayerWithAGaussianOfSigmaFive)
{
    make(21, 21);
    // Black opaque layer with one white pixel in the middle. The 11-tap
    // kernel of sigma 5 has weights exp(-k^2 / 50): 1, .9802, .9231, .8353,
    // .7261, .6065 for k = 0..5, sum 9.1424, so the centre keeps
    // 65535 / 9.1424^2 = 784 and its right neighbour 784 x .9802 = 769.
    std::vector<unsigned short> data(21 * 21 * 4, 0);
    for (int i = 0; i < 21 * 21; ++i) data[i * 4 + 3] = 65535;
    for (int c = 0; c < 3; ++c) data[(10 * 21 + 10) * 4 + c] = 65535;
    MVE_SetLayerData(data.data(), 1);
    MVE_SetGrid(0);
    const auto out = layer(1);
    const auto at = [&](int x, int y) { return int(out[(y * 21 + x) * 4]); };
    EXPECT_NEAR(at(10, 10), 784, 16);
    EXPECT_NEAR(at(11, 10), 769, 16);
    EXPECT_EQ(at(11, 10), at(10, 11));  // round
    EXPECT_EQ(at(0, 0), 0);             // beyond the radius
    EXPECT_EQ(out[(10 * 21 + 10) * 4 + 3], 65535);
}

}  // namespace
