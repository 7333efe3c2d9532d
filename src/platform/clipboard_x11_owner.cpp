// The CLIPBOARD selection owner: a window on a display connection of its own
// and a service thread that answers other programs' requests for the picture.
//
// The host's thread never touches this connection: it hands an offer over
// and wakes the thread through a pipe, then waits until the thread has taken
// the selection. The thread answers TARGETS, image/png and image/bmp, sends
// pictures larger than one request in pieces (the INCR protocol: the reader
// deletes the property, we write the next piece, an empty piece ends), gives
// the picture up on SelectionClear, and destroys its window when stopped.
#if defined(MVE_WITH_X11)

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "platform/clipboard_x11.h"

namespace mve::platform {

namespace {

using Clock = std::chrono::steady_clock;

// One incremental transfer to one reader's property.
struct Transfer {
    Window requestor = 0;
    Atom property = 0;
    Atom type = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> data;
    std::size_t sent = 0;
    bool finished = false;  // the empty closing piece has been written
    Clock::time_point lastStep;
};

}  // namespace

struct SelectionOwner::Impl {
    Display* display = nullptr;
    Window window = 0;
    Atom clipboard = 0, targets = 0, pngAtom = 0, bmpAtom = 0, incr = 0, atomType = 0;
    std::size_t pieceBytes = 0;  // largest property written in one request
    int wake[2] = {-1, -1};
    std::thread thread;

    mutable std::mutex lock;
    std::condition_variable answered;
    std::shared_ptr<const ClipboardOffer> pending;  // handed over, not yet owned
    std::shared_ptr<const ClipboardOffer> offer;    // while the selection is ours
    bool ownRequested = false;
    bool ownDone = false, ownOk = false;
    std::atomic<bool> quit{false};
    std::atomic<bool> dead{false};    // the service stopped: its server went away
    std::atomic<bool> broken{false};  // Xlib found the connection broken (it cannot be closed)
    std::list<Transfer> transfers;  // service thread only

    ~Impl();
    void run();
    void take_selection();
    void answer(const XSelectionRequestEvent& request);
    bool send(Window requestor, Atom property, Atom type,
              std::shared_ptr<const std::vector<std::uint8_t>> data);
    void continue_transfer(const XPropertyEvent& event);
    void expire_transfers();
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_for(Atom target);
};

namespace {

// A broken connection (server gone) must not end the host: Xlib calls this
// instead of exit(), and the service then stops.
void on_io_exit(Display*, void* userData)
{
    auto* impl = static_cast<SelectionOwner::Impl*>(userData);
    impl->broken = true;
    impl->dead = true;
}

}  // namespace

std::unique_ptr<SelectionOwner> SelectionOwner::start()
{
    install_x11_error_handler();
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(nullptr);
    if (!impl->display) return nullptr;
    track_x11_display(impl->display, true);
    XSetIOErrorExitHandler(impl->display, on_io_exit, impl.get());
    Display* d = impl->display;
    impl->window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, impl->window, PropertyChangeMask);
    impl->clipboard = XInternAtom(d, "CLIPBOARD", False);
    impl->targets = XInternAtom(d, "TARGETS", False);
    impl->pngAtom = XInternAtom(d, "image/png", False);
    impl->bmpAtom = XInternAtom(d, "image/bmp", False);
    impl->incr = XInternAtom(d, "INCR", False);
    impl->atomType = XA_ATOM;
    // Requests are counted in 4-byte units; leave room for the request header.
    impl->pieceBytes = std::min<std::size_t>(static_cast<std::size_t>(XMaxRequestSize(d)) * 4 - 256, 1 << 20);
    XFlush(d);
    if (pipe2(impl->wake, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<SelectionOwner>(new SelectionOwner(std::move(impl)));
}

SelectionOwner::SelectionOwner(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SelectionOwner::~SelectionOwner() = default;

SelectionOwner::Impl::~Impl()
{
    quit = true;
    if (wake[1] >= 0) {
        const char c = 'q';
        [[maybe_unused]] ssize_t n = write(wake[1], &c, 1);
    }
    if (thread.joinable()) thread.join();
    if (display) {
        if (!dead) XDestroyWindow(display, window);  // the selection goes with the window
        close_x11_display(display, broken);
    }
    for (int fd : wake)
        if (fd >= 0) close(fd);
}

bool SelectionOwner::own(std::shared_ptr<const ClipboardOffer> offer)
{
    Impl& m = *impl_;
    std::unique_lock<std::mutex> hold(m.lock);
    if (m.dead) return false;
    m.pending = std::move(offer);
    m.ownRequested = true;
    m.ownDone = false;
    const char c = 'o';
    [[maybe_unused]] ssize_t n = write(m.wake[1], &c, 1);
    m.answered.wait_for(hold, std::chrono::milliseconds(kClipboardTimeoutMs), [&] { return m.ownDone; });
    return m.ownDone && m.ownOk;
}

std::shared_ptr<const ClipboardOffer> SelectionOwner::current() const
{
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->offer;
}

unsigned long SelectionOwner::window() const noexcept
{
    return impl_->window;
}
bool SelectionOwner::alive() const noexcept
{
    return !impl_->dead;
}

void SelectionOwner::Impl::run()
{
    const int fd = ConnectionNumber(display);
    while (!quit && !dead) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake[0], POLLIN, 0}};
        // Events Xlib already read into its queue (while writing a large
        // property, say) do not make the socket readable: do not sleep on
        // them. Otherwise wake now and then to drop abandoned transfers.
        const int wait = XEventsQueued(display, QueuedAlready) > 0 ? 0 : transfers.empty() ? -1 : 500;
        poll(fds, 2, wait);
        if (fds[1].revents) {
            char buf[16];
            while (read(wake[0], buf, sizeof buf) > 0) {
            }
        }
        if (quit) break;
        bool wantOwn = false;
        {
            std::lock_guard<std::mutex> hold(lock);
            wantOwn = ownRequested;
            ownRequested = false;
        }
        if (wantOwn) take_selection();
        if (x11_server_hung_up(display)) break;  // the service stops; its connection closes as usual
        while (!dead && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            switch (event.type) {
                case SelectionRequest:
                    answer(event.xselectionrequest);
                    break;
                case SelectionClear:
                    if (event.xselectionclear.selection == clipboard) {
                        std::lock_guard<std::mutex> hold(lock);
                        offer.reset();
                    }
                    break;
                case PropertyNotify:
                    continue_transfer(event.xproperty);
                    break;
                default:
                    break;
            }
        }
        expire_transfers();
        XFlush(display);
    }
    dead = true;
    std::lock_guard<std::mutex> hold(lock);
    ownDone = true;  // a waiting own() returns at once
    ownOk = false;
    answered.notify_all();
}

