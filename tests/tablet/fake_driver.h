// A scripted tablet driver for the tests: the engine loads it like any driver
// (dlopen), and the tests load the same library to script it and read what
// the engine asked of it.
#pragma once

#include "morvane/tablet_driver.h"

extern "C" {

struct FakeTablet {
    // Script.
    int hasPen = 1;  // WTInfoA answers the pressure-axis query
    int axisMin = 0, axisMax = 400;
    int screenWidth = 800, screenHeight = 600;  // default context's system extent
    unsigned buttonDownMask = 0x5;
    int refuseOpen = 0;
    int queueSizeResult = 1;
    int countLie = 0;  // non-zero: WTPacketsGet returns this whatever it wrote
    int originX = 0, originY = 0, originResult = 1;

    // What the engine did.
    int opens = 0, closes = 0;
    void* openWindow = nullptr;
    int openEnable = -1;
    MveTabletContext openContext{};
    int queueSize = 0;
};

// The script and record (reset to the defaults with FakeTabletReset).
typedef FakeTablet* (*FakeTabletStateFn)(void);
typedef void (*FakeTabletResetFn)(void);
// Appends a packet to the driver's queue.
typedef void (*FakeTabletQueueFn)(unsigned status, int x, int y, unsigned pressure);
typedef int (*FakeTabletQueuedFn)(void);

}  // extern "C"
