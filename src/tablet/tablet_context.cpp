// The tablet context: opening it on the driver for the host's window, its
// client origin, closing it, and reading the driver's queue into the packet
// buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/guard.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "tablet/tablet.h"

namespace mve {

TabletState& tablet_state() noexcept { return engine().tablet; }

}  // namespace mve

namespace mve::tablet {

namespace {

constexpr const char* kContextName = "morvane tablet context";
constexpr uint32_t kPacketData = MVE_PK_STATUS | MVE_PK_X | MVE_PK_Y | MVE_PK_NORMAL_PRESSURE;  // 0x582
constexpr int kDiscardMax = 1000;

// A driver's count taken as a count of packets in the buffer.
int clamp_count(int n) { return std::clamp(n, 0, kTabletPackets); }

void set_pressure_range(TabletState& s, const MveTabletAxis& axis)
{
    s.axisMin = axis.min;
    s.axisMax = axis.max;
    // An empty or inverted range would divide by zero or turn pressure
    // negative: such an axis gives no pressure (every packet reads 1).
    const int64_t range = int64_t(axis.max) - axis.min;
    s.scale = range > 0 ? 100.0f / float(range) : 0.0f;
}

// The driver's default context, set to report status, position and pressure
// in screen pixels with y growing downward.
MveTabletContext make_context(TabletState& s)
{
    MveTabletContext c{};
    driver_info(s, MVE_WTI_DEFCONTEXT, 0, &c);
    std::memset(c.name, 0, sizeof c.name);
    std::strncpy(c.name, kContextName, sizeof c.name - 1);
    c.options = MVE_CXO_SYSTEM;
    c.pktData = kPacketData;
    c.pktMode = 0;
    c.moveMask = kPacketData;
    c.btnUpMask = c.btnDnMask;
    c.outOrgX = 0;
    c.outOrgY = 0;
    c.outExtX = c.sysExtX;
    c.outExtY = -c.sysExtY;
    return c;
}

}  // namespace

int init_tablet(TabletState& s, void* window)
{
    if (s.context) close_tablet(s);  // a second open must not lose the first context
    s.window = window;
    MveTabletAxis axis{};
    if (!driver_info(s, MVE_WTI_DEVICES, MVE_DVC_NPRESSURE, &axis)) return 0;
    set_pressure_range(s, axis);
    MveTabletContext context = make_context(s);
    s.context = driver_open(s, window, &context, 1);
    // A refused context is a failed open, whatever the device query said.
    if (!s.context) return 0;
    return driver_queue_size_set(s, s.context, kTabletPackets);
}

int close_tablet(TabletState& s)
{
    if (!s.context) return 0;
    const int result = driver_close(s, s.context);
    s.context = nullptr;
    s.count = 0;
    return result;
}

int set_tablet_origin(TabletState& s)
{
    if (!s.context) return 0;
    int x = 0, y = 0;
    const int result = driver_client_to_screen(s, s.window, &x, &y);
    if (result) {
        s.originX = x;
        s.originY = y;
    }
    return result;
}

int reset_tablet_pressure(TabletState& s)
{
    s.lastPressure = 10;
    if (!s.context) return 0;
    return std::max(0, driver_packets_get(s, s.context, kDiscardMax, nullptr));
}

int read_tablet_packets(TabletState& s)
{
    s.count = 0;
    if (s.context) s.count = clamp_count(driver_packets_get(s, s.context, kTabletPackets, s.packets.data()));
    return s.count;
}

}  // namespace mve::tablet

using namespace mve;

extern "C" {

MVE_API int MVE_InitTablet(void* window)
{
    return guarded("InitTablet Excpt", 0, [&] { return tablet::init_tablet(tablet_state(), window); });
}

MVE_API int MVE_SetTabletOrigin(void)
{
    return guarded("SetTabletOrigin Excpt", 0, [&] { return tablet::set_tablet_origin(tablet_state()); });
}

MVE_API int MVE_CloseTablet(void)
{
    return guarded("CloseTablet Excpt", 0, [&] { return tablet::close_tablet(tablet_state()); });
}

MVE_API int MVE_ResetTabletPressure(void)
{
    return guarded("ResetTabletPressure Excpt", 0, [&] { return tablet::reset_tablet_pressure(tablet_state()); });
}

MVE_API int MVE_ReadTabletPackets(void)
{
    return guarded("ReadTabletPackets Excpt", 0, [&] { return tablet::read_tablet_packets(tablet_state()); });
}

MVE_API void MVE_SetTabletDriver(const char* path)
{
    guarded("SetTabletDriver Excpt", [&] { tablet::set_driver_path(tablet_state(), path); });
}

}  // extern "C"
