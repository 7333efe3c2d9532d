// Brush locks and modes, rotation, and the one-shot flags of the next dab.
#include <cmath>

#include "brush/brush_settings.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace mve {

void set_rotate_mode(BrushSettings& b, int on, int degrees) noexcept
{
    b.rotateOn = on;
    b.rotateDegrees = degrees;
    // The constant 3.14159, not full-precision pi: hosts rely on its exact values.
    const double radians = degrees * (1.0 / 180.0) * 3.14159;
    b.rotateRadians = static_cast<float>(radians);
    b.rotateSin = static_cast<float>(std::sin(radians));
    b.rotateCos = static_cast<float>(std::cos(radians));
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_SetAlphaLocked(int v) { engine().brush.alphaLocked = static_cast<std::uint8_t>(v); }
MVE_API void MVE_SetColorLocked(int v) { engine().brush.colorLocked = v; }
MVE_API void MVE_SetBlobLocked(int v) { engine().brush.blobLocked = v; }
MVE_API void MVE_SetAlphaLevel(int v) { engine().brush.alphaLevel = v; }
MVE_API void MVE_SetImageBrushMode(int v) { engine().brush.imageBrushMode = v; }
MVE_API void MVE_SetSolidBrushMode(int v) { engine().brush.solidBrushMode = v; }

MVE_API void MVE_SetRotateBrushMode(int on, int degrees) { set_rotate_mode(engine().brush, on, degrees); }

MVE_API void MVE_TempDisableBlend(void) { engine().brush.blendDisabledOnce = 1; }
MVE_API void MVE_SetEraseModeOn(void) { engine().brush.eraseMode = 1; }

}  // extern "C"
