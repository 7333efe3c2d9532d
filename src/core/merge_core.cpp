// The merge core. Fixed-point contract: every plane value is a 16-bit channel
// of straight RGBA64; alphas are scaled by ((k + 1) * a) >> 8 for a level or
// opacity k (so 255 and 256 keep a); the float stage (merge_formulas.h) works
// on premultiplied doubles with colours on the 65280 scale.
//
// Dispatch happens once per call: a row loop is instantiated per blend
// formula and per kind of source (colour mode, alpha mode, alpha mode with
// the same-alpha-mode flag), so the pixel loop holds no mode switch for the
// colour modes. The float stage runs packed, several pixels per register
// (core/merge_float_batch.h), unless the fast paths are off; both give the
// same bits.
#include "core/merge_core.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/alpha_modes.h"
#include "core/blend_modes.h"
#include "core/core_state.h"
#include "core/guard.h"
#include "core/merge_float_batch.h"
#include "core/merge_formulas.h"
#include "core/parallel.h"
#include "core/runtime.h"

namespace mve {

namespace {

using u32 = std::uint32_t;

enum class SourceKind { Colour, Alpha, SameAlpha };

struct MergeJob {
    const std::uint16_t* src;
    const std::uint16_t* mask;  // null unless the layer-mask plane is in use
    std::uint16_t* dst;
    int sx, sy, dx, dy, w, h, srcStride, dstStride;
    int mode;
    u32 level1;    // level + 1
    u32 opacity1;  // opacity + 1, applied only when the opacity is below 255
    bool scaleByOpacity;
    bool lockAlpha;
    bool emptyWhenDestEmpty;  // modes 20, 21, 27, 28, 29 need something beneath
    u32 alphaLayerOpacity;
    FloatBatchKernel kernel;  // the packed float stage, or null for the scalar one
    FloatRunKernel run;       // its form for runs straight from the planes (null with kernel)
    bool fast;                // shortcuts allowed (fast_paths_enabled())
    bool plain;               // a packed kernel, and no mask, level or opacity scaling the source
};

inline void put(std::uint16_t* d, u32 r, u32 g, u32 b, u32 a, bool lockAlpha)
{
    d[0] = static_cast<std::uint16_t>(r);
    d[1] = static_cast<std::uint16_t>(g);
    d[2] = static_cast<std::uint16_t>(b);
    if (!lockAlpha) d[3] = static_cast<std::uint16_t>(a);
}

// Four pixels at once from their 64-bit words (alpha in the top 16 bits).
inline void load4(const std::uint16_t* s, std::uint64_t p[4])
{
    std::memcpy(p, s, 32);
}
// Skips groups of transparent source pixels from pixel x of the row s of w
// pixels: returns the first x at which a group of four (eight while there is
// room) has some alpha that is not 0, or fewer than four pixels are left.
// Alphas are the 16-bit words 3 and 7 of each 16-byte register.
inline int skip_transparent(const std::uint16_t* s, int x, int w)
{
    const __m128i zero = _mm_setzero_si128();
    auto empty = [zero](__m128i v) {
        return (_mm_movemask_epi8(_mm_cmpeq_epi16(v, zero)) & 0xC0C0) == 0xC0C0;
    };
    auto at = [s](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 4)); };
    for (; x + 8 <= w; x += 8)
        if (!empty(_mm_or_si128(_mm_or_si128(at(x), at(x + 2)), _mm_or_si128(at(x + 4), at(x + 6))))) break;
    for (; x + 4 <= w; x += 4)
        if (!empty(_mm_or_si128(at(x), at(x + 2)))) break;
    return x;
}
// Copies four source pixels to d when all four alphas are above 0xFEFF
// (their high bytes 0xFF); says whether it did.
inline bool copy_opaque4(const std::uint16_t* s, std::uint16_t* d)
{
    std::uint64_t p[4];
    load4(s, p);
    if (((p[0] & p[1] & p[2] & p[3]) >> 56) != 0xFF) return false;
    std::memcpy(d, p, 32);
    return true;
}

