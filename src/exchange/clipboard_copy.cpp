// Exports that put pictures on the clipboard: the current layer (whole or a
// rectangle, through the Mask), a host picture, a file, and the clipboard's
// own picture flipped; and the clipboard written to a file.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/guard.h"
#include "core/transfer.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "imagelib/geometry.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

namespace mve::exchange {

namespace {

// The current layer as a canvas-sized RGBA32 picture, its alpha scaled by the
// Mask when `useMask` and the Mask is enabled. Empty without a current layer.
ClipPicture current_layer_picture(Engine& e, bool useMask)
{
    if (!current_layer(e) || e.canvas.width <= 0 || e.canvas.height <= 0) return {};
    ClipPicture p = make_picture(e.canvas.width, e.canvas.height);
    core::read_current_rgba32(e, p.data(), p.width * 4);
    if (useMask && e.mask.enabled)
        mask::apply_to_alpha_rect(e, p.data(), p.width * 4, 0, 0, p.width - 1, p.height - 1);
    return p;
}

}  // namespace

void copy_layer_to_clipboard(Engine& e, bool useMask)
{
    ClipPicture p = current_layer_picture(e, useMask);
    if (!p.empty()) put_on_clipboard(e, std::move(p));
}

void copy_host_picture_to_clipboard(Engine& e, const std::uint8_t* pixels, int x, int y, int w, int h,
                                    bool useMask)
{
    if (!pixels || w <= 0 || h <= 0) return;
    // The host's buffer is only read: the Mask is applied to a copy.
    ClipPicture p = make_picture(w, h);
    std::memcpy(p.data(), pixels, p.rgba.size());
    if (useMask && e.mask.enabled) mask::apply_to_alpha_rect(e, p.data(), w * 4, x, y, x + w - 1, y + h - 1);
    put_on_clipboard(e, std::move(p));
}

void copy_layer_rect_to_clipboard(Engine& e, int x0, int y0, int x1, int y1)
{
    const ClipPicture layer = current_layer_picture(e, true);
    if (layer.empty()) return;
    // The rectangle between the two corners, kept on the canvas.
    il::CropRect r{std::min(x0, x1), std::min(y0, y1), 0, 0};
    r.right = r.left + std::abs(x0 - x1);
    r.bottom = r.top + std::abs(y0 - y1);
    r.left = std::max(r.left, 0), r.top = std::max(r.top, 0);
    r.right = std::min(r.right, layer.width), r.bottom = std::min(r.bottom, layer.height);
    if (r.left >= r.right || r.top >= r.bottom) return;
    ClipPicture crop = make_picture(r.right - r.left, r.bottom - r.top);
    require(il::crop_image(layer.data(), layer.width, layer.height, layer.width * 4, crop.data(),
                           crop.width * 4, r, 4) != 0);
    put_on_clipboard(e, std::move(crop));
}

void flip_clipboard(Engine& e, bool horizontal)
{
    if (!stage_clipboard(e)) return;
    StagingImage& s = e.exchange.staging;
    if (horizontal)
        il::horizontal_flip_image(s.pixels.data(), s.width, s.height, 4, s.width * 4);
    else
        il::vertical_flip_image(s.pixels.data(), s.width * 4, s.height);
    put_on_clipboard(e, staged_picture(s));
    delete_staging(s);
}

bool clipboard_to_file(Engine& e, const char* path, const char* extension, int dpi)
{
    if (!stage_clipboard(e)) return false;
    const StagingImage& s = e.exchange.staging;
    return write_buffer(s.pixels.data(), s.width, s.height, path, extension, dpi, 32, e.exchange.jpegQuality);
}

bool file_to_clipboard(Engine& e, const char* path)
{
    if (!read_into_staging(e.exchange.staging, decode_file(path))) return false;
    return put_on_clipboard(e, staged_picture(e.exchange.staging));
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API void MVE_ToClipboard(int useMask)
{
    guarded("ToClipboard Excpt", [&] { ex::copy_layer_to_clipboard(mve::engine(), useMask != 0); });
}

MVE_API void MVE_RGBA32ToClipboardRect(const unsigned char* pixels, int x, int y, int w, int h, int useMask)
{
    guarded("RGBA32ToClipboardRect Excpt",
            [&] { ex::copy_host_picture_to_clipboard(mve::engine(), pixels, x, y, w, h, useMask != 0); });
}

MVE_API void MVE_ToClipboardRect(int x0, int y0, int x1, int y1)
{
    guarded("ToClipBoardRect Excpt",
            [&] { ex::copy_layer_rect_to_clipboard(mve::engine(), x0, y0, x1, y1); });
}

MVE_API void MVE_ClipboardFlip(int horizontal)
{
    guarded("ClipBoardHFlip Excpt", [&] { ex::flip_clipboard(mve::engine(), horizontal == 1); });
}

MVE_API int MVE_FromClipboardToFile(const char* path, const char* extension, int dpi)
{
    return guarded("FromClipboardToFile Excpt", 0,
                   [&] { return ex::clipboard_to_file(mve::engine(), path, extension, dpi) ? 1 : 0; });
}

MVE_API int MVE_ToClipboardFromFile(const char* path)
{
    return guarded("ToClipboardFromFile Excpt", 0,
                   [&] { return ex::file_to_clipboard(mve::engine(), path) ? 1 : 0; });
}

}  // extern "C"
