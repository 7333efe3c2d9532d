// The brush-settings record read by the dab rasteriser and the blend buffers.
#pragma once

#include <cstdint>

namespace mve {

struct BrushSettings {
    // Paint mix mode (MVE_SetMixMode) and its derived levels.
    int mixMode = 0;
    int mixLevel = 0;
    int mixLevelInverse = 256;  // 256 - level
    int mixLevel10 = 0;         // truncate((L - 127) / 127 * 10)
    int mixLevel16 = 0;         // truncate((L - 127) / 127 * 16)
    std::uint8_t alphaLocked = 0;
};

}  // namespace mve
