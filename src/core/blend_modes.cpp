#include "core/blend_modes.h"

namespace mve {

int blend_mode_from_name(const char* name) noexcept
{
    if (!name) return kNormal;
    std::string_view wanted(name);
    for (const auto& entry : kBlendModeNames)
        if (entry.name == wanted) return entry.number;
    return kNormal;
}

std::string_view blend_mode_name(int number) noexcept
{
    for (const auto& entry : kBlendModeNames)
        if (entry.number == number) return entry.name;
    return {};
}

}  // namespace mve
