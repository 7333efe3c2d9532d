// The XInput2 tablet driver: the five entry points the engine loads, on an X
// connection of its own. A context selects motion events of every pen device
// (a pointer with an "Abs Pressure" valuator) on the host's window (the root
// window when none is given) and queues one packet per event; the events are
// drained from the connection whenever the engine asks for packets, so no
// thread is needed.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pen_queue.h"

#define MVE_DRIVER_API extern "C" __attribute__((visibility("default")))

namespace mve::xi2 {
namespace {

struct Connection {
    Display* display = nullptr;
    int opcode = 0;  // XInputExtension's major opcode
};

struct Context {
    Connection x;
    Window window = 0;
    bool enabled = true;
    std::vector<Pen> pens;
    PacketQueue queue;
};

// The driver's open contexts: handles from elsewhere are refused.
std::vector<Context*>& open_contexts()
{
    static std::vector<Context*> contexts;
    return contexts;
}

Context* find_context(void* handle)
{
    auto& all = open_contexts();
    auto it = std::find(all.begin(), all.end(), static_cast<Context*>(handle));
    return it == all.end() ? nullptr : *it;
}

// X errors on our connection (a bad window id from the host) are noted, not
// fatal; errors of other connections go to the handler that was there.
Display* g_trapDisplay = nullptr;
bool g_trapped = false;
XErrorHandler g_previousHandler = nullptr;

int trap_error(Display* display, XErrorEvent* event)
{
    if (display == g_trapDisplay) {
        g_trapped = true;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display)
    {
        XSync(display, False);
        g_trapDisplay = display;
        g_trapped = false;
        g_previousHandler = XSetErrorHandler(trap_error);
    }
    ~ErrorTrap()
    {
        XSync(g_trapDisplay, False);
        XSetErrorHandler(g_previousHandler);
        g_trapDisplay = nullptr;
    }
    // True when a request since the trap was set failed.
    bool failed()
    {
        XSync(g_trapDisplay, False);
        return g_trapped;
    }
};

// The default display, with XInput 2.0 or newer.
bool connect(Connection& c)
{
    c.display = XOpenDisplay(nullptr);
    if (!c.display) return false;
    int event = 0, error = 0, major = 2, minor = 0;
    if (XQueryExtension(c.display, "XInputExtension", &c.opcode, &event, &error) &&
        XIQueryVersion(c.display, &major, &minor) == Success)
        return true;
    XCloseDisplay(c.display);
    c.display = nullptr;
    return false;
}

void disconnect(Connection& c)
{
    if (c.display) XCloseDisplay(c.display);
    c.display = nullptr;
}

std::vector<Pen> find_pens(Display* display)
{
    std::vector<Pen> pens;
    const Atom pressure = XInternAtom(display, "Abs Pressure", True);
    if (pressure == None) return pens;  // no device has ever named the axis
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& d = devices[i];
        if (!d.enabled || (d.use != XISlavePointer && d.use != XIFloatingSlave)) continue;
        for (int k = 0; k < d.num_classes; ++k) {
            if (d.classes[k]->type != XIValuatorClass) continue;
            auto* v = reinterpret_cast<const XIValuatorClassInfo*>(d.classes[k]);
            if (v->label != pressure) continue;
            Pen pen;
            pen.deviceId = d.deviceid;
            pen.pressureNumber = v->number;
            pen.pressureMin = v->min;
            pen.pressureMax = v->max;
            pen.eraser = is_eraser_name(d.name);
            pens.push_back(pen);
            break;
        }
    }
    if (devices) XIFreeDeviceInfo(devices);
    return pens;
}

// Motion of every pen on the context's window, and device changes on the root.
bool select_events(Context& c)
{
    std::vector<unsigned char> bits(XIMaskLen(XI_LASTEVENT), 0);
    std::vector<XIEventMask> masks;
    XISetMask(bits.data(), XI_Motion);
    for (const Pen& pen : c.pens) masks.push_back({pen.deviceId, int(bits.size()), bits.data()});
    std::vector<unsigned char> hierarchy(XIMaskLen(XI_LASTEVENT), 0);
    XISetMask(hierarchy.data(), XI_HierarchyChanged);
    XIEventMask rootMask{XIAllDevices, int(hierarchy.size()), hierarchy.data()};

    ErrorTrap trap(c.x.display);
    if (!masks.empty()) XISelectEvents(c.x.display, c.window, masks.data(), int(masks.size()));
    XISelectEvents(c.x.display, DefaultRootWindow(c.x.display), &rootMask, 1);
    return !trap.failed();
}

void handle_motion(Context& c, const XIDeviceEvent& e)
{
    for (Pen& pen : c.pens)
        if (pen.deviceId == e.deviceid) {
            if (c.enabled)
                c.queue.push(make_packet(pen, e.root_x, e.root_y, e.valuators.mask, e.valuators.mask_len,
                                         e.valuators.values));
            return;
        }
}

// Moves every pending event of the connection into the queue.
void drain_events(Context& c)
{
    while (XPending(c.x.display)) {
        XEvent event;
        XNextEvent(c.x.display, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != c.x.opcode) continue;
        if (!XGetEventData(c.x.display, &cookie)) continue;
        if (cookie.evtype == XI_Motion) {
            handle_motion(c, *static_cast<const XIDeviceEvent*>(cookie.data));
        } else if (cookie.evtype == XI_HierarchyChanged) {
            c.pens = find_pens(c.x.display);  // a pen plugged in or removed
            select_events(c);
        }
        XFreeEventData(c.x.display, &cookie);
    }
}

unsigned device_pressure_axis(void* output)
{
    Connection x;
    if (!connect(x)) return 0;
    const std::vector<Pen> pens = find_pens(x.display);
    disconnect(x);
    if (pens.empty()) return 0;
    if (output) {
        const MveTabletAxis axis = pressure_axis(pens.front());
        std::memcpy(output, &axis, sizeof axis);
    }
    return sizeof(MveTabletAxis);
}

unsigned default_context(void* output)
{
    Connection x;
    if (!connect(x)) return 0;
    MveTabletContext c{};
    std::strncpy(c.name, "XInput2 pen", sizeof c.name - 1);
    c.options = MVE_CXO_SYSTEM;
    c.pktData = c.moveMask = MVE_PK_STATUS | MVE_PK_X | MVE_PK_Y | MVE_PK_NORMAL_PRESSURE;
    const int screen = DefaultScreen(x.display);
    c.sysExtX = c.outExtX = DisplayWidth(x.display, screen);
    c.sysExtY = DisplayHeight(x.display, screen);
    c.outExtY = -c.sysExtY;
    disconnect(x);
    if (output) std::memcpy(output, &c, sizeof c);
    return sizeof(MveTabletContext);
}

}  // namespace
}  // namespace mve::xi2

