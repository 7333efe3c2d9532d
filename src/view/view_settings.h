// View settings: the zoom, the largest output size, the scroll offset, the
// area of interest and the tracing mode. Only the zoom, the view size and the
// tracing mode steer the renderer; the offset and the area of interest are
// kept for the host. (A new canvas resets them: view::on_canvas_created.)
#pragma once

#include "core/canvas_state.h"

namespace mve::view {

// The zoom: a factor and the step it moves by.
void set_scale(ViewState& view, int factor, float step) noexcept;
// The largest output size the host renders.
void set_view_size(ViewState& view, int width, int height) noexcept;
void set_offset(ViewState& view, int x, int y) noexcept;
void set_area_of_interest(ViewState& view, int a, int b, int c, int d) noexcept;
// While tracing is on the renderer blends each shown colour halfway to the
// Trace image. The flag is kept as one byte, which is returned.
int set_tracing_mode(ViewState& view, int flag) noexcept;

}  // namespace mve::view
