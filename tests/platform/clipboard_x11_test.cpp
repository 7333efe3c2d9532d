// The clipboard on X11, under an Xvfb server of the test's own with xclip as
// the other program: pictures both ways (PNG, and BMP for programs that only
// know it), 4000 x 4000 pictures through incremental transfers both ways,
// owners that never answer, send garbage or claim a huge size, an empty
// clipboard, a server that goes away, a host that exits while owning, and
// screen capture of a window of known colour.
#if defined(MVE_WITH_X11)

#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) clash with GoogleTest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "imagelib/reading.h"
#include "morvane/morvane.h"
#include "platform/clipboard.h"
#include "platform/screen_capture.h"
#include "support/run_program.h"
#include "support/xvfb_server.h"

namespace {

using Bytes = std::vector<unsigned char>;
using mve::test::run_program;

std::string temp_path(const std::string& name)
{
    return ::testing::TempDir() + "mve_clipx_" + std::to_string(getpid()) + "_" + name;
}

Bytes slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

void save(const std::string& path, const Bytes& b)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// Pixels of a decoded file (empty when it does not decode).
Bytes decoded_pixels(const std::string& path, int* w, int* h)
{
    const mve::exchange::Decoded d = mve::exchange::decode_file(path.c_str());
    if (!d) return {};
    *w = d.width, *h = d.height;
    return Bytes(d.pixels.get(), d.pixels.get() + static_cast<std::size_t>(d.width) * d.height * 4);
}

// A large picture whose PNG stays large: a gradient with pseudo-random low bits.
Bytes noisy_picture(int w, int h)
{
    Bytes p(static_cast<std::size_t>(w) * h * 4);
    unsigned state = 12345;
    for (std::size_t i = 0; i < p.size(); i += 4) {
        state = state * 1103515245u + 12345u;
        const unsigned x = static_cast<unsigned>(i / 4 % w), y = static_cast<unsigned>(i / 4 / w);
        p[i] = static_cast<unsigned char>(x + (state >> 28));
        p[i + 1] = static_cast<unsigned char>(y + ((state >> 24) & 15));
        p[i + 2] = static_cast<unsigned char>(x ^ y);
        p[i + 3] = 255;
    }
    return p;
}

struct ClipboardX11 : ::testing::Test {
    static mve::test::XvfbServer* server;
    static void SetUpTestSuite() { server = new mve::test::XvfbServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override
    {
        ASSERT_FALSE(server->display().empty()) << "Xvfb could not be started";
        MVE_CreateImage(nullptr, 4, 3, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, 4, 3), 1);
        MVE_SetLayer(1);
    }
    void TearDown() override { MVE_DeleteImage(); }

    // xclip reading the clipboard's `target` into a file; its exit status.
    int xclip_out(const std::string& target, const std::string& path)
    {
        const auto r = run_program({"xclip", "-selection", "clipboard", "-t", target, "-o"}, "", path, 30);
        return r.finished ? r.status : -1;
    }
    // xclip taking the clipboard with a file's bytes as `target` (it then
    // serves in the background until another program takes the selection
    // or the server ends).
    void xclip_in(const std::string& target, const std::string& path)
    {
        // A busy server may refuse a connection for a moment: try a few times.
        Display* d = XOpenDisplay(nullptr);
        for (int i = 0; i < 20 && !d; ++i, usleep(50000)) d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr);
        const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
        const Window before = XGetSelectionOwner(d, clipboard);
        const auto r = run_program({"xclip", "-selection", "clipboard", "-t", target, "-i"}, path, "", 30);
        ASSERT_TRUE(r.finished);
        ASSERT_EQ(r.status, 0);
        // xclip's background child takes the selection a moment later.
        Window now = before;
        for (int i = 0; i < 300 && (now == before || now == None); ++i) {
            usleep(10000);
            now = XGetSelectionOwner(d, clipboard);
        }
        XCloseDisplay(d);
        ASSERT_TRUE(now != before && now != None) << "xclip did not take the selection";
    }
};
mve::test::XvfbServer* ClipboardX11::server = nullptr;

