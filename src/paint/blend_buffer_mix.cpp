// Mixing canvas colour into the current blend buffer as the brush moves: the
// buffer's paint is blended with the canvas by the paint mix mode, then
// pulled toward the canvas by w / 256.
#include <algorithm>

#include "core/layers.h"
#include "core/parallel.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/paint_mix.h"

namespace mve {

namespace {

// Q' of the mix: the mode's blend without its strength step. Code 33 is the
// plain product here; 32 and codes without an entry leave the buffer colour.
Rgb32 mixed_colour(const PaintMixInputs& in, const Rgb32& q, const Rgb32& p)
{
    if (in.code == 33) return {(q[0] * p[0]) >> 16, (q[1] * p[1]) >> 16, (q[2] * p[2]) >> 16};
    if (!paint_mix_has_entry(in.code)) return q;
    return paint_mix(in, q, p).b;
}

void mix_pixel(const PaintMixInputs& in, std::uint16_t* q, const std::uint16_t* p, std::uint32_t pa, std::uint32_t k)
{
    if (pa == 0) {
        q[3] = static_cast<std::uint16_t>((q[3] * (65536 - k)) >> 16);
        return;
    }
    if (k == 0) return;
    if (q[3] == 0) {
        q[0] = p[0], q[1] = p[1], q[2] = p[2];
        q[3] = static_cast<std::uint16_t>(pa);
        return;
    }
    const Rgb32 Q = {q[0], q[1], q[2]}, P = {p[0], p[1], p[2]};
    Rgb32 blended = mixed_colour(in, Q, P);
    std::uint32_t qa = q[3];
    if (in.code == 340) {
        qa = mean_of(Q);
        blended = {32767, 32767, 32767};
    }
    for (int ch = 0; ch < 3; ++ch) {
        // ((Q' (65536 - k) >> 8) + (P k >> 8)) >> 8, plus the rounding increment.
        const std::uint64_t v =
            ((((std::uint64_t)blended[ch] * (65536 - k)) >> 8) + ((std::uint64_t)P[ch] * k >> 8)) >> 8;
        q[ch] = static_cast<std::uint16_t>(std::min<std::uint64_t>(65280, v + 1));
    }
    q[3] = static_cast<std::uint16_t>((((std::uint64_t)qa * (65536 - k) >> 8) + ((std::uint64_t)pa * k >> 8)) >> 8);
}

}  // namespace

int mix_blend_buffer(Engine& e, int x, int y, SizedPlane plane, int w)
{
    BlendBuffer& record = current_blend_record(e);
    std::uint16_t* buffer = record.pixels.data();
    if (e.brush.blendStrength == 0 || !buffer || !plane) return 0;
    const int M = record.side, W = e.canvas.width;
    const std::uint32_t k = static_cast<std::uint32_t>(std::min(65535, std::max(w, 0) * 256));
    const PaintMixInputs in = paint_mix_inputs(e.brush);
    const BrushSquare sq = brush_square(e, x, y, plane.width, plane.height, M);
    const bool masked = e.mask.enabled && e.mask.plane;
    const std::uint16_t* mask = e.mask.plane.data();
    for_each_row(sq.on.y0, sq.on.y1, sq.on.width() * cost::kBlend, [&](int py) {
        std::uint16_t* q = buffer + sq.at(sq.on.x0, py, M);
        for (int px = sq.on.x0; px < sq.on.x1; ++px, q += 4) {
            const std::uint16_t* p = plane.at(px, py);
            std::uint32_t pa = p[3];
            if (masked)
                pa = static_cast<std::uint32_t>(
                    blend_mask_factor(mask[static_cast<std::size_t>(py) * W + px]) * (1.0 / 65535.0) * pa);
            mix_pixel(in, q, p, pa, k);
        }
    });
    return 1;
}

namespace paint {

int mix_blend_buffer_surface(Engine& e, int x, int y, int w)
{
    return mix_blend_buffer(e, x, y, layer_plane(e, e.layers.currentIndex), w);
}

int mix_blend_buffer_layer(Engine& e, int layer, int x, int y, int w)
{
    return mix_blend_buffer(e, x, y, layer_plane(e, layer), w);
}

int mix_blend_buffer_under_layer(Engine& e, int x, int y, int w)
{
    return mix_blend_buffer(e, x, y, canvas_plane(e, e.undo.under.pixels.data()), w);
}

int mix_blend_buffer_trace(Engine& e, int x, int y, int w)
{
    return mix_blend_buffer(e, x, y, layer_plane(e, 0), w);
}

}  // namespace paint

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API int MVE_DoMixBlendBuffer(int x, int y, const unsigned short* plane, int w)
{
    Engine& e = engine();
    return mix_blend_buffer(e, x, y, canvas_plane(e, plane), w);
}

MVE_API int MVE_MixBlendBufferSurface(int x, int y, int w)
{
    return paint::mix_blend_buffer_surface(engine(), x, y, w);
}

MVE_API int MVE_MixBlendBufferLayer(int layer, int x, int y, int w)
{
    return paint::mix_blend_buffer_layer(engine(), layer, x, y, w);
}

MVE_API int MVE_MixBlendBufferUnderLayer(int x, int y, int w)
{
    return paint::mix_blend_buffer_under_layer(engine(), x, y, w);
}

// The history plane is the under-layer snapshot.
MVE_API int MVE_MixBlendBufferHistory(int x, int y, int w)
{
    return paint::mix_blend_buffer_under_layer(engine(), x, y, w);
}

MVE_API int MVE_MixBlendBufferTrace(int x, int y, int w)
{
    return paint::mix_blend_buffer_trace(engine(), x, y, w);
}

}  // extern "C"
