// The composite of one canvas pixel for the view: every visible layer from
// the bottom up, with the stroke of the PaintLayer merged in at the paint
// position.
//
// Fixed-point contract: layer pixels are straight RGBA64. The running
// composite is either the plain 16-bit pixel of one layer (integer form) or
// four floats: colour on a scale where 65280 is 1.0, alpha where 65535 is 1.0
// (float form). Opaque backgrounds, transparent pixels of colour-mode layers
// and opaque Normal pixels stay in the integer form; everything else goes
// through the float stage shared with the merge core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine.h"

namespace mve {

constexpr int kMaxViewEntries = 271;

// One entry of the visible list.
struct ViewEntry {
    const std::uint16_t* pixels = nullptr;
    int stride = 0;  // 16-bit values per row
    int mode = 0;
    int opacity = 256;             // 0..256
    bool skipTransparent = false;  // alpha 0 skips the entry (colour modes, not the paint position)
    bool maskedByNext = false;     // the next entry is a "Layer Mask" layer
};

// The PaintLayer as the renderer merges it at the paint position.
struct ViewPaint {
    const std::uint16_t* pixels = nullptr;
    int stride = 0;
    int mode = 0;
    int mergeLevel = 256;  // the PaintLayer's opacity, passed as the merge level
    int level = 255;       // scales the PaintLayer's alpha first
    bool lockAlpha = false;
};

// Everything the per-pixel composite reads, gathered once per call.
struct ViewScene {
    std::vector<ViewEntry> entries;  // at most kMaxViewEntries
    int paintPosition = -1;          // entry that takes the stroke, -1 for none
    bool opaqueBase = false;         // entries[0] is layer 1, forced opaque
    ViewPaint paint;
    std::uint16_t alphaLayerOpacity = 0xFFFF;
};

// The visible list: layers 1..271 with pixels that cover the canvas, visible
// and not in mode 29, with the paint position and the PaintLayer settings.
ViewScene build_view_scene(Engine& e);

// Row pointers of every entry (and the PaintLayer) for canvas row y.
struct ViewRowPointers {
    const std::uint16_t* entry[kMaxViewEntries];
    const std::uint16_t* paint = nullptr;
};
void view_row_pointers(const ViewScene& scene, int y, ViewRowPointers& rows) noexcept;

// The running composite of one pixel. While `isFloat` is clear the integer
// pixel is the composite (f is then not read) and its float form is
// r / 65280 ... a / 65535.
struct ViewComposite {
    std::uint16_t r = 0, g = 0, b = 0, a = 0;
    float f[4] = {0, 0, 0, 0};
    bool isFloat = false;
};
static_assert(offsetof(ViewComposite, a) == 3 * sizeof(std::uint16_t), "r, g, b, a are stored back to back");

// Composites the canvas columns columns[0..count) of the row into out
// (R, G, B, A, 16-bit each), using work (count entries) as the running composites.
void composite_view_row(const ViewScene& scene, const ViewRowPointers& rows, const int* columns,
                        std::size_t count, ViewComposite* work, std::uint16_t* out) noexcept;

// With the fast paths off (set_fast_paths, core/runtime.h) fully transparent
// sources go through the float stage one pixel at a time, the float stage
// takes its scalar form for every mode, and output pixels are written one at
// a time.

}  // namespace mve
