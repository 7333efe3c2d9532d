// The single-buffer tools of the processing family: pan of Src32 into Dst32
// merged back over the current layer, the point-to-point push warp, and the
// "blur more" tool on a host RGB24 buffer.
#include "ipl/warp.h"

#include <cstring>

#include "core/guard.h"
#include "core/merge_core.h"
#include "core/pixel_convert.h"
#include "core/transfer.h"
#include "imagelib/block_copy.h"
#include "imagelib/transforms.h"
#include "ipl/merge_back.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace mve {

namespace ipl {

void pan(Engine& e, int dx, int dy, int edgeMode, int r, int g, int b, int a, bool applyMask)
{
    std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
    std::uint8_t* dst = canvas_rgba32(e, e.ipl.dst32.write());
    if (!src || !dst) return;
    const int W = e.canvas.width, H = e.canvas.height;
    if (edgeMode != 0) {
        // Edge modes 1 wrap, 2 repeat the edge, 3 mirror; others fill with (r, g, b, a).
        const std::uint32_t background =
            static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
            (static_cast<std::uint32_t>(b & 0xFF) << 16) | (static_cast<std::uint32_t>(a & 0xFF) << 24);
        il::clear_all_transforms();
        if (!il::add_offset_transform(W, H, dx, dy, edgeMode)) return;
        const int ok = il::transform_process(src, W, H, 4, W * 4, dst, W * 4, 0, background, 0);
        il::clear_all_transforms();
        if (!ok) return;
    } else {
        // Uncovered pixels stay transparent; content moved off the canvas is lost.
        std::memset(dst, 0, canvas_bytes(e, 4));
        if (!overlay_image(dst, W, H, 4, W * 4, src, W, H, W * 4, dx, dy, 1.0, 0)) return;
    }
    if (applyMask) core::cover_rgba32(dst, W, H);
    merge_rgba32_over_current(e, dst, 255);
    // The layer changed as a whole: the next undo save must cover it.
    undo_mark_all_dirty(e);
}

void warp_point_to_point(Engine& e, int x1, int y1, int x2, int y2, int maskFlag) noexcept
{
    guarded("WarpPointToPoint Excpt", [&] {
        std::uint8_t* src = canvas_rgba32(e, e.ipl.src32);
        std::uint8_t* dst = canvas_rgba32(e, e.ipl.dst32.write());
        if (!src || !dst) return;
        const int W = e.canvas.width, H = e.canvas.height;
        // Premultiplied while sampling, so transparent pixels lend no colour.
        core::premultiply_rgba32(src, W, H);
        if (il::push_image(src, W, H, 4, W * 4, dst, 0, 0, il::PointI{x2, y2}, il::PointI{x1, y1}, 0)) {
            core::unpremultiply_rgba32(dst, W, H);
            core::load_rgba32_into_current(e, dst, W * 4, maskFlag != 0);
        }
    });
    undo_mark_all_dirty(e);
}

void blur_more_buffer_rgb24(std::uint8_t* rgb, int width, int height, int amount, int percent)
{
    if (!rgb || width <= 0 || height <= 0 || !plane_size_allowed(width, height)) return;
    Plane8 temp;
    require(temp.allocate(static_cast<std::size_t>(width) * height * 3));
    const int radius = amount / 5 > 0 ? amount / 5 : 0;
    if (il::blur_image(rgb, width, height, temp.data(), 3, width * 3, width * 3, radius, percent * 0.01, 15))
        std::memcpy(rgb, temp.data(), temp.bytes());
}

}  // namespace ipl

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_IPLPan(int dx, int dy, int edgeMode, int r, int g, int b, int a, bool applyMask)
{
    guarded("IPLPan Excpt", [&] { ipl::pan(engine(), dx, dy, edgeMode, r, g, b, a, applyMask); });
}

MVE_API void MVE_WarpPointToPoint(int x1, int y1, int x2, int y2, int maskFlag)
{
    ipl::warp_point_to_point(engine(), x1, y1, x2, y2, maskFlag);
}

MVE_API void MVE_BlurMoreBufferRGB24(unsigned char* rgb, int width, int height, int amount, int percent)
{
    guarded("BlurMoreBuffer Excpt",
            [&] { ipl::blur_more_buffer_rgb24(rgb, width, height, amount, percent); });
}

}  // extern "C"
