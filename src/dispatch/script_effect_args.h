// Helpers of the image-script families: one step added to the script
// session with its values taken from the call's sliders.
#pragma once

#include <initializer_list>
#include <utility>

#include "dispatch/dispatch.h"
#include "imagelib/image_script.h"

namespace mve::dispatch {

// Adds step `id` (with its default values) to the session's effect list and
// sets each {slot, value}; false when the session refuses either.
inline bool add_script_step(int id, std::initializer_list<std::pair<int, double>> values) noexcept
{
    if (!il::isl_add_effect(id, id)) return false;
    for (const auto& [slot, value] : values)
        if (!il::isl_set_effect_value(0, slot, value)) return false;
    return true;
}

// trunc(fN * scale) + offset, N counted from 1: the sliders' usual mapping.
inline double slider_value(const Frame& f, int n, double scale, double offset = 0)
{
    return static_cast<double>(static_cast<long long>(static_cast<double>(f.a.f[n - 1]) * scale)) + offset;
}

// A centre coordinate in percent from slider N: trunc(fN), or the middle (50)
// when both centre sliders are 0, so a call that leaves them out centres the effect.
inline double centre_percent(const Frame& f, int nx, int ny, int n)
{
    if (f.a.p[nx - 1] == 0 && f.a.p[ny - 1] == 0) return 50;
    return slider_value(f, n, 1);
}

// The low byte of iN.
inline int option_byte(const Frame& f, int n)
{
    return f.a.i[n - 1] & 0xFF;
}

}  // namespace mve::dispatch
