// The scanner on SANE's test backend: a configuration directory written here
// holds a dll.conf naming `test` and a copy of the backend's test.conf (with
// the scan mode changed per case). What the engine acquires must equal what
// scanimage reads from the same device with the same configuration.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/exchange.h"
#include "morvane/morvane.h"

#if defined(__SANITIZE_ADDRESS__)
// SANE's test backend leaves a few buffers behind (one from its reader
// thread) on some scan modes. The leak checker is told to ignore what that
// library allocates; the test keeps it loaded (see config_dir) so that its
// frames can be named. Fontconfig, loading its default configuration for the
// text tests, leaves one small block unreachable in the same way, and so does
// the clipboard service's X connection (Xlib's and xcb's blocks), which the
// engine keeps until the program ends, after the checker has run. (One list
// for the whole unit-test program: the checker reads a single function.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libsane-test.so\nleak:libfontconfig.so\nleak:XOpenDisplay\nleak:xcb_connect_to_fd\nleak:"
           "libX11.so\n";
}
#endif

namespace {

using namespace mve::exchange;
using Bytes = std::vector<unsigned char>;

#if MVE_WITH_SANE

constexpr const char* kTestConf = "/etc/sane.d/test.conf";

// The configuration directory: SANE reads SANE_CONFIG_DIR once per process,
// so every case rewrites the files of one directory.
std::string config_dir()
{
    static const std::string dir = [] {
        const std::string d = ::testing::TempDir() + "mve_sane_" + std::to_string(getpid());
        std::system(("mkdir -p " + d).c_str());
        setenv("SANE_CONFIG_DIR", d.c_str(), 1);
        // Keep the test backend mapped after sane_exit unloads it.
        for (const char* lib : {"/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1", "/usr/lib/sane/libsane-test.so.1"})
            if (dlopen(lib, RTLD_NOW | RTLD_NODELETE)) break;
        return d;
    }();
    return dir;
}

// Writes dll.conf naming `test` and test.conf with settings replaced by `changes`.
std::string write_config(const std::vector<std::pair<std::string, std::string>>& changes)
{
    const std::string dir = config_dir();
    std::ofstream(dir + "/dll.conf") << "test\n";
    std::ifstream in(kTestConf);
    EXPECT_TRUE(in.good()) << kTestConf;
    std::stringstream conf;
    conf << in.rdbuf();
    std::string text = conf.str();
    for (const auto& [key, value] : changes)
        text = std::regex_replace(text, std::regex("\\n" + key + " [^\\n]*"), "\n" + key + " " + value);
    std::ofstream(dir + "/test.conf") << text;
    return dir;
}

// scanimage's picture of test:0 as RGBA32 (P5 grey copied to R, G, B, or P6; 16-bit
// samples, big-endian in PNM, narrowed to their high byte).
bool scanimage_picture(int* w, int* h, Bytes* rgba)
{
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen("scanimage -d test:0 --format=pnm 2>/dev/null", "r"),
                                            pclose);
    if (!p) return false;
    Bytes all;
    unsigned char buf[65536];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p.get())) > 0;) all.insert(all.end(), buf, buf + n);
    // Header: magic, comments, width height, maxval, one whitespace byte.
    std::size_t i = 0;
    auto token = [&]() {
        std::string t;
        while (i < all.size()) {
            if (all[i] == '#') {
                while (i < all.size() && all[i] != '\n') ++i;
            } else if (std::isspace(all[i])) {
                if (!t.empty()) break;
                ++i;
            } else {
                t += static_cast<char>(all[i++]);
            }
        }
        return t;
    };
    const std::string magic = token();
    *w = std::stoi(token());
    *h = std::stoi(token());
    const int maxval = std::stoi(token());
    ++i;
    const int channels = magic == "P6" ? 3 : 1;
    const int bytes = maxval > 255 ? 2 : 1;
    rgba->assign(static_cast<std::size_t>(*w) * *h * 4, 255);
    for (int y = 0; y < *h; ++y)
        for (int x = 0; x < *w; ++x)
            for (int c = 0; c < 3; ++c) {
                unsigned char v;
                const std::size_t at =
                    i + ((static_cast<std::size_t>(y) * *w + x) * channels + (channels == 3 ? c : 0)) * bytes;
                v = all[at];  // 16 bits: the high byte comes first
                (*rgba)[(static_cast<std::size_t>(y) * *w + x) * 4 + c] = v;
            }
    return true;
}

TEST(Scanner, AcquiresWhatScanimageReads)
{
    using Changes = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* name;
        Changes changes;
    };
    const std::vector<Case> cases = {
        {"copied test.conf (grey, solid black)", {}},
        {"colour pattern", {{"mode", "Color"}, {"test-picture", "\"Color pattern\""}}},
        {"grey pattern, 16 bits", {{"mode", "Gray"}, {"depth", "16"}, {"test-picture", "\"Grid\""}}},
        {"three-pass colour",
         {{"mode", "Color"}, {"three-pass", "true"}, {"test-picture", "\"Color pattern\""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_config(c.changes);
        int w = 0, h = 0;
        Bytes expected;
        ASSERT_TRUE(scanimage_picture(&w, &h, &expected));
        ASSERT_GT(w, 0);
        EXPECT_EQ(MVE_IsTwain(), 1);
        ASSERT_EQ(MVE_TwainSelectSource(), 1);
        EXPECT_EQ(exchange_state().scanner.device, "test:0");
        ASSERT_EQ(MVE_TwainAcquire(), 1);
        EXPECT_EQ(MVE_GetNewRGBAWidth(), w);
        EXPECT_EQ(MVE_GetNewRGBAHeight(), h);
        Bytes got(static_cast<std::size_t>(w) * h * 4);
        MVE_GetNewRGBA32(got.data());
        EXPECT_EQ(got, expected);
        EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0);
    }
    MVE_DeleteNewRGBA();
}

TEST(Scanner, NoDeviceNoPicture)
{
    std::ofstream(config_dir() + "/dll.conf") << "# no backends\n";
    exchange_state().scanner.device.clear();
    EXPECT_EQ(MVE_TwainSelectSource(), 0);
    EXPECT_EQ(MVE_TwainAcquire(), 0);
    // A device that went away: acquisition fails, the staging image is not made.
    exchange_state().scanner.device = "test:7";
    MVE_DeleteNewRGBA();
    EXPECT_EQ(MVE_TwainAcquire(), 0);
    EXPECT_EQ(MVE_IsNewRGBA32Transparent(), 0);
    exchange_state().scanner.device.clear();
}

#else

TEST(Scanner, WithoutSaneThereIsNoScanner)
{
    EXPECT_EQ(MVE_IsTwain(), 0);
    EXPECT_EQ(MVE_TwainSelectSource(), 0);
    EXPECT_EQ(MVE_TwainAcquire(), 0);
}

#endif

}  // namespace
