// Reading RGBA64 layers and planes out as 8-bit pixels: the high byte of
// every 16-bit channel.
#include <algorithm>

#include "core/clip.h"
#include "core/parallel.h"
#include "core/pixel_convert.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// One row of n pixels: RGBA32 = high bytes of all four channels.
inline void row_to_rgba32(std::uint8_t* d, const std::uint16_t* s, int n) noexcept
{
    rgba64_to_rgba32(s, d, static_cast<std::size_t>(n));
}

// One row of n pixels: RGB24 = high bytes of R, G, B.
inline void row_to_rgb24(std::uint8_t* d, const std::uint16_t* s, int n) noexcept
{
    for (int i = 0; i < n; ++i, d += 3, s += 4) d[0] = narrow16(s[0]), d[1] = narrow16(s[1]), d[2] = narrow16(s[2]);
}

// One row of n pixels: RGB24 = the alpha high byte, three times.
inline void row_alpha_to_rgb24(std::uint8_t* d, const std::uint16_t* s, int n) noexcept
{
    for (int i = 0; i < n; ++i, d += 3, s += 4) d[0] = d[1] = d[2] = narrow16(s[3]);
}

using RowWriter = void (*)(std::uint8_t*, const std::uint16_t*, int);

// Bytes one output pixel of a writer takes.
int out_pixel_bytes(RowWriter write) noexcept { return write == row_to_rgba32 ? 4 : 3; }

std::uint8_t* out_row(unsigned char* out, int rowBytes, int y)
{
    return out + static_cast<std::ptrdiff_t>(y) * rowBytes;
}
const std::uint16_t* in_row(const unsigned short* in, int rowBytes, int y)
{
    return reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const unsigned char*>(in) +
                                                  static_cast<std::ptrdiff_t>(y) * rowBytes);
}

// Converts width x height pixels between two buffers with their own row bytes.
void convert_rows(unsigned char* out, int outRow, const unsigned short* in, int inRow, int width, int height,
                  RowWriter write, bool parallel)
{
    if (!out || !in || width <= 0 || height <= 0) return;
    if (!stride_holds(outRow, width, out_pixel_bytes(write)) || !stride_holds(inRow, width, 8)) return;
    for_each_row(0, height, parallel ? width * cost::kCopy : 0,
                 [&](int y) { write(out_row(out, outRow, y), in_row(in, inRow, y), width); });
}

// A canvas-sized read of a layer (clipped to what the layer holds).
void read_layer(const CoreState& e, unsigned char* out, int outRow, LayerRecord* layer, RowWriter write,
                bool parallel)
{
    if (!layer || !out) return;
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty()) return;
    convert_rows(out, outRow, layer->pixels.data(), layer->stride * 2, ext.width, ext.height, write, parallel);
}

}  // namespace

namespace mve::core {

void read_layer_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes, int index) noexcept
{
    read_layer(e, buffer, rowBytes, present_layer(e, index), row_to_rgba32, true);
}

void read_current_rgba32(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept
{
    read_layer(e, buffer, rowBytes, current_layer(e), row_to_rgba32, true);
}

void read_current_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept
{
    read_layer(e, buffer, rowBytes, current_layer(e), row_to_rgb24, false);
}

void read_layer_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes, int index) noexcept
{
    read_layer(e, buffer, rowBytes, present_layer(e, index), row_to_rgb24, false);
}

void read_current_alpha_rgb24(CoreState& e, std::uint8_t* buffer, int rowBytes) noexcept
{
    read_layer(e, buffer, rowBytes, current_layer(e), row_alpha_to_rgb24, false);
}

void rgba64_to_rgba32_rows(std::uint8_t* out, int outRowBytes, const std::uint16_t* in, int inRowBytes,
                           int width, int height) noexcept
{
    convert_rows(out, outRowBytes, in, inRowBytes, width, height, row_to_rgba32, false);
}

void rgba64_to_rgb24_rows(std::uint8_t* out, int outRowBytes, const std::uint16_t* in, int inRowBytes,
                          int width, int height) noexcept
{
    convert_rows(out, outRowBytes, in, inRowBytes, width, height, row_to_rgb24, false);
}

void canvas_rgba64_to_rgb24(const CoreState& e, std::uint8_t* out, int outRowBytes, const std::uint16_t* in,
                            int inRowBytes) noexcept
{
    rgba64_to_rgb24_rows(out, outRowBytes, in, inRowBytes, e.canvas.width, e.canvas.height);
}

