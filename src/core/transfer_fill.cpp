// Filling the current layer (plain or through the Mask) and caller buffers
// with one colour.
#include <algorithm>

#include "core/coverage.h"
#include "core/transfer.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

// Every pixel of the layer becomes the four 16-bit values.
void fill_layer(LayerRecord& layer, const std::uint16_t (&v)[4])
{
    const LayerRows rows = layer.begin_write();
    for (int y = 0; y < layer.height; ++y) {
        std::uint16_t* d = rows.row(y);
        for (int x = 0; x < layer.width; ++x, d += 4) std::copy(v, v + 4, d);
    }
}

// Fills rows of `width` pixels of `channels` values each, rows `rowBytes` apart.
template <class T, int channels>
void fill_rows(T* buffer, std::ptrdiff_t rowBytes, int width, int height, const T (&v)[channels])
{
    if (!buffer || width <= 0 || height <= 0) return;
    if (!stride_holds(rowBytes, width, static_cast<long long>(sizeof(T)) * channels)) return;
    for (int y = 0; y < height; ++y) {
        T* d = reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(buffer) + y * rowBytes);
        for (int x = 0; x < width; ++x, d += channels) std::copy(v, v + channels, d);
    }
}

// Through the Mask value m of each canvas pixel:
//   m = 65535: (r, g, b, a) * 256;  m = 0: untouched;
//   otherwise colour = (v*m + ((65535 - m)*d >> 8)) >> 8 with v the 8-bit value, alpha = 65535.
void fill_through_mask(CoreState& e, LayerRecord& layer, const CoverageSource& cov,
                       const std::uint8_t (&v)[4])
{
    const Extent ext = canvas_extent(e, layer);
    const LayerRows rows = layer.begin_write();
    for (int y = 0; y < ext.height; ++y) {
        std::uint16_t* d = rows.row(y);
        const std::uint16_t* mask = cov.mask + cov.at(0, y);
        for (int x = 0; x < ext.width; ++x, d += 4) {
            const std::uint32_t m = mask[x];
            if (m == 0) continue;
            if (m == kFullCoverage) {
                for (int k = 0; k < 4; ++k) d[k] = widen8(v[k]);
                continue;
            }
            for (int k = 0; k < 3; ++k)
                d[k] = static_cast<std::uint16_t>((v[k] * m + ((kFullCoverage - m) * d[k] >> 8)) >> 8);
            d[3] = 0xFFFF;
        }
    }
}

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v); }

// The whole layer set to the colour of four low bytes, unmasked.
void fill_layer_bytes(LayerRecord& layer, int r, int g, int b, int a)
{
    fill_layer(layer, {widen8(byte(r)), widen8(byte(g)), widen8(byte(b)), widen8(byte(a))});
}

}  // namespace

namespace mve::core {

void fill_rgba32_buffer(std::uint8_t* buffer, int width, int height, int r, int g, int b, int a) noexcept
{
    const std::uint8_t v[4] = {byte(r), byte(g), byte(b), byte(a)};
    fill_rows<std::uint8_t, 4>(buffer, static_cast<std::ptrdiff_t>(width) * 4, width, height, v);
}

void clear_current(CoreState& e, int r, int g, int b, int a) noexcept
{
    if (LayerRecord* layer = current_layer(e)) fill_layer_bytes(*layer, r, g, b, a);
}

void clear_masked(CoreState& e, int r, int g, int b, int a) noexcept
{
    LayerRecord* layer = current_layer(e);
    if (!layer) return;
    const CoverageSource cov = coverage_source(e);
    if (!cov.mask) {
        fill_layer_bytes(*layer, r, g, b, a);
        return;
    }
    fill_through_mask(e, *layer, cov, {byte(r), byte(g), byte(b), byte(a)});
}

void clear_masked_alpha(CoreState& e, int r, int g, int b, int a) noexcept
{
    LayerRecord* layer = current_layer(e);
    if (!layer) return;
    if (!e.mask.enabled && !layer->lockAlpha) {
        fill_layer_bytes(*layer, r, g, b, a);
        return;
    }
    // The colour goes through the masked load path, which honours the Mask,
    // the texture and lock alpha.
    const Extent ext = canvas_extent(e, *layer);
    if (ext.empty()) return;
    Plane8 fill;
    const int rowBytes = ext.width * 4;
    if (!fill.allocate(static_cast<std::size_t>(rowBytes) * ext.height)) return;
    const std::uint8_t v[4] = {byte(r), byte(g), byte(b), byte(a)};
    fill_rows<std::uint8_t, 4>(fill.data(), rowBytes, ext.width, ext.height, v);
    load_rgba32_layer(e, fill.data(), rowBytes, *layer, 0, 0, ext.width, ext.height, true);
}

void clear_rgba64(const CoreState& e, std::uint16_t* buffer, int rowBytes, int r, int g, int b,
                  int a) noexcept
{
    const CanvasState& c = e.canvas;
    const std::uint16_t v[4] = {static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(g),
                                static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(a)};
    fill_rows<std::uint16_t, 4>(buffer, rowBytes, c.width, c.height, v);
}

void clear_rgba32(const CoreState& e, std::uint8_t* buffer, int rowBytes, int r, int g, int b, int a) noexcept
{
    const CanvasState& c = e.canvas;
    const std::uint8_t v[4] = {byte(r), byte(g), byte(b), byte(a)};
    fill_rows<std::uint8_t, 4>(buffer, rowBytes, c.width, c.height, v);
}

}  // namespace mve::core

extern "C" {

MVE_API void MVE_Clear(int r, int g, int b, int a)
{
    core::clear_current(core_state(), r, g, b, a);
}

MVE_API void MVE_ClearMasked(int r, int g, int b, int a)
{
    core::clear_masked(core_state(), r, g, b, a);
}

MVE_API void MVE_ClearMaskedAlpha(int r, int g, int b, int a)
{
    core::clear_masked_alpha(core_state(), r, g, b, a);
}

MVE_API void MVE_ClearRGBA64(unsigned short* buffer, int rowBytes, int r, int g, int b, int a)
{
    core::clear_rgba64(core_state(), buffer, rowBytes, r, g, b, a);
}

MVE_API void MVE_ClearRGBA32(unsigned char* buffer, int rowBytes, int r, int g, int b, int a)
{
    core::clear_rgba32(core_state(), buffer, rowBytes, r, g, b, a);
}

MVE_API void MVE_ClearRGBA32Buf(unsigned char* buffer, int width, int height, int r, int g, int b, int a)
{
    core::fill_rgba32_buffer(buffer, width, height, r, g, b, a);
}

}  // extern "C"
