// Message boxes, debugger output and Escape polling on this platform.
#pragma once

#include "platform/dialogs_state.h"

namespace mve::platform {

// A modal message box with an OK button: the host's handler when one is
// registered, else "caption: text" on standard error.
void show_message_box(DialogState& d, const char* text, const char* caption) noexcept;

// Text for a debugger: one line on standard error.
void debug_output(const char* text) noexcept;

// True when the host reported an Escape press since the previous query.
bool take_escape(DialogState& d) noexcept;

}  // namespace mve::platform
