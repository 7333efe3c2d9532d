// The per-pixel composite of the view renderer.
#include "view/view_composite.h"

#include <smmintrin.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "core/alpha_modes.h"
#include "core/blend_modes.h"
#include "core/merge_formulas.h"
#include "core/merge_modes.h"
#include "core/merge_pixel.h"
#include "core/runtime.h"
#include "core/transfer.h"
#include "view/view_float_stage.h"

namespace mve {

namespace {

constexpr float kColourScale = 65280.0f;  // colour 1.0
constexpr float kAlphaScale = 65535.0f;   // alpha 1.0
constexpr float kColourUnit = 1.0f / kColourScale;
constexpr float kAlphaUnit = 1.0f / kAlphaScale;

// True when the layer holds at least the canvas, so every canvas pixel can be read.
bool covers_canvas(const LayerRecord& l, int width, int height) noexcept
{
    if (!l.present() || l.width < width || l.height < height || l.stride < width * 4) return false;
    if (width <= 0 || height <= 0) return true;
    const std::size_t needed =
        static_cast<std::size_t>(height - 1) * l.stride + static_cast<std::size_t>(width) * 4;
    return l.pixels.size() >= needed;
}

void make_float(ViewComposite& c) noexcept
{
    if (c.isFloat) return;
    c.f[0] = static_cast<float>(c.r) * kColourUnit;
    c.f[1] = static_cast<float>(c.g) * kColourUnit;
    c.f[2] = static_cast<float>(c.b) * kColourUnit;
    c.f[3] = static_cast<float>(c.a) * kAlphaUnit;
    c.isFloat = true;
}

// Modes whose float stage is the Normal rule (after the alpha step, 40 and 41 are 28).
bool blends_as_normal(int mode) noexcept
{
    return mode == kNormal || mode == kReflect || mode == kGlow || mode >= kSilhouette;
}

// The float stage: the layer pixel (straight 16-bit values) as source over
// the composite as destination, by the formulas of mode M shared with the
// merge core (modes 30 and above blend as Normal).
template <int M>
__attribute__((noinline)) void combine_float(ViewComposite& c, std::uint32_t R, std::uint32_t G,
                                             std::uint32_t B, std::uint32_t A) noexcept
{
    // Normal-rule and Multiply pixels, most of those reaching this stage, take
    // the packed form of the same arithmetic; an opaque Normal-rule source
    // needs no arithmetic on the composite at all.
    constexpr bool unionAlpha = formulas::alpha_rule(M) == formulas::AlphaRule::Union;
    constexpr bool normalRule = unionAlpha && formulas::formula_of(M) == kNormal;
    if constexpr (normalRule || (unionAlpha && M == kMultiply)) {
        if (fast_paths_enabled()) {
            if (normalRule && A == 65535) {
                replace_by_opaque(c.f, R, G, B);
                c.isFloat = true;
                return;
            }
            make_float(c);
            combine_vector<M == kMultiply ? VectorRule::kMultiply : VectorRule::kNormal>(c.f, R, G, B, A);
            return;
        }
    }
    make_float(c);
    const FloatPixel src{static_cast<float>(R) * kColourUnit, static_cast<float>(G) * kColourUnit,
                         static_cast<float>(B) * kColourUnit, static_cast<float>(A) * kAlphaUnit};
    const FloatPixel dst{c.f[0], c.f[1], c.f[2], c.f[3]};
    const FloatPixel out = formulas::blend_straight<M>(src, dst);
    c.f[0] = static_cast<float>(out.r);
    c.f[1] = static_cast<float>(out.g);
    c.f[2] = static_cast<float>(out.b);
    c.f[3] = static_cast<float>(out.a);
}

using FloatCombine = void (*)(ViewComposite&, std::uint32_t, std::uint32_t, std::uint32_t,
                              std::uint32_t) noexcept;

template <std::size_t... M>
constexpr std::array<FloatCombine, sizeof...(M)> float_combines(std::index_sequence<M...>)
{
    return {&combine_float<static_cast<int>(M)>...};
}
constexpr auto kFloatCombines = float_combines(std::make_index_sequence<kSilhouette>());

FloatCombine float_combine_of(int mode) noexcept
{
    return mode >= 0 && mode < kSilhouette ? kFloatCombines[static_cast<std::size_t>(mode)]
                                           : &combine_float<kNormal>;
}

inline void clamp_opaque_integer(ViewComposite& c) noexcept
{
    // r, g, b down to 65280 at most, a (65535) kept: one packed minimum.
    const __m128i limit = _mm_setr_epi16(-256, -256, -256, -1, 0, 0, 0, 0);
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&c.r));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&c.r), _mm_min_epu16(v, limit));
}

