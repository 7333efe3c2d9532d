// The X11 halves of the clipboard: the selection owner with its service
// thread, and the reader. Built only with MVE_WITH_X11.
#pragma once

#include <memory>

#include "platform/clipboard.h"

namespace mve::platform {

class SelectionOwner {
public:
    // Opens its own display connection; null when no display can be opened.
    static std::unique_ptr<SelectionOwner> start();
    ~SelectionOwner();  // gives the selection up and joins the thread

    // Takes the CLIPBOARD selection for `offer`; false when the server did not
    // give it to us within the timeout.
    bool own(std::shared_ptr<const ClipboardOffer> offer);
    // The offer while the selection is ours, else null (another program took it).
    std::shared_ptr<const ClipboardOffer> current() const;
    // Our window's id (the owner reading compares with), 0 when stopped.
    unsigned long window() const noexcept;
    bool alive() const noexcept;

    struct Impl;

private:
    explicit SelectionOwner(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

enum class X11Read { Ok, Empty, Failed, Ours };

// Reads the CLIPBOARD selection over a display connection of its own, kept
// open from one read to the next (opening one costs more than a small read).
class SelectionReader {
public:
    // Null when no display can be opened.
    static std::unique_ptr<SelectionReader> open();
    ~SelectionReader();  // closes the connection

    // The selection's picture. `ourWindow` (0 for none): when the server
    // names it as the owner the result is Ours and nothing is transferred.
    X11Read read(unsigned long ourWindow, ClipboardContent& out);
    // False once the connection's server went away.
    bool alive() const noexcept;

    struct Impl;

private:
    explicit SelectionReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Installs, once, the protocol-error and I/O-error handlers that keep our
// connections' errors (a reader that vanished, a server that went away) from
// ending the process; other connections' errors go to the handlers that were
// there before.
void install_x11_error_handler();
// Marks a connection (a Display*) as ours for that handler, or no longer ours.
void track_x11_display(void* display, bool ours);
// True when the connection's server has closed it (checked on the socket,
// without Xlib). Callers ask before reading events: a connection Xlib finds
// broken while reading events can no longer be closed (XCloseDisplay then
// waits forever), one found broken here can.
bool x11_server_hung_up(void* display) noexcept;
// Closes a connection of ours and stops tracking it. A connection Xlib found
// broken (`lost`) cannot be closed without hanging: its socket is closed and
// its record kept, reachable, until the process ends.
void close_x11_display(void* display, bool lost);

}  // namespace mve::platform
