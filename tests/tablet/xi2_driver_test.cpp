// Our XInput2 driver on a real X server. Xvfb has no pen: every query that
// needs one answers 0, the context is refused, and nothing crashes.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/xvfb_server.h"
#include "tablet/tablet.h"

#ifdef MVE_TABLET_XI2_DRIVER_PATH

namespace {

struct Xi2Driver {
    void* library = dlopen(MVE_TABLET_XI2_DRIVER_PATH, RTLD_NOW);
    MveWTInfoAFn info = reinterpret_cast<MveWTInfoAFn>(dlsym(library, "WTInfoA"));
    MveWTOpenAFn open = reinterpret_cast<MveWTOpenAFn>(dlsym(library, "WTOpenA"));
    MveWTQueueSizeSetFn queueSizeSet = reinterpret_cast<MveWTQueueSizeSetFn>(dlsym(library, "WTQueueSizeSet"));
    MveWTPacketsGetFn packetsGet = reinterpret_cast<MveWTPacketsGetFn>(dlsym(library, "WTPacketsGet"));
    MveWTCloseFn close = reinterpret_cast<MveWTCloseFn>(dlsym(library, "WTClose"));
    MveClientToScreenFn clientToScreen = reinterpret_cast<MveClientToScreenFn>(dlsym(library, "MveClientToScreen"));
    ~Xi2Driver() { dlclose(library); }
};

void expect_no_pen(Xi2Driver& d)
{
    MveTabletAxis axis{7, 7, 0, 0};
    EXPECT_EQ(d.info(MVE_WTI_DEVICES, MVE_DVC_NPRESSURE, &axis), 0u);
    EXPECT_EQ(axis.min, 7);  // untouched
    MveTabletContext context{};
    EXPECT_EQ(d.open(nullptr, &context, 1), nullptr);
    EXPECT_EQ(d.open(reinterpret_cast<void*>(0x7fffffff), &context, 1), nullptr);
    MveTabletPacket packets[4];
    EXPECT_EQ(d.packetsGet(nullptr, 4, packets), 0);
    EXPECT_EQ(d.packetsGet(&context, 4, packets), 0);  // not a handle of the driver
    EXPECT_EQ(d.queueSizeSet(nullptr, 256), 0);
    EXPECT_EQ(d.close(nullptr), 0);
    int x = 1, y = 2;
    EXPECT_EQ(d.clientToScreen(reinterpret_cast<void*>(0x1), &x, &y), 0);
    EXPECT_EQ(x, 1);
}

TEST(Xi2DriverTest, ServerWithoutPenRefusesTheContext)
{
    mve::test::XvfbServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    Xi2Driver d;
    ASSERT_NE(d.library, nullptr) << dlerror();
    ASSERT_TRUE(d.info && d.open && d.queueSizeSet && d.packetsGet && d.close && d.clientToScreen);
    EXPECT_EQ(d.info(0, 0, nullptr), 1u);
    // The default context knows the screen: 640 x 480, y downward.
    MveTabletContext context{};
    ASSERT_EQ(d.info(MVE_WTI_DEFCONTEXT, 0, &context), sizeof context);
    EXPECT_EQ(context.sysExtX, 640);
    EXPECT_EQ(context.sysExtY, 480);
    EXPECT_EQ(context.outExtY, -480);
    EXPECT_EQ(context.pktData, 0x582u);
    expect_no_pen(d);

    // Through the engine: the open fails and every reading is neutral.
    mve::TabletState s;
    mve::tablet::set_driver_path(s, MVE_TABLET_XI2_DRIVER_PATH);
    EXPECT_EQ(mve::tablet::init_tablet(s, nullptr), 0);
    EXPECT_NE(s.driver.library, nullptr);  // loaded: the pen is what is missing
    EXPECT_EQ(mve::tablet::read_tablet_packets(s), 0);
    EXPECT_EQ(mve::tablet::read_tablet_pressure(s, 0), 100);
    EXPECT_EQ(mve::tablet::read_tablet_x(s, 0), 0);
    mve::tablet::unload_driver(s);
}

TEST(Xi2DriverTest, NoDisplayAnswersNothing)
{
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    setenv("DISPLAY", ":32767", 1);  // no server there
    Xi2Driver d;
    ASSERT_NE(d.library, nullptr) << dlerror();
    MveTabletContext context{};
    EXPECT_EQ(d.info(MVE_WTI_DEFCONTEXT, 0, &context), 0u);
    expect_no_pen(d);
    unsetenv("DISPLAY");
    EXPECT_EQ(d.info(MVE_WTI_DEVICES, MVE_DVC_NPRESSURE, nullptr), 0u);
    if (old) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace

#else
TEST(Xi2DriverTest, NotBuilt) { GTEST_SKIP() << "built with MVE_WITH_X11=OFF: no XInput2 driver"; }
#endif
