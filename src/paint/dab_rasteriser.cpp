// MVE_DrawDabGrit: one stamp of the brush into the PaintLayer (or the current
// layer). The set-up decides once per dab what takes part (grit, rotation,
// texture, mask, pick-up, variation, mode family); the row kernel is a
// template over the two decisions that shape the inner loop most, so the
// plain soft dab runs without the per-pixel tests of the rarer features.
#include <algorithm>

#include "core/coverage.h"
#include "core/layers.h"
#include "core/parallel.h"
#include "core/runtime.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/dab_context.h"
#include "paint/dab_pixel.h"
#include "paint/dab_plain.h"
#include "paint/dab_rasteriser.h"
#include "paint/dab_setup.h"

namespace mve {

namespace {

using dab::Px;
using dab::u32;

TableCursor cursor_at(const std::uint8_t* bytes, int length, int start)
{
    return TableCursor{bytes, length, bytes && length > 0 && start >= 0 ? start % length : 0};
}

// Source colour S of one pixel (step "source colour"); k may be scaled by an
// image brush's own alpha.
inline Px source_colour(const DabContext& cx, const std::uint16_t* picked, u32& k, TableCursor& cv, TableCursor& lv)
{
    Px S;
    if (cx.pickup) {
        S = {picked[0], picked[1], picked[2], picked[3]};
        if (cx.imageBrush && S[3] < 65535) {
            k = std::max<u32>(1, (k * S[3]) >> 16);
            S[3] = 65535;
        }
        if (cx.colourTable) {
            const u32 b = cv.next();
            for (int c = 0; c < 3; ++c) S[c] = dab::vary_colour(S[c], cx.colourAmount, b);
        }
        if (cx.lumTable) {
            const float f = dab::luminance_factor(cx.lumAmount, lv.next());
            for (int c = 0; c < 3; ++c) S[c] = dab::vary_luminance(S[c], f);
        }
        if (cx.q != 0)
            for (int c = 0; c < 4; ++c) S[c] = dab::primary_pull(S[c], cx.q, cx.primary[c]);
        return S;
    }
    S = cx.colour;
    if (cx.colourTable) {
        const u32 b = cv.next();
        for (int c = 0; c < 4; ++c) S[c] = dab::vary_colour(S[c], cx.colourAmount, b);
    }
    if (cx.lumTable) {  // from the dab colour itself, replacing the varied colour
        const float f = dab::luminance_factor(cx.lumAmount, lv.next());
        for (int c = 0; c < 3; ++c) S[c] = dab::vary_luminance(cx.colour[c], f);
    }
    return S;
}

// One row. Extras: any of grit, rotation, texture, mask, pick-up, variation
// or a crossing square. Low: a mode below 34.
template <bool Extras, bool Low>
void draw_row(const DabContext& cx, int row)
{
    const DabSquare& sq = cx.sq;
    const int r = row - sq.top;
    const int shapeRow = cx.table[r];
    const bool rowInside = row >= 0 && row < cx.H;
    std::uint16_t* line = rowInside ? cx.target + static_cast<std::size_t>(row) * cx.stride : nullptr;
    TableCursor cv = cursor_at(cx.colourTable, cx.colourLength, Extras ? cx.starts->colour[r] : 0);
    TableCursor lv = cursor_at(cx.lumTable, cx.lumLength, Extras ? cx.starts->lum[r] : 0);
    // Pixels outside the canvas matter only through the blend buffer (remix)
    // and through the variation bytes they take; otherwise they are skipped.
    int j0 = 0, j1 = sq.drawn;
    if (!Extras || (!(cx.pickup && cx.remix) && !cx.colourTable && !cx.lumTable)) {
        if (!rowInside) return;
        j0 = std::max(0, -sq.left);
        j1 = std::min(j1, cx.W - sq.left);
    }
    for (int j = j0; j < j1; ++j) {
        const int col = sq.left + j;
        int sx = cx.table[j], sy = shapeRow;
        if (Extras && cx.rotate) {
            const int dx = sx - sq.centre, dy = sy - sq.centre;
            const int rx = static_cast<int>(dx * cx.cosA - dy * cx.sinA) + sq.centre;
            const int ry = static_cast<int>(dx * cx.sinA + dy * cx.cosA) + sq.centre;
            if (rx >= 0 && ry >= 0 && rx < sq.full && ry < sq.full && rx < cx.M && ry < cx.M) sx = rx, sy = ry;
        }
        const std::size_t i = static_cast<std::size_t>(sy) * cx.M + sx;
        if (Extras && cx.grit && static_cast<int>(cx.grit[i]) > cx.density) continue;
        u32 k = dab::opacity_coverage(cx.shape[i], cx.alphaPercent, cx.alphaScaled);
        const bool outside = Extras && (!rowInside || col < 0 || col >= cx.W);
        u32 cap = 65535;
        if (Extras && !outside) {
            const std::size_t at = static_cast<std::size_t>(row) * cx.W + col;
            if (cx.texture) k = dab::texture_coverage(k, cx.texture[at]);
            if (cx.mask) {
                if (cx.maskMultiplies) k = dab::mask_coverage(k, cx.mask[at]);
                else cap = cx.mask[at];
            }
        }
        if (k == 0) continue;
        if (cx.solid) k = 65535;
        std::uint16_t* picked = Extras && cx.pickup ? cx.buffer + i * 4 : nullptr;
        Px S = source_colour(cx, picked, k, cv, lv);
        std::uint16_t* p = outside ? nullptr : line + static_cast<std::size_t>(col) * 4;
        Px D = outside ? Px{0, 0, 0, 0} : Px{p[0], p[1], p[2], p[3]};
        const u32 Da = D[3];
        Px R;
        if (Low) {
            R = dab::compose_low(cx.low, S, D, k);
        } else {
            dab::pull_destination(D, S, k);
            if (cx.erase) S[3] = 0;
            R = dab::coverage_blend(dab::blend_high(cx.mix, cx.t, S, D), D, k);
        }
        if (Extras && cx.pickup && cx.remix) {
            const Px q = dab::remix(S, D, cx.s);
            for (int c = 0; c < 4; ++c) picked[c] = static_cast<std::uint16_t>(q[c]);
        }
        if (!outside) write_pixel(cx, p, R, Da, cap);
    }
}

RowKernel pick_kernel(bool extras, bool low)
{
    if (extras) return low ? draw_row<true, true> : draw_row<true, false>;
    return low ? draw_row<false, true> : draw_row<false, false>;
}

// The plane the dab paints: the PaintLayer, else the current layer; null
// when it is absent or not canvas-sized.
LayerRecord* dab_target(Engine& e)
{
    LayerRecord* t = e.layers.paint.present() ? &e.layers.paint : e.layers.current;
    if (!t || !t->present() || t->width != e.canvas.width || t->height != e.canvas.height) return nullptr;
    return t;
}

// Fills the context from the settings; false when nothing can be drawn.
bool prepare(Engine& e, const DabSquare& sq, const Px& colour, const RowStarts& starts, DabContext& cx)
{
    const BrushSettings& b = e.brush;
    LayerRecord* target = dab_target(e);
    if (!target || !fill_dab_inputs(e, sq, cx)) return false;
    const bool paintLayer = e.layers.paint.present();
    cx.identityTable = true;
    for (int j = 0; j < sq.drawn && cx.identityTable; ++j) cx.identityTable = cx.table[j] == j;
    const CoverageSource cover = coverage_source(e);
    cx.texture = cover.texture;
    cx.mask = cover.mask;
    cx.erase = b.eraseMode != 0;
    cx.maskMultiplies = cx.pickup || cx.erase || !paintLayer;
    cx.solid = b.solidBrushMode != 0, cx.imageBrush = b.imageBrushMode != 0;
    cx.q = static_cast<u32>(std::max(b.blendPrimaryColorStrength, 0));
    cx.colour = colour;
    for (int c = 0; c < 4; ++c) cx.primary[c] = colour[c] * cx.q;
    cx.low = {cx.pickup, cx.erase, b.mixMode};
    cx.mix = paint_mix_inputs(b);
    cx.t = b.mixLevel;
    cx.colourTable = variation_table(e.random.colourVariation, e.random.colourVaryAmount);
    cx.colourAmount = e.random.colourVaryAmount, cx.colourLength = e.random.colourVariation.length;
    cx.starts = &starts;
    cx.target = target->pixels.begin_write();
    cx.stride = static_cast<std::size_t>(target->stride);
    const LayerRecord* current = e.layers.current;
    const bool layerLocked = current && current->lockAlpha;
    cx.alpha.writable = paintLayer || (!layerLocked && !b.alphaLocked && e.layers.currentIndex > 1);
    cx.alpha.blob = b.blobLocked != 0;
    cx.alpha.level = static_cast<u32>(std::max(b.alphaLevel, 0));
    cx.alpha.erase = cx.erase;
    cx.colourLocked = b.colorLocked != 0;
    return true;
}

void draw_pixels(Engine& e, const DabSquare& sq, const Px& colour)
{
    RowStarts starts;
    const bool colourOn = variation_table(e.random.colourVariation, e.random.colourVaryAmount);
    const bool lumOn = variation_table(e.random.lumVariation, e.random.lumVaryAmount);
    // Every row's starts are drawn before any pixel, also for rows that
    // turn out to draw nothing, so the generator advances the same way.
    draw_row_starts(sq.size, e.canvas.maxBrushSize, colourOn, lumOn, starts);
    DabContext cx;
    if (!prepare(e, sq, colour, starts, cx)) return;
    const bool extras = cx.grit || cx.rotate || cx.texture || cx.mask || cx.pickup || cx.colourTable ||
                        cx.lumTable || sq.crossing;
    const RowKernel plain = fast_paths_enabled() ? plain_kernel(cx) : nullptr;
    const RowKernel kernel = plain ? plain : pick_kernel(extras, cx.low.code < 34);
    // Rotated pick-up with remix can read and write one blend-buffer pixel
    // from two rows; it stays on one thread so the result is deterministic.
    const bool shared = cx.rotate && cx.pickup && cx.remix;
    const int rows = sq.drawn;
    for_each_row(sq.top, sq.top + rows, shared ? 0 : sq.size * cost::kBlend, [&](int row) { kernel(cx, row); });
}

}  // namespace

void draw_dab(Engine& e, int x, int y)
{
    const BrushSettings& b = e.brush;
    const DabSquare sq = dab_square(e, x, y);
    Px colour = {b.color[0], b.color[1], b.color[2], b.color[3]};
    const int d = colour_vary_offset(b.colorVary);
    if (d != 0)
        for (auto& c : colour) c = dab::clamp16(static_cast<long long>(c) + d);
    if (b.eraseMode) colour = {65535, 65535, 65535, 0};
    change_grit_pattern(e);
    widen_dab_bounds(e, sq);
    draw_pixels(e, sq, colour);
    clear_dab_flags(e);
}

void paint::draw_dab_grit(Engine& e, int x, int y, int r, int g, int b)
{
    e.brush.color = {static_cast<std::uint16_t>(r & 0xFF00), static_cast<std::uint16_t>(g & 0xFF00),
                     static_cast<std::uint16_t>(b & 0xFF00), 65535};
    if (e.mask.makerOn) {
        draw_mask_dab(e, x, y);
        clear_dab_flags(e);
        return;
    }
    draw_dab(e, x, y);
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_DrawDabGrit(int x, int y, int r, int g, int b)
{
    paint::draw_dab_grit(engine(), x, y, r, g, b);
}

}  // extern "C"
