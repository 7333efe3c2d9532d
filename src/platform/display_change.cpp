#include "platform/display_change.h"

#include "platform/hidden_window.h"

#if MVE_WITH_X11
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <string>

namespace mve::platform {

namespace {

// The connection is a process resource like the server it talks to: it
// outlives canvases and engine resets, so it is kept here and not in the
// engine record.
struct Listener {
    Display* display = nullptr;
    int eventBase = 0;
    bool lost = false;  // the server went away; the connection is dead
    bool attempted = false;
    std::string displayName;  // DISPLAY at the last attempt
};

Listener& listener()
{
    static Listener l;
    return l;
}

// Xlib calls this when the server connection breaks; returning keeps the
// process alive (the default ends it), and the connection is dropped later.
void on_connection_lost(Display*, void*)
{
    listener().lost = true;
}

// Xlib's I/O error handler is process-wide and its default ends the process
// before the per-connection exit handler is asked. Ours returns for our own
// connection and hands every other connection to the handler it replaced.
XIOErrorHandler g_previousHandler = nullptr;

int on_io_error(Display* d)
{
    if (d == listener().display) {
        listener().lost = true;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(d) : 0;
}

void open_listener(Listener& l, const char* name)
{
    l.attempted = true;
    l.displayName = name;
    l.display = XOpenDisplay(name);
    if (!l.display) return;
    XSetIOErrorExitHandler(l.display, on_connection_lost, nullptr);
    static const bool installed = [] {
        g_previousHandler = XSetIOErrorHandler(on_io_error);
        return true;
    }();
    (void)installed;
    int errorBase = 0;
    if (!XRRQueryExtension(l.display, &l.eventBase, &errorBase)) {
        XCloseDisplay(l.display);
        l.display = nullptr;
        return;
    }
    XRRSelectInput(l.display, DefaultRootWindow(l.display),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    XFlush(l.display);
}

}  // namespace

void stop_display_listener() noexcept
{
    Listener& l = listener();
    // A dead connection is only freed by XCloseDisplay, which then writes nothing.
    if (l.display) XCloseDisplay(l.display);
    l = Listener{};
}

void poll_display_changes() noexcept
{
    Listener& l = listener();
    const char* name = std::getenv("DISPLAY");
    const std::string current = name ? name : "";
    if (l.lost || (l.attempted && current != l.displayName)) stop_display_listener();
    if (!l.attempted) {
        if (current.empty()) return;
        open_listener(l, current.c_str());
    }
    if (!l.display) return;
    while (!l.lost && XPending(l.display) > 0) {
        XEvent event;
        XNextEvent(l.display, &event);
        if (l.lost) break;
        XRRUpdateConfiguration(&event);
        if (event.type == l.eventBase + RRScreenChangeNotify || event.type == l.eventBase + RRNotify)
            hidden_window().displayChanged = 1;
    }
}

}  // namespace mve::platform

#else

namespace mve::platform {

void poll_display_changes() noexcept {}
void stop_display_listener() noexcept {}

}  // namespace mve::platform

#endif