void SelectionOwner::Impl::take_selection()
{
    std::shared_ptr<const ClipboardOffer> next;
    {
        std::lock_guard<std::mutex> hold(lock);
        next = pending;
        pending.reset();
    }
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    const bool ours = XGetSelectionOwner(display, clipboard) == window;
    std::lock_guard<std::mutex> hold(lock);
    if (ours) offer = next;
    ownOk = ours;
    ownDone = true;
    answered.notify_all();
}

// The bytes of a target we serve, or null. They belong to the offer (made
// on the first request for them) and are shared with it, not copied.
std::shared_ptr<const std::vector<std::uint8_t>> SelectionOwner::Impl::bytes_for(Atom target)
{
    std::shared_ptr<const ClipboardOffer> o;
    {
        std::lock_guard<std::mutex> hold(lock);
        o = offer;
    }
    if (!o || (target != pngAtom && target != bmpAtom)) return nullptr;
    const std::vector<std::uint8_t>& bytes = target == pngAtom ? o->png() : o->bmp();
    if (bytes.empty()) return nullptr;
    return std::shared_ptr<const std::vector<std::uint8_t>>(o, &bytes);
}

void SelectionOwner::Impl::answer(const XSelectionRequestEvent& request)
{
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = request.display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    // Old clients name no property: the target's name serves as one.
    const Atom property = request.property != None ? request.property : request.target;
    reply.property = None;
    if (request.selection == clipboard && request.owner == window) {
        if (request.target == targets) {
            std::lock_guard<std::mutex> hold(lock);
            if (offer) {
                Atom list[3] = {targets, pngAtom, bmpAtom};
                XChangeProperty(display, request.requestor, property, atomType, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(list), 3);
                reply.property = property;
            }
        } else if (auto data = bytes_for(request.target)) {
            if (send(request.requestor, property, request.target, std::move(data))) reply.property = property;
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

bool SelectionOwner::Impl::send(Window requestor, Atom property, Atom type,
                                std::shared_ptr<const std::vector<std::uint8_t>> data)
{
    if (data->size() <= pieceBytes) {
        XChangeProperty(display, requestor, property, type, 8, PropModeReplace, data->data(),
                        static_cast<int>(data->size()));
        return true;
    }
    // Incremental: announce the size with an INCR property, then write a piece
    // each time the reader deletes the property.
    for (auto it = transfers.begin(); it != transfers.end(); ++it)
        if (it->requestor == requestor && it->property == property) {
            transfers.erase(it);
            break;
        }
    XSelectInput(display, requestor, PropertyChangeMask);
    const long claimed = static_cast<long>(std::min<std::size_t>(data->size(), 0x7fffffff));
    XChangeProperty(display, requestor, property, incr, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&claimed), 1);
    transfers.push_back(Transfer{requestor, property, type, std::move(data), 0, false, Clock::now()});
    return true;
}

void SelectionOwner::Impl::continue_transfer(const XPropertyEvent& event)
{
    if (event.state != PropertyDelete) return;
    for (auto it = transfers.begin(); it != transfers.end(); ++it) {
        if (it->requestor != event.window || it->property != event.atom) continue;
        if (it->finished) {
            transfers.erase(it);
            XSelectInput(display, event.window, NoEventMask);
            return;
        }
        const std::size_t n = std::min(pieceBytes, it->data->size() - it->sent);
        XChangeProperty(display, it->requestor, it->property, it->type, 8, PropModeReplace,
                        it->data->data() + it->sent, static_cast<int>(n));
        it->sent += n;
        it->finished = n == 0;  // the empty piece just written ends the transfer
        it->lastStep = Clock::now();
        return;
    }
}

void SelectionOwner::Impl::expire_transfers()
{
    const auto limit = Clock::now() - std::chrono::milliseconds(kClipboardTimeoutMs);
    transfers.remove_if([&](const Transfer& t) { return t.lastStep < limit; });
}

}  // namespace mve::platform

#endif  // MVE_WITH_X11
