// Merging a canvas-laid RGBA32 picture over the current layer.
#include "ipl/merge_back.h"

#include <algorithm>

#include "core/guard.h"
#include "core/merge_core.h"
#include "core/pixel_convert.h"
#include "core/transfer.h"

namespace mve::ipl {

namespace {

// Rows widened and merged per step: enough for the merge's own row loop to
// spread over the workers, small enough to stay in cache.
constexpr int kBandRows = 32;

}  // namespace

void merge_rgba32_over_current(Engine& e, const std::uint8_t* rgba, int rowBytes, int x, int y, int w, int h,
                               int opacity)
{
    LayerRecord* layer = current_layer(e);
    if (!layer || !rgba) return;
    const Extent ext = canvas_extent(e, *layer);
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, ext.width), y1 = std::min(y + h, ext.height);
    if (x0 >= x1 || y0 >= y1) return;
    const int cw = x1 - x0;
    Plane16 band;
    require(band.allocate(static_cast<std::size_t>(cw) * kBandRows * 4));
    for (int top = y0; top < y1; top += kBandRows) {
        const int rows = std::min(kBandRows, y1 - top);
        for (int r = 0; r < rows; ++r)
            rgba32_to_rgba64(rgba + static_cast<std::ptrdiff_t>(top + r - y) * rowBytes +
                                 static_cast<std::ptrdiff_t>(x0 - x) * 4,
                             band.data() + static_cast<std::size_t>(r) * cw * 4,
                             static_cast<std::size_t>(cw));
        merge_rgba64(band.data(), 0, 0, cw, rows, cw * 4, nullptr, layer->pixels.begin_write(), x0, top,
                     layer->stride, 0, 0, opacity, 255, layer->lockAlpha != 0, false);
    }
}

void merge_rgba32_over_current(Engine& e, const std::uint8_t* rgba, int opacity)
{
    merge_rgba32_over_current(e, rgba, e.canvas.width * 4, 0, 0, e.canvas.width, e.canvas.height, opacity);
}

}  // namespace mve::ipl
