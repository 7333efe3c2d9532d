// View settings: the zoom, the largest output size, the scroll offset and the
// area of interest. Only the zoom and the view size steer the renderer; the
// offset and the area of interest are kept for the host.
#include "core/engine.h"
#include "morvane/morvane.h"

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

}  // extern "C"
