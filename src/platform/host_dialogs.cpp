#include "platform/host_dialogs.h"

#include <cstdio>

#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve::platform {

void show_message_box(DialogState& d, const char* text, const char* caption) noexcept
{
    if (!text) text = "";
    if (!caption) caption = "";
    if (d.messageBox) {
        d.messageBox(text, caption, d.messageBoxUser);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

void debug_output(const char* text) noexcept
{
    std::fprintf(stderr, "%s\n", text ? text : "");
}

bool take_escape(DialogState& d) noexcept
{
    return d.escapePressed.take();
}

}  // namespace mve::platform

using namespace mve;

extern "C" {

MVE_API void MVE_SetMessageBoxHandler(platform::MessageBoxHandler handler, void* user)
{
    engine().dialogs.messageBox = handler;
    engine().dialogs.messageBoxUser = user;
}

MVE_API void MVE_PressEscape(void)
{
    engine().dialogs.escapePressed.set();
}

}  // extern "C"
