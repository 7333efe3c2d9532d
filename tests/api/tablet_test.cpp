// Tablet input end to end: the engine loads a driver library with dlopen; the
// tests script the fake driver through the same loaded library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "morvane/morvane.h"
#include "support/xvfb_server.h"
#include "tablet/fake_driver.h"

namespace {

// The fake driver as the tests see it.
struct Fake {
    void* library = dlopen(MVE_FAKE_TABLET_DRIVER, RTLD_NOW);
    FakeTablet* state = reinterpret_cast<FakeTabletStateFn>(dlsym(library, "FakeTabletState"))();
    FakeTabletResetFn reset = reinterpret_cast<FakeTabletResetFn>(dlsym(library, "FakeTabletReset"));
    FakeTabletQueueFn queue = reinterpret_cast<FakeTabletQueueFn>(dlsym(library, "FakeTabletQueue"));
    FakeTabletQueuedFn queued = reinterpret_cast<FakeTabletQueuedFn>(dlsym(library, "FakeTabletQueued"));

    void queue_n(int n, unsigned pressure = 0)
    {
        for (int i = 0; i < n; ++i) queue(0, i, 0, pressure);
    }
};

Fake& fake()
{
    static Fake f;
    return f;
}

// Every reading export at packet index i, as the host sees it without a packet.
void expect_neutral_packet(int i)
{
    EXPECT_EQ(MVE_ReadRawTabletPressure(i), 0) << i;
    EXPECT_EQ(MVE_IsPacketInvert(i), 0) << i;
    EXPECT_EQ(MVE_PacketStatus(i), 0u) << i;
    EXPECT_EQ(MVE_ReadTabletX(i), 0) << i;
    EXPECT_EQ(MVE_ReadTabletY(i), 0) << i;
}

class TabletApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv(MVE_TABLET_DRIVER_ENV);
        MVE_SetTabletDriver(MVE_FAKE_TABLET_DRIVER);
        MVE_CloseTablet();
        fake().reset();
    }
    void TearDown() override { MVE_CloseTablet(); }

    // Opens on the fake with pressure axis min..max.
    void open(int min = 0, int max = 400)
    {
        fake().state->axisMin = min;
        fake().state->axisMax = max;
        ASSERT_NE(MVE_InitTablet(reinterpret_cast<void*>(0x2a)), 0);
        // The origin outlives a context; the fake's client area starts at 0, 0.
        ASSERT_EQ(MVE_SetTabletOrigin(), 1);
    }
};

TEST_F(TabletApiTest, OpenSetsUpTheContextAndCloseEndsIt)
{
    ASSERT_NE(fake().library, nullptr);
    open();
    const FakeTablet& f = *fake().state;
    EXPECT_EQ(f.opens, 1);
    EXPECT_EQ(f.openWindow, reinterpret_cast<void*>(0x2a));
    EXPECT_EQ(f.openEnable, 1);
    EXPECT_STREQ(f.openContext.name, "morvane tablet context");
    EXPECT_EQ(f.openContext.options, 1u);
    EXPECT_EQ(f.openContext.pktData, 0x582u);
    EXPECT_EQ(f.openContext.pktMode, 0u);
    EXPECT_EQ(f.openContext.moveMask, 0x582u);
    EXPECT_EQ(f.openContext.btnUpMask, 0x5u);  // = the button-down mask
    EXPECT_EQ(f.openContext.outOrgX, 0);
    EXPECT_EQ(f.openContext.outOrgY, 0);
    EXPECT_EQ(f.openContext.outExtX, 800);   // screen width
    EXPECT_EQ(f.openContext.outExtY, -600);  // minus screen height: y grows downward
    EXPECT_EQ(f.queueSize, 256);

    // A second open closes the first context rather than losing it.
    EXPECT_NE(MVE_InitTablet(nullptr), 0);
    EXPECT_EQ(f.closes, 1);
    EXPECT_EQ(MVE_CloseTablet(), 1);
    EXPECT_EQ(f.closes, 2);
    EXPECT_EQ(MVE_CloseTablet(), 0);  // no context left
}

TEST_F(TabletApiTest, OpenReportsTheQueueResultAndFailsWithoutPenOrContext)
{
    fake().state->queueSizeResult = 0;
    EXPECT_EQ(MVE_InitTablet(nullptr), 0);  // open, but the queue was not sized
    EXPECT_EQ(MVE_CloseTablet(), 1);

    fake().state->queueSizeResult = 1;
    fake().state->hasPen = 0;
    EXPECT_EQ(MVE_InitTablet(nullptr), 0);
    EXPECT_EQ(fake().state->opens, 1);  // no pressure axis: no context asked for

    // A refused context is a failure, and nothing reads from it.
    fake().state->hasPen = 1;
    fake().state->refuseOpen = 1;
    fake().queue_n(3, 200);
    EXPECT_EQ(MVE_InitTablet(nullptr), 0);
    EXPECT_EQ(fake().state->opens, 2);
    EXPECT_EQ(MVE_ReadTabletPackets(), 0);
    EXPECT_EQ(MVE_ResetTabletPressure(), 0);
    EXPECT_EQ(fake().queued(), 3);
    EXPECT_EQ(MVE_CloseTablet(), 0);
}

