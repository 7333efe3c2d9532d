// Mask settings: enable, display, mask-maker mode and the display tint.
#include "core/engine.h"
#include "morvane/morvane.h"

using namespace mve;

extern "C" {

MVE_API int MVE_EnableMask(int flag)
{
    engine().mask.enabled = static_cast<std::uint8_t>(flag);
    return flag;
}

MVE_API int MVE_DisplayMask(int flag)
{
    engine().mask.displayed = static_cast<std::uint8_t>(flag);
    return flag;
}

MVE_API void MVE_SetMaskMakerOn(void) { engine().mask.makerOn = 1; }

// The six tint channels arrive as 8-bit values and are kept on the 16-bit
// scale the renderer multiplies with; the strength flag is kept as given.
MVE_API void MVE_SetMaskOptions(int r1, int g1, int b1, int r2, int g2, int b2, int strengthFlag)
{
    MaskState& m = engine().mask;
    const int channels[6] = {r1, g1, b1, r2, g2, b2};
    for (int i = 0; i < 6; ++i)
        m.tint[i] = static_cast<int>((static_cast<unsigned>(channels[i]) & 0xFFFFFFu) << 8);
    m.strengthFlag = strengthFlag;
}

}  // extern "C"