// One row of the general path: steps 1..10 for every pixel.
template <int BM, SourceKind Kind>
void merge_row(const MergeJob& j, int y)
{
    const std::uint16_t* s = j.src + static_cast<std::size_t>(j.sy + y) * j.srcStride + j.sx * 4;
    const std::uint16_t* m =
        j.mask ? j.mask + static_cast<std::size_t>(j.sy + y) * j.srcStride + j.sx * 4 : nullptr;
    std::uint16_t* d = j.dst + static_cast<std::size_t>(j.dy + y) * j.dstStride + j.dx * 4;
    FloatBatch batch;
    batch.lockAlpha = j.lockAlpha;
    int retryAt = 0;  // where the run kernel may be tried again after it refused a group
    for (int x = 0; x < j.w; ++x, s += 4, d += 4) {
        u32 a = s[3];
        // 1. Colour modes skip transparent source pixels before any arithmetic
        // (four at a time along transparent stretches). With nothing scaling
        // the source, runs that go straight to the float stage skip steps 2..8.
        if constexpr (Kind == SourceKind::Colour) {
            if (j.plain && x >= retryAt) {
                const int done = j.run(s, d, j.w - x, j.lockAlpha);
                if (done > 0) {
                    x += done - 1, s += 4 * (done - 1), d += 4 * (done - 1);
                    continue;
                }
                retryAt = x + 4;
            }
            if (a == 0) {
                if (j.fast) {
                    const int skip = skip_transparent(s, 1, j.w - x) - 1;
                    x += skip, s += 4 * skip, d += 4 * skip;
                }
                continue;
            }
        }
        // 2. Layer mask: a = (mean grey of the mask pixel x a) >> 16 where the mask has alpha.
        if (m) {
            const std::uint16_t* mp = m + x * 4;
            if (mp[3] != 0) a = ((mp[0] + mp[1] + mp[2]) / 3 * a) >> 16;
        }
        // 3. Level.
        a = (j.level1 * a) >> 8;
        u32 r = s[0], g = s[1], b = s[2];
        u32 dA = d[3];
        // 4. Alpha-mode step.
        if constexpr (Kind == SourceKind::Alpha) {
            alpha_mode_step(j.mode, r, g, b, a, j.alphaLayerOpacity);
        } else if constexpr (Kind == SourceKind::SameAlpha) {
            bool clearDest = false;
            alpha_mode_step_same(j.mode, r, g, b, a, j.alphaLayerOpacity, clearDest);
            if (clearDest) dA = 0;
        }
        // 5. Opacity.
        if (j.scaleByOpacity) a = (j.opacity1 * a) >> 8;
        // 6. Transparent destination.
        if (dA == 0) {
            if (j.emptyWhenDestEmpty || a == 0)
                put(d, 0, 0, 0, 0, j.lockAlpha);
            else
                put(d, r, g, b, a, j.lockAlpha);
            continue;
        }
        // 7. Nothing to add.
        if (a == 0) continue;
        // 8. Opaque Normal replaces the destination.
        if constexpr (BM == kNormal)
            if (a > 0xFEFF) {
                put(d, r, g, b, a, j.lockAlpha);
                continue;
            }
        // 9. Float stage: queued for the packed kernel, or here.
        if (j.kernel) {
            queue_pixel(batch, j.kernel, r, g, b, a, d);
            continue;
        }
        u32 out[4];
        formulas::blend16<BM>(r, g, b, a, d, out);
        put(d, out[0], out[1], out[2], out[3], j.lockAlpha);
    }
    if (j.kernel) flush(batch, j.kernel);
}

// Normal from a colour-mode layer without mask, level or opacity scaling and
// without lock alpha: a transparent source pixel is skipped, an opaque one
// or one over a transparent destination is copied as 8 bytes, so whole runs
// move at memory speed. Same results as merge_row<kNormal, Colour>.
void merge_row_normal_plain(const MergeJob& j, int y)
{
    const std::uint16_t* s = j.src + static_cast<std::size_t>(j.sy + y) * j.srcStride + j.sx * 4;
    std::uint16_t* d = j.dst + static_cast<std::size_t>(j.dy + y) * j.dstStride + j.dx * 4;
    FloatBatch batch;
    int retryAt = 0;  // as in merge_row
    int x = 0;
    while (x < j.w) {
        const u32 a = s[x * 4 + 3];
        if (a == 0) {
            x = skip_transparent(s, x + 1, j.w);
            continue;
        }
        if (a > 0xFEFF) {
            // A run of opaque source pixels is copied as it is scanned, so
            // each pixel is read once.
            std::memcpy(d + x * 4, s + x * 4, 8);
            ++x;
            while (x + 4 <= j.w && copy_opaque4(s + x * 4, d + x * 4)) x += 4;
            for (; x < j.w && s[x * 4 + 3] > 0xFEFF; ++x) std::memcpy(d + x * 4, s + x * 4, 8);
            continue;
        }
        std::uint16_t* dp = d + x * 4;
        const std::uint16_t* sp = s + x * 4;
        if (j.run && x >= retryAt) {
            const int done = j.run(sp, dp, j.w - x, false);
            if (done > 0) {
                x += done;
                continue;
            }
            retryAt = x + 4;
        }
        if (dp[3] == 0) {
            std::memcpy(dp, sp, 8);
        } else if (j.kernel) {
            queue_pixel(batch, j.kernel, sp[0], sp[1], sp[2], a, dp);
        } else {
            u32 out[4];
            formulas::blend16<kNormal>(sp[0], sp[1], sp[2], a, dp, out);
            put(dp, out[0], out[1], out[2], out[3], false);
        }
        ++x;
    }
    if (j.kernel) flush(batch, j.kernel);
}