TEST_F(TabletApiTest, PressureScalesByTheAxisRangeAndNeverReadsZero)
{
    // Axis 0..400: scale 100 / 400 = 0.25.
    open(0, 400);
    for (unsigned raw : {400u, 200u, 3u, 0u}) fake().queue(0, 0, 0, raw);
    ASSERT_EQ(MVE_ReadTabletPackets(), 4);
    EXPECT_EQ(MVE_ReadTabletPressure(0), 100);
    EXPECT_EQ(MVE_ReadTabletPressure(1), 50);
    EXPECT_EQ(MVE_ReadTabletPressure(2), 1);  // 0.75 truncates to 0, read as 1
    EXPECT_EQ(MVE_ReadTabletPressure(3), 1);
    EXPECT_EQ(MVE_ReadRawTabletPressure(1), 50);
    EXPECT_EQ(MVE_ReadRawTabletPressure(2), 0);  // raw reads keep the 0
    EXPECT_EQ(MVE_ReadRawTabletPressure(3), 0);

    // Axis 100..500: the range is still 400, so the maximum reads 500 / 4 = 125.
    open(100, 500);
    fake().queue(0, 0, 0, 500);
    ASSERT_EQ(MVE_ReadTabletPackets(), 1);
    EXPECT_EQ(MVE_ReadTabletPressure(0), 125);
}

TEST_F(TabletApiTest, PressureRampsWithoutPackets)
{
    open();
    fake().queue(0, 0, 0, 4);  // reads 1
    ASSERT_EQ(MVE_ReadTabletPackets(), 1);
    EXPECT_EQ(MVE_ReadTabletPressure(0), 1);
    // Past the count: the stored value, then 25 more up to 100.
    for (int expected : {1, 26, 51, 76, 100, 100}) EXPECT_EQ(MVE_ReadTabletPressure(1), expected);
    EXPECT_EQ(MVE_ResetTabletPressure(), 0);
    for (int expected : {10, 35, 60, 85, 100, 100}) EXPECT_EQ(MVE_ReadTabletPressure(7), expected);
    EXPECT_EQ(MVE_ResetTabletPressure(), 0);
    EXPECT_EQ(MVE_ReadTabletPressure(-1), 10);  // a negative index names no packet either
    EXPECT_EQ(MVE_ReadTabletPressure(-1), 35);

    // Without a context the stored value stays put.
    MVE_CloseTablet();
    MVE_ResetTabletPressure();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(MVE_ReadTabletPressure(0), 10);
}

TEST_F(TabletApiTest, EmptyOrInvertedPressureRangeReadsOne)
{
    for (auto [min, max] : {std::pair{50, 50}, std::pair{400, 0}}) {
        open(min, max);
        fake().queue(0, 0, 0, 50);
        fake().queue(0, 0, 0, 0xFFFFFFFFu);
        ASSERT_EQ(MVE_ReadTabletPackets(), 2);
        EXPECT_EQ(MVE_ReadTabletPressure(0), 1) << min << ".." << max;
        EXPECT_EQ(MVE_ReadTabletPressure(1), 1);
        EXPECT_EQ(MVE_ReadRawTabletPressure(1), 0);
    }
}

TEST_F(TabletApiTest, StatusInvertAndPositionRelativeToTheOrigin)
{
    open();
    fake().queue(0x10 | 0x01, 130, 40, 0);
    fake().queue(0x01, -5, 700, 0);
    ASSERT_EQ(MVE_ReadTabletPackets(), 2);
    EXPECT_EQ(MVE_PacketStatus(0), 0x11u);
    EXPECT_EQ(MVE_IsPacketInvert(0), 1);
    EXPECT_EQ(MVE_IsPacketInvert(1), 0);
    EXPECT_EQ(MVE_ReadTabletX(0), 130);
    EXPECT_EQ(MVE_ReadTabletY(1), 700);

    // The client area starts at (100, 50) on the screen.
    fake().state->originX = 100;
    fake().state->originY = 50;
    EXPECT_EQ(MVE_SetTabletOrigin(), 1);
    EXPECT_EQ(MVE_ReadTabletX(0), 30);
    EXPECT_EQ(MVE_ReadTabletY(0), -10);
    EXPECT_EQ(MVE_ReadTabletX(1), -105);
    EXPECT_EQ(MVE_ReadTabletY(1), 650);
    // A failed conversion keeps the last origin.
    fake().state->originResult = 0;
    EXPECT_EQ(MVE_SetTabletOrigin(), 0);
    EXPECT_EQ(MVE_ReadTabletX(0), 30);

    for (int i : {2, 255, 256, -1, 100000}) {
        EXPECT_EQ(MVE_IsPacketInvert(i), 0) << i;
        EXPECT_EQ(MVE_PacketStatus(i), 0u) << i;
        EXPECT_EQ(MVE_ReadTabletX(i), 0) << i;
        EXPECT_EQ(MVE_ReadTabletY(i), 0) << i;
    }
    EXPECT_EQ(MVE_ReadRawTabletPressure(256), 0);
    EXPECT_EQ(MVE_ReadRawTabletPressure(-1), 0);

    MVE_CloseTablet();
    expect_neutral_packet(0);
    EXPECT_EQ(MVE_SetTabletOrigin(), 0);
}

