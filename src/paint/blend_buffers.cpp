// Blend-buffer table, selection, copies from canvas planes, tint, clear,
// fill and filter. Channels are 16-bit; colour channels written here never
// exceed 65280, the value of a fully saturated 8-bit channel.
#include "paint/blend_buffers.h"

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "core/layers.h"
#include "morvane/morvane.h"

namespace mve {

namespace {

constexpr std::uint32_t kColourCeiling = 65280;

std::uint32_t masked_alpha(const Engine& e, std::size_t pixel, std::uint32_t a)
{
    if (!e.mask.enabled || !e.mask.plane) return a;
    // Floating point on purpose: the product is truncated once at the end.
    const std::uint32_t m = blend_mask_factor(e.mask.plane[pixel]);
    return static_cast<std::uint32_t>(m * (1.0 / 65535.0) * a);
}

}  // namespace

SizedPlane layer_plane(Engine& e, int index) noexcept
{
    const LayerRecord* layer = present_layer(e, index);
    if (!layer) return {};
    return {layer->pixels.data(), layer->width, layer->height};
}

SizedPlane canvas_plane(const Engine& e, const std::uint16_t* pixels) noexcept
{
    return {pixels, e.canvas.width, e.canvas.height};
}

int set_blend_buffer_count(Engine& e, int count)
{
    BlendBufferState& blend = e.blend;
    count = std::min(count, kBlendBufferCount);
    const int m = std::max(e.canvas.maxBrushSize, 0);
    // Buffers made for another maximum brush size are made again.
    const bool resized = blend.count > 0 && blend.records[0].side != m;
    if (count != blend.count || resized) {
        for (auto& record : blend.records) record = BlendBuffer{};
        blend.count = 0;
        const std::size_t values = static_cast<std::size_t>(m) * m * 4;
        for (int i = 0; i < count; ++i) {
            BlendBuffer& record = blend.records[i];
            require(record.pixels.allocate(values));
            std::memset(record.pixels.data(), 0, record.pixels.bytes());
            record.stride = m * 4;
            record.side = m;
        }
        blend.count = std::max(count, 0);
    }
    blend.current = 0;
    return blend.count;
}

BlendBuffer& current_blend_record(Engine& e) noexcept
{
    return e.blend.records[static_cast<std::size_t>(e.blend.current)];
}

std::uint16_t* current_blend_buffer(Engine& e) noexcept
{
    return current_blend_record(e).pixels.data();
}

BrushSquare brush_square(const Engine& e, int x, int y, int planeWidth, int planeHeight, int side) noexcept
{
    BrushSquare sq;
    const long long n = std::max(e.brush.fullSize, 0);
    sq.size = static_cast<int>(n);
    sq.left = x - n / 2;
    sq.top = y - n / 2;
    const long long W = std::min(planeWidth, e.canvas.width), H = std::min(planeHeight, e.canvas.height);
    sq.crossing = sq.left < 0 || sq.top < 0 || sq.left + n > W || sq.top + n > H;
    // The square never reaches past the buffer itself.
    const long long reach = std::min<long long>(n, side);
    sq.on = clip_rect(sq.left, sq.top, reach, reach, W, H);
    return sq;
}

int copy_blend_buffer(Engine& e, int x, int y, SizedPlane plane, int c, int flag)
{
    const BrushSettings& brush = e.brush;
    BlendBuffer& record = current_blend_record(e);
    std::uint16_t* buffer = record.pixels.data();
    if (brush.blendStrength == 0 || !buffer || !plane) return 0;
    const int M = record.side;
    const BrushSquare sq = brush_square(e, x, y, plane.width, plane.height, M);
    const std::uint32_t E = static_cast<std::uint32_t>(256 - c), C = static_cast<std::uint32_t>(c);
    const auto& colour = brush.color;
    if (sq.crossing) {
        // The part outside the canvas keeps the brush colour (or only full alpha).
        const int n = std::min(sq.size, M);
        for (int v = 0; v < n; ++v)
            for (int u = 0; u < n; ++u) {
                std::uint16_t* q = buffer + static_cast<std::size_t>(v) * M * 4 + u * 4;
                if (flag) {
                    q[3] = 65535;
                } else {
                    q[0] = colour[0], q[1] = colour[1], q[2] = colour[2];
                    q[3] = static_cast<std::uint16_t>((C % 256) * 256);
                }
            }
    }
    const int W = e.canvas.width;
    for (int py = sq.on.y0; py < sq.on.y1; ++py)
        for (int px = sq.on.x0; px < sq.on.x1; ++px) {
            const std::uint16_t* p = plane.at(px, py);
            std::uint16_t* q = buffer + sq.at(px, py, M);
            const std::uint32_t A = masked_alpha(e, static_cast<std::size_t>(py) * W + px, p[3]);
            if (A == 0) {
                q[0] = colour[0], q[1] = colour[1], q[2] = colour[2];
                q[3] = static_cast<std::uint16_t>(flag ? E * 256 : C * 256);
                continue;
            }
            // The canvas colour pulled toward the brush colour by c / 256.
            for (int ch = 0; ch < 3; ++ch)
                q[ch] = static_cast<std::uint16_t>(std::min(kColourCeiling, ((p[ch] * E + C * colour[ch]) >> 8) + 1));
            q[3] = static_cast<std::uint16_t>((A * E + C * colour[3]) >> 8);
        }
    return 1;
}

namespace paint {

void select_blend_buffer(BlendBufferState& blend, int index) noexcept
{
    index = std::max(index, 0);
    if (index >= blend.count) index = blend.count - 1;
    blend.current = std::max(index, 0);  // with no buffers at all, record 0 stays current
}

int copy_blend_buffer_surface(Engine& e, int x, int y, int c, int flag)
{
    return copy_blend_buffer(e, x, y, layer_plane(e, e.layers.currentIndex), c, flag);
}

int copy_blend_buffer_layer(Engine& e, int layer, int x, int y, int c)
{
    return copy_blend_buffer(e, x, y, layer_plane(e, layer), c, 0);
}

int copy_blend_buffer_under_layer(Engine& e, int x, int y, int c)
{
    return copy_blend_buffer(e, x, y, canvas_plane(e, e.undo.under.pixels.data()), c, 0);
}

int copy_blend_buffer_trace(Engine& e, int x, int y, int c)
{
    return copy_blend_buffer(e, x, y, layer_plane(e, 0), c, 0);
}

int copy_blend_buffer_mask(Engine& e, int x, int y, int c) noexcept
{
    BlendBuffer& record = current_blend_record(e);
    std::uint16_t* buffer = record.pixels.data();
    if (e.brush.blendStrength == 0 || !buffer || !e.mask.plane) return 0;
    const int M = record.side, W = e.canvas.width;
    const auto& colour = e.brush.color;
    const std::uint32_t L = (colour[0] + colour[1] + colour[2]) / 3u;
    // The pick-up value: white for a dark brush, else the inverted brush grey.
    const std::uint32_t p = (L & 0xFFFF) < 256 ? 65535 : 65280 - L;
    const BrushSquare sq = brush_square(e, x, y, e.canvas.width, e.canvas.height, M);
    if (sq.crossing) {
        const int n = std::min(sq.size, M);
        for (int v = 0; v < n; ++v)
            std::fill_n(buffer + static_cast<std::size_t>(v) * M * 4, n, static_cast<std::uint16_t>(p));
    }
    const std::uint32_t C = static_cast<std::uint32_t>(c);
    for (int py = sq.on.y0; py < sq.on.y1; ++py)
        for (int px = sq.on.x0; px < sq.on.x1; ++px) {
            const std::uint32_t m = e.mask.plane[static_cast<std::size_t>(py) * W + px];
            const std::uint32_t t = C * p + m * (256 - C);
            // One value per pixel, rows still M * 4 values apart.
            buffer[static_cast<std::size_t>(py - sq.top) * M * 4 + static_cast<std::size_t>(px - sq.left)] = static_cast<std::uint16_t>(t < 0xFF0000 ? (t >> 8) + 1 : 65280);
        }
    return 1;
}

int colour_blend_buffer(Engine& e, int x, int y, int r, int g, int b, int f) noexcept
{
    BlendBuffer& record = current_blend_record(e);
    std::uint16_t* buffer = record.pixels.data();
    if (e.brush.blendStrength == 0 || !buffer) return 0;
    const int M = record.side;
    const std::uint32_t k = static_cast<std::uint32_t>(std::min(65535, std::max(f, 0) * 256));
    const std::uint32_t target[3] = {static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(g),
                                     static_cast<std::uint32_t>(b)};
    const BrushSquare sq = brush_square(e, x, y, e.canvas.width, e.canvas.height, M);
    for (int py = sq.on.y0; py < sq.on.y1; ++py)
        for (int px = sq.on.x0; px < sq.on.x1; ++px) {
            std::uint16_t* q = buffer + sq.at(px, py, M);
            for (int ch = 0; ch < 3; ++ch) {
                // Tint toward the 8-bit colour by f / 256.
                const std::uint32_t v =
                    q[3] != 0 ? (((target[ch] * k) + ((q[ch] * (65536 - k)) >> 8)) >> 8) + 1 : target[ch] * 256;
                q[ch] = static_cast<std::uint16_t>(std::min(kColourCeiling, v));
            }
        }
    return 1;
}

void clear_blend_buffer(BlendBufferState& blend) noexcept
{
    BlendBuffer& record = blend.records[static_cast<std::size_t>(blend.current)];
    if (record.pixels) std::memset(record.pixels.data(), 0, record.pixels.bytes());
}

void fill_blend_buffer(Engine& e, int lo) noexcept
{
    BlendBuffer& record = e.blend.records[static_cast<std::size_t>(e.blend.current)];
    if (!record.pixels) return;
    // Every byte of the first M * M values takes the low byte of lo.
    const std::size_t m = static_cast<std::size_t>(record.side);
    std::memset(record.pixels.data(), lo & 0xFF, std::min(m * m * 2, record.pixels.bytes()));
}

void filter_blend_buffer(Engine& e, int kind, int level) noexcept
{
    BlendBuffer& record = current_blend_record(e);
    std::uint16_t* buffer = record.pixels.data();
    if (!buffer) return;
    const int M = record.side;
    const int n = std::min(e.brush.fullSize, M);
    const std::uint32_t b = static_cast<std::uint32_t>(std::max(0, static_cast<int>(level * 655.35)));
    for (int v = 0; v < n; ++v)
        for (int u = 0; u < n; ++u) {
            std::uint16_t* q = buffer + static_cast<std::size_t>(v) * M * 4 + u * 4;
            switch (kind) {
            case 289: q[0] = q[1] = q[2] = static_cast<std::uint16_t>((q[0] + q[1] + q[2]) / 3); break;
            case 290:
                for (int ch = 0; ch < 3; ++ch) q[ch] = static_cast<std::uint16_t>(65535 - q[ch]);
                break;
            case 291:
                for (int ch = 0; ch < 3; ++ch)
                    if (q[ch] < b) q[ch] = 0;
                break;
            case 292:
                for (int ch = 0; ch < 3; ++ch)
                    if (q[ch] > b) q[ch] = 65280;
                break;
            default: break;
            }
        }
}

}  // namespace paint

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API int MVE_SetBlendBufferCount(int count)
{
    return guarded("SetBlendBufferCount Excpt", 0,
                   [count] { return set_blend_buffer_count(engine(), count); });
}

MVE_API void MVE_SelectBlendBuffer(int index)
{
    paint::select_blend_buffer(engine().blend, index);
}

MVE_API int MVE_DoCopyBlendBuffer(int x, int y, const unsigned short* plane, int c, int flag)
{
    Engine& e = engine();
    return copy_blend_buffer(e, x, y, canvas_plane(e, plane), c, flag);
}

MVE_API int MVE_CopyBlendBufferSurface(int x, int y, int c, int flag)
{
    return paint::copy_blend_buffer_surface(engine(), x, y, c, flag);
}

MVE_API int MVE_CopyBlendBufferLayer(int layer, int x, int y, int c)
{
    return paint::copy_blend_buffer_layer(engine(), layer, x, y, c);
}

MVE_API int MVE_CopyBlendBufferUnderLayer(int x, int y, int c)
{
    return paint::copy_blend_buffer_under_layer(engine(), x, y, c);
}

// The history plane is the under-layer snapshot.
MVE_API int MVE_CopyBlendBufferHistory(int x, int y, int c)
{
    return paint::copy_blend_buffer_under_layer(engine(), x, y, c);
}

MVE_API int MVE_CopyBlendBufferTrace(int x, int y, int c)
{
    return paint::copy_blend_buffer_trace(engine(), x, y, c);
}

MVE_API int MVE_DoCopyBlendBufferMask(int x, int y, int c)
{
    return paint::copy_blend_buffer_mask(engine(), x, y, c);
}

MVE_API int MVE_DoColorBlendBuffer(int x, int y, int r, int g, int b, int, int f)
{
    return paint::colour_blend_buffer(engine(), x, y, r, g, b, f);
}

MVE_API void MVE_ClearBlendBuffer(void)
{
    paint::clear_blend_buffer(engine().blend);
}

MVE_API void MVE_FillBlendBuffer(int, int, int, int lo)
{
    paint::fill_blend_buffer(engine(), lo);
}

MVE_API void MVE_FilterBlendBuffer(int kind, int level)
{
    paint::filter_blend_buffer(engine(), kind, level);
}

}  // extern "C"
