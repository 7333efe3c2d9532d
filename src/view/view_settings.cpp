// View settings: the zoom, the largest output size, the scroll offset and the
// area of interest. Only the zoom and the view size steer the renderer; the
// offset and the area of interest are kept for the host.
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "view/view_renderer.h"

namespace mve::view {

void on_canvas_created(ViewState& view) noexcept
{
    view.scaleFactor = 1;
    view.scaleStep = 1.0f;
    view.offsetX = 0;
    view.offsetY = 0;
    view.tracingMode = 0;
}

}  // namespace mve::view

using namespace mve;

extern "C" {

MVE_API void MVE_SetScale(int factor, float step)
{
    ViewState& v = engine().view;
    v.scaleFactor = factor;
    v.scaleStep = step;
}

MVE_API void MVE_SetViewSize(int width, int height)
{
    ViewState& v = engine().view;
    v.viewWidth = width;
    v.viewHeight = height;
}

MVE_API void MVE_SetOffset(int x, int y)
{
    ViewState& v = engine().view;
    v.offsetX = x;
    v.offsetY = y;
}

MVE_API void MVE_SetAOI(int a, int b, int c, int d)
{
    int* aoi = engine().view.areaOfInterest;
    aoi[0] = a;
    aoi[1] = b;
    aoi[2] = c;
    aoi[3] = d;
}

MVE_API int MVE_SetTracingMode(int flag)
{
    ViewState& view = engine().view;
    view.tracingMode = static_cast<std::uint8_t>(flag);
    return view.tracingMode;
}

}  // extern "C"