using namespace mve::xi2;

MVE_DRIVER_API unsigned WTInfoA(unsigned category, unsigned index, void* output)
{
    if (category == 0) return 1;  // the driver is present
    if (category == MVE_WTI_DEVICES && index == MVE_DVC_NPRESSURE) return device_pressure_axis(output);
    if (category == MVE_WTI_DEFCONTEXT && index == 0) return default_context(output);
    return 0;
}

MVE_DRIVER_API void* WTOpenA(void* window, MveTabletContext*, int enable)
{
    auto* c = new Context;
    c->enabled = enable != 0;
    if (connect(c->x)) {
        c->pens = find_pens(c->x.display);
        c->window = window ? Window(reinterpret_cast<uintptr_t>(window)) : DefaultRootWindow(c->x.display);
        if (!c->pens.empty() && select_events(*c)) {
            open_contexts().push_back(c);
            return c;
        }
    }
    disconnect(c->x);
    delete c;
    return nullptr;
}

MVE_DRIVER_API int WTQueueSizeSet(void* handle, int packets)
{
    Context* c = find_context(handle);
    return c ? c->queue.set_size(packets) : 0;
}

MVE_DRIVER_API int WTPacketsGet(void* handle, int maxPackets, void* packets)
{
    Context* c = find_context(handle);
    if (!c || maxPackets <= 0) return 0;
    drain_events(*c);
    return c->queue.take(maxPackets, static_cast<MveTabletPacket*>(packets));
}

MVE_DRIVER_API int WTClose(void* handle)
{
    Context* c = find_context(handle);
    if (!c) return 0;
    auto& all = open_contexts();
    all.erase(std::find(all.begin(), all.end(), c));
    disconnect(c->x);
    delete c;
    return 1;
}

MVE_DRIVER_API int MveClientToScreen(void* window, int* x, int* y)
{
    if (!window || !x || !y || open_contexts().empty()) return 0;
    Display* display = open_contexts().back()->x.display;
    int screenX = 0, screenY = 0;
    Window child = 0;
    ErrorTrap trap(display);
    const Bool same = XTranslateCoordinates(display, Window(reinterpret_cast<uintptr_t>(window)),
                                            DefaultRootWindow(display), *x, *y, &screenX, &screenY, &child);
    if (trap.failed() || !same) return 0;
    *x = screenX;
    *y = screenY;
    return 1;
}
