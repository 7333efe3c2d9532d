#include "platform/window_redraw.h"

#include <array>

#include "engine/engine.h"

namespace mve::platform {

namespace {

RedrawState* find(void* window) noexcept
{
    if (!window) return nullptr;
    for (auto& w : engine().platform.windows)
        if (w.window == window) return &w;
    return nullptr;
}

}  // namespace

bool register_window(void* window) noexcept
{
    if (!window) return false;
    if (find(window)) return true;
    for (auto& w : engine().platform.windows)
        if (!w.window) {
            w = RedrawState{};
            w.window = window;
            return true;
        }
    return false;
}

void unregister_window(void* window) noexcept
{
    if (RedrawState* w = find(window)) *w = RedrawState{};
}

const RedrawState* redraw_state(void* window) noexcept { return find(window); }

long send_set_redraw(void* window, int on) noexcept
{
    RedrawState* w = find(window);
    if (!w) return 0;
    w->redrawEnabled = on & 0xFF;
    ++w->setRedrawCount;
    return 0;  // a window that processes WM_SETREDRAW returns 0
}

int redraw_window(void* window, unsigned flags) noexcept
{
    RedrawState* w = find(window);
    if (!w) return 0;
    ++w->redrawCount;
    w->lastFlags = flags;
    return 1;
}

}  // namespace mve::platform
