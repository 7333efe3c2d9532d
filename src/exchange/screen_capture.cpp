// Screen capture exports: the whole screen into the staging image, or onto
// the current layer at (0, 0). Without a display both return 0.
#include "platform/screen_capture.h"
#include "core/guard.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "morvane/morvane.h"

namespace mve::exchange {

bool capture_into_staging(Engine& e)
{
    platform::ScreenPicture shot;
    if (!platform::capture_screen(shot)) return false;
    return stage_rgba32(e.exchange.staging, shot.rgba.data(), shot.width, shot.height);
}

bool capture_into_layer(Engine& e)
{
    if (!capture_into_staging(e)) return false;
    const bool done = overlay_into_current(e, staged_picture(e.exchange.staging), 0, 0);
    delete_staging(e.exchange.staging);
    return done;
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API int MVE_ScreenCapture(void)
{
    return guarded("ScreenCapture Excpt", 0, [] { return ex::capture_into_staging(mve::engine()) ? 1 : 0; });
}

MVE_API int MVE_ScreenCaptureInto(void)
{
    return guarded("ScreenCaptureInto Excpt", 0,
                   [] { return ex::capture_into_layer(mve::engine()) ? 1 : 0; });
}

}  // extern "C"
