// Loading 8-bit caller pixels into RGBA64 layers, plain or through the Mask
// and the texture plane.
#include <algorithm>
#include <atomic>

#include "core/coverage.h"
#include "core/parallel.h"
#include "core/pixel_convert.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

// RGBA32 pixel at coverage c (0..65535), C = 65535 - c, destination d:
//   c = 65535: RGB = s * 256, A = a * 256;   c = 0: untouched;
//   dA, a != 0: colour = (c*s + (C*d >> 8)) >> 8, A = (c*a + (dA*C >> 8)) >> 8;
//   dA != 0, a = 0: colour kept, A = dA*C >> 16;
//   dA = 0: RGB = s * 256, A = c*a >> 8.
// Lock alpha keeps A in every case.
inline void load_covered(std::uint16_t* d, const std::uint8_t* s, std::uint32_t c, bool lockAlpha) noexcept
{
    if (c == 0) return;
    const std::uint32_t a = s[3], dA = d[3];
    std::uint32_t alpha;
    if (c == kFullCoverage) {
        d[0] = widen8(s[0]), d[1] = widen8(s[1]), d[2] = widen8(s[2]);
        alpha = a << 8;
    } else {
        const std::uint32_t C = kFullCoverage - c;
        if (dA != 0 && a != 0) {
            for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint16_t>((c * s[k] + (C * d[k] >> 8)) >> 8);
            alpha = (c * a + (dA * C >> 8)) >> 8;
        } else if (dA != 0) {
            alpha = dA * C >> 16;
        } else {
            d[0] = widen8(s[0]), d[1] = widen8(s[1]), d[2] = widen8(s[2]);
            alpha = c * a >> 8;
        }
    }
    if (!lockAlpha) d[3] = static_cast<std::uint16_t>(alpha);
}

// RGB24 colour at coverage c: c = 65535: s * 256; otherwise (c*s + ((65535 - c)*d >> 8)) >> 8.
inline std::uint16_t blend_rgb24(std::uint32_t d, std::uint32_t s, std::uint32_t c) noexcept
{
    if (c == kFullCoverage) return widen8(s);
    return static_cast<std::uint16_t>((c * s + ((kFullCoverage - c) * d >> 8)) >> 8);
}

const std::uint8_t* buffer_row(const std::uint8_t* buffer, int rowBytes, int y) noexcept
{
    return buffer + static_cast<std::ptrdiff_t>(y) * rowBytes;
}

// Walks the canvas part of an RGB24 picture: plain(s, d) where no coverage
// applies, blend(s, d, c) with the pixel's coverage c > 0 where it does.
template <class Coverage, class Plain, class Blend>
void walk_rgb24(CoreState& e, LayerRecord& layer, const std::uint8_t* buffer, int rowBytes, bool masked,
                Coverage coverage, Plain plain, Blend blend)
{
    const Extent ext = canvas_extent(e, layer);
    const CoverageSource cov = coverage_source(e);
    const bool covered = masked && cov.engaged;
    if (!stride_holds(rowBytes, ext.width, 3)) return;
    const LayerRows rows = layer.begin_write();
    for (int y = 0; y < ext.height; ++y) {
        const std::uint8_t* s = buffer_row(buffer, rowBytes, y);
        std::uint16_t* d = rows.row(y);
        for (int x = 0; x < ext.width; ++x, s += 3, d += 4) {
            if (!covered) {
                plain(s, d);
                continue;
            }
            const std::uint32_t c = coverage(cov, x, y);
            if (c != 0) blend(s, d, c);
        }
    }
}

void load_rgb24(CoreState& e, LayerRecord& layer, const std::uint8_t* buffer, int rowBytes, bool masked)
{
    walk_rgb24(
        e, layer, buffer, rowBytes, masked, rgb24_coverage,
        [](const std::uint8_t* s, std::uint16_t* d) { d[0] = widen8(s[0]), d[1] = widen8(s[1]), d[2] = widen8(s[2]); },
        [](const std::uint8_t* s, std::uint16_t* d, std::uint32_t c) {
            for (int k = 0; k < 3; ++k) d[k] = blend_rgb24(d[k], s[k], c);
        });
}

