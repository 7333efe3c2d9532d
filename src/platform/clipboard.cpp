// The clipboard's front: chooses between the X selection and the in-process
// store. The store always keeps the last offer, so a host without a display
// (or a display that went away) still finds what it copied.
#include "platform/clipboard.h"

#include <mutex>

#if defined(MVE_WITH_X11)
#include "platform/clipboard_x11.h"
#endif

namespace mve::platform {

namespace {

// Makes an encoding once. A maker that throws (out of memory, say) leaves it
// empty: the service thread must not end on it, and readers take empty as
// "could not be made".
template <class Make>
const std::vector<std::uint8_t>& made_once(std::once_flag& once, std::vector<std::uint8_t>& bytes, Make make)
{
    std::call_once(once, [&] {
        try {
            bytes = make();
        } catch (...) {
            bytes.clear();
        }
    });
    return bytes;
}

}  // namespace

const std::vector<std::uint8_t>& ClipboardOffer::png() const
{
    return made_once(pngMade_, png_, [this] { return make_png(); });
}

const std::vector<std::uint8_t>& ClipboardOffer::bmp() const
{
    return made_once(bmpMade_, bmp_, [this] { return make_bmp(); });
}

struct ClipboardStore {
    std::mutex lock;
    std::shared_ptr<const ClipboardOffer> local;  // the last offer, in-process
    bool inProcessOnly = false;
#if defined(MVE_WITH_X11)
    std::unique_ptr<SelectionOwner> owner;    // running service, or null
    std::unique_ptr<SelectionReader> reader;  // open reading connection, or null
#endif
};

namespace {

ClipboardStore& store_of(PlatformState& p)
{
    if (!p.clipboard) p.clipboard = std::make_shared<ClipboardStore>();
    return *p.clipboard;
}

#if defined(MVE_WITH_X11)
// The running owner, started when a display can be opened. A service whose
// display went away is dropped and a new one tried.
SelectionOwner* running_owner(ClipboardStore& s)
{
    if (s.inProcessOnly) return nullptr;
    if (s.owner && !s.owner->alive()) s.owner.reset();
    if (!s.owner) s.owner = SelectionOwner::start();
    return s.owner.get();
}

// The reading connection, opened on the first read and kept; null without a
// display. One whose server went away is dropped and a new one tried.
SelectionReader* open_reader(ClipboardStore& s)
{
    if (s.reader && !s.reader->alive()) s.reader.reset();
    if (!s.reader) s.reader = SelectionReader::open();
    return s.reader.get();
}
#endif

}  // namespace

bool offer_clipboard(PlatformState& p, std::shared_ptr<const ClipboardOffer> offer)
{
    if (!offer) return false;
    ClipboardStore& s = store_of(p);
    std::lock_guard<std::mutex> hold(s.lock);
    s.local = offer;
#if defined(MVE_WITH_X11)
    if (SelectionOwner* owner = running_owner(s)) return owner->own(std::move(offer));
#endif
    return true;
}

ReadResult read_clipboard(PlatformState& p, ClipboardContent& out)
{
    ClipboardStore& s = store_of(p);
    std::lock_guard<std::mutex> hold(s.lock);
    std::shared_ptr<const ClipboardOffer> mine = s.local;
#if defined(MVE_WITH_X11)
    SelectionReader* reader = s.inProcessOnly ? nullptr : open_reader(s);
    if (reader) {
        if (s.owner && !s.owner->alive()) s.owner.reset();
        const unsigned long ours = s.owner ? s.owner->window() : 0;
        const X11Read got = reader->read(ours, out);
        // An owner that gave up mid-answer may still write to our window:
        // the next read starts on a fresh connection.
        if (got == X11Read::Failed) s.reader.reset();
        switch (got) {
            case X11Read::Ok:
                return ReadResult::Ok;
            case X11Read::Empty:
                return ReadResult::Empty;
            case X11Read::Failed:
                return ReadResult::Failed;
            case X11Read::Ours:
                mine = s.owner ? s.owner->current() : nullptr;
                break;
        }
    }
#endif
    if (!mine) return ReadResult::Empty;
    out.own = std::move(mine);
    return ReadResult::Ok;
}

void stop_clipboard_service(PlatformState& p) noexcept
{
    if (!p.clipboard) return;
#if defined(MVE_WITH_X11)
    std::unique_ptr<SelectionOwner> owner;
    std::unique_ptr<SelectionReader> reader;
    {
        std::lock_guard<std::mutex> hold(p.clipboard->lock);
        owner = std::move(p.clipboard->owner);
        reader = std::move(p.clipboard->reader);
    }
    owner.reset();  // joins outside the lock
    reader.reset();
#endif
}

bool clipboard_service_running(const PlatformState& p) noexcept
{
#if defined(MVE_WITH_X11)
    if (!p.clipboard) return false;
    std::lock_guard<std::mutex> hold(p.clipboard->lock);
    return p.clipboard->owner && p.clipboard->owner->alive();
#else
    (void)p;
    return false;
#endif
}

void set_clipboard_in_process_only(PlatformState& p, bool on) noexcept
{
    ClipboardStore& s = store_of(p);
    {
        std::lock_guard<std::mutex> hold(s.lock);
        s.inProcessOnly = on;
    }
    if (on) stop_clipboard_service(p);
}

}  // namespace mve::platform
