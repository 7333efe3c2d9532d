// Conversions between the Mask and pictures: RGB24 grey pictures, the
// current layer's colour and alpha, 8-bit alpha of RGBA32 buffers, and
// run-length lines.
#include "mask/mask_conversions.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "core/clip.h"
#include "core/parallel.h"
#include "core/rle_codecs.h"
#include "core/transfer.h"
#include "mask/mask_ops.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

std::uint8_t* byte_row(unsigned char* buffer, int rowBytes, int y) noexcept
{
    return buffer + static_cast<std::ptrdiff_t>(y) * rowBytes;
}

// Runs body(maskRow, layerRow, width) over the rows the Mask and the current
// layer share (the canvas size, clipped to what the layer holds). A body
// that takes writable layer rows gives the layer a new content generation.
template <class F>
void with_current_layer(Engine& e, F&& body)
{
    const MaskPlane p = mask_plane(e);
    LayerRecord* layer = current_layer(e);
    if (!p || !layer) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty()) return;
    if constexpr (std::is_invocable_v<F&, std::uint16_t*, const std::uint16_t*, int>) {
        for_each_plane_row(ext.width, ext.height, cost::kSimple,
                           [&](int y) { body(p.row(y), std::as_const(*layer).row(y), ext.width); });
    } else {
        const LayerRows rows = layer->begin_write();
        for_each_plane_row(ext.width, ext.height, cost::kSimple,
                           [&](int y) { body(p.row(y), rows.row(y), ext.width); });
    }
}

// Mask from a grey computed per layer pixel.
template <class Grey>
void mask_from_layer(Engine& e, Grey grey)
{
    with_current_layer(e, [&](std::uint16_t* m, const std::uint16_t* px, int width) {
        for (int x = 0; x < width; ++x, px += 4) m[x] = mask_from_grey16(grey(px));
    });
}

// Alpha a scaled by the mask's high byte h: h = 0 clears, h = 255 keeps,
// otherwise a * (h + 1) >> 8.
inline std::uint8_t masked_alpha(std::uint8_t a, std::uint16_t m) noexcept
{
    const unsigned h = m >> 8;
    if (h == 0) return 0;
    if (h == 255) return a;
    return static_cast<std::uint8_t>(a * (h + 1) >> 8);
}

}  // namespace

void mve::mask::apply_to_alpha_rect(Engine& e, std::uint8_t* buffer, int rowBytes, int x0, int y0, int x1,
                                    int y1) noexcept
{
    const MaskPlane p = mask_plane(e);
    if (!p || !buffer) return;
    // The buffer holds the inclusive rectangle x0..x1, y0..y1; the part on the Mask is changed.
    const long long w = static_cast<long long>(x1) - x0 + 1, h = static_cast<long long>(y1) - y0 + 1;
    if (!stride_holds(rowBytes, w, 4)) return;
    const ClipRect r = clip_rect(x0, y0, w, h, p.width, p.height);
    if (r.empty()) return;
    for_each_row(r.y0, r.y1, r.width() * cost::kSimple, [&](int y) {
        const std::uint16_t* m = p.row(y);
        std::uint8_t* d = buffer + (static_cast<std::ptrdiff_t>(y) - y0) * rowBytes +
                          (static_cast<std::ptrdiff_t>(r.x0) - x0) * 4;
        for (int x = r.x0; x < r.x1; ++x, d += 4) d[3] = masked_alpha(d[3], m[x]);
    });
}

