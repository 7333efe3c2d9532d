// Display-change notices: with a display open (DISPLAY names a reachable X
// server), the engine keeps a connection of its own that listens for XRandR
// screen, CRTC and output changes; each one sets the hidden window's
// display-changed flag, as a display-change message does.
#pragma once

namespace mve::platform {

// Opens the listening connection when DISPLAY names a server (again when
// DISPLAY changed since the last attempt) and turns the notices that arrived
// since the last call into the flag. Without X11 support it does nothing.
void poll_display_changes() noexcept;

// Closes the listening connection (a new one opens on the next poll).
void stop_display_listener() noexcept;

}  // namespace mve::platform
