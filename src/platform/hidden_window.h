// The engine's hidden window. On the desktop it exists only to receive the
// system's broadcast messages; here it is a message sink with the same class
// name, title and window procedure, fed by the platform layer.
#pragma once

#include "platform/platform_state.h"

#include <cstdint>

namespace mve::platform {

inline constexpr const char* kWindowClassName = "Corvelle DLL window";
inline constexpr const char* kWindowTitle = "CV Internal WND";

// Message numbers the window procedure acts on.
enum : unsigned {
    kMsgDestroy = 0x0002,
    kMsgClose = 0x0010,
    kMsgWinIniChange = 0x001A,
    kMsgActivateApp = 0x001C,
    kMsgUserChanged = 0x0054,
    kMsgDisplayChange = 0x007E,
    kMsgPowerBroadcast = 0x0218,
};

HiddenWindow& hidden_window() noexcept;

// Creates the window (library load).
void create_hidden_window() noexcept;

// The window procedure: delivers one message and returns its result.
long deliver_message(unsigned message, unsigned long wParam, long lParam) noexcept;

// Returns 1 and clears the display-change flag when it was set, else 0.
int take_display_changed() noexcept;

}  // namespace mve::platform
