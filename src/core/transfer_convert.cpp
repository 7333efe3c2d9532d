// 8-bit buffer converters, premultiplication around filters, and the Mask
// and texture applied to the alpha of RGBA32 buffers.
//
// The divisions of the un-premultiply steps, c / (alpha / max), are computed
// exactly in integers as c * max / alpha: the same truncated quotient without
// the floating-point error that turns c = alpha into max - 1.
#include <algorithm>
#include <cstdlib>

#include "core/coverage.h"
#include "core/parallel.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

namespace mve {

void set_rgba32_alpha(std::uint8_t* buffer, int width, int height, std::uint8_t alpha) noexcept
{
    if (!buffer || width <= 0 || height <= 0) return;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    for (std::size_t i = 0; i < count; ++i) buffer[i * 4 + 3] = alpha;
}

}  // namespace mve

using namespace mve;

namespace {

std::size_t pixel_count(int width, int height)
{
    return width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0;
}

std::size_t canvas_pixels(const CoreState& e)
{
    return pixel_count(e.canvas.width, e.canvas.height);
}

// Calls f(pixel) for every pixel of a packed buffer of width x height pixels
// of `channels` values each, over parallel rows when `parallel` allows it.
template <int channels, class T, class F>
void for_each_pixel(T* buffer, int width, int height, bool parallel, F f)
{
    if (!buffer || pixel_count(width, height) == 0) return;
    for_each_row(0, height, parallel ? width * cost::kSimple : 0, [&](int y) {
        T* p = buffer + static_cast<std::size_t>(y) * width * channels;
        for (int x = 0; x < width; ++x, p += channels) f(p);
    });
}

// Un-premultiplies the colours of one 8-bit pixel: c = min(c * 255 / alpha, 255).
inline void divide_rgba32(std::uint8_t* p, std::uint32_t alpha) noexcept
{
    for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(std::min<std::uint32_t>(p[k] * 255u / alpha, 255));
}

// Scales the alpha of a buffer pixel by the coverage of canvas pixel (cx, cy):
// alpha = alpha * coverage / 65535.
inline void cover_alpha(std::uint8_t* p, const CoverageSource& cov, int cx, int cy) noexcept
{
    p[3] = static_cast<std::uint8_t>(p[3] * alpha_coverage(cov, cx, cy) / kFullCoverage);
}

// Applies the coverage to a width x height RGBA32 buffer placed at (x, y) on
// the canvas; buffer pixels outside the canvas are left alone.
void cover_buffer(const CoreState& e, unsigned char* buffer, int x, int y, int width, int height)
{
    const CoverageSource cov = coverage_source(e);
    if (!buffer || !cov.engaged || !cov.reads_planes() || pixel_count(width, height) == 0) return;
    // The buffer's pixels that lie on the canvas; buffer pixel (i, j) is canvas (x + i, y + j).
    const ClipRect r = clip_rect(x, y, width, height, cov.width, cov.height);
    for (int py = r.y0; py < r.y1; ++py) {
        const std::size_t j = static_cast<std::size_t>(py - static_cast<long long>(y));
        std::uint8_t* p = buffer + (j * width + static_cast<std::size_t>(r.x0 - static_cast<long long>(x))) * 4;
        for (int px = r.x0; px < r.x1; ++px, p += 4) cover_alpha(p, cov, px, py);
    }
}

}  // namespace