TEST_F(TabletApiTest, ReadsAtMostTheBufferAndResetDiscards)
{
    open();
    for (int i = 0; i < 300; ++i) fake().queue(0, i, 0, 4 * unsigned(i % 101));
    ASSERT_EQ(MVE_ReadTabletPackets(), 256);
    EXPECT_EQ(MVE_ReadTabletX(255), 255);
    EXPECT_EQ(MVE_ReadTabletPressure(255), 53);  // raw 4 * (255 % 101) = 212, times 0.25
    ASSERT_EQ(MVE_ReadTabletPackets(), 44);
    EXPECT_EQ(MVE_ReadTabletX(0), 256);
    EXPECT_EQ(MVE_ReadTabletX(43), 299);
    EXPECT_EQ(MVE_ReadTabletX(44), 0);
    EXPECT_EQ(MVE_ReadTabletPackets(), 0);

    // Reset drops at most 1000 queued packets.
    fake().queue_n(1200);
    EXPECT_EQ(MVE_ResetTabletPressure(), 1000);
    EXPECT_EQ(MVE_ReadTabletPackets(), 200);
    fake().queue_n(5);
    EXPECT_EQ(MVE_ResetTabletPressure(), 5);
    EXPECT_EQ(MVE_ReadTabletPackets(), 0);
}

TEST_F(TabletApiTest, GarbageCountsStayInsideTheBuffer)
{
    open();
    fake().queue(0, 7, 0, 0);
    fake().state->countLie = 300;  // claims more than the buffer holds
    EXPECT_EQ(MVE_ReadTabletPackets(), 256);
    EXPECT_EQ(MVE_ReadTabletX(0), 7);
    MVE_ReadTabletX(255);  // stale, but inside the buffer (ASan watches)
    fake().state->countLie = -5;
    EXPECT_EQ(MVE_ReadTabletPackets(), 0);
    expect_neutral_packet(0);
    EXPECT_EQ(MVE_ResetTabletPressure(), 0);  // a negative count drops nothing
}

TEST_F(TabletApiTest, MissingDriversOrEntriesLeaveEveryCallNeutral)
{
    const char* broken[] = {"/nonexistent/libmorvane-tablet-none.so", "libm.so.6", MVE_FAKE_TABLET_WITHOUT_OPEN};
    for (const char* path : broken) {
        MVE_SetTabletDriver(path);
        MVE_ResetTabletPressure();
        EXPECT_EQ(MVE_InitTablet(nullptr), 0) << path;
        EXPECT_EQ(MVE_SetTabletOrigin(), 0);
        EXPECT_EQ(MVE_ReadTabletPackets(), 0);
        EXPECT_EQ(MVE_ResetTabletPressure(), 0);
        EXPECT_EQ(MVE_ReadTabletPressure(0), 10);
        EXPECT_EQ(MVE_ReadTabletPressure(0), 10);
        expect_neutral_packet(0);
        EXPECT_EQ(MVE_CloseTablet(), 0);
    }
}

TEST_F(TabletApiTest, DriverChoiceHostThenEnvironment)
{
    // The environment names the driver when the host names none.
    MVE_SetTabletDriver(nullptr);
    setenv(MVE_TABLET_DRIVER_ENV, MVE_FAKE_TABLET_DRIVER, 1);
    EXPECT_NE(MVE_InitTablet(nullptr), 0);
    EXPECT_EQ(fake().state->opens, 1);
    // The host's choice wins; changing the driver closes the context.
    setenv(MVE_TABLET_DRIVER_ENV, "/nonexistent/libnone.so", 1);
    MVE_SetTabletDriver(MVE_FAKE_TABLET_DRIVER);
    EXPECT_EQ(fake().state->closes, 1);
    EXPECT_NE(MVE_InitTablet(nullptr), 0);
    EXPECT_EQ(fake().state->opens, 2);
}

#ifdef MVE_TABLET_XI2_DRIVER_PATH
// Without a host or environment choice the engine loads our XInput2 driver
// from its own directory. Xvfb has no pen: the open fails and nothing crashes.
TEST_F(TabletApiTest, OurDriverIsFoundBesideTheLibrary)
{
    mve::test::XvfbServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    auto loaded = [] {
        void* h = dlopen(MVE_TABLET_XI2_DRIVER_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (h) dlclose(h);
        return h != nullptr;
    };
    MVE_SetTabletDriver(nullptr);
    EXPECT_FALSE(loaded());
    EXPECT_EQ(MVE_InitTablet(nullptr), 0);
    EXPECT_TRUE(loaded());
    EXPECT_EQ(MVE_ReadTabletPackets(), 0);
    expect_neutral_packet(0);
    MVE_SetTabletDriver(MVE_FAKE_TABLET_DRIVER);  // unloads it
    EXPECT_FALSE(loaded());
}
#endif

}  // namespace