namespace mve::mask {

void save_to_rgb24(Engine& e, unsigned char* buffer, int rowBytes)
{
    const MaskPlane p = mask_plane(e);
    if (!p || !buffer || !stride_holds(rowBytes, p.width, 3)) return;
    for_each_plane_row(p.width, p.height, cost::kCopy, [&](int y) {
        const std::uint16_t* m = p.row(y);
        std::uint8_t* d = byte_row(buffer, rowBytes, y);
        for (int x = 0; x < p.width; ++x, d += 3) d[0] = d[1] = d[2] = static_cast<std::uint8_t>(255 - (m[x] >> 8));
    });
}

// g = ((r + g + b) / 3) << 8; m = 65535 when g < 255, else 65280 - g. On
// multiples of 256 that is the common grey rule.
void load_from_rgb24(Engine& e, const unsigned char* buffer, int rowBytes, int width, int height)
{
    const MaskPlane p = mask_plane(e);
    if (!p || !buffer) return;
    const int w = std::min(width, p.width), h = std::min(height, p.height);
    if (w <= 0 || h <= 0 || !stride_holds(rowBytes, w, 3)) return;
    for_each_plane_row(w, h, cost::kSimple, [&](int y) {
        const std::uint8_t* s = buffer + static_cast<std::ptrdiff_t>(y) * rowBytes;
        std::uint16_t* m = p.row(y);
        for (int x = 0; x < w; ++x, s += 3) m[x] = mask_from_grey16(((s[0] + s[1] + s[2]) / 3u) << 8);
    });
}

void create_image_from_mask(Engine& e)
{
    with_current_layer(e, [](const std::uint16_t* m, std::uint16_t* px, int width) {
        for (int x = 0; x < width; ++x, px += 4) {
            const std::uint16_t c = m[x] > 254 ? static_cast<std::uint16_t>(65535 - m[x]) : 65280;
            px[0] = px[1] = px[2] = c;
            px[3] = 65535;
        }
    });
}

void create_from_image(Engine& e)
{
    mask_from_layer(e, [](const std::uint16_t* px) { return (px[0] + px[1] + px[2]) / 3u; });
}

void create_from_image_luma(Engine& e)
{
    mask_from_layer(e, [](const std::uint16_t* px) { return (3u * px[0] + 4u * px[1] + px[2]) >> 3; });
}

void create_from_alpha(Engine& e)
{
    with_current_layer(e, [](std::uint16_t* m, const std::uint16_t* px, int width) {
        for (int x = 0; x < width; ++x) m[x] = px[4 * x + 3];
    });
}

void create_alpha_from_mask(Engine& e, int kind)
{
    if (kind < 0 || kind > 2) return;
    with_current_layer(e, [kind](const std::uint16_t* m, std::uint16_t* px, int width) {
        for (int x = 0; x < width; ++x) {
            std::uint16_t& a = px[4 * x + 3];
            if (kind == 0)
                a = m[x];
            else if (kind == 1)
                a = static_cast<std::uint16_t>(std::min(a + m[x], 65535));
            else
                a = static_cast<std::uint16_t>(std::max(a - m[x], 0));
        }
    });
}

void apply_to_alpha(Engine& e, unsigned char* buffer) noexcept
{
    apply_to_alpha_rect(e, buffer, e.canvas.width * 4, 0, 0, e.canvas.width - 1, e.canvas.height - 1);
}

int get_line_rle(Engine& e, unsigned char* out, int row)
{
    const MaskPlane p = mask_plane(e);
    if (!p || !out || row < 0 || row >= p.height) return 0;
    return rle_encode_grey(p.row(row), out, p.width);
}

void put_line_rle(Engine& e, const unsigned char* in, int row)
{
    const MaskPlane p = mask_plane(e);
    if (!p || !in || row < 0 || row >= p.height) return;
    rle_decode_grey(in, kRleUnbounded, p.row(row), p.width);
}

}  // namespace mve::mask

extern "C" {

MVE_API void MVE_SaveMask(unsigned char* buffer, int rowBytes)
{
    mask::save_to_rgb24(engine(), buffer, rowBytes);
}

MVE_API void MVE_LoadMask(const unsigned char* buffer, int rowBytes, int width, int height)
{
    mask::load_from_rgb24(engine(), buffer, rowBytes, width, height);
}

MVE_API void MVE_CreateImageFromMask(void)
{
    mask::create_image_from_mask(engine());
}

MVE_API void MVE_CreateMaskFromImage(void)
{
    mask::create_from_image(engine());
}

MVE_API void MVE_CreateMaskFromImageLuma(void)
{
    mask::create_from_image_luma(engine());
}

MVE_API void MVE_CreateMaskFromAlpha(void)
{
    mask::create_from_alpha(engine());
}

MVE_API void MVE_CreateAlphaFromMask(int kind)
{
    mask::create_alpha_from_mask(engine(), kind);
}

MVE_API void MVE_ApplyMaskToAlphaRect_RGBA32(unsigned char* buffer, int rowBytes, int x0, int y0, int x1, int y1)
{
    mask::apply_to_alpha_rect(engine(), buffer, rowBytes, x0, y0, x1, y1);
}

MVE_API void MVE_ApplyMaskToAlpha_RGBA32(unsigned char* buffer)
{
    mask::apply_to_alpha(engine(), buffer);
}

MVE_API int MVE_GetMaskLineRLE(unsigned char* out, int row)
{
    return mask::get_line_rle(engine(), out, row);
}

MVE_API void MVE_PutMaskLineRLE(const unsigned char* in, int row)
{
    mask::put_line_rle(engine(), in, row);
}

}  // extern "C"
