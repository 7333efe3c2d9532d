// View settings: the zoom, the largest output size, the scroll offset and the
// area of interest. Only the zoom and the view size steer the renderer; the
// offset and the area of interest are kept for the host.
#include "view/view_settings.h"

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

void set_scale(ViewState& view, int factor, float step) noexcept
{
    view.scaleFactor = factor;
    view.scaleStep = step;
}

void set_view_size(ViewState& view, int width, int height) noexcept
{
    view.viewWidth = width;
    view.viewHeight = height;
}

void set_offset(ViewState& view, int x, int y) noexcept
{
    view.offsetX = x;
    view.offsetY = y;
}

void set_area_of_interest(ViewState& view, int a, int b, int c, int d) noexcept
{
    int* aoi = view.areaOfInterest;
    aoi[0] = a;
    aoi[1] = b;
    aoi[2] = c;
    aoi[3] = d;
}

int set_tracing_mode(ViewState& view, int flag) noexcept
{
    view.tracingMode = static_cast<std::uint8_t>(flag);
    return view.tracingMode;
}

}  // namespace mve::view

using namespace mve;

extern "C" {

MVE_API void MVE_SetScale(int factor, float step)
{
    view::set_scale(engine().view, factor, step);
}

MVE_API void MVE_SetViewSize(int width, int height)
{
    view::set_view_size(engine().view, width, height);
}

MVE_API void MVE_SetOffset(int x, int y)
{
    view::set_offset(engine().view, x, y);
}

MVE_API void MVE_SetAOI(int a, int b, int c, int d)
{
    view::set_area_of_interest(engine().view, a, b, c, d);
}

MVE_API int MVE_SetTracingMode(int flag)
{
    return view::set_tracing_mode(engine().view, flag);
}

}  // extern "C"
