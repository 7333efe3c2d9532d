// The blend code a dispatcher generator hands to the image-script executor:
// the host's layer blend mode renumbered as the script module counts them.
#pragma once

namespace mve::dispatch {

// Host mode 0 ("Normal") is code 12, modes 1..12 are codes 0..11, and every
// other number (13..17 and beyond) is passed on unchanged.
constexpr int script_blend_code(int hostMode) noexcept
{
    if (hostMode == 0) return 12;
    if (hostMode >= 1 && hostMode <= 12) return hostMode - 1;
    return hostMode;
}

}  // namespace mve::dispatch
