#include "paint/paint_canvas.h"

#include "core/guard.h"
#include "paint/blend_buffers.h"
#include "paint/brush_shape.h"

namespace mve::paint {

namespace {

std::size_t square(int n) noexcept
{
    const std::size_t s = n > 0 ? static_cast<std::size_t>(n) : 0;
    return s * s;
}

}  // namespace

void on_canvas_created(Engine& e)
{
    const int m = e.canvas.maxBrushSize;
    for (auto& grit : e.paint.gritPatterns) require(grit.allocate(square(m + 25)));
    require(e.paint.brushShape.allocate(square(m)));
    set_blend_buffer_count(e, 1);
}

void on_canvas_released(Engine& e) noexcept
{
    set_blend_buffer_count(e, 0);  // allocates nothing: cannot fail
    e.paint.brushShape.reset();
    release_shape_cache(e);
    for (auto& grit : e.paint.gritPatterns) grit.reset();
}

}  // namespace mve::paint