void load_rgb24_to_alpha(CoreState& e, LayerRecord& layer, const std::uint8_t* buffer, int rowBytes,
                         bool masked)
{
    walk_rgb24(
        e, layer, buffer, rowBytes, masked, alpha_coverage,
        // A = grey level (r + g + b) / 3, widened.
        [](const std::uint8_t* s, std::uint16_t* d) { d[3] = widen8((s[0] + s[1] + s[2]) / 3u); },
        // The masked path takes the first byte as the grey level.
        [](const std::uint8_t* s, std::uint16_t* d, std::uint32_t c) { d[3] = blend_rgb24(d[3], s[0], c); });
}

}  // namespace

Extent canvas_extent(const CoreState& e, const LayerRecord& layer) noexcept
{
    return {std::min(e.canvas.width, layer.width), std::min(e.canvas.height, layer.height)};
}

bool load_rgba32_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, LayerRecord& layer, int x,
                       int y, int width, int height, bool masked)
{
    if (!buffer || !layer.present() || width <= 0 || height <= 0) return false;
    const CoverageSource cov = coverage_source(e);
    const bool covered = masked && cov.engaged;
    // Buffer columns i0..i1 and rows j0..j1 land on the layer at x + i, y + j.
    long long limitW = layer.width, limitH = layer.height;
    if (covered && cov.reads_planes()) {
        // Mask and texture only describe canvas pixels.
        limitW = std::min<long long>(limitW, cov.width);
        limitH = std::min<long long>(limitH, cov.height);
    }
    if (!stride_holds(rowBytes, width, 4)) return false;
    const ClipRect onLayer = clip_rect(x, y, width, height, limitW, limitH);
    if (onLayer.empty()) return false;
    const int i0 = static_cast<int>(onLayer.x0 - static_cast<long long>(x));
    const int j0 = static_cast<int>(onLayer.y0 - static_cast<long long>(y));
    const int i1 = i0 + onLayer.width(), j1 = j0 + onLayer.height();
    const bool lockAlpha = layer.lockAlpha != 0;
    // The rows are looked at for full coverage before the shortcut below; a
    // Mask known to be fully open needs no look.
    CoverageSource rowCheck = cov;
    if (covered && cov.mask && fast_paths_enabled() && mask_fully_open(e)) rowCheck.mask = nullptr;
    const LayerRows rows = layer.begin_write();
    std::atomic<bool> asTheyStand{true};
    for_each_row(j0, j1, (i1 - i0) * (covered ? cost::kSimple : cost::kCopy), [&](int j) {
        const std::uint8_t* s = buffer_row(buffer, rowBytes, j) + static_cast<std::size_t>(i0) * 4;
        std::uint16_t* d = rows.row(onLayer.y0 + (j - j0)) + static_cast<std::size_t>(onLayer.x0) * 4;
        const std::size_t n = static_cast<std::size_t>(i1 - i0);
        const int canvasY = onLayer.y0 + (j - j0);
        if (!covered) {
            if (!load_rgba32_plain(s, d, n, lockAlpha)) asTheyStand.store(false, std::memory_order_relaxed);
        } else if (fast_paths_enabled() && load_row_fully_covered(rowCheck, onLayer.x0, canvasY, i1 - i0)) {
            // Full coverage: colour and alpha widened as they stand (alpha 0
            // keeps its colour), or the colour alone under lock alpha.
            if (lockAlpha) {
                load_rgba32_plain(s, d, n, true);
                asTheyStand.store(false, std::memory_order_relaxed);
            } else {
                rgba32_to_rgba64_layer_row(s, d, n);
            }
        } else {
            asTheyStand.store(false, std::memory_order_relaxed);
            for (int i = i0; i < i1; ++i, s += 4, d += 4)
                load_covered(d, s, load_coverage(cov, onLayer.x0 + (i - i0), onLayer.y0 + (j - j0)), lockAlpha);
        }
    });
    return asTheyStand.load() && onLayer.width() == width && onLayer.height() == height;
}

}  // namespace mve