TEST_F(ClipboardX11, EnginePictureReadByXclipAsPngAndBmp)
{
    const Bytes picture = {255, 0,  0,  255, 0,  255, 0,  128, 0,  0,  255, 0,
                           10,  20, 30, 255, 40, 50,  60, 255, 70, 80, 90,  1};
    MVE_RGBA32ToClipboardRect(picture.data(), 0, 0, 3, 2, 0);
    ASSERT_TRUE(mve::platform::clipboard_service_running(mve::engine().platform));

    const std::string targets = temp_path("targets.txt");
    ASSERT_EQ(xclip_out("TARGETS", targets), 0);
    const Bytes list = slurp(targets);
    const std::string text(list.begin(), list.end());
    EXPECT_NE(text.find("image/png"), std::string::npos) << text;
    EXPECT_NE(text.find("image/bmp"), std::string::npos) << text;

    const std::string png = temp_path("out.png");
    ASSERT_EQ(xclip_out("image/png", png), 0);
    int w = 0, h = 0;
    EXPECT_EQ(decoded_pixels(png, &w, &h), picture);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);

    // BMP carries the colours only: every alpha reads back as 255.
    const std::string bmp = temp_path("out.bmp");
    ASSERT_EQ(xclip_out("image/bmp", bmp), 0);
    const Bytes fromBmp = decoded_pixels(bmp, &w, &h);
    ASSERT_EQ(fromBmp.size(), picture.size());
    for (std::size_t i = 0; i < picture.size(); ++i)
        EXPECT_EQ(fromBmp[i], i % 4 == 3 ? 255 : picture[i]) << i;
    // The engine's own read takes its own picture without a round trip.
    ASSERT_EQ(MVE_FromClipboard(), 1);
    Bytes staged(picture.size());
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, picture);
    for (const auto& p : {targets, png, bmp}) unlink(p.c_str());
}

TEST_F(ClipboardX11, XclipPngAndBmpPastedByTheEngine)
{
    // Pictures made by PIL, an encoder that is not ours.
    const std::string png = temp_path("pil.png"), bmp = temp_path("pil.bmp");
    const std::string script =
        "from PIL import Image\n"
        "im = Image.new('RGBA', (2, 2))\n"
        "im.putdata([(1, 2, 3, 255), (200, 100, 50, 128), (9, 8, 7, 0), (255, 255, 255, 255)])\n"
        "im.save('" +
        png +
        "')\n"
        "im2 = Image.new('RGB', (2, 1))\n"
        "im2.putdata([(11, 22, 33), (44, 55, 66)])\n"
        "im2.save('" +
        bmp + "')\n";
    const auto made = run_program({"/usr/bin/python3", "-c", script});
    ASSERT_TRUE(made.finished && made.status == 0) << "PIL could not write the pictures";

    xclip_in("image/png", png);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    ASSERT_EQ(MVE_GetNewRGBAWidth(), 2);
    ASSERT_EQ(MVE_GetNewRGBAHeight(), 2);
    Bytes staged(16);
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, (Bytes{1, 2, 3, 255, 200, 100, 50, 128, 9, 8, 7, 0, 255, 255, 255, 255}));

    // A program that offers only image/bmp: the engine falls back to it.
    xclip_in("image/bmp", bmp);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    staged.assign(8, 0);
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, (Bytes{11, 22, 33, 255, 44, 55, 66, 255}));
    unlink(png.c_str());
    unlink(bmp.c_str());
}