inline void clamp_float(ViewComposite& c) noexcept
{
    for (int i = 0; i < 3; ++i) c.f[i] = std::min(c.f[i], 1.0f);
}

// A fully transparent source under the Normal rule: Sc = 0, so the result
// colour is Dc / Da = the composite's own colour and the alpha stays Da;
// only the clamp of the colours to 1.0 remains. An opaque integer composite
// keeps its integer form: its colours up to 65280 survive the trip through
// the floats unchanged, and 65535 comes back as 65280.
inline void combine_transparent_normal(ViewComposite& c) noexcept
{
    if (!c.isFloat && c.a == 65535) return clamp_opaque_integer(c);
    make_float(c);
    clamp_float(c);
}

// What the colour stage asks of a blend mode, worked out once per entry.
struct ModeTraits {
    int mode = kNormal;
    bool needsBeneath = false;
    bool normal = false;      // exactly "Normal": opaque pixels replace the composite
    bool normalRule = false;  // the float stage is the Normal rule
    FloatCombine combine = nullptr;
};

ModeTraits traits_of(int mode) noexcept
{
    return {mode, blend_needs_destination(mode), mode == kNormal, blends_as_normal(mode),
            float_combine_of(mode)};
}

// Colour stage of one entry: the layer pixel (after paint, mask, alpha step
// and opacity) onto the composite.
inline void colour_stage(ViewComposite& c, std::uint32_t R, std::uint32_t G, std::uint32_t B, std::uint32_t A,
                         const ModeTraits& m, bool fastPaths) noexcept
{
    const bool empty = c.isFloat ? c.f[3] == 0.0f : c.a == 0;
    if (empty) {
        if (m.needsBeneath) {
            c = ViewComposite{};
        } else {
            c.r = static_cast<std::uint16_t>(R), c.g = static_cast<std::uint16_t>(G);
            c.b = static_cast<std::uint16_t>(B), c.a = static_cast<std::uint16_t>(A);
            c.isFloat = false;
        }
    } else if (A >= 65280 && m.normal) {
        // Opaque Normal: the layer replaces the composite, alpha 1.0.
        c.r = static_cast<std::uint16_t>(R), c.g = static_cast<std::uint16_t>(G);
        c.b = static_cast<std::uint16_t>(B), c.a = 65535;
        c.isFloat = false;
    } else if (A == 0 && m.normalRule && fastPaths) {
        combine_transparent_normal(c);
    } else {
        m.combine(c, R, G, B, A);
    }
}

// Merges the PaintLayer pixel into the entry's pixel at the paint position.
inline void merge_paint(const ViewPaint& paint, const std::uint16_t* p, std::uint16_t alphaLayerOpacity,
                        std::uint32_t& R, std::uint32_t& G, std::uint32_t& B, std::uint32_t& A) noexcept
{
    // Source alpha = pA x (level + 1) / 256.
    const int sa = static_cast<int>((static_cast<std::uint32_t>(p[3]) * (paint.level + 1)) >> 8);
    // A transparent source in a colour mode is skipped by the merge itself.
    if (sa == 0 && paint.mode < kFirstAlphaMode) return;
    int r = static_cast<int>(R), g = static_cast<int>(G), b = static_cast<int>(B), a = static_cast<int>(A);
    merge_pixel(r, g, b, a, p[0], p[1], p[2], sa, paint.mode, paint.mergeLevel, paint.lockAlpha,
                alphaLayerOpacity);
    R = static_cast<std::uint32_t>(r), G = static_cast<std::uint32_t>(g);
    B = static_cast<std::uint32_t>(b), A = static_cast<std::uint32_t>(a);
}

}  // namespace

