// MVE_DrawDabGritMask: the dab painted into the selection Mask. The value
// painted is one 16-bit level per pixel (the brush colour's red, or the
// picked-up level) blended into the Mask by the dab's coverage. The square
// is clipped to the canvas first and drawn on the calling thread.
#include <algorithm>

#include "core/coverage.h"
#include "morvane/morvane.h"
#include "paint/blend_buffers.h"
#include "paint/dab_pixel.h"
#include "paint/dab_rasteriser.h"
#include "paint/dab_setup.h"
#include "undo/undo_store.h"

namespace mve {

namespace {

using dab::u32;

struct MaskDab : DabInputs {
    const std::uint8_t* texture = nullptr;
    std::uint16_t* mask = nullptr;
    u32 value = 0;  // the level painted without pick-up
};

// Shape index of dab pixel (j, r), rotated when rotation is on.
void shape_pixel(const MaskDab& d, int j, int r, int& sx, int& sy)
{
    sx = d.table[j], sy = d.table[r];
    if (!d.rotate) return;
    const int c = d.sq.centre, dx = sx - c, dy = sy - c;
    const int rx = static_cast<int>(dx * d.cosA - dy * d.sinA) + c;
    const int ry = static_cast<int>(dx * d.sinA + dy * d.cosA) + c;
    if (rx >= 0 && ry >= 0 && rx < d.sq.full && ry < d.sq.full && rx < d.M && ry < d.M) sx = rx, sy = ry;
}

void draw_mask_row(const MaskDab& d, int row, int j0, int j1, int lumStart)
{
    const int r = row - d.sq.top;
    TableCursor lv{d.lumTable, d.lumLength, d.lumTable && lumStart >= 0 ? lumStart % d.lumLength : 0};
    for (int j = j0; j < j1; ++j) {
        int sx, sy;
        shape_pixel(d, j, r, sx, sy);
        const std::size_t i = static_cast<std::size_t>(sy) * d.M + sx;
        if (d.grit && static_cast<int>(d.grit[i]) > d.density) continue;
        const std::size_t at = static_cast<std::size_t>(row) * d.W + (d.sq.left + j);
        u32 k = dab::opacity_coverage(d.shape[i], d.alphaPercent, d.alphaScaled);
        if (d.texture) k = dab::texture_coverage(k, d.texture[at]);
        if (k == 0) continue;
        std::uint16_t* picked = d.pickup ? d.buffer + static_cast<std::size_t>(sy) * d.M * 4 + sx : nullptr;
        u32 v = picked ? *picked : d.value;
        if (d.lumTable) v = dab::vary_luminance(v, dab::luminance_factor(d.lumAmount, lv.next()));
        const u32 m = d.mask[at];
        d.mask[at] = static_cast<std::uint16_t>(dab::mask_paint(m, v, k));
        if (picked && d.remix) *picked = static_cast<std::uint16_t>(dab::mask_remix(m, v, d.s));
    }
}

bool prepare_mask(Engine& e, const DabSquare& sq, u32 value, MaskDab& d)
{
    const std::size_t pixels = static_cast<std::size_t>(std::max(e.canvas.width, 0)) * std::max(e.canvas.height, 0);
    if (!e.mask.plane || e.mask.plane.size() < pixels || !fill_dab_inputs(e, sq, d)) return false;
    d.texture = e.texture.plane && e.texture.plane.size() >= pixels ? e.texture.plane.data() : nullptr;
    d.mask = e.mask.plane.begin_write();
    d.value = value;
    return true;
}

}  // namespace

void draw_mask_dab(Engine& e, int x, int y)
{
    const DabSquare sq = dab_square(e, x, y);
    const BrushSettings& b = e.brush;
    u32 value = b.eraseMode ? 65535u : b.color[0];
    value = dab::clamp16(static_cast<long long>(value) + colour_vary_offset(b.colorVary));
    change_grit_pattern(e);
    undo_widen_dirty(e, sq.left, sq.top, sq.left + sq.size, sq.top + sq.size);

    RowStarts starts;
    const bool lumOn = variation_table(e.random.lumVariation, e.random.lumVaryAmount);
    draw_row_starts(sq.size, e.canvas.maxBrushSize, false, lumOn, starts);
    MaskDab d;
    if (!prepare_mask(e, sq, value, d)) return;
    // Clipped to the canvas: dab pixels j0..j1-1 of rows y0..y1-1.
    const int j0 = std::max(0, -sq.left), j1 = std::min(sq.drawn, e.canvas.width - sq.left);
    const int y0 = std::max(sq.top, 0), y1 = std::min(sq.top + sq.drawn, e.canvas.height);
    for (int row = y0; row < y1; ++row) draw_mask_row(d, row, j0, j1, starts.lum[static_cast<std::size_t>(row - sq.top)]);
}

}  // namespace mve

using namespace mve;

extern "C" {

MVE_API void MVE_DrawDabGritMask(int x, int y) { draw_mask_dab(engine(), x, y); }

}  // extern "C"