namespace mve::core {

void load_rgba32_into_layer(CoreState& e, const std::uint8_t* buffer, int rowBytes, int index, int x, int y,
                            int width, int height, bool masked) noexcept
{
    if (LayerRecord* layer = present_layer(e, index))
        load_rgba32_layer(e, buffer, rowBytes, *layer, x, y, width, height, masked);
}

bool load_rgba32_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes, bool masked) noexcept
{
    // The buffer is laid out as the canvas: the part both hold is loaded.
    LayerRecord* layer = current_layer(e);
    if (!layer) return false;
    const Extent ext = canvas_extent(e, *layer);
    const bool asTheyStand =
        load_rgba32_layer(e, buffer, rowBytes, *layer, 0, 0, ext.width, ext.height, masked);
    return asTheyStand && ext.width == e.canvas.width && ext.height == e.canvas.height;
}

void load_rgb24_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes, bool masked) noexcept
{
    LayerRecord* layer = current_layer(e);
    if (layer && buffer) load_rgb24(e, *layer, buffer, rowBytes, masked);
}

void load_rgb24_alpha_into_current(CoreState& e, const std::uint8_t* buffer, int rowBytes,
                                   bool masked) noexcept
{
    LayerRecord* layer = current_layer(e);
    if (layer && buffer) load_rgb24_to_alpha(e, *layer, buffer, rowBytes, masked);
}

void load_bgr24_into_current(CoreState& e, const std::uint8_t* bgr, int rowBytes, int width,
                             int height) noexcept
{
    LayerRecord* layer = current_layer(e);
    if (!layer || !bgr) return;
    const Extent ext = canvas_extent(e, *layer);
    const int w = std::min(width, ext.width), h = std::min(height, ext.height);
    if (w <= 0 || h <= 0 || !stride_holds(rowBytes, w, 3)) return;
    const LayerRows rows = layer->begin_write();
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bgr + static_cast<std::ptrdiff_t>(y) * rowBytes;
        std::uint16_t* d = rows.row(y);
        // Input order B, G, R; the result is opaque at full 65535.
        for (int x = 0; x < w; ++x, s += 3, d += 4)
            d[0] = widen8(s[2]), d[1] = widen8(s[1]), d[2] = widen8(s[0]), d[3] = 0xFFFF;
    }
}

}  // namespace mve::core

using namespace mve;

extern "C" {

MVE_API void MVE_LoadRGBA32Layer(const unsigned char* buffer, int rowBytes, int index, int x, int y, int width,
                                 int height, int masked)
{
    core::load_rgba32_into_layer(core_state(), buffer, rowBytes, index, x, y, width, height, masked != 0);
}

MVE_API void MVE_LoadRGBA32(const unsigned char* buffer, int rowBytes, int masked)
{
    core::load_rgba32_into_current(core_state(), buffer, rowBytes, masked != 0);
}

MVE_API void MVE_LoadRGBA32Into(const unsigned char* buffer, int rowBytes, int index, int x, int y, int width,
                                int height)
{
    core::load_rgba32_into_layer(core_state(), buffer, rowBytes, index, x, y, width, height, true);
}

MVE_API void MVE_LoadRGB24(const unsigned char* buffer, int rowBytes, int masked)
{
    core::load_rgb24_into_current(core_state(), buffer, rowBytes, masked != 0);
}

MVE_API void MVE_LoadRGB24ToAlpha(const unsigned char* buffer, int rowBytes, int masked)
{
    core::load_rgb24_alpha_into_current(core_state(), buffer, rowBytes, masked != 0);
}

MVE_API void MVE_Load(const unsigned char* bgr, int rowBytes, int width, int height)
{
    core::load_bgr24_into_current(core_state(), bgr, rowBytes, width, height);
}

}  // extern "C"