using RowFn = void (*)(const MergeJob&, int);

// Asks for the source pixels of row y while the row before is merged: the
// composite merges short runs of rows and short spans from layers far bigger
// than the cache, and each would otherwise start by waiting for memory.
void prefetch_source_row(const MergeJob& j, int y)
{
    const char* p =
        reinterpret_cast<const char*>(j.src + static_cast<std::size_t>(j.sy + y) * j.srcStride + j.sx * 4);
    const std::size_t bytes = static_cast<std::size_t>(j.w) * 8;
    for (std::size_t i = 0; i < bytes; i += 64) _mm_prefetch(p + i, _MM_HINT_T0);
}

template <SourceKind Kind>
RowFn row_for(int blend)
{
    return dispatch_formula_mode(blend, []<int M>() -> RowFn { return &merge_row<M, Kind>; });
}

// The blend formula an alpha mode continues with (fixed per mode).
int alpha_blend_mode(int mode, bool same)
{
    if (mode == kAlphaShaderTexture2 || mode == kAlphaHighlightTexture2) return kTexturize2;
    if (same && (mode == kAlphaSmooth2 || mode == kAlphaSmoothLum4 || mode == kAlphaSmoothLum5))
        return kMultiply;
    return kNormal;
}

// The mode whose formula the float stage runs.
int float_stage_mode(const MergeJob& j, bool sameAlphaMode)
{
    if (!is_alpha_mode(j.mode)) return j.mode;
    return alpha_blend_mode(j.mode, sameAlphaMode && j.mode <= kLuminanceAlphaInvert);
}

RowFn choose_row(const MergeJob& j, bool sameAlphaMode)
{
    if (!is_alpha_mode(j.mode)) {
        // Normal and its look-alikes (16, 17, 30, 31) take the plain copy path when nothing scales.
        const bool normalLike = formulas::formula_of(j.mode) == kNormal;
        if (fast_paths_enabled() && normalLike && !j.mask && j.level1 == 256 && !j.scaleByOpacity &&
            !j.lockAlpha)
            return &merge_row_normal_plain;
        return row_for<SourceKind::Colour>(j.mode);
    }
    const bool same = sameAlphaMode && j.mode <= kLuminanceAlphaInvert;
    const int blend = alpha_blend_mode(j.mode, same);
    return same ? row_for<SourceKind::SameAlpha>(blend) : row_for<SourceKind::Alpha>(blend);
}

}  // namespace

void merge_rgba64(const std::uint16_t* src, int sx, int sy, int w, int h, int srcStride,
                  const std::uint16_t* maskPlane, std::uint16_t* dst, int dx, int dy, int dstStride, int mode,
                  int maskMode, int opacity, int level, bool lockAlpha, bool sameAlphaMode,
                  bool callerOnly) noexcept
{
    guarded("MergeRGBA64 Excpt", [&] {
        if (!src || !dst || w <= 0 || h <= 0) return;
        MergeJob j;
        j.src = src;
        j.mask = maskMode == kLayerMaskMode ? maskPlane : nullptr;
        j.dst = dst;
        j.sx = sx, j.sy = sy, j.dx = dx, j.dy = dy, j.w = w, j.h = h;
        j.srcStride = srcStride, j.dstStride = dstStride;
        j.mode = mode;
        j.level1 = static_cast<u32>(std::clamp(level, 0, 255) + 1);
        j.scaleByOpacity = opacity < 255;
        j.opacity1 = static_cast<u32>(std::max(opacity, 0) + 1);
        j.lockAlpha = lockAlpha;
        j.emptyWhenDestEmpty = blend_needs_destination(mode);
        j.alphaLayerOpacity = core_state().layers.alphaLayerOpacity;
        j.fast = fast_paths_enabled();
        const FloatKernels kernels = float_kernels(float_stage_mode(j, sameAlphaMode));
        j.kernel = kernels.batch;
        j.run = kernels.run;
        j.plain = j.kernel && !j.mask && j.level1 == 256 && !j.scaleByOpacity;
        const RowFn row = choose_row(j, sameAlphaMode);
        // Only for the composite's short runs of rows: along whole long rows
        // the processor's own prefetching does better.
        const bool prefetch = j.fast && callerOnly;
        for_each_plane_row(w, h, callerOnly ? 0.0 : cost::kBlend, [&](int y) {
            if (prefetch && y + 1 < j.h) prefetch_source_row(j, y + 1);
            row(j, y);
        });
    });
}

}  // namespace mve
