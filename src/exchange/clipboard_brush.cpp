// The clipboard turned into painting resources: the source image brush, an
// image-brush PNG file, and a grey brush-shape PNG file (white = full dab).
#include <algorithm>

#include "core/guard.h"
#include "exchange/clipboard.h"
#include "exchange/exchange.h"
#include "morvane/morvane.h"
#include "paint/image_brush.h"

namespace mve::exchange {

namespace {

// Brush files are written at 300 dpi.
constexpr int kBrushFileDpi = 300;

// The clipboard's picture with its longer side scaled to `size`, smooth;
// empty when the clipboard holds nothing.
ClipPicture clipboard_scaled_to(Engine& e, int size)
{
    if (size <= 0 || !stage_clipboard(e)) return {};
    ClipPicture p = scale_longer_side(staged_picture(e.exchange.staging), size, true);
    delete_staging(e.exchange.staging);
    return p;
}

ClipPicture brush_square(Engine& e, int size)
{
    const ClipPicture p = clipboard_scaled_to(e, size);
    return p.empty() ? p : centre_on_square(p, size);
}

}  // namespace

void alpha_from_darkness(ClipPicture& p) noexcept
{
    const std::size_t n = p.rgba.size();
    for (std::size_t i = 3; i < n; i += 4)
        if (p.rgba[i] != 255) return;
    // An opaque picture has no shape of its own: dark parts become the shape.
    for (std::size_t i = 0; i < n; i += 4)
        p.rgba[i + 3] = static_cast<std::uint8_t>(255 - (p.rgba[i] + p.rgba[i + 1] + p.rgba[i + 2]) / 3);
}

void grey_from_alpha(ClipPicture& p) noexcept
{
    for (std::size_t i = 0; i < p.rgba.size(); i += 4) {
        p.rgba[i] = p.rgba[i + 1] = p.rgba[i + 2] = p.rgba[i + 3];
        p.rgba[i + 3] = 255;
    }
}

bool clipboard_to_image_brush(Engine& e, int size)
{
    const ClipPicture sq = brush_square(e, size);
    if (sq.empty()) return false;
    load_image_brush_rgba32(e, sq.data(), sq.width, sq.height);
    return true;
}

bool clipboard_to_image_brush_file(Engine& e, const char* path, int size)
{
    const ClipPicture sq = brush_square(e, size);
    return !sq.empty() && write_buffer(sq.data(), sq.width, sq.height, path, ".png", kBrushFileDpi, 32,
                                       e.exchange.jpegQuality);
}

bool clipboard_to_shape_file(Engine& e, const char* path, int size, int angle)
{
    ClipPicture p = clipboard_scaled_to(e, size);
    if (p.empty()) return false;
    p = rotate_hundredths(p, angle, true);
    alpha_from_darkness(p);
    ClipPicture sq = centre_on_square(p, size);
    grey_from_alpha(sq);
    return write_buffer(sq.data(), sq.width, sq.height, path, ".png", kBrushFileDpi, 32,
                        e.exchange.jpegQuality);
}

}  // namespace mve::exchange

using mve::guarded;
namespace ex = mve::exchange;

extern "C" {

MVE_API void MVE_FromClipboardToImageBrush(int size)
{
    guarded("FromClipBoardToImageBrush Excpt", [&] { ex::clipboard_to_image_brush(mve::engine(), size); });
}

MVE_API void MVE_FromClipboardToImageBrushFile(const char* path, int size)
{
    guarded("MVE_FromClipboardToImageBrushFile Excpt",
            [&] { ex::clipboard_to_image_brush_file(mve::engine(), path, size); });
}

MVE_API void MVE_FromClipboardToShapeFile(const char* path, int size, int angle)
{
    guarded("MVE_FromClipboardToShapeFile Excpt",
            [&] { ex::clipboard_to_shape_file(mve::engine(), path, size, angle); });
}

}  // extern "C"
