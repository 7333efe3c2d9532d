// Image-brush sources (files, host buffers, strips, fills, the blend buffer),
// sizing to the brush, and the copy of the sized brush into the blend buffer.
// Pixels are RGBA64; 8-bit values enter as v << 8 (files and host buffers)
// or v * 257 (fill and recolour colours, so 255 becomes 65535).
#include "paint/image_brush.h"

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "core/pixel_convert.h"
#include "imagelib/resample16.h"
#include "imagelib/resampling.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/brush_shape_picture.h"

namespace mve {

namespace {

std::size_t pixel_count(int width, int height) { return static_cast<std::size_t>(width) * height; }

// Frees the source and allocates a width x height one. On failure the source
// is left absent and Failure is thrown.
void replace_source(ImageBrushState& ib, int width, int height)
{
    ib.sourceWidth = ib.sourceHeight = 0;
    require(ib.source.allocate(pixel_count(width, height) * 4));
    ib.sourceWidth = width;
    ib.sourceHeight = height;
}

bool fits_brush(const Engine& e, int width, int height)
{
    const int m = e.canvas.maxBrushSize;
    return width > 0 && height > 0 && width <= m && height <= m;
}

// Every pixel's colour becomes (r, g, b) * 257; alpha is kept.
void set_colour(ImageBrushState& ib, int r, int g, int b)
{
    const std::uint16_t rgb[3] = {static_cast<std::uint16_t>(r * 257), static_cast<std::uint16_t>(g * 257),
                                  static_cast<std::uint16_t>(b * 257)};
    std::uint16_t* p = ib.source.data();
    for (std::size_t i = 0, n = pixel_count(ib.sourceWidth, ib.sourceHeight); i < n; ++i, p += 4)
        p[0] = rgb[0], p[1] = rgb[1], p[2] = rgb[2];
}

}  // namespace

BlendBufferView image_brush_target(Engine& e) noexcept
{
    BlendBufferView v;
    const BlendBuffer& record = e.blend.records[static_cast<std::size_t>(e.blend.current)];
    const int side = record.stride / 4;
    if (!record.pixels || side <= 0 || record.pixels.size() < pixel_count(side, side) * 4) return v;
    v.pixels = current_blend_buffer(e);
    v.stride = record.stride;
    v.side = side;
    return v;
}

void load_image_brush_rgba32(Engine& e, const std::uint8_t* rgba, int width, int height)
{
    if (!rgba || !fits_brush(e, width, height)) return;
    ImageBrushState& ib = e.imageBrush;
    replace_source(ib, width, height);
    rgba32_to_rgba64(rgba, ib.source.data(), pixel_count(width, height));
}

void load_image_brush_file(Engine& e, const char* path)
{
    RgbaPicture picture;
    // A brush picture larger than the maximum brush size is refused anyway:
    // refused from its header, it is never decoded.
    const int m = e.canvas.maxBrushSize;
    if (!path || !read_image_file(path, picture, m, m)) return;
    load_image_brush_rgba32(e, picture.pixels.data(), picture.width, picture.height);
}

void load_image_brush_strip(Engine& e, const char* path)
{
    RgbaPicture picture;
    if (!path || !read_image_file(path, picture, kAnySize, e.canvas.maxBrushSize)) return;
    const int w = picture.width, h = picture.height;
    if (h > e.canvas.maxBrushSize) return;
    ImageBrushState& ib = e.imageBrush;
    ib.stripWidth = ib.stripHeight = ib.frameCount = 0;
    require(ib.strip.allocate(pixel_count(w, h) * 4));
    rgba32_to_rgba64(picture.pixels.data(), ib.strip.data(), pixel_count(w, h));
    ib.stripWidth = w;
    ib.stripHeight = h;
    ib.frameCount = w / h;
    // Cleared rather than left unset: a host may paint before choosing a frame.
    replace_source(ib, h, h);
    std::memset(ib.source.data(), 0, ib.source.bytes());
}

void copy_image_brush_frame(Engine& e, float t) noexcept
{
    ImageBrushState& ib = e.imageBrush;
    const int h = ib.stripHeight;
    if (!ib.strip || !ib.source || ib.frameCount < 1 || ib.sourceWidth != h || ib.sourceHeight != h) return;
    // t = 1 (or beyond) would name the frame after the last one: take the last.
    const int f = std::clamp(static_cast<int>(static_cast<float>(ib.frameCount) * t), 0, ib.frameCount - 1);
    const std::size_t rowValues = static_cast<std::size_t>(h) * 4;
    for (int y = 0; y < h; ++y)
        std::memcpy(ib.source.data() + y * rowValues,
                    ib.strip.data() + (static_cast<std::size_t>(y) * ib.stripWidth + static_cast<std::size_t>(f) * h) * 4,
                    rowValues * sizeof(std::uint16_t));
}

void fill_image_brush(Engine& e, int r, int g, int b)
{
    const int n = e.brush.fullSize;
    if (n < 1) return;
    ImageBrushState& ib = e.imageBrush;
    replace_source(ib, n, n);
    std::uint16_t* p = ib.source.data();
    for (std::size_t i = 0; i < pixel_count(n, n); ++i) p[i * 4 + 3] = 65535;
    set_colour(ib, r, g, b);
}

void colour_image_brush(Engine& e, int r, int g, int b)
{
    ImageBrushState& ib = e.imageBrush;
    if (!ib.source) {
        const int n = e.brush.fullSize;
        if (n < 1) return;
        replace_source(ib, n, n);
        std::fill(ib.source.data(), ib.source.data() + ib.source.size(), std::uint16_t{65535});
    }
    set_colour(ib, r, g, b);
}

void copy_blend_buffer_to_image_brush(Engine& e)
{
    const int n = e.brush.fullSize;
    if (n < 1) return;
    ImageBrushState& ib = e.imageBrush;
    replace_source(ib, n, n);
    std::memset(ib.source.data(), 0, ib.source.bytes());
    const BlendBufferView buffer = image_brush_target(e);
    if (!buffer.pixels) return;
    // A full size beyond the buffer (larger than the maximum brush size) takes what there is.
    const int side = std::min(n, buffer.side);
    for (int y = 0; y < side; ++y)
        std::memcpy(ib.source.data() + static_cast<std::size_t>(y) * n * 4,
                    buffer.pixels + static_cast<std::size_t>(y) * buffer.stride,
                    static_cast<std::size_t>(side) * 4 * sizeof(std::uint16_t));
}

void size_image_brush(Engine& e)
{
    ImageBrushState& ib = e.imageBrush;
    const int n = e.brush.fullSize;
    if (!ib.source || n < 1) return;
    ib.rotationValid = false;
    if (!ib.sized || ib.sizedSide != n) {
        ib.sizedSide = 0;
        require(ib.sized.allocate(pixel_count(n, n) * 4));
        ib.sizedSide = n;
    }
    if (ib.sourceWidth == n && ib.sourceHeight == n) {
        std::memcpy(ib.sized.data(), ib.source.data(), ib.sized.bytes());
        return;
    }
    // Area averaging when shrinking, Lanczos 3 when enlarging (or for a
    // source that is narrower but taller than the brush).
    const int filter = n < ib.sourceWidth ? il::kFilterAreaAverage : il::kFilterLanczos3;
    if (!il::resize_image16(ib.source.data(), ib.sourceWidth, ib.sourceHeight, ib.sourceWidth * 8, ib.sized.data(),
                            n, n, n * 8, 4, filter)) {
        std::memset(ib.sized.data(), 0, ib.sized.bytes());
        throw Failure{};
    }
}

void copy_image_brush_to_blend_buffer(Engine& e, int percent) noexcept
{
    const ImageBrushState& ib = e.imageBrush;
    const BlendBufferView buffer = image_brush_target(e);
    if (!ib.sized || !buffer.pixels) return;
    const int n = ib.sizedSide, side = std::min(n, buffer.side);
    const std::int64_t b = image_brush_level(percent);
    for (int y = 0; y < side; ++y) {
        const std::uint16_t* brush = ib.sized.data() + static_cast<std::size_t>(y) * n * 4;
        std::uint16_t* q = buffer.pixels + static_cast<std::size_t>(y) * buffer.stride;
        for (int i = 0; i < side * 4; ++i) {
            if (b == 0) {
                q[i] = brush[i];
                continue;
            }
            // Kept within 16 bits for percentages outside 0..100.
            const std::int64_t v = (b * q[i] + brush[i] * (255 - b)) >> 8;
            q[i] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 65535));
        }
    }
}

