// State of the platform layer's stand-ins: the engine's hidden window and
// the redraw records of the host windows the engine may draw into.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace mve::platform {

struct HiddenWindow {
    bool exists = false;
    bool quitPosted = false;
    int quitCode = -1;
    std::uint8_t displayChanged = 0;
};

struct RedrawState {
    void* window = nullptr;
    int redrawEnabled = 1;  // last WM_SETREDRAW wParam (windows start with drawing on)
    int setRedrawCount = 0;
    int redrawCount = 0;  // RedrawWindow calls
    unsigned lastFlags = 0;
};

constexpr std::size_t kReachableWindows = 8;

}  // namespace mve::platform

namespace mve::platform {
// The clipboard: the in-process picture and, with a display, the selection
// owner and its service thread (platform/clipboard.cpp).
struct ClipboardStore;
}  // namespace mve::platform

namespace mve {

struct PlatformState {
    platform::HiddenWindow hiddenWindow;
    std::array<platform::RedrawState, platform::kReachableWindows> windows;
    std::shared_ptr<platform::ClipboardStore> clipboard;  // made on first use; stops its thread when freed
};

}  // namespace mve