TEST_F(ClipboardX11, LargePictureCrossesIncrementallyBothWays)
{
    const int side = 4000;
    const Bytes picture = noisy_picture(side, side);
    const std::vector<std::uint8_t> expectedPng =
        mve::exchange::encode_clipboard_png(picture.data(), side, side);
    // Far larger than one request (at most 1 MB a piece): an incremental transfer.
    ASSERT_GT(expectedPng.size(), std::size_t(4) << 20);

    MVE_RGBA32ToClipboardRect(picture.data(), 0, 0, side, side, 0);
    const std::string out = temp_path("big.png");
    ASSERT_EQ(xclip_out("image/png", out), 0);
    const Bytes got = slurp(out);
    EXPECT_EQ(got.size(), expectedPng.size());
    EXPECT_TRUE(got == Bytes(expectedPng.begin(), expectedPng.end()))
        << "the bytes served differ from the offer";

    // Back again: xclip owns the selection now and sends the same PNG in pieces.
    xclip_in("image/png", out);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    ASSERT_EQ(MVE_GetNewRGBAWidth(), side);
    ASSERT_EQ(MVE_GetNewRGBAHeight(), side);
    Bytes staged(picture.size());
    MVE_GetNewRGBA32(staged.data());
    EXPECT_TRUE(staged == picture) << "the picture read back differs";
    unlink(out.c_str());
}

// A client of the test's own holding the selection and answering (or not)
// one request its own way.
struct FakeOwner {
    enum class Reply { Never, HugeIncr };
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    std::thread thread;
    std::atomic<bool> stop{false};

    explicit FakeOwner(Reply reply)
    {
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), window, CurrentTime);
        XSync(display, False);
        if (reply == Reply::Never) return;
        thread = std::thread([this] {
            while (!stop) {
                while (XPending(display)) {
                    XEvent e;
                    XNextEvent(display, &e);
                    if (e.type != SelectionRequest) continue;
                    const XSelectionRequestEvent& r = e.xselectionrequest;
                    const long claimed = 0x7fffffff;  // 2 GB, beyond what a reader accepts
                    XChangeProperty(display, r.requestor, r.property, XInternAtom(display, "INCR", False), 32,
                                    PropModeReplace, reinterpret_cast<const unsigned char*>(&claimed), 1);
                    XSelectionEvent n{};
                    n.type = SelectionNotify;
                    n.requestor = r.requestor, n.selection = r.selection, n.target = r.target;
                    n.property = r.property, n.time = r.time;
                    XSendEvent(display, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&n));
                    XFlush(display);
                }
                usleep(1000);
            }
        });
    }
    ~FakeOwner()
    {
        stop = true;
        if (thread.joinable()) thread.join();
        XCloseDisplay(display);
    }
};

TEST_F(ClipboardX11, OwnerThatNeverAnswersFailsAfterTheTimeout)
{
    FakeOwner owner(FakeOwner::Reply::Never);
    MVE_SetLastError("");
    const double start = mve::test::now_seconds();
    EXPECT_EQ(MVE_FromClipboard(), 0);
    const double took = mve::test::now_seconds() - start;
    // One conversion is asked; the reader gives up after the stated timeout
    // and does not try the other formats of an owner that stopped answering.
    EXPECT_GE(took, mve::platform::kClipboardTimeoutMs / 1000.0 - 0.05);
    EXPECT_LT(took, mve::platform::kClipboardTimeoutMs / 1000.0 + 2.0);
    EXPECT_STREQ(MVE_GetLastError(), "FromClipBoard Excpt");
}

TEST_F(ClipboardX11, HugeClaimedSizeAndCorruptPngFailCleanly)
{
    // Something staged before: failed reads leave it alone.
    const Bytes before = {5, 6, 7, 255};
    ASSERT_TRUE(mve::exchange::stage_rgba32(mve::engine().exchange.staging, before.data(), 1, 1));
    {
        FakeOwner owner(FakeOwner::Reply::HugeIncr);
        const double start = mve::test::now_seconds();
        EXPECT_EQ(MVE_FromClipboard(), 0);
        EXPECT_LT(mve::test::now_seconds() - start, 1.0) << "a refused size needs no waiting";
    }
    const std::string garbage = temp_path("garbage.png");
    save(garbage,
         Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 1, 2, 3});
    xclip_in("image/png", garbage);
    MVE_SetLastError("");
    EXPECT_EQ(MVE_FromClipboard(), 0);
    EXPECT_STREQ(MVE_GetLastError(), "FromClipBoard Excpt");
    EXPECT_EQ(MVE_FromClipboardIntoEX2(0, 0, 4, 0, 0, 0, 256, 0, 0), 0);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 1);
    Bytes staged(4);
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, before);
    unlink(garbage.c_str());
}

