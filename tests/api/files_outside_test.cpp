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

}  // namespace
