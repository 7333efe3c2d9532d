// The host's stand-ins for modal message boxes and the Escape key: a handler
// the host registers (a line on standard error without one) and a flag the
// host sets from its key handler, from any thread.
#pragma once

#include "core/atomic_flag.h"

namespace mve::platform {

using MessageBoxHandler = void (*)(const char* text, const char* caption, void* user);

struct DialogState {
    MessageBoxHandler messageBox = nullptr;
    void* messageBoxUser = nullptr;
    AtomicFlag escapePressed;
};

}  // namespace mve::platform