TEST_F(ClipboardX11, EmptyClipboardOnAFreshServer)
{
    mve::test::XvfbServer fresh;
    ASSERT_FALSE(fresh.display().empty());
    MVE_SetLastError("");
    EXPECT_EQ(MVE_FromClipboard(), 0);
    EXPECT_EQ(MVE_GetClipboardPNG(nullptr, 0), 0);
    EXPECT_STREQ(MVE_GetLastError(), "");
}

TEST_F(ClipboardX11, ServerThatGoesAwayLeavesNoHangAndServiceRestarts)
{
    const Bytes picture = {9, 9, 9, 255};
    {
        mve::test::XvfbServer passing;
        ASSERT_FALSE(passing.display().empty());
        MVE_RGBA32ToClipboardRect(picture.data(), 0, 0, 1, 1, 0);
        ASSERT_TRUE(mve::platform::clipboard_service_running(mve::engine().platform));
    }  // that server ends; DISPLAY names the suite's server again
    usleep(200000);
    const double start = mve::test::now_seconds();
    EXPECT_FALSE(mve::platform::clipboard_service_running(mve::engine().platform));
    MVE_FromClipboard();  // whatever the suite's server holds: no crash, no wait
    EXPECT_LT(mve::test::now_seconds() - start, 4.0);
    // A new copy starts a service on the server now named.
    MVE_RGBA32ToClipboardRect(picture.data(), 0, 0, 1, 1, 0);
    EXPECT_TRUE(mve::platform::clipboard_service_running(mve::engine().platform));
    const std::string out = temp_path("again.png");
    ASSERT_EQ(xclip_out("image/png", out), 0);
    int w = 0, h = 0;
    EXPECT_EQ(decoded_pixels(out, &w, &h), picture);
    unlink(out.c_str());
}

// The top-level windows on the server, seen over a connection of the test's own.
std::vector<Window> top_windows()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) return {};
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> list;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        list.assign(children, children + count);
    if (children) XFree(children);
    XCloseDisplay(d);
    return list;
}

TEST_F(ClipboardX11, OwnPictureGivesWayToAnotherOwnerAndConnectionsCloseWithTheCanvas)
{
    const std::vector<Window> before = top_windows();
    const Bytes mine = {10, 20, 30, 255, 40, 50, 60, 128};
    MVE_RGBA32ToClipboardRect(mine.data(), 0, 0, 2, 1, 0);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    Bytes staged(8);
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, mine);
    // The engine's windows: the service's and the reader's, one per connection.
    std::vector<Window> engineWindows;
    for (Window w : top_windows())
        if (std::find(before.begin(), before.end(), w) == before.end()) engineWindows.push_back(w);
    EXPECT_EQ(engineWindows.size(), 2u);

    // Another program takes the selection: the engine's next paste is that
    // program's picture, not the one it still holds.
    const Bytes theirs = {1, 2, 3, 255, 4, 5, 6, 255};
    const std::vector<std::uint8_t> theirPng = mve::exchange::encode_clipboard_png(theirs.data(), 2, 1);
    const std::string path = temp_path("theirs.png");
    save(path, Bytes(theirPng.begin(), theirPng.end()));
    xclip_in("image/png", path);
    ASSERT_EQ(MVE_FromClipboard(), 1);
    MVE_GetNewRGBA32(staged.data());
    EXPECT_EQ(staged, theirs);
    Bytes png(theirPng.size());
    ASSERT_EQ(MVE_GetClipboardPNG(png.data(), static_cast<int>(png.size())), static_cast<int>(png.size()));
    EXPECT_TRUE(png == Bytes(theirPng.begin(), theirPng.end()));

    // Ours again: the PNG is made when the host asks for it.
    MVE_RGBA32ToClipboardRect(mine.data(), 0, 0, 2, 1, 0);
    const int size = MVE_GetClipboardPNG(nullptr, 0);
    ASSERT_GT(size, 0);
    png.assign(size, 0);
    ASSERT_EQ(MVE_GetClipboardPNG(png.data(), size), size);
    int w = 0, h = 0;
    std::uint8_t* block = mve::il::decode_png(png.data(), png.size(), &w, &h);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(block, block + 8), mine);
    mve::il::release_block(block);

    // Both connections close with the canvas, and their windows with them.
    MVE_DeleteImage();
    const std::vector<Window> after = top_windows();
    for (Window w : engineWindows) EXPECT_EQ(std::find(after.begin(), after.end(), w), after.end()) << w;
    unlink(path.c_str());
}

