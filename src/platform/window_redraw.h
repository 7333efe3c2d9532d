// Window redraw control. The engine only forwards the host's requests; on
// this platform the only windows it can reach are those registered with it
// (the host's toolkit, or a test), and every call on another window does
// nothing and returns 0, as a call on a foreign window does.
#pragma once

#include "platform/platform_state.h"

namespace mve::platform {

inline constexpr unsigned kMsgSetRedraw = 0x000B;  // WM_SETREDRAW
// RedrawWindow flags the engine passes: RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE.
inline constexpr unsigned kRedrawFrame = 0x0400, kRedrawAllChildren = 0x0080, kRedrawErase = 0x0004,
                          kRedrawInvalidate = 0x0001;

// What the stand-in recorded for one reachable window.
// Makes a window reachable (false when the small table is full or window is null).
bool register_window(void* window) noexcept;
void unregister_window(void* window) noexcept;
// The record of a reachable window, or null.
const RedrawState* redraw_state(void* window) noexcept;

// WM_SETREDRAW with wParam = the low byte of on: the message's result (0 once
// processed), 0 for a window that cannot be reached.
long send_set_redraw(void* window, int on) noexcept;
// RedrawWindow(window, no rectangle, no region, flags): non-zero on success.
int redraw_window(void* window, unsigned flags) noexcept;

}  // namespace mve::platform
