// The X-free half of the XInput2 tablet driver: what makes a device a pen,
// how one motion event becomes a packet, and the packet queue the engine
// drains. Kept apart from Xlib so that it can be tested without a display.
#pragma once

#include <cstdint>
#include <deque>

#include "morvane/tablet_driver.h"

namespace mve::xi2 {

// A pen device: a pointer with an "Abs Pressure" valuator.
struct Pen {
    int deviceId = 0;
    int pressureNumber = -1;  // index of the pressure valuator
    double pressureMin = 0.0;
    double pressureMax = 0.0;
    bool eraser = false;  // the eraser end (or an eraser tool device)
    uint32_t lastPressure = 0;  // events carry only the valuators that changed
};

// Drivers name the eraser end's device after it ("... Pen eraser", "... Eraser").
bool is_eraser_name(const char* name);

// The pressure axis reported for the pens: the first pen's.
MveTabletAxis pressure_axis(const Pen& pen);

// One motion event of pen: root position in screen pixels and the event's
// valuators (mask bytes, and one value per set bit in bit order).
MveTabletPacket make_packet(Pen& pen, double rootX, double rootY, const unsigned char* mask, int maskBytes,
                            const double* values);

// Packets waiting for the engine, oldest first. When full, the oldest packet
// gives way: the pen's latest position matters most to a painting host.
class PacketQueue {
public:
    static constexpr int kDefaultSize = 256;
    static constexpr int kMaxSize = 4096;

    // Non-zero when size is accepted (1..kMaxSize); the oldest extra packets go.
    int set_size(int size);
    void push(const MveTabletPacket& packet);
    // Moves up to max of the oldest packets into out (dropped when out is null).
    int take(int max, MveTabletPacket* out);
    int size() const { return int(packets_.size()); }

private:
    void trim();
    std::deque<MveTabletPacket> packets_;
    int capacity_ = kDefaultSize;
};

}  // namespace mve::xi2
