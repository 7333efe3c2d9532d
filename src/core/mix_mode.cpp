// The paint mix mode and the tracing-mode byte: two stored settings.
#include "core/engine.h"
#include "morvane/morvane.h"

using namespace mve;

extern "C" {

MVE_API int MVE_SetMixMode(int mode, int level)
{
    BrushSettings& brush = engine().brush;
    brush.mixMode = mode;
    brush.mixLevel = level;
    brush.mixLevelInverse = 256 - level;
    // Signed strengths around the middle level 127, truncated toward zero.
    const double centred = (level - 127) / 127.0;
    brush.mixLevel10 = static_cast<int>(centred * 10);
    brush.mixLevel16 = static_cast<int>(centred * 16);
    return brush.mixLevel16;
}

MVE_API int MVE_SetTracingMode(int flag)
{
    ViewState& view = engine().view;
    view.tracingMode = static_cast<std::uint8_t>(flag);
    return view.tracingMode;
}

}  // extern "C"
