// Filled rectangle and ellipse over the current layer, and the rectangle and
// ellipse selections combined into the Mask.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "core/transfer.h"
#include "ipl/fills.h"
#include "ipl/merge_back.h"
#include "ipl/processing_buffers.h"
#include "ipl/shape_geometry.h"
#include "mask/mask_combine.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve::ipl {

namespace {

// The shape is drawn opaque into a picture covering its bounds on the
// canvas, the rest transparent in the same colour; the Mask and texture
// scale its alpha and the merge core lays it over the layer. Pixels outside
// the bounds would be transparent and change nothing, so they are skipped.
template <class Draw>
void draw_shape(Engine& e, int r, int g, int b, Box bounds, int opacity, Draw&& draw)
{
    const Box area{std::max(bounds.left, 0), std::max(bounds.top, 0),
                   std::min(bounds.right, e.canvas.width - 1), std::min(bounds.bottom, e.canvas.height - 1)};
    if (area.empty() || !current_layer(e)) return;
    const int w = area.right - area.left + 1, h = area.bottom - area.top + 1;
    Plane8 picture;
    require(picture.allocate(static_cast<std::size_t>(w) * h * 4));
    core::fill_rgba32_buffer(picture.data(), w, h, r, g, b, 0);
    const std::uint8_t opaque[4] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                    static_cast<std::uint8_t>(b), 255};
    draw(ShapeTarget{picture.data(), 4, w * 4, area}, opaque);
    core::cover_rgba32_rect(e, picture.data(), area.left, area.top, w, h);
    merge_rgba32_over_current(e, picture.data(), w * 4, area.left, area.top, w, h, percent_to_level(opacity));
}

// A canvas-sized grey picture, black but for the shape in grey level s,
// combined into the Mask.
template <class Draw>
void select_shape(Engine& e, int strength, int combineFlag, const char* operation, Draw&& draw)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (W <= 0 || H <= 0) return;
    Plane8 grey;
    require(grey.allocate(canvas_bytes(e, 3)));
    std::memset(grey.data(), 0, grey.bytes());
    const int s = percent_to_level(strength);
    const std::uint8_t level[3] = {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s),
                                   static_cast<std::uint8_t>(s)};
    draw(ShapeTarget{grey.data(), 3, W * 3, Box{0, 0, W - 1, H - 1}}, level);
    mask::combine(e, grey.data(), W * 3, combineFlag, s, operation);
}

}  // namespace

void draw_rectangle(Engine& e, int r, int g, int b, int x0, int y0, int x1, int y1, int opacity)
{
    const Box box = tool_box(x0, y0, x1, y1);
    draw_shape(e, r, g, b, box, opacity,
               [&](const ShapeTarget& t, const std::uint8_t* value) { fill_box(t, box, value); });
}

void draw_ellipse(Engine& e, int r, int g, int b, int x0, int y0, int x1, int y1, int opacity)
{
    const Ellipse el = ellipse_in(tool_box(x0, y0, x1, y1));
    draw_shape(e, r, g, b, ellipse_bounds(el), opacity,
               [&](const ShapeTarget& t, const std::uint8_t* value) { fill_ellipse(t, el, value); });
}

void mask_rectangle(Engine& e, int x0, int y0, int x1, int y1, int strength, int combineFlag,
                    const char* operation)
{
    const Box box = selection_box(x0, y0, x1, y1);
    select_shape(e, strength, combineFlag, operation,
                 [&](const ShapeTarget& t, const std::uint8_t* value) { fill_box(t, box, value); });
}

void mask_ellipse(Engine& e, int x0, int y0, int x1, int y1, int strength, int combineFlag,
                  const char* operation)
{
    const Ellipse el = ellipse_in(selection_box(x0, y0, x1, y1));
    select_shape(e, strength, combineFlag, operation,
                 [&](const ShapeTarget& t, const std::uint8_t* value) { fill_ellipse(t, el, value); });
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLRectangle(int r, int g, int b, int x0, int y0, int x1, int y1, int opacity)
{
    Engine& e = engine();
    guarded("IPLRectangle Excpt", [&] { ipl::draw_rectangle(e, r, g, b, x0, y0, x1, y1, opacity); });
    undo_mark_all_dirty(e);
}

MVE_API void MVE_IPLEllipse(int r, int g, int b, int x0, int y0, int x1, int y1, int opacity)
{
    Engine& e = engine();
    guarded("IPLEllipse Excpt", [&] { ipl::draw_ellipse(e, r, g, b, x0, y0, x1, y1, opacity); });
    undo_mark_all_dirty(e);
}

MVE_API void MVE_IPLMaskRectangle(int x0, int y0, int x1, int y1, int strength, int combineFlag,
                                  const char* operation)
{
    Engine& e = engine();
    guarded("IPLMaskRectangle Excpt",
            [&] { ipl::mask_rectangle(e, x0, y0, x1, y1, strength, combineFlag, operation); });
    undo_mark_all_dirty(e);
}

MVE_API void MVE_IPLMaskEllipse(int x0, int y0, int x1, int y1, int strength, int combineFlag,
                                const char* operation)
{
    Engine& e = engine();
    guarded("IPLMaskEllipse Excpt",
            [&] { ipl::mask_ellipse(e, x0, y0, x1, y1, strength, combineFlag, operation); });
    undo_mark_all_dirty(e);
}

}  // extern "C"
