// Reading the CLIPBOARD selection over a display connection of its own, and
// the protocol-error handler shared by our connections.
//
// The reader first asks the server who owns the selection: when that is our
// own window nothing is transferred. Otherwise it asks the owner to convert
// the selection to image/png, then image/bmp, then image/jpeg, onto a
// property of a window of ours, and waits for the answer at most
// kClipboardTimeoutMs per step, sleeping in poll() on the connection. An
// INCR answer is collected piece by piece (each piece read and deleted, an
// empty piece ends it); a claimed or collected size above kMaxClipboardBytes
// fails.
#if defined(MVE_WITH_X11)

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/socket.h>

#include <unistd.h>
#include <chrono>
#include <cstring>
#include <iterator>
#include <mutex>
#include <set>
#include <vector>

#include "platform/clipboard_x11.h"

namespace mve::platform {

namespace {

std::mutex handlerLock;
std::set<Display*> ourDisplays;
// Connections Xlib found broken while reading events. It cannot close them
// (XCloseDisplay waits forever for the event reader that never finished), so
// they are kept here with their socket closed. The list is never destroyed:
// it must outlive the static destructors, as the leak checker runs after them.
std::vector<Display*>& lost_displays()
{
    static auto* lost = new std::vector<Display*>;
    return *lost;
}
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIoHandler = nullptr;

int on_x_error(Display* d, XErrorEvent* e)
{
    XErrorHandler forward = nullptr;
    {
        std::lock_guard<std::mutex> hold(handlerLock);
        if (ourDisplays.count(d)) return 0;  // a reader that went away: its request simply fails
        forward = previousHandler;
    }
    return forward ? forward(d, e) : 0;
}

// A lost connection of ours: Xlib's default handler would end the process;
// ours returns, and the display's exit handler marks the connection lost.
int on_x_io_error(Display* d)
{
    XIOErrorHandler forward = nullptr;
    {
        std::lock_guard<std::mutex> hold(handlerLock);
        if (ourDisplays.count(d)) return 0;
        forward = previousIoHandler;
    }
    return forward ? forward(d) : 0;
}

void on_io_exit(Display*, void* lost)
{
    *static_cast<bool*>(lost) = true;
}

using Clock = std::chrono::steady_clock;

}  // namespace

// The reading connection with its window, its property and the atoms it uses.
struct SelectionReader::Impl {
    Display* display = nullptr;
    Window window = 0;
    Atom selection = 0, property = 0, incr = 0;
    Atom targets[3] = {0, 0, 0};
    bool lost = false;

    ~Impl()
    {
        if (!display) return;
        if (!lost) XDestroyWindow(display, window);
        close_x11_display(display, lost);
    }

    // Waits for an event `match` accepts, at most the timeout from now.
    template <class Match>
    bool wait_for(XEvent& event, Match match)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kClipboardTimeoutMs);
        while (!lost) {
            if (x11_server_hung_up(display)) return false;  // closed as usual later
            while (!lost && XPending(display) > 0) {
                XNextEvent(display, &event);
                if (match(event)) return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || lost) return false;
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            poll(&p, 1, static_cast<int>(left));
        }
        return false;
    }

    // The whole property, deleted after reading. False when it cannot be read.
    bool take_property(Atom& type, std::vector<std::uint8_t>& bytes, bool append)
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 0x1fffffff, True, AnyPropertyType, &actualType,
                               &format, &count, &after, &data) != Success ||
            lost)
            return false;
        type = actualType;
        const std::size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
        const std::size_t n = data ? count * unit : 0;
        bool ok = after == 0 && bytes.size() + n <= kMaxClipboardBytes;
        if (ok && type == incr && n >= sizeof(long)) {
            long claimed = 0;
            std::memcpy(&claimed, data, sizeof claimed);
            ok = claimed >= 0 && static_cast<unsigned long>(claimed) <= kMaxClipboardBytes;
            bytes.clear();
        } else if (ok) {
            if (!append) bytes.clear();
            bytes.insert(bytes.end(), data, data + n);
        }
        if (data) XFree(data);
        return ok;
    }

    // Collects an incremental transfer after its INCR property was deleted.
    bool take_pieces(std::vector<std::uint8_t>& bytes)
    {
        bytes.clear();
        for (;;) {
            XEvent event;
            const bool arrived = wait_for(event, [&](const XEvent& e) {
                return e.type == PropertyNotify && e.xproperty.window == window &&
                       e.xproperty.atom == property && e.xproperty.state == PropertyNewValue;
            });
            if (!arrived) return false;
            const std::size_t before = bytes.size();
            Atom type = None;
            if (!take_property(type, bytes, true)) return false;
            if (bytes.size() == before) return true;  // the empty piece ends the transfer
        }
    }

    // One conversion. Ok with bytes, Empty when the owner refuses the target,
    // Failed when it does not answer or the answer is unusable.
    X11Read convert(Atom selection, Atom target, std::vector<std::uint8_t>& bytes)
    {
        XConvertSelection(display, selection, target, property, window, CurrentTime);
        XFlush(display);
        XEvent event;
        const bool answered = wait_for(event, [&](const XEvent& e) {
            return e.type == SelectionNotify && e.xselection.requestor == window &&
                   e.xselection.selection == selection;
        });
        if (!answered) return X11Read::Failed;
        if (event.xselection.property == None) return X11Read::Empty;
        Atom type = None;
        if (!take_property(type, bytes, false)) return X11Read::Failed;
        if (type == incr) return take_pieces(bytes) ? X11Read::Ok : X11Read::Failed;
        return bytes.empty() ? X11Read::Empty : X11Read::Ok;
    }
};

