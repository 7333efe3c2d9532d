#include "paint/dab_setup.h"

#include <algorithm>

#include "core/clip.h"
#include "paint/blend_buffers.h"
#include "undo/undo_store.h"

namespace mve {

namespace {
constexpr int kGritJitter = 25;  // a new grit position moves up to 24 rows and columns into the pattern
}

DabSquare dab_square(const Engine& e, int x, int y) noexcept
{
    const BrushSettings& b = e.brush;
    DabSquare sq;
    // Positions far off the canvas draw nothing either way; clamped, the
    // square's edges below cannot overflow.
    x = clamp_far(x, e.canvas.width);
    y = clamp_far(y, e.canvas.height);
    sq.size = std::clamp(b.dabSize, 0, kScaleTableSize);
    sq.full = b.fullSize;
    sq.left = x - sq.size / 2;
    sq.top = y - sq.size / 2;
    sq.centre = sq.full / 2;
    const int right = sq.left + sq.size, bottom = sq.top + sq.size;
    sq.crossing = sq.left < 0 || sq.top < 0 || right >= e.canvas.width || bottom >= e.canvas.height;
    // A full size above the maximum brush size would index past the shape
    // (and the blend buffer): such rows and columns are not drawn. The table
    // never decreases, so the valid entries are a leading run.
    const int M = e.canvas.maxBrushSize;
    while (sq.drawn < sq.size && b.scaleIndex[static_cast<std::size_t>(sq.drawn)] < M) ++sq.drawn;
    return sq;
}

int colour_vary_offset(int v) noexcept
{
    if (v < 1) return 0;
    return (v / 2 - crt_rand() % v) * 256;
}

void change_grit_pattern(Engine& e) noexcept
{
    PaintResources& p = e.paint;
    const int M = e.canvas.maxBrushSize;
    if (e.brush.gritDotSize == 0 || p.gritCountdown >= 1) return;
    // Another start than the current position; with a non-zero offset any
    // pattern's start differs, the current one's included.
    int next;
    do {
        next = crt_rand() % kGritPatternCount;
    } while (next == p.gritPattern && p.gritOffset == 0);
    const int row = crt_rand() % kGritJitter;
    const int col = crt_rand() % kGritJitter;
    p.gritPattern = next;
    p.gritOffset = static_cast<std::size_t>(row) * static_cast<std::size_t>(std::max(M, 0)) + col;
    p.gritCountdown = e.brush.drawingLength;
}

const std::uint8_t* dab_grit(const Engine& e) noexcept
{
    if (e.brush.gritDotSize == 0) return nullptr;
    const std::uint8_t* g = grit_position(e.paint);
    if (!g) return nullptr;
    const std::size_t M = static_cast<std::size_t>(std::max(e.canvas.maxBrushSize, 0));
    const Plane8& pattern = e.paint.gritPatterns[static_cast<std::size_t>(e.paint.gritPattern)];
    return pattern.size() - e.paint.gritOffset >= M * M ? g : nullptr;
}

void widen_dab_bounds(Engine& e, const DabSquare& sq) noexcept
{
    const int right = sq.left + sq.size, bottom = sq.top + sq.size;
    undo_widen_dirty(e, sq.left, sq.top, right, bottom);
    LayerRecord& paint = e.layers.paint;
    if (!paint.present()) return;
    int* ext = paint.extents;
    ext[0] = std::min(ext[0], sq.left);
    ext[1] = std::min(ext[1], sq.top);
    ext[2] = std::max(ext[2], right);
    ext[3] = std::max(ext[3], bottom);
    if (!sq.crossing) return;
    const int W = e.canvas.width, H = e.canvas.height;
    ext[0] = std::clamp(ext[0], 0, W);
    ext[1] = std::clamp(ext[1], 0, H);
    ext[2] = std::clamp(ext[2], 0, W);
    ext[3] = std::clamp(ext[3], 0, H);
}

const std::uint8_t* variation_table(const RandomByteTable& t, int amount) noexcept
{
    return amount > 0 && t.data && t.length > 0 ? t.data.data() : nullptr;
}

void draw_row_starts(int rows, int M, bool colour, bool lum, RowStarts& out) noexcept
{
    rows = std::min(rows, kScaleTableSize);
    for (int r = 0; r < rows; ++r) {
        // Colour first, then luminance, row by row: the order one thread
        // walking the rows top to bottom would draw them in.
        out.colour[static_cast<std::size_t>(r)] = colour && M > 0 ? crt_rand() % M : -1;
        out.lum[static_cast<std::size_t>(r)] = lum && M > 0 ? crt_rand() % M : -1;
    }
}

void clear_dab_flags(Engine& e) noexcept
{
    e.brush.blendDisabledOnce = 0;
    e.brush.eraseMode = 0;
    e.mask.makerOn = 0;
}

bool fill_dab_inputs(Engine& e, const DabSquare& sq, DabInputs& d) noexcept
{
    const BrushSettings& b = e.brush;
    const int M = e.canvas.maxBrushSize;
    if (M <= 0 || sq.drawn <= 0 || !e.paint.brushShape || e.paint.brushShape.size() < static_cast<std::size_t>(M) * M)
        return false;
    d.W = e.canvas.width, d.H = e.canvas.height, d.M = M;
    d.sq = sq;
    d.table = b.scaleIndex.data();
    d.shape = e.paint.brushShape.data();
    d.grit = dab_grit(e);
    d.density = b.density;
    d.rotate = b.rotateOn == 1;
    d.cosA = b.rotateCos, d.sinA = b.rotateSin;
    d.alphaPercent = b.alpha, d.alphaScaled = b.alphaScaled;
    d.pickup = b.blendStrength != 0 && !b.blendDisabledOnce;
    d.buffer = current_blend_buffer(e);
    const BlendBuffer& record = e.blend.records[static_cast<std::size_t>(e.blend.current)];
    if (d.pickup && (!d.buffer || record.pixels.size() < static_cast<std::size_t>(M) * M * 4)) return false;
    d.remix = b.blendRemix != 0;
    d.s = static_cast<std::uint32_t>(b.blendStrength);
    d.lumTable = variation_table(e.random.lumVariation, e.random.lumVaryAmount);
    d.lumAmount = e.random.lumVaryAmount, d.lumLength = e.random.lumVariation.length;
    return true;
}

}  // namespace mve
