// Document geometry without resampling: crop, quarter-turn rotations and
// flips. Each ends by marking the whole canvas dirty for undo, also after a
// failure.
#include "ipl/geometry.h"

#include "core/guard.h"
#include "imagelib/geometry.h"
#include "ipl/geometry_layers.h"
#include "undo/undo_store.h"

namespace mve::ipl {

namespace {

// Rotates every layer by a quarter turn (mode 0 clockwise, 2 counter-clockwise).
void rotate_layers(Engine& e, int mode)
{
    const int W = e.canvas.width, H = e.canvas.height;
    for_each_user_layer(e, H, W, LockClear::BeforeRead, [&](int, const std::uint8_t* old, std::uint8_t* result) {
        return il::quick_rotate_image(old, W, H, W * 4, result, H * 4, mode, 4) != 0;
    });
}

// Flips every layer in place. The size is unchanged, so layers are not
// recreated; the lock alpha is lifted for the load so that alpha is flipped
// with the colour.
void flip_layers(Engine& e, bool horizontal)
{
    const int W = e.canvas.width, H = e.canvas.height;
    if (W <= 0 || H <= 0) return;
    Plane8 buffer;
    require(buffer.allocate(static_cast<std::size_t>(W) * H * 4));
    for (int i = 1; i <= e.layers.count && i < kLayerCount; ++i) {
        LayerRecord& layer = e.layers.table[i];
        if (!layer.present()) continue;
        std::memset(buffer.data(), 0, buffer.bytes());
        core::read_layer_rgba32(e, buffer.data(), W * 4, i);
        const int ok = horizontal ? il::horizontal_flip_image(buffer.data(), W, H, 4, W * 4)
                                  : il::vertical_flip_image(buffer.data(), W * 4, H);
        if (!ok) continue;
        const std::uint8_t saved = layer.lockAlpha;
        layer.lockAlpha = 0;
        // Only the part the canvas-sized buffer holds goes back.
        const Extent ext = canvas_extent(e, layer);
        core::load_rgba32_into_layer(e, buffer.data(), W * 4, i, 0, 0, ext.width, ext.height, false);
        layer.lockAlpha = saved;
    }
}

// Runs a geometry body under its failure text and marks the canvas dirty afterwards.
template <class F>
void with_dirty_canvas(Engine& e, const char* text, F&& body)
{
    guarded(text, body);
    undo_mark_all_dirty(e);
}

}  // namespace

void crop(Engine& e, int left, int top, int right, int bottom) noexcept
{
    with_dirty_canvas(e, "IPLCrop Excpt", [&] {
        const int W = e.canvas.width, H = e.canvas.height;
        const il::CropRect rect{left, top, right, bottom};
        const long long width = static_cast<long long>(right) - left, height = static_cast<long long>(bottom) - top;
        if (width <= 0 || height <= 0 || width > kMaxGeometrySide || height > kMaxGeometrySide) return;
        // A rectangle outside the canvas makes every crop fail: no layer changes.
        for_each_user_layer(e, right - left, bottom - top, LockClear::AfterOperation,
                            [&](int, const std::uint8_t* old, std::uint8_t* result) {
                                return il::crop_image(old, W, H, W * 4, result, (right - left) * 4, rect, 4) != 0;
                            });
    });
}

void rotate_left(Engine& e) noexcept
{
    with_dirty_canvas(e, "IPLRotateLeft Excpt", [&] { rotate_layers(e, 2); });
}

void rotate_right(Engine& e) noexcept
{
    with_dirty_canvas(e, "IPLRotateRight Excpt", [&] { rotate_layers(e, 0); });
}

void flip_horizontal(Engine& e) noexcept
{
    with_dirty_canvas(e, "IPLFlipHorizontal Excpt", [&] { flip_layers(e, true); });
}

void flip_vertical(Engine& e) noexcept
{
    with_dirty_canvas(e, "IPLVlipVertical Excpt", [&] { flip_layers(e, false); });
}

}  // namespace mve::ipl

using namespace mve;

extern "C" {

MVE_API void MVE_IPLCrop(int left, int top, int right, int bottom)
{
    ipl::crop(engine(), left, top, right, bottom);
}

MVE_API void MVE_IPLRotateLeft(void)
{
    ipl::rotate_left(engine());
}

MVE_API void MVE_IPLRotateRight(void)
{
    ipl::rotate_right(engine());
}

MVE_API void MVE_IPLFlipHorizontal(void)
{
    ipl::flip_horizontal(engine());
}

MVE_API void MVE_IPLFlipVertical(void)
{
    ipl::flip_vertical(engine());
}

}  // extern "C"
