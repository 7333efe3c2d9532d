// Painting glue of the demo host (see paint_host.h).
#include "paint_host.h"

#include <cmath>

#include "morvane/morvane.h"

namespace mve_host {

int draw_stroke(const std::vector<StrokePoint>& points, const StrokeStyle& style, Colour16 colour,
                const BeforeDab& before)
{
    MVE_SetSize(style.size);
    const int count = walk_stroke(points, style, [&](const StrokeDab& dab) {
        const int x = static_cast<int>(std::lround(dab.x)), y = static_cast<int>(std::lround(dab.y));
        // The scaled dab samples the full-size shape evenly, so a lighter
        // press gives a smaller copy of the same brush, not a cut-out of it.
        MVE_SetScaleSize(dab.size);
        MVE_SetAlpha(dab.alpha);
        if (before) before(dab, x, y);
        MVE_DrawDabGrit(x, y, colour.r, colour.g, colour.b);
        // One dab off the grit countdown, so long strokes cycle the patterns.
        MVE_DecDrawingLength();
    });
    MVE_SetSize(style.size);
    MVE_SetAlpha(style.alpha);
    return count;
}

std::vector<unsigned short> read_layer(const DemoContext& ctx, int index)
{
    std::vector<unsigned short> p(static_cast<std::size_t>(ctx.width) * ctx.height * 4);
    MVE_GetLayerData(p.data(), index);
    return p;
}

}  // namespace mve_host
