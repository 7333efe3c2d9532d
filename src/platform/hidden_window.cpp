#include "platform/hidden_window.h"

#include "engine/engine.h"
#include "platform/display_change.h"

namespace mve::platform {

HiddenWindow& hidden_window() noexcept
{
    return engine().platform.hiddenWindow;
}

void create_hidden_window() noexcept
{
    HiddenWindow& w = hidden_window();
    w.exists = true;
    w.quitPosted = false;
    w.displayChanged = 0;
    // Starts listening for display changes, so none is missed before the
    // host's first question.
    poll_display_changes();
}

long deliver_message(unsigned message, unsigned long wParam, long) noexcept
{
    HiddenWindow& w = hidden_window();
    switch (message) {
    case kMsgDestroy:
        w.quitPosted = true;
        w.quitCode = 0;
        return 0;
    case kMsgClose:
        w.exists = false;
        return deliver_message(kMsgDestroy, 0, 0);
    case kMsgWinIniChange:
    case kMsgUserChanged:
    case kMsgDisplayChange:
        w.displayChanged = 1;
        break;
    case kMsgActivateApp:
        if (wParam == 1 || wParam == 7) w.displayChanged = 1;
        break;
    case kMsgPowerBroadcast:
        if (wParam == 7) w.displayChanged = 1;
        break;
    default:
        break;
    }
    // The default window procedure has nothing to add for these messages.
    return 0;
}

int take_display_changed() noexcept
{
    poll_display_changes();
    HiddenWindow& w = hidden_window();
    if (!w.displayChanged) return 0;
    w.displayChanged = 0;
    return 1;
}

}  // namespace mve::platform