namespace mve::core {

void premultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept
{
    // 0 < alpha < 255: c = (c + 1) * alpha / 255
    for_each_pixel<4>(buffer, width, height, false, [](std::uint8_t* p) {
        const std::uint32_t alpha = p[3];
        if (alpha == 0 || alpha == 255) return;
        for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>((p[k] + 1u) * alpha / 255u);
    });
}

void unpremultiply_rgba32(std::uint8_t* buffer, int width, int height) noexcept
{
    // 0 < alpha < 255: c = min(c * 255 / alpha, 255); alpha 254 also becomes 255
    // (filters round opaque pixels down to 254).
    for_each_pixel<4>(buffer, width, height, true, [](std::uint8_t* p) {
        const std::uint32_t alpha = p[3];
        if (alpha == 0 || alpha == 255) return;
        if (alpha == 254) p[3] = 255;
        divide_rgba32(p, alpha);
    });
}

void cover_rgba32(std::uint8_t* buffer, int width, int height) noexcept
{
    cover_buffer(core_state(), buffer, 0, 0, width, height);
}

void cover_rgba32_rect(const CoreState& e, std::uint8_t* buffer, int x, int y, int width, int height) noexcept
{
    cover_buffer(e, buffer, x, y, width, height);
}

void rgb_to_rgba(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept
{
    if (!out || !in) return;
    const std::size_t n = pixel_count(width, height);
    for (std::size_t i = 0; i < n; ++i) std::copy(in + i * 3, in + i * 3 + 3, out + i * 4);
}

void rgba_to_rgb(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept
{
    if (!out || !in) return;
    const std::size_t n = pixel_count(width, height);
    for (std::size_t i = 0; i < n; ++i) std::copy(in + i * 4, in + i * 4 + 3, out + i * 3);
}

void rgb_alpha_to_rgb(std::uint8_t* out, int width, int height, const std::uint8_t* in) noexcept
{
    if (!out || !in) return;
    const std::size_t n = pixel_count(width, height);
    for (std::size_t i = 0; i < n; ++i) out[i * 3] = out[i * 3 + 1] = out[i * 3 + 2] = in[i * 4 + 3];
}

void rgb_to_rgb_alpha(std::uint8_t* buffer, int width, int height, const std::uint8_t* in) noexcept
{
    if (!buffer || !in) return;
    const std::size_t n = pixel_count(width, height);
    // alpha = grey level (r + g + b) / 3
    for (std::size_t i = 0; i < n; ++i)
        buffer[i * 4 + 3] = static_cast<std::uint8_t>((in[i * 3] + in[i * 3 + 1] + in[i * 3 + 2]) / 3);
}

void set_pixel_rgb24(const CoreState& e, std::uint8_t* buffer, int rowBytes, int x, int y, int r, int g,
                     int b) noexcept
{
    const CanvasState& c = e.canvas;
    if (!buffer || !point_inside(x, y, c.width, c.height) || !stride_holds(rowBytes, c.width, 3)) return;
    unsigned char* p = buffer + static_cast<std::ptrdiff_t>(y) * rowBytes + static_cast<std::ptrdiff_t>(x) * 3;
    p[0] = narrow16(static_cast<std::uint16_t>(r)), p[1] = narrow16(static_cast<std::uint16_t>(g)),
    p[2] = narrow16(static_cast<std::uint16_t>(b));
}

void replace_alpha_range(const CoreState& e, std::uint8_t* buffer, int alpha, int tolerancePercent, int r,
                         int g, int b, int a) noexcept
{
    if (!buffer) return;
    // Tolerance in alpha steps: truncate(percent * 2.56), 100 % = 256.
    const int tolerance = static_cast<int>(tolerancePercent * 2.56);
    const std::uint8_t v[4] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                               static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(a)};
    const std::size_t n = canvas_pixels(e);
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char* p = buffer + i * 4;
        if (std::abs(p[3] - alpha) <= tolerance) std::copy(v, v + 4, p);
    }
}

void premultiply_rgba64(std::uint16_t* buffer, int width, int height) noexcept
{
    // alpha != 0: c = c * alpha / 65535
    for_each_pixel<4>(buffer, width, height, true, [](std::uint16_t* p) {
        const std::uint32_t alpha = p[3];
        if (alpha == 0) return;
        for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint16_t>(p[k] * alpha / 65535u);
    });
}

void unpremultiply_rgba64(std::uint16_t* buffer, int width, int height) noexcept
{
    // alpha != 0: c = min(c * 65535 / alpha, 65535)
    for_each_pixel<4>(buffer, width, height, false, [](std::uint16_t* p) {
        const std::uint32_t alpha = p[3];
        if (alpha == 0) return;
        for (int k = 0; k < 3; ++k)
            p[k] = static_cast<std::uint16_t>(std::min<std::uint32_t>(p[k] * 65535u / alpha, 65535));
    });
}

void unpremultiply_for_alpha_comp(const CoreState& e, int flag, std::uint8_t* buffer) noexcept
{
    if (!flag) return;
    const CanvasState& c = e.canvas;
    // alpha != 0: c = min(c * 255 / alpha, 255)
    for_each_pixel<4>(buffer, c.width, c.height, false, [](std::uint8_t* p) {
        if (p[3] != 0) divide_rgba32(p, p[3]);
    });
}

}  // namespace mve::core

extern "C" {

MVE_API void MVE_RGBToRGBA(unsigned char* out, int width, int height, const unsigned char* in)
{
    core::rgb_to_rgba(out, width, height, in);
}

MVE_API void MVE_RGBAToRGB(unsigned char* out, int width, int height, const unsigned char* in)
{
    core::rgba_to_rgb(out, width, height, in);
}

MVE_API void MVE_RGBAlphaToRGB(unsigned char* out, int width, int height, const unsigned char* in)
{
    core::rgb_alpha_to_rgb(out, width, height, in);
}

MVE_API void MVE_RGBToRGBAlpha(unsigned char* buffer, int width, int height, const unsigned char* in)
{
    core::rgb_to_rgb_alpha(buffer, width, height, in);
}

MVE_API void MVE_SetPixelRGB24(unsigned char* buffer, int rowBytes, int x, int y, int r, int g, int b)
{
    core::set_pixel_rgb24(core_state(), buffer, rowBytes, x, y, r, g, b);
}

MVE_API void MVE_ReplaceFromRGBAImageAlphaRange(unsigned char* buffer, int alpha, int tolerancePercent, int r,
                                                int g, int b, int a)
{
    core::replace_alpha_range(core_state(), buffer, alpha, tolerancePercent, r, g, b, a);
}

MVE_API void MVE_AdjustRGBA32PreFilter(unsigned char* buffer, int width, int height)
{
    core::premultiply_rgba32(buffer, width, height);
}

MVE_API void MVE_AdjustRGBA32PostFilter(unsigned char* buffer, int width, int height)
{
    core::unpremultiply_rgba32(buffer, width, height);
}

MVE_API void MVE_AdjustRGBA64PreFilter(unsigned short* buffer, int width, int height)
{
    core::premultiply_rgba64(buffer, width, height);
}

MVE_API void MVE_AdjustRGBA64PostFilter(unsigned short* buffer, int width, int height)
{
    core::unpremultiply_rgba64(buffer, width, height);
}

MVE_API void MVE_AdjustRGBA32ForAlphaComp(int flag, unsigned char* buffer)
{
    core::unpremultiply_for_alpha_comp(core_state(), flag, buffer);
}

MVE_API void MVE_AdjustRGBA32ByMaskAndTexture(unsigned char* buffer, int width, int height)
{
    core::cover_rgba32(buffer, width, height);
}

MVE_API void MVE_AdjustRGBA32RectByMaskAndTexture(unsigned char* buffer, int x, int y, int width, int height)
{
    core::cover_rgba32_rect(core_state(), buffer, x, y, width, height);
}

}  // extern "C"