TEST_F(ClipboardX11, DeleteImageAndHostExitGiveTheSelectionUp)
{
    const Bytes picture = {1, 2, 3, 255};
    MVE_RGBA32ToClipboardRect(picture.data(), 0, 0, 1, 1, 0);
    ASSERT_TRUE(mve::platform::clipboard_service_running(mve::engine().platform));
    MVE_DeleteImage();
    EXPECT_FALSE(mve::platform::clipboard_service_running(mve::engine().platform));
    EXPECT_NE(xclip_out("TARGETS", "/dev/null"), 0) << "the selection should have no owner";

    // A host returning from main while the engine owns the selection.
    const auto r = run_program({MVE_CLIPBOARD_OWNER_EXIT}, "", "", 10);
    ASSERT_TRUE(r.finished) << "the host did not end within 10 s";
    EXPECT_EQ(r.status, 0);
    EXPECT_LT(r.seconds, 5.0);
    EXPECT_NE(xclip_out("TARGETS", "/dev/null"), 0) << "the selection should have no owner";
}

TEST_F(ClipboardX11, ScreenCaptureShowsAWindowOfKnownColour)
{
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    // 0x336699 in the 24-bit TrueColor of the Xvfb screen.
    const Window win = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 20, 30, 10, 0, 0, 0x336699);
    XMapWindow(d, win);
    XSync(d, False);
    usleep(100000);
    for (auto route : {mve::platform::CaptureRoute::Any, mve::platform::CaptureRoute::PlainGetImage}) {
        mve::platform::ScreenPicture shot;
        ASSERT_TRUE(mve::platform::capture_screen(shot, route));
        ASSERT_EQ(shot.width, 640);
        ASSERT_EQ(shot.height, 480);
        for (auto [x, y] : {std::pair{10, 20}, std::pair{39, 29}, std::pair{25, 25}}) {
            const unsigned char* p = &shot.rgba[(static_cast<std::size_t>(y) * 640 + x) * 4];
            EXPECT_EQ(p[0], 0x33) << x << "," << y;
            EXPECT_EQ(p[1], 0x66);
            EXPECT_EQ(p[2], 0x99);
            EXPECT_EQ(p[3], 255);
        }
    }
    // Into the staging image, and onto the 4 x 3 layer at (0, 0).
    ASSERT_EQ(MVE_ScreenCapture(), 1);
    EXPECT_EQ(MVE_GetNewRGBAWidth(), 640);
    EXPECT_EQ(MVE_GetNewRGBAHeight(), 480);
    XMoveWindow(d, win, 0, 0);
    XSync(d, False);
    usleep(100000);
    ASSERT_EQ(MVE_ScreenCaptureInto(), 1);
    std::vector<unsigned short> layer(4 * 3 * 4);
    MVE_GetLayerData(layer.data(), 1);
    EXPECT_EQ(layer[0], 0x3300);
    EXPECT_EQ(layer[1], 0x6600);
    EXPECT_EQ(layer[2], 0x9900);
    EXPECT_EQ(layer[3], 0xFF00);
    XCloseDisplay(d);
}

}  // namespace

#endif  // MVE_WITH_X11