namespace {

// What the reader asks for, in order of preference.
constexpr struct {
    const char* name;
    ClipboardFormat format;
} kTargets[] = {{"image/png", ClipboardFormat::Png},
                {"image/bmp", ClipboardFormat::Bmp},
                {"image/jpeg", ClipboardFormat::Jpeg}};

}  // namespace

void install_x11_error_handler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::lock_guard<std::mutex> hold(handlerLock);
        previousHandler = XSetErrorHandler(on_x_error);
        previousIoHandler = XSetIOErrorHandler(on_x_io_error);
    });
}

bool x11_server_hung_up(void* display) noexcept
{
    char byte = 0;
    return recv(ConnectionNumber(static_cast<Display*>(display)), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

void close_x11_display(void* display, bool lost)
{
    Display* d = static_cast<Display*>(display);
    if (!lost) XCloseDisplay(d);
    std::lock_guard<std::mutex> hold(handlerLock);
    ourDisplays.erase(d);
    if (lost) {
        close(ConnectionNumber(d));
        lost_displays().push_back(d);
    }
}

void track_x11_display(void* display, bool ours)
{
    std::lock_guard<std::mutex> hold(handlerLock);
    if (ours)
        ourDisplays.insert(static_cast<Display*>(display));
    else
        ourDisplays.erase(static_cast<Display*>(display));
}

std::unique_ptr<SelectionReader> SelectionReader::open()
{
    install_x11_error_handler();
    auto impl = std::make_unique<Impl>();
    Display* d = XOpenDisplay(nullptr);
    if (!d) return nullptr;
    impl->display = d;
    track_x11_display(d, true);
    XSetIOErrorExitHandler(d, on_io_exit, &impl->lost);
    impl->window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, impl->window, PropertyChangeMask);
    impl->selection = XInternAtom(d, "CLIPBOARD", False);
    impl->property = XInternAtom(d, "MVE_CLIPBOARD", False);
    impl->incr = XInternAtom(d, "INCR", False);
    for (std::size_t i = 0; i < std::size(kTargets); ++i)
        impl->targets[i] = XInternAtom(d, kTargets[i].name, False);
    return std::unique_ptr<SelectionReader>(new SelectionReader(std::move(impl)));
}

SelectionReader::SelectionReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SelectionReader::~SelectionReader() = default;

bool SelectionReader::alive() const noexcept
{
    return !impl_->lost && !x11_server_hung_up(impl_->display);
}

X11Read SelectionReader::read(unsigned long ourWindow, ClipboardContent& out)
{
    Impl& r = *impl_;
    if (!alive()) return X11Read::Failed;
    // Earlier reads left the events of their own property changes queued.
    while (XPending(r.display) > 0 && !r.lost) {
        XEvent stale;
        XNextEvent(r.display, &stale);
    }
    const Window owner = XGetSelectionOwner(r.display, r.selection);
    if (r.lost) return X11Read::Failed;
    if (owner == None) return X11Read::Empty;
    if (ourWindow != 0 && owner == ourWindow) return X11Read::Ours;
    for (std::size_t i = 0; i < std::size(kTargets); ++i) {
        const X11Read got = r.convert(r.selection, r.targets[i], out.bytes);
        if (got == X11Read::Ok) out.format = kTargets[i].format;
        if (got != X11Read::Empty) return got;  // a picture, or an owner that stopped answering
    }
    return X11Read::Empty;
}

}  // namespace mve::platform

#endif  // MVE_WITH_X11
