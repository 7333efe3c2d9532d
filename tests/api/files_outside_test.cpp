// Other programs read what the writers write: Python's PIL (the system
// interpreter, which sees Debian's python3-pil) and ImageMagick's identify
// must find the size, the pixel mode and the resolution we stored.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "morvane/morvane.h"
#include "support/run_command.h"

namespace {

std::string run(const std::string& command)
{
    return mve::test::run_command(command);
}

TEST(FilesOutside, PilAndIdentifyReadOurFiles)
{
    // 5 x 3, a gradient with some transparency.
    std::vector<unsigned char> rgba(5 * 3 * 4), rgb(5 * 3 * 3);
    for (int i = 0; i < 15; ++i) {
        rgba[i * 4] = rgb[i * 3] = static_cast<unsigned char>(i * 17);
        rgba[i * 4 + 1] = rgb[i * 3 + 1] = static_cast<unsigned char>(255 - i * 17);
        rgba[i * 4 + 2] = rgb[i * 3 + 2] = 99;
        rgba[i * 4 + 3] = static_cast<unsigned char>(i < 5 ? 128 : 255);
    }
    struct Case {
        const char* ext;
        bool alpha;
        const char* pilMode;
        const char*
            pilDpi;  // PIL's info["dpi"] rounded; "" where the format has none, "0 0" where it is unset
    };
    const Case cases[] = {{".png", false, "RGB", "300 300"}, {".png", true, "RGBA", "300 300"},
                          {".jpg", false, "RGB", "300 300"}, {".bmp", false, "RGB", "300 300"},
                          {".gif", false, "P", ""},          {".pcx", false, "RGB", "0 0"},
                          {".psd", false, "RGB", ""},        {".tif", true, "RGBA", "300 300"},
                          {".tga", true, "RGBA", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        const std::string path = ::testing::TempDir() + "mve_outside_" + std::to_string(getpid()) +
                                 (c.alpha ? "_rgba" : "_rgb") + c.ext;
        const int ok = c.alpha ? MVE_WriteToFileRGBA32(rgba.data(), 5, 3, path.c_str(), c.ext, 300)
                               : MVE_WriteToFileRGB24(rgb.data(), 5, 3, path.c_str(), c.ext, 300);
        ASSERT_EQ(ok, 1);
        const std::string pil =
            run("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                "im.load(); d = im.info.get('dpi'); "
                "print(im.size[0], im.size[1], im.mode, ' '.join(str(round(v)) for v in d) if d else '')\" " +
                path + " 2>&1");
        EXPECT_EQ(pil, std::string("5 3 ") + c.pilMode + (*c.pilDpi ? std::string(" ") + c.pilDpi : ""));
        EXPECT_EQ(run("identify -format '%w %h\\n' " + path + "[0] 2>&1"), "5 3");
        std::remove(path.c_str());
    }
}

// ImageMagick reads our WMF through libwmf and draws the same quadrants; PIL
// identifies both metafiles and finds the EMF's inclusive bounds.
TEST(FilesOutside, MetafilesReadByImageMagickAndPil)
{
    // 30 x 20: red full on the left half, green full on the top half, blue 40.
    std::vector<unsigned char> rgb(30 * 20 * 3);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            unsigned char* p = &rgb[(y * 30 + x) * 3];
            p[0] = x < 15 ? 255 : 0;
            p[1] = y < 10 ? 255 : 0;
            p[2] = 40;
        }
    const std::string base = ::testing::TempDir() + "mve_outside_meta_" + std::to_string(getpid());
    const std::string wmf = base + ".wmf", emf = base + ".emf";
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 30, 20, wmf.c_str(), ".wmf", 72), 1);
    ASSERT_EQ(MVE_WriteToFileRGB24(rgb.data(), 30, 20, emf.c_str(), ".emf", 72), 1);
    EXPECT_EQ(run("identify -format '%m %w %h\\n' " + wmf + " 2>&1"), "WMF 30 20");
    EXPECT_EQ(run("convert " + wmf +
                  " -alpha off -depth 8 -format '%[hex:u.p{2,2}] %[hex:u.p{25,2}] %[hex:u.p{2,15}] "
                  "%[hex:u.p{25,15}]' info: 2>&1"),
              "FFFF28 00FF28 FF0028 000028");
    const std::string pil =
        "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.format, im.info.get('wmf_bbox'))\" ";
    EXPECT_EQ(run(pil + wmf + " 2>&1"), "WMF (0, 0, 30, 20)");
    EXPECT_EQ(run(pil + emf + " 2>&1"), "WMF (0, 0, 29, 19)");
    std::remove(wmf.c_str());
    std::remove(emf.c_str());
}

}  // namespace