ViewScene build_view_scene(Engine& e)
{
    ViewScene s;
    const int width = e.canvas.width, height = e.canvas.height;
    const LayerRecord* current = current_layer(e);
    const std::uint16_t* currentPixels = current ? current->pixels.data() : nullptr;
    const LayerRecord& paint = e.layers.paint;
    const bool paintShown = covers_canvas(paint, width, height);
    bool paintLock = false;
    s.entries.reserve(kMaxViewEntries);
    for (int i = 1; i < kLayerCount; ++i) {
        const LayerRecord& l = e.layers.table[i];
        if (l.visible && l.blendMode != kTexturize3 && covers_canvas(l, width, height)) {
            if (i == 1) s.opaqueBase = true;
            s.entries.push_back({l.pixels.data(), l.stride, l.blendMode, l.opacity, false, false});
        }
        // A hidden current layer shows the stroke in the nearest visible layer below it.
        if (paintShown && l.present() && l.pixels.data() == currentPixels) {
            s.paintPosition = static_cast<int>(s.entries.size()) - 1;
            paintLock = l.lockAlpha != 0;
        }
    }
    const int n = static_cast<int>(s.entries.size());
    for (int k = 0; k < n; ++k) {
        ViewEntry& entry = s.entries[k];
        // The opaque base is never skipped: its alpha is forced to 65535.
        entry.skipTransparent = entry.mode <= 31 && k != s.paintPosition && !(k == 0 && s.opaqueBase);
        entry.maskedByNext = k + 1 < n && s.entries[k + 1].mode == kLayerMask;
    }
    if (s.paintPosition >= 0)
        s.paint = {paint.pixels.data(), paint.stride, paint.blendMode,
                   paint.opacity,       paint.level,  paintLock || e.brush.alphaLocked != 0};
    s.alphaLayerOpacity = e.layers.alphaLayerOpacity;
    return s;
}

void view_row_pointers(const ViewScene& scene, int y, ViewRowPointers& rows) noexcept
{
    const std::size_t n = scene.entries.size();
    for (std::size_t k = 0; k < n; ++k)
        rows.entry[k] = scene.entries[k].pixels + static_cast<std::size_t>(y) * scene.entries[k].stride;
    rows.paint =
        scene.paint.pixels ? scene.paint.pixels + static_cast<std::size_t>(y) * scene.paint.stride : nullptr;
}

