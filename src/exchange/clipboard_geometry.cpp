// Shaping a clipboard picture for a paste: scaling the longer side, exact
// resampling, turning by hundredths of a degree, centring on a square, and
// placing the result into a layer (merged) or onto the layer's copy (exact).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/blend_modes.h"
#include "core/guard.h"
#include "core/layers.h"
#include "core/merge_core.h"
#include "core/pixel_convert.h"
#include "core/transfer.h"
#include "exchange/clipboard.h"
#include "imagelib/block_copy.h"
#include "imagelib/resampling.h"
#include "imagelib/rotate_any.h"

namespace mve::exchange {

namespace {

// Bicubic for tiny pictures, where a wide kernel has nothing to work on.
constexpr int kSmallSide = 5;
constexpr double kRadiansPerDegree = 0.0174532925;
constexpr int kFullTurn = 36000;  // hundredths of a degree

}  // namespace

ClipPicture resample_to(const ClipPicture& p, int width, int height, bool smooth)
{
    width = std::max(1, width);
    height = std::max(1, height);
    ClipPicture out = make_picture(width, height);
    if (!smooth) {
        require(il::simple_resample_image(p.data(), p.width, p.height, p.width * 4, out.data(), width, height,
                                          width * 4, 4) != 0);
        return out;
    }
    // Resampling straight colour would bleed the colour of transparent pixels
    // into the edges; premultiplied it cannot.
    ClipPicture src = p;
    core::premultiply_rgba32(src.data(), src.width, src.height);
    const bool small = std::min({p.width, p.height, width, height}) < kSmallSide;
    require(il::resize_image(src.data(), src.width, src.height, src.width * 4, out.data(), width, height,
                             width * 4, 4, small ? il::kFilterBicubic : il::kFilterLanczos3, 0) != 0);
    core::unpremultiply_rgba32(out.data(), width, height);
    return out;
}

ClipPicture scale_longer_side(const ClipPicture& p, int size, bool smooth)
{
    const double m = static_cast<double>(size) / std::max(p.width, p.height);
    if (m == 1.0) return p;
    return resample_to(p, std::max(1, static_cast<int>(m * p.width)),
                       std::max(1, static_cast<int>(m * p.height)), smooth);
}

ClipPicture rotate_hundredths(const ClipPicture& p, int angle, bool smooth)
{
    if (angle == 0 || angle == kFullTurn) return p;
    const double radians = angle * 0.01 * kRadiansPerDegree;
    int w = 0, h = 0;
    il::rotated_pixel_size(p.width, p.height, radians, &w, &h);
    ClipPicture out = make_picture(w, h);
    if (!smooth) {
        require(il::rotate_image(p.data(), p.width, p.height, p.width * 4, out.data(), w, h, w * 4, radians,
                                 false) != 0);
        return out;
    }
    ClipPicture src = p;
    core::premultiply_rgba32(src.data(), src.width, src.height);
    require(il::rotate_image(src.data(), src.width, src.height, src.width * 4, out.data(), w, h, w * 4,
                             radians, true) != 0);
    core::unpremultiply_rgba32(out.data(), w, h);
    return out;
}

ClipPicture centre_on_square(const ClipPicture& p, int side)
{
    ClipPicture out = make_picture(side, side);
    require(overlay_image(out.data(), side, side, 4, side * 4, p.data(), p.width, p.height, p.width * 4,
                          (side - p.width) / 2, (side - p.height) / 2, 1.0, 1) != 0);
    return out;
}

bool merge_picture(Engine& e, ClipPicture p, int x, int y, int opacity, bool toPaintLayer,
                   bool maskAndTexture)
{
    const bool intoPaint = toPaintLayer && e.layers.paint.present();
    LayerRecord* target = intoPaint ? &e.layers.paint : current_layer(e);
    if (!target || p.empty()) return false;
    // The part of the picture on the canvas (and on the plane, which may be
    // smaller than the canvas after a new size).
    const Extent ext = canvas_extent(e, *target);
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + p.width, ext.width), y1 = std::min(y + p.height, ext.height);
    if (x0 >= x1 || y0 >= y1) return false;
    const int w = x1 - x0, h = y1 - y0;
    if (w != p.width || h != p.height) {
        ClipPicture visible = make_picture(w, h);
        for (int row = 0; row < h; ++row)
            std::memcpy(visible.data() + static_cast<std::size_t>(row) * w * 4,
                        p.data() + (static_cast<std::size_t>(y0 - y + row) * p.width + (x0 - x)) * 4,
                        static_cast<std::size_t>(w) * 4);
        p = std::move(visible);
    }
    if (maskAndTexture) core::cover_rgba32_rect(e, p.data(), x0, y0, w, h);
    std::vector<std::uint16_t> wide(static_cast<std::size_t>(w) * h * 4);
    rgba32_to_rgba64(p.data(), wide.data(), static_cast<std::size_t>(w) * h);
    const int mode = intoPaint ? kAlphaNormal : kNormal;
    const bool lockAlpha = intoPaint ? false : target->lockAlpha != 0;
    merge_rgba64(wide.data(), 0, 0, w, h, w * 4, nullptr, target->pixels.begin_write(), x0, y0,
                 target->stride, mode, 0, std::clamp(opacity, 0, 256), 255, lockAlpha, false);
    if (intoPaint) core::set_paint_layer_extents(e, 0, 0, e.canvas.width, e.canvas.height);
    return true;
}

bool overlay_into_current(Engine& e, const ClipPicture& p, int x, int y)
{
    LayerRecord* layer = current_layer(e);
    if (!layer || p.empty()) return false;
    // Only the covered rectangle is loaded: a round trip of the whole layer
    // through 8 bits would cut every other pixel's low byte.
    load_rgba32_layer(e, p.data(), p.width * 4, *layer, x, y, p.width, p.height, false);
    return true;
}

}  // namespace mve::exchange
