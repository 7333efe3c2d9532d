// The one error path of the C interface: every export that can fail runs its
// body through guarded(), which catches everything, records the export's fixed
// text as the last error and returns the neutral value.
#pragma once

#include <new>

namespace mve {

void set_last_error(const char* text) noexcept;

// Thrown by engine code for a failure that must end the export (a failed
// allocation, a missing plane the export cannot do without).
struct Failure {};

inline void require(bool ok)
{
    if (!ok) throw Failure{};
}

template <class R, class F>
R guarded(const char* text, R neutral, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        set_last_error(text);
        return neutral;
    }
}

template <class F>
void guarded(const char* text, F&& body) noexcept
{
    try {
        body();
    } catch (...) {
        set_last_error(text);
    }
}

}  // namespace mve