void paint::resize_image_brush(Engine& e) noexcept
{
    guarded("SizeImageBrush Excpt", [&] { size_image_brush(e); });
}

void paint::copy_from_image_brush(Engine& e, int percent) noexcept
{
    resize_image_brush(e);
    copy_image_brush_to_blend_buffer(e, percent);
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_LoadImageBrush(const char* path)
{
    guarded("LoadImageBrush Excpt", [&] { load_image_brush_file(engine(), path); });
}

MVE_API void MVE_LoadImageBrushFromRGBA32(const unsigned char* pixels, int width, int height)
{
    guarded("LoadImageBrushFromRGBA32 Excpt", [&] { load_image_brush_rgba32(engine(), pixels, width, height); });
}

MVE_API void MVE_LoadImageBrushArray(const char* path)
{
    guarded("LoadImageBrushArray Excpt", [&] { load_image_brush_strip(engine(), path); });
}

MVE_API void MVE_CopyFromImageBrushArray(float t) { copy_image_brush_frame(engine(), t); }

MVE_API void MVE_FillImageBrush(int r, int g, int b)
{
    guarded("FillImageBrush Excpt", [&] { fill_image_brush(engine(), r, g, b); });
}

MVE_API void MVE_ColorImageBrush(int r, int g, int b)
{
    guarded("ColorImageBrush Excpt", [&] { colour_image_brush(engine(), r, g, b); });
}

MVE_API void MVE_CopyToImageBrush(void)
{
    guarded("CopyToImageBrush Excpt", [&] { copy_blend_buffer_to_image_brush(engine()); });
}

MVE_API void MVE_SizeImageBrush(void)
{
    paint::resize_image_brush(engine());
}

MVE_API void MVE_CopyFromImageBrush(int percent)
{
    paint::copy_from_image_brush(engine(), percent);
}

}  // extern "C"
