// XRandR screen changes on a display of the test's own reach the host as
// the display-changed flag, once per change.
#include <gtest/gtest.h>
#include <unistd.h>

#if MVE_WITH_X11

#include "morvane/morvane.h"
#include "platform/display_change.h"
#include "support/xvfb_server.h"

// Xlib's macros (None, Bool, Status) would break gtest's headers: last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// Changes the screen's physical size (the pixel size stays): the server
// sends every client that listens a screen-change notice.
void change_screen(Display* d, int mmWidth)
{
    const int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
    XRRSetScreenSize(d, DefaultRootWindow(d), w, h, mmWidth, mmWidth * h / w);
    XSync(d, False);
}

TEST(DisplayChange, XrandrScreenChangesSetTheFlagOnce)
{
    mve::test::XvfbServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    Display* d = XOpenDisplay(server.display().c_str());
    ASSERT_TRUE(d);
    MVE_IsDisplayChanged();  // opens the listener on the new display, starts clear
    EXPECT_EQ(MVE_IsDisplayChanged(), 0);
    change_screen(d, 160);
    // The notice travels through the server; the listener reads what arrived.
    int seen = 0;
    for (int i = 0; i < 200 && !seen; ++i) {
        seen = MVE_IsDisplayChanged();
        if (!seen) usleep(10000);
    }
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(MVE_IsDisplayChanged(), 0);
    change_screen(d, 200);
    seen = 0;
    for (int i = 0; i < 200 && !seen; ++i) {
        seen = MVE_IsDisplayChanged();
        if (!seen) usleep(10000);
    }
    EXPECT_EQ(seen, 1);
    XCloseDisplay(d);
}

TEST(DisplayChange, ServerGoingAwayLeavesTheProcessRunning)
{
    {
        mve::test::XvfbServer server;
        ASSERT_FALSE(server.display().empty());
        MVE_IsDisplayChanged();
    }
    // DISPLAY is back to what it was; the dead connection is dropped quietly.
    EXPECT_EQ(MVE_IsDisplayChanged(), 0);
    mve::platform::stop_display_listener();
}

}  // namespace

#endif  // MVE_WITH_X11
