// The scripted tablet driver. Built twice: complete, and without WTOpenA (a
// driver lacking an entry point).
#include "tablet/fake_driver.h"

#include <algorithm>
#include <deque>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

FakeTablet g_fake;
std::deque<MveTabletPacket> g_queue;
char g_context;  // its address is the one context handle

}  // namespace

FAKE_API FakeTablet* FakeTabletState(void) { return &g_fake; }

FAKE_API void FakeTabletReset(void)
{
    g_fake = FakeTablet{};
    g_queue.clear();
}

FAKE_API void FakeTabletQueue(unsigned status, int x, int y, unsigned pressure)
{
    g_queue.push_back({status, x, y, pressure});
}

FAKE_API int FakeTabletQueued(void) { return int(g_queue.size()); }

FAKE_API unsigned WTInfoA(unsigned category, unsigned index, void* output)
{
    if (category == MVE_WTI_DEVICES && index == MVE_DVC_NPRESSURE && g_fake.hasPen) {
        auto* axis = static_cast<MveTabletAxis*>(output);
        axis->min = g_fake.axisMin;
        axis->max = g_fake.axisMax;
        return sizeof *axis;
    }
    if (category == MVE_WTI_DEFCONTEXT && index == 0) {
        auto* c = static_cast<MveTabletContext*>(output);
        *c = MveTabletContext{};
        c->pktData = 0xFFFF;  // defaults the engine must replace
        c->outExtX = c->outExtY = 1;
        c->btnDnMask = g_fake.buttonDownMask;
        c->btnUpMask = 0;
        c->sysExtX = g_fake.screenWidth;
        c->sysExtY = g_fake.screenHeight;
        return sizeof *c;
    }
    return 0;
}

#ifndef FAKE_TABLET_WITHOUT_OPEN
FAKE_API void* WTOpenA(void* window, MveTabletContext* context, int enable)
{
    ++g_fake.opens;
    g_fake.openWindow = window;
    g_fake.openEnable = enable;
    g_fake.openContext = *context;
    return g_fake.refuseOpen ? nullptr : &g_context;
}
#endif

FAKE_API int WTQueueSizeSet(void* context, int packets)
{
    if (context != &g_context) return 0;
    g_fake.queueSize = packets;
    return g_fake.queueSizeResult;
}

FAKE_API int WTPacketsGet(void* context, int maxPackets, void* packets)
{
    if (context != &g_context) return 0;
    const int n = std::min<int>(std::max(maxPackets, 0), int(g_queue.size()));
    auto* out = static_cast<MveTabletPacket*>(packets);
    for (int i = 0; i < n; ++i) {
        if (out) out[i] = g_queue.front();
        g_queue.pop_front();
    }
    return g_fake.countLie ? g_fake.countLie : n;
}

FAKE_API int WTClose(void* context)
{
    if (context != &g_context) return 0;
    ++g_fake.closes;
    return 1;
}

FAKE_API int MveClientToScreen(void*, int* x, int* y)
{
    if (!g_fake.originResult) return 0;
    *x += g_fake.originX;
    *y += g_fake.originY;
    return g_fake.originResult;
}
