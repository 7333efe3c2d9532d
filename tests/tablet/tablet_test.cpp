// Driver choice and the X-free half of our XInput2 driver: how a device
// becomes a pen, how events become packets, and the queue.
#include <gtest/gtest.h>

#include "tablet/tablet.h"
#include "tablet_xi2/pen_queue.h"

using namespace mve;

TEST(TabletDriverChoiceTest, HostThenEnvironmentThenOursBesideTheLibrary)
{
    EXPECT_EQ(tablet::choose_driver_path("/h/host.so", "/e/env.so", "/usr/lib"), "/h/host.so");
    EXPECT_EQ(tablet::choose_driver_path("", "/e/env.so", "/usr/lib"), "/e/env.so");
    EXPECT_EQ(tablet::choose_driver_path("", "", "/usr/lib"), "/usr/lib/libmorvane-tablet-xi2.so");
    EXPECT_EQ(tablet::choose_driver_path("", nullptr, "/usr/lib"), "/usr/lib/libmorvane-tablet-xi2.so");
    EXPECT_EQ(tablet::choose_driver_path("", nullptr, ""), "");
    // The engine's directory is a directory, without the file name.
    const std::string dir = tablet::engine_directory();
    EXPECT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
}

TEST(Xi2PenTest, EraserByDeviceName)
{
    EXPECT_TRUE(xi2::is_eraser_name("Wacom Intuos Pro M Pen eraser"));
    EXPECT_TRUE(xi2::is_eraser_name("HUION Tablet Eraser (0)"));
    EXPECT_FALSE(xi2::is_eraser_name("Wacom Intuos Pro M Pen stylus"));
    EXPECT_FALSE(xi2::is_eraser_name(nullptr));
}

TEST(Xi2PenTest, PacketsTakePositionAndThePressureValuator)
{
    xi2::Pen pen;
    pen.pressureNumber = 2;
    pen.pressureMin = 0.0;
    pen.pressureMax = 2047.5;
    const MveTabletAxis axis = xi2::pressure_axis(pen);
    EXPECT_EQ(axis.min, 0);
    EXPECT_EQ(axis.max, 2048);

    // Valuators 0, 1 and 2 set (x, y, pressure): values packed in bit order.
    const unsigned char all[1] = {0x07};
    const double values[] = {1234.0, 567.0, 1023.6};
    MveTabletPacket p = xi2::make_packet(pen, 310.75, -2.25, all, 1, values);
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, -3);  // floor: pixels to the left and above stay there
    EXPECT_EQ(p.pressure, 1024u);
    EXPECT_EQ(p.status, 0u);

    // An event without the pressure valuator keeps the last pressure; only
    // valuator 3 set: its value is values[0] and is not pressure.
    const unsigned char other[1] = {0x08};
    const double one[] = {99.0};
    p = xi2::make_packet(pen, 1, 2, other, 1, one);
    EXPECT_EQ(p.pressure, 1024u);

    // Pressure alone (bit 2 only) is values[0]; negative and NaN read 0.
    const unsigned char onlyPressure[1] = {0x04};
    const double low[] = {-5.0};
    EXPECT_EQ(xi2::make_packet(pen, 0, 0, onlyPressure, 1, low).pressure, 0u);
    const double big[] = {1e12};
    EXPECT_EQ(xi2::make_packet(pen, 0, 0, onlyPressure, 1, big).pressure, 0xFFFFFFFFu);

    pen.eraser = true;
    EXPECT_EQ(xi2::make_packet(pen, 0, 0, other, 0, nullptr).status, unsigned(MVE_TPS_INVERT));
}

TEST(Xi2PenTest, QueueKeepsTheNewestAndHandsOutOldestFirst)
{
    xi2::PacketQueue q;
    EXPECT_EQ(q.set_size(0), 0);
    EXPECT_EQ(q.set_size(xi2::PacketQueue::kMaxSize + 1), 0);
    ASSERT_EQ(q.set_size(3), 1);
    for (int i = 0; i < 5; ++i) q.push({0, i, 0, 0});
    EXPECT_EQ(q.size(), 3);  // packets 0 and 1 gave way
    MveTabletPacket out[4] = {};
    EXPECT_EQ(q.take(2, out), 2);
    EXPECT_EQ(out[0].x, 2);
    EXPECT_EQ(out[1].x, 3);
    EXPECT_EQ(q.take(4, nullptr), 1);  // dropped
    EXPECT_EQ(q.take(4, out), 0);
    for (int i = 0; i < 3; ++i) q.push({0, i, 0, 0});
    ASSERT_EQ(q.set_size(1), 1);  // shrinking drops the oldest
    EXPECT_EQ(q.take(4, out), 1);
    EXPECT_EQ(out[0].x, 2);
}
