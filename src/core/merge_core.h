// The merge core: every blend of one RGBA64 plane rectangle into another goes
// through merge_rgba64. Planes are straight (not premultiplied) RGBA64, rows
// counted in 16-bit channel values.
//
// Per pixel: transparent colour-mode sources are skipped; the layer-mask
// plane, the level, the alpha-mode step (modes 32..53) and the opacity scale
// the source alpha; a transparent destination takes the source as it is
// (or becomes (0, 0, 0, 0) for the modes that need something beneath);
// an opaque Normal source is copied; everything else goes through the float
// stage of merge_modes.h. Integer shortcuts may leave colours at 0xFFFF; the
// float stage never writes colours above 65280 (0xFF00).
#pragma once

#include <cstdint>

namespace mve {

constexpr int kLayerMaskMode = 51;  // the layer-mask mode that enables the mask plane

// Merges the w x h rectangle of `src` at (sx, sy) into `dst` at (dx, dy).
// `maskPlane` (may be null) has the source's coordinates and stride; it is
// used only when maskMode is 51. opacity 0..256, level 0..255. Nothing is
// clipped: both rectangles must lie inside their planes. Null planes or an
// empty rectangle write nothing. Rows run in parallel for large rectangles.
// A failure records "MergeRGBA64 Excpt" (the core never lets one escape).
// callerOnly keeps every row on the calling thread, for a caller that runs
// the merge inside a row loop of its own.
void merge_rgba64(const std::uint16_t* src, int sx, int sy, int w, int h, int srcStride,
                  const std::uint16_t* maskPlane, std::uint16_t* dst, int dx, int dy, int dstStride, int mode,
                  int maskMode, int opacity, int level, bool lockAlpha, bool sameAlphaMode,
                  bool callerOnly = false) noexcept;

}  // namespace mve
