// Tablet input: the driver library, the one open context and the packets of
// the last read. The start value is the default-constructed record.
#pragma once

#include <array>
#include <string>

#include "morvane/tablet_driver.h"

namespace mve {

inline constexpr int kTabletPackets = 256;

// The driver library and its entry points, each resolved on its first use.
struct TabletDriver {
    std::string hostPath;  // chosen by the host; empty: environment, then ours
    void* library = nullptr;
    MveWTInfoAFn info = nullptr;
    MveWTOpenAFn open = nullptr;
    MveWTQueueSizeSetFn queueSizeSet = nullptr;
    MveWTPacketsGetFn packetsGet = nullptr;
    MveWTCloseFn close = nullptr;
    MveClientToScreenFn clientToScreen = nullptr;
};

struct TabletState {
    TabletDriver driver;
    void* context = nullptr;  // null: no open context
    void* window = nullptr;   // the host window given to the last open

    // Normal-pressure axis of the device; scale = 100 / range (0 for an empty range).
    int axisMin = 0;
    int axisMax = 0;
    float scale = 0.0f;

    std::array<MveTabletPacket, kTabletPackets> packets{};
    int count = 0;  // packets of the last read, 0..kTabletPackets

    int lastPressure = 100;
    int originX = 0;  // screen position of the host window's client area
    int originY = 0;
};

// The tablet record of the engine record.
TabletState& tablet_state() noexcept;

}  // namespace mve
