// The hidden window's message handling and the system figures.
#include <gtest/gtest.h>

#include <cstring>

#include "morvane/morvane.h"
#include "platform/hidden_window.h"
#include "platform/screen_capture.h"
#include "platform/system_info.h"

using namespace mve::platform;

TEST(HiddenWindowTest, DisplayMessagesSetTheFlagOnce)
{
    MVE_IsDisplayChanged();  // start clear
    EXPECT_EQ(MVE_IsDisplayChanged(), 0);
    for (unsigned message : {kMsgWinIniChange, kMsgUserChanged, kMsgDisplayChange}) {
        deliver_message(message, 0, 0);
        EXPECT_EQ(MVE_IsDisplayChanged(), 1) << message;
        EXPECT_EQ(MVE_IsDisplayChanged(), 0) << message;
    }
}

TEST(HiddenWindowTest, ActivationAndPowerOnlyForTheirCodes)
{
    MVE_IsDisplayChanged();
    deliver_message(kMsgActivateApp, 0, 0);
    deliver_message(kMsgActivateApp, 2, 0);
    deliver_message(kMsgPowerBroadcast, 1, 0);
    deliver_message(0x0200, 7, 0);  // an unrelated message
    EXPECT_EQ(MVE_IsDisplayChanged(), 0);
    deliver_message(kMsgActivateApp, 7, 0);
    EXPECT_EQ(MVE_IsDisplayChanged(), 1);
    deliver_message(kMsgActivateApp, 1, 0);
    EXPECT_EQ(MVE_IsDisplayChanged(), 1);
    deliver_message(kMsgPowerBroadcast, 7, 0);
    EXPECT_EQ(MVE_IsDisplayChanged(), 1);
}

TEST(HiddenWindowTest, ExistsFromLoadAndCloseDestroysIt)
{
    EXPECT_TRUE(hidden_window().exists);
    EXPECT_STREQ(kWindowClassName, "Corvelle DLL window");
    EXPECT_STREQ(kWindowTitle, "CV Internal WND");
    EXPECT_EQ(deliver_message(kMsgClose, 0, 0), 0);
    EXPECT_FALSE(hidden_window().exists);
    EXPECT_TRUE(hidden_window().quitPosted);
    EXPECT_EQ(hidden_window().quitCode, 0);
    create_hidden_window();
}

TEST(SystemInfoTest, MeminfoParsing)
{
    const char* text =
        "MemTotal:       2048000 kB\n"
        "MemFree:         100000 kB\n"
        "MemAvailable:   1024000 kB\n"
        "SwapTotal:       512000 kB\n"
        "SwapFree:        256000 kB\n";
    MemoryStatus s = parse_meminfo(text);
    EXPECT_EQ(s.totalPhysical, 2048000ull * 1024);
    EXPECT_EQ(s.availPhysical, 1024000ull * 1024);
    // The page file is physical memory plus swap.
    EXPECT_EQ(s.totalPageFile, (2048000ull + 512000) * 1024);
    EXPECT_EQ(s.availPageFile, (1024000ull + 256000) * 1024);
    // Without MemAvailable: free plus cache.
    MemoryStatus old = parse_meminfo("MemTotal: 100 kB\nMemFree: 10 kB\nCached: 5 kB\n");
    EXPECT_EQ(old.availPhysical, 15ull * 1024);
    EXPECT_EQ(parse_meminfo(nullptr).totalPhysical, 0u);
}

TEST(SystemInfoTest, GettersReportTheMachine)
{
    const unsigned total = MVE_GetTotalPhyMemory();
    EXPECT_GT(total, 0u);
    EXPECT_LE(MVE_GetAvailPhyMemory(), total);
    EXPECT_GE(MVE_GetTotalPgMemory(), total);
    EXPECT_GT(MVE_GetTotalVirMemory(), 0u);
    EXPECT_STREQ(MVE_GetDirInfo(), "/etc");
    EXPECT_EQ(MVE_IsCompositionEnabled(), 0);
    EXPECT_EQ(MVE_SetWindowBasePos(0, 0, 100, 100), 0);
    EXPECT_EQ(MVE_GetWindowBackgroundColor(), kButtonFaceColour);
    EXPECT_GT(MVE_GetWindowCaptionSize(), 0);
}

TEST(ScreenCaptureTest, ChannelMasksWidenToEightBits)
{
    // 16-bit 565: each channel's top bits repeat into the low ones, so the
    // full value is 255 and 0b10000 (5 bits) becomes 0b10000100 = 132.
    const unsigned char in565[] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    unsigned char out[16];
    x_pixels_to_rgba(in565, 2, 4, 0xF800, 0x07E0, 0x001F, out);
    const unsigned char want565[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 132, 130, 132, 255};
    EXPECT_EQ(0, std::memcmp(out, want565, 16));
    // 24-bit pixels of three bytes, red in the high byte; and BGR order masks.
    const unsigned char in24[] = {0x30, 0x20, 0x10, 0x01, 0x02, 0x03};
    x_pixels_to_rgba(in24, 3, 1, 0xFF0000, 0x00FF00, 0x0000FF, out);
    EXPECT_EQ(0, std::memcmp(out, "\x10\x20\x30\xff", 4));
    x_pixels_to_rgba(in24 + 3, 3, 1, 0x0000FF, 0x00FF00, 0xFF0000, out);
    EXPECT_EQ(0, std::memcmp(out, "\x01\x02\x03\xff", 4));
}