namespace {

// True when any of the eight pixels at p has a non-zero alpha.
inline bool any_alpha8(const std::uint16_t* p) noexcept
{
    const __m128i alphaWords = _mm_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
    const __m128i* v = reinterpret_cast<const __m128i*>(p);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                     _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    return !_mm_testz_si128(any, alphaWords);
}

// Index of the first sample at or after s where the row's pixel (or, when
// `also` is given, that row's pixel) is not fully transparent, for samples
// of consecutive columns: eight pixels (one cache line) are tested at once.
std::size_t transparent_run_end(const std::uint16_t* row, const std::uint16_t* also, int firstColumn,
                                std::size_t s, std::size_t count) noexcept
{
    const std::size_t offset = (static_cast<std::size_t>(firstColumn) + s) * 4;
    const std::uint16_t* p = row + offset;
    if (also) {
        const std::uint16_t* q = also + offset;
        for (; s + 8 <= count && !any_alpha8(p) && !any_alpha8(q); s += 8, p += 32, q += 32) {
        }
        for (; s < count && p[3] == 0 && q[3] == 0; ++s, p += 4, q += 4) {
        }
        return s;
    }
    for (; s + 8 <= count && !any_alpha8(p); s += 8, p += 32) {
    }
    for (; s < count && p[3] == 0; ++s, p += 4) {
    }
    return s;
}

// True when all eight pixels at p are opaque (alpha 65535).
inline bool all_opaque8(const std::uint16_t* p) noexcept
{
    const __m128i alphaWords = _mm_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
    const __m128i* v = reinterpret_cast<const __m128i*>(p);
    const __m128i all = _mm_and_si128(_mm_and_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                      _mm_and_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    return _mm_testc_si128(all, alphaWords);
}

// Index of the first sample at or after s whose pixel is not opaque, for
// samples of consecutive columns.
std::size_t opaque_run_end(const std::uint16_t* row, int firstColumn, std::size_t s,
                           std::size_t count) noexcept
{
    const std::uint16_t* p = row + (static_cast<std::size_t>(firstColumn) + s) * 4;
    for (; s + 8 <= count && all_opaque8(p); s += 8, p += 32) {
    }
    for (; s < count && p[3] == 65535; ++s, p += 4) {
    }
    return s;
}

// Composites [s, end) become their pixels with alpha 65535, in integer form:
// what an opaque "Normal" pixel (or the opaque base) leaves, whatever was below.
inline void store_opaque(ViewComposite* work, const std::uint16_t* row, const int* columns, std::size_t s,
                         std::size_t end) noexcept
{
    for (; s < end; ++s) {
        std::uint64_t rgba;
        std::memcpy(&rgba, row + static_cast<std::size_t>(columns[s]) * 4, sizeof rgba);
        rgba |= 0xFFFFull << 48;
        std::memcpy(&work[s].r, &rgba, sizeof rgba);
        work[s].isFloat = false;
    }
}

// The colour stage of a fully transparent Normal-rule pixel: colour_stage
// with A = 0, testing the common opaque integer composite first.
inline void clear_stage(ViewComposite& c, const std::uint16_t* p, const ModeTraits& traits) noexcept
{
    if (!c.isFloat) {
        if (c.a == 65535) return clamp_opaque_integer(c);
        if (c.a == 0) return colour_stage(c, p[0], p[1], p[2], 0, traits, true);
        make_float(c);
    } else if (c.f[3] == 0.0f) {
        return colour_stage(c, p[0], p[1], p[2], 0, traits, true);
    }
    clamp_float(c);
}

// Adds entry k to the composites of the row's samples. The samples are
// walked once per entry so each layer's row is read front to back. The
// template flags are the entry's kind, so each kind gets a loop without the
// tests it does not need: the opaque base, the paint position, a "Layer
// Mask" above, an alpha mode, and an opacity below 100 %.
template <bool Base, bool Paint, bool MaskNext, bool AlphaMode, bool Faded>
void composite_entry(const ViewScene& scene, const ViewRowPointers& rows, int k, const int* columns,
                     std::size_t count, bool consecutive, ViewComposite* work) noexcept
{
    const ViewEntry& entry = scene.entries[k];
    const std::uint16_t* row = rows.entry[k];
    const std::uint16_t* maskRow = MaskNext ? rows.entry[k + 1] : nullptr;
    const bool fastPaths = fast_paths_enabled();
    const bool skip = entry.skipTransparent;
    const bool skipRuns = consecutive && skip && fastPaths;
    const ModeTraits traits = traits_of(entry.mode);
    const std::uint32_t fade = static_cast<std::uint32_t>(entry.opacity + 1);
    // Runs where the entry (and the stroke, at the paint position) is fully
    // transparent under the Normal rule only clamp the composite: no pixel
    // needs reading beyond its alpha.
    const bool clearRuns = consecutive && !skip && fastPaths && !Base && !AlphaMode && traits.normalRule &&
                           (!Paint || scene.paint.mode < kFirstAlphaMode);
    const std::uint16_t* paintRow = Paint ? rows.paint : nullptr;
    if constexpr (Base && !Paint && !MaskNext && !AlphaMode && !Faded) {
        // The usual opaque base: each composite is the layer pixel with alpha 65535.
        if (!traits.needsBeneath) return store_opaque(work, row, columns, 0, count);
    }
    // Runs of opaque pixels of a plain "Normal" entry replace the composites.
    const bool opaqueRuns =
        !Base && !Paint && !MaskNext && !AlphaMode && !Faded && consecutive && fastPaths && traits.normal;
    for (std::size_t s = 0; s < count; ++s) {
        const std::size_t offset = static_cast<std::size_t>(columns[s]) * 4;
        const std::uint16_t* p = row + offset;
        std::uint32_t A = p[3];
        if (A == 0) {
            // A transparent pixel: find out how far the transparency runs.
            if (skip) {
                if (skipRuns) s = transparent_run_end(row, nullptr, columns[0], s, count) - 1;
                continue;
            }
            if (clearRuns && (!Paint || paintRow[offset + 3] == 0)) {
                const std::size_t end = transparent_run_end(row, paintRow, columns[0], s, count);
                for (; s < end; ++s)
                    clear_stage(work[s], row + static_cast<std::size_t>(columns[s]) * 4, traits);
                --s;
                continue;
            }
        }
        if (A == 65535 && opaqueRuns) {
            const std::size_t end = opaque_run_end(row, columns[0], s, count);
            store_opaque(work, row, columns, s, end);
            s = end - 1;
            continue;
        }
        std::uint32_t R = p[0], G = p[1], B = p[2];
        if (Base) A = 65535;
        if (Paint) merge_paint(scene.paint, paintRow + offset, scene.alphaLayerOpacity, R, G, B, A);
        if (MaskNext) {
            // A "Layer Mask" layer above scales the alpha by its mean grey where it has alpha.
            const std::uint16_t* m = maskRow + offset;
            if (m[3] > 0) A = A * ((static_cast<std::uint32_t>(m[0]) + m[1] + m[2]) / 3) / 65536;
            if (Base) A = 65535;
        }
        ModeTraits m = traits;
        if (AlphaMode && alpha_mode_step(entry.mode, R, G, B, A, scene.alphaLayerOpacity) == kTexturize2)
            m = traits_of(kTexturize2);
        if (Faded) A = A * fade / 256;
        if (Base) {
            // The base is the first entry: the composite is still empty.
            work[s] = m.needsBeneath ? ViewComposite{}
                                     : ViewComposite{static_cast<std::uint16_t>(R),
                                                     static_cast<std::uint16_t>(G),
                                                     static_cast<std::uint16_t>(B),
                                                     static_cast<std::uint16_t>(A),
                                                     {0, 0, 0, 0},
                                                     false};
            continue;
        }
        colour_stage(work[s], R, G, B, A, m, fastPaths);
    }
}

using EntryLoop = void (*)(const ViewScene&, const ViewRowPointers&, int, const int*, std::size_t, bool,
                           ViewComposite*) noexcept;

// The loop for each combination of the five kind flags, indexed by their bits.
template <std::size_t... I>
constexpr std::array<EntryLoop, sizeof...(I)> entry_loops(std::index_sequence<I...>)
{
    return {&composite_entry<(I & 1) != 0, (I & 2) != 0, (I & 4) != 0, (I & 8) != 0, (I & 16) != 0>...};
}
constexpr auto kEntryLoops = entry_loops(std::make_index_sequence<32>());

EntryLoop entry_loop(const ViewScene& scene, int k) noexcept
{
    const ViewEntry& entry = scene.entries[k];
    const std::size_t kind = (k == 0 && scene.opaqueBase ? 1u : 0u) | (k == scene.paintPosition ? 2u : 0u) |
                             (entry.maskedByNext ? 4u : 0u) | (entry.mode >= 33 ? 8u : 0u) |
                             (entry.opacity < 255 ? 16u : 0u);
    return kEntryLoops[kind];
}

void store_composite(const ViewComposite& c, std::uint16_t out[4]) noexcept
{
    if (c.isFloat) {
        // Colour x 65280 and alpha x 65535, truncated. The floats lie in
        // [0, 1], so the products fit 16 bits and the unsigned pack never
        // saturates.
        const __m128 scale = _mm_setr_ps(kColourScale, kColourScale, kColourScale, kAlphaScale);
        const __m128i v = _mm_cvttps_epi32(_mm_mul_ps(_mm_loadu_ps(c.f), scale));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi32(v, v));
    } else {
        // r, g, b, a lead the record in that order: one 8-byte copy.
        std::memcpy(out, &c.r, 4 * sizeof(std::uint16_t));
    }
}

}  // namespace

void composite_view_row(const ViewScene& scene, const ViewRowPointers& rows, const int* columns,
                        std::size_t count, ViewComposite* work, std::uint16_t* out) noexcept
{
    if (count == 0) return;
    // An opaque base writes every composite itself.
    if (!scene.opaqueBase) std::fill(work, work + count, ViewComposite{});
    // Columns ascend, so the samples are consecutive exactly when the span matches the count.
    const bool consecutive = static_cast<std::size_t>(columns[count - 1] - columns[0]) == count - 1;
    const int n = static_cast<int>(scene.entries.size());
    for (int k = 0; k < n; ++k) entry_loop(scene, k)(scene, rows, k, columns, count, consecutive, work);
    for (std::size_t s = 0; s < count; ++s) store_composite(work[s], out + s * 4);
}

}  // namespace mve