void rgba64_rect_to_rgba32(const CoreState& e, const std::uint16_t* in, int x, int y, int w, int h,
                           int inStride, std::uint8_t* out) noexcept
{
    if (!in || !out) return;
    const CanvasState& c = e.canvas;
    // Clip to the canvas: a negative start becomes 0 (the width is not
    // shortened by it), and the rectangle ends at the canvas edge.
    const ClipRect r = clip_rect(std::max(x, 0), std::max(y, 0), w, h, c.width, c.height);
    if (r.empty() || !stride_holds(inStride, r.x1, 1)) return;
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(inStride) * 4;
    const int cols = r.width();
    for (int j = 0; j < r.height(); ++j)
        row_to_rgba32(out + static_cast<std::ptrdiff_t>(j) * cols * 4, in + (r.y0 + j) * stride + r.x0 * 4, cols);
}

void rgba64_rect_to_rgb24(const std::uint16_t* in, int x, int y, int w, int h, int inStride,
                          std::uint8_t* out) noexcept
{
    // Not clipped; a start before the plane would read outside it, so it is refused.
    if (!in || !out || x < 0 || y < 0 || w <= 0 || h <= 0) return;
    if (!stride_holds(inStride, static_cast<long long>(x) + w, 1)) return;
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(inStride) * 4;
    for (int j = 0; j < h; ++j)
        row_to_rgb24(out + static_cast<std::ptrdiff_t>(j) * w * 3,
                     in + (static_cast<std::ptrdiff_t>(y) + j) * stride + static_cast<std::ptrdiff_t>(x) * 4, w);
}

}  // namespace mve::core

extern "C" {

MVE_API void MVE_GetRGBA32Layer(unsigned char* buffer, int rowBytes, int index)
{
    core::read_layer_rgba32(core_state(), buffer, rowBytes, index);
}

MVE_API void MVE_GetRGBA32(unsigned char* buffer, int rowBytes)
{
    core::read_current_rgba32(core_state(), buffer, rowBytes);
}

MVE_API void MVE_GetRGB24(unsigned char* buffer, int rowBytes)
{
    core::read_current_rgb24(core_state(), buffer, rowBytes);
}

MVE_API void MVE_GetRGB24Layer(unsigned char* buffer, int rowBytes, int index)
{
    core::read_layer_rgb24(core_state(), buffer, rowBytes, index);
}

MVE_API void MVE_GetRGB24FromAlpha(unsigned char* buffer, int rowBytes)
{
    core::read_current_alpha_rgb24(core_state(), buffer, rowBytes);
}

// x and y only bound the loops: `in` already points at the rectangle's first
// pixel and `out` receives it at its start, so only w and h matter.
MVE_API void MVE_GetRGBA32FromRGBA64Rect(unsigned char* out, int outRowBytes, const unsigned short* in,
                                         int inRowBytes, int /*x*/, int /*y*/, int w, int h)
{
    core::rgba64_to_rgba32_rows(out, outRowBytes, in, inRowBytes, w, h);
}

MVE_API void MVE_GetRGBA32FromRGBA64(unsigned char* out, int outRowBytes, int width, int height,
                                     const unsigned short* in, int inRowBytes)
{
    core::rgba64_to_rgba32_rows(out, outRowBytes, in, inRowBytes, width, height);
}

MVE_API void MVE_GetRGB24FromRGBA64Rect(unsigned char* out, int outRowBytes, const unsigned short* in,
                                        int inRowBytes, int /*x*/, int /*y*/, int w, int h)
{
    core::rgba64_to_rgb24_rows(out, outRowBytes, in, inRowBytes, w, h);
}

MVE_API void MVE_GetRGB24FromRGBA64(unsigned char* out, int outRowBytes, const unsigned short* in, int inRowBytes)
{
    core::canvas_rgba64_to_rgb24(core_state(), out, outRowBytes, in, inRowBytes);
}

MVE_API void MVE_RGBA64RectToRGBA32(const unsigned short* in, int x, int y, int w, int h, int inStride,
                                    int /*ignored*/, unsigned char* out)
{
    core::rgba64_rect_to_rgba32(core_state(), in, x, y, w, h, inStride, out);
}

MVE_API void MVE_RGBA64RectToRGBA24(const unsigned short* in, int x, int y, int w, int h, int inStride,
                                    int /*ignored*/, unsigned char* out)
{
    core::rgba64_rect_to_rgb24(in, x, y, w, h, inStride, out);
}

}  // extern "C"
