#include "paint/paint_layer_merge.h"

#include <algorithm>

#include "core/guard.h"
#include "core/layers.h"
#include "core/merge_core.h"
#include "imagelib/filters.h"
#include "morvane/morvane.h"

namespace mve::paint {

void merge_paint_layer(Engine& e, int index) noexcept
{
    LayerRecord& paint = e.layers.paint;
    LayerRecord* into = present_layer(e, index);
    if (!paint.present() || !into) return;
    // The extents rectangle, kept on both planes.
    const int x0 = std::max(paint.extents[0], 0), y0 = std::max(paint.extents[1], 0);
    const int x1 = std::min({paint.extents[2], paint.width, into->width});
    const int y1 = std::min({paint.extents[3], paint.height, into->height});
    const bool lock = (e.layers.current && e.layers.current->lockAlpha) || e.brush.alphaLocked;
    if (x1 > x0 && y1 > y0)
        merge_rgba64(paint.pixels.data(), x0, y0, x1 - x0, y1 - y0, paint.stride, nullptr,
                     into->pixels.begin_write(), x0, y0, into->stride, paint.blendMode, 0, paint.opacity,
                     paint.level, lock, false);
    core::clear_paint_layer(e);
}

void blur_paint_layer_alpha(LayerRecord& paint)
{
    if (!paint.present()) return;
    const std::size_t count = static_cast<std::size_t>(paint.width) * paint.height;
    Plane8 alpha, blurred;
    require(alpha.allocate(count) && blurred.allocate(count));
    const std::uint16_t* p = paint.pixels.data();
    for (std::size_t i = 0; i < count; ++i) alpha[i] = static_cast<std::uint8_t>(p[i * 4 + 3] >> 8);
    if (!blur_gray8(alpha.data(), blurred.data(), paint.width, paint.height, 100)) return;
    std::uint16_t* out = paint.pixels.begin_write();
    // Nearly solid paint stays solid; the rest takes the blurred edge.
    for (std::size_t i = 0; i < count; ++i)
        out[i * 4 + 3] = alpha[i] >= 240 ? 0xFFFF : static_cast<std::uint16_t>(blurred[i] << 8);
}

}  // namespace mve::paint

using namespace mve;

extern "C" {

MVE_API void MVE_MergePaintLayer(int index)
{
    paint::merge_paint_layer(engine(), index);
}

MVE_API void MVE_BlurPaintLayerAlpha(void)
{
    guarded("BlurPaintLayerAlpha Excpt", [] { paint::blur_paint_layer_alpha(engine().layers.paint); });
}

}  // extern "C"
