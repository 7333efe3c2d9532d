// The packets of the last read: pressure scaled to 0..100 (1 at least) with
// the ramp for reads without a packet, raw pressure, status, eraser end and
// position relative to the host window's client area.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/guard.h"
#include "morvane/morvane.h"
#include "tablet/tablet.h"

namespace mve::tablet {

namespace {

// The packet i of the last read, or null when there is no context or i names
// no packet of that read.
const MveTabletPacket* packet(const TabletState& s, int i)
{
    if (!s.context || i < 0 || i >= s.count) return nullptr;
    return &s.packets[i];
}

// trunc(raw * scale) in 32-bit float, held inside int for a driver's garbage.
int scaled_pressure(const TabletState& s, uint32_t raw)
{
    const float p = std::trunc(float(raw) * s.scale);
    if (!(p < float(std::numeric_limits<int>::max()))) return std::numeric_limits<int>::max();
    return int(p);
}

}  // namespace

int read_tablet_pressure(TabletState& s, int i)
{
    if (!s.context) return s.lastPressure;
    const MveTabletPacket* p = packet(s, i);
    if (!p) {
        // No packet: the stored pressure, which then ramps toward full.
        const int last = s.lastPressure;
        s.lastPressure = std::min(100, s.lastPressure + 25);
        return last;
    }
    const int pressure = scaled_pressure(s, p->pressure);
    s.lastPressure = pressure == 0 ? 1 : pressure;
    return s.lastPressure;
}

int read_raw_tablet_pressure(const TabletState& s, int i)
{
    // Any index inside the buffer is read, as the host may read ahead of the
    // count; an index outside it reads nothing.
    if (!s.context || i < 0 || i >= kTabletPackets) return 0;
    return scaled_pressure(s, s.packets[i].pressure);
}

int is_packet_invert(const TabletState& s, int i)
{
    const MveTabletPacket* p = packet(s, i);
    return p && (p->status & MVE_TPS_INVERT) ? 1 : 0;
}

unsigned packet_status(const TabletState& s, int i)
{
    const MveTabletPacket* p = packet(s, i);
    return p ? p->status : 0;
}

int read_tablet_x(const TabletState& s, int i)
{
    const MveTabletPacket* p = packet(s, i);
    return p ? int(int64_t(p->x) - s.originX) : 0;
}

int read_tablet_y(const TabletState& s, int i)
{
    const MveTabletPacket* p = packet(s, i);
    return p ? int(int64_t(p->y) - s.originY) : 0;
}

}  // namespace mve::tablet

using namespace mve;

extern "C" {

MVE_API int MVE_ReadTabletPressure(int index)
{
    return guarded("ReadTabletPressure Excpt", 0, [&] { return tablet::read_tablet_pressure(tablet_state(), index); });
}

MVE_API int MVE_ReadRawTabletPressure(int index)
{
    return guarded("ReadRawTabletPressure Excpt", 0,
                   [&] { return tablet::read_raw_tablet_pressure(tablet_state(), index); });
}

MVE_API int MVE_IsPacketInvert(int index)
{
    return guarded("IsPacketInvert Excpt", 0, [&] { return tablet::is_packet_invert(tablet_state(), index); });
}

MVE_API unsigned int MVE_PacketStatus(int index)
{
    return guarded("PacketStatus Excpt", 0u, [&] { return tablet::packet_status(tablet_state(), index); });
}

MVE_API int MVE_ReadTabletX(int index)
{
    return guarded("ReadTabletX Excpt", 0, [&] { return tablet::read_tablet_x(tablet_state(), index); });
}

MVE_API int MVE_ReadTabletY(int index)
{
    return guarded("ReadTabletY Excpt", 0, [&] { return tablet::read_tablet_y(tablet_state(), index); });
}

}  // extern "C"
