// Plain source-over dabs. Each pixel gives the same result as the general
// row kernel with compose_low: the coverage steps in their order (opacity,
// texture, mask), the Da = 0 shortcut, and the three colour quotients by Ra
// taken from one reciprocal (dab::quotient is exact for these operands).
// Pixels outside the canvas draw nothing here: without remix or variation
// they affect neither the blend buffer nor any table position.
#include "paint/dab_plain.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

namespace mve {

namespace {

using dab::Px;
using dab::u32;

enum class MaskUse { None, Cap, Scale };

// Where one row of the dab reads and writes.
struct RowSpan {
    const std::uint16_t* shape = nullptr;  // the row's shape row
    std::uint16_t* line = nullptr;         // the target row
    std::size_t at0 = 0;                   // canvas index of column 0 (texture, Mask)
};

// Source over of the constant colour S at coverage k >= 1 onto pixel p.
inline Px source_over(const Px& S, const std::uint16_t* p, u32 k) noexcept
{
    const u32 Da = p[3];
    const u32 a = (k * S[3]) >> 16;
    if (Da == 0) return {S[0], S[1], S[2], a};
    Px r;
    r[3] = (((65535 - Da) * a) >> 16) + Da;  // >= Da > 0
    const double inv = dab::reciprocal(r[3]);
    for (int c = 0; c < 3; ++c) {
        const u32 num = (((65535 - a) * ((p[c] * Da) >> 16)) & 0xFFFF0000u) + ((a * S[c]) & 0xFFFF0000u);
        r[c] = std::min<u32>(65535, dab::quotient(num, inv));
    }
    return r;
}

#if defined(__SSE4_1__)

// Four pixels at a time in 32-bit lanes: the same products, shifts and
// selections as source_over and write_pixel, lane by lane. The quotients by
// Ra use dab::quotient's reciprocal in double lanes: (A + B) * (65536 / Ra)
// is num * (1 / Ra) scaled by a power of two, so it rounds exactly alike.
struct Quad {
    __m128i r, g, b, a;
};

inline __m128i mul_shr16(__m128i x, __m128i y) { return _mm_srli_epi32(_mm_mullo_epi32(x, y), 16); }

// Loads pixels p[0..3] (RGBA, 16 bits) into one lane each.
inline Quad load_quad(const std::uint16_t* p)
{
    const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
    const __m128i t0 = _mm_unpacklo_epi16(p0, p1), t1 = _mm_unpackhi_epi16(p0, p1);
    const __m128i rg = _mm_unpacklo_epi16(t0, t1), ba = _mm_unpackhi_epi16(t0, t1);
    const __m128i zero = _mm_setzero_si128();
    return {_mm_cvtepu16_epi32(rg), _mm_unpackhi_epi16(rg, zero), _mm_cvtepu16_epi32(ba), _mm_unpackhi_epi16(ba, zero)};
}

inline void store_quad(std::uint16_t* p, const Quad& q)
{
    const __m128i rg = _mm_packus_epi32(q.r, q.g), ba = _mm_packus_epi32(q.b, q.a);
    const __m128i rb = _mm_unpacklo_epi16(rg, ba), ga = _mm_unpackhi_epi16(rg, ba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi16(rb, ga));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 8), _mm_unpackhi_epi16(rb, ga));
}

// min(65535, sum * 65536 / Ra) per lane from the scaled reciprocals.
inline __m128i quotient_quad(__m128i sum, __m128d invLo, __m128d invHi)
{
    const __m128d bias = _mm_set1_pd(0x1p-17), top = _mm_set1_pd(65535.0);
    const __m128d lo = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(sum), invLo), bias);
    const __m128d hi = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(sum, sum)), invHi), bias);
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_min_pd(lo, top)), _mm_cvttpd_epi32(_mm_min_pd(hi, top)));
}

// The per-dab constants of the quad loop.
struct QuadConstants {
    __m128i sr, sg, sb, sa;
    __m128i scaled128;
    __m128i level;
    bool scale, levelOn;
    explicit QuadConstants(const DabContext& cx)
    {
        sr = _mm_set1_epi32(static_cast<int>(cx.colour[0]));
        sg = _mm_set1_epi32(static_cast<int>(cx.colour[1]));
        sb = _mm_set1_epi32(static_cast<int>(cx.colour[2]));
        sa = _mm_set1_epi32(static_cast<int>(cx.colour[3]));
        scale = cx.alphaPercent < 100;
        scaled128 = _mm_set1_epi32(cx.alphaScaled);
        levelOn = cx.alpha.level > 0;
        level = _mm_set1_epi32(static_cast<int>(std::min<u32>(cx.alpha.level, 65535)));
    }
};

// Shape values of dab columns j..j+3.
inline __m128i shape_quad(const DabContext& cx, const RowSpan& r, int j, bool identity)
{
    if (identity) return _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r.shape + j)));
    const int* t = cx.table + j;
    return _mm_setr_epi32(r.shape[t[0]], r.shape[t[1]], r.shape[t[2]], r.shape[t[3]]);
}

// Coverage of four pixels (opacity, texture, Mask) and their alpha caps.
template <bool Texture, MaskUse Mask>
inline __m128i quad_coverage(const DabContext& cx, const QuadConstants& c, __m128i k, std::size_t at, __m128i& cap)
{
    if (c.scale) k = _mm_srli_epi32(_mm_mullo_epi32(k, c.scaled128), 7);
    if (Texture) {
        std::uint32_t bytes;
        std::memcpy(&bytes, cx.texture + at, 4);
        const __m128i t = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(bytes)));
        const __m128i kt = _mm_srli_epi32(_mm_mullo_epi32(t, k), 8);
        k = _mm_blendv_epi8(kt, k, _mm_cmpeq_epi32(t, _mm_set1_epi32(255)));
    }
    if (Mask != MaskUse::None) {
        const __m128i m = _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cx.mask + at)));
        if (Mask == MaskUse::Cap) cap = m;
        else k = _mm_blendv_epi8(mul_shr16(m, k), k, _mm_cmpeq_epi32(m, _mm_set1_epi32(65535)));
    }
    return k;
}

// Source over of four pixels at p by coverages k, written by the alpha rules.
inline void source_over_quad(const DabContext& cx, const QuadConstants& c, std::uint16_t* p, __m128i k, __m128i cap)
{
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi32(65535);
    const __m128i live = _mm_xor_si128(_mm_cmpeq_epi32(k, zero), _mm_set1_epi32(-1));
    if (_mm_testz_si128(live, live)) return;
    if (cx.solid) k = _mm_and_si128(live, full);
    const Quad D = load_quad(p);
    const __m128i a = mul_shr16(k, c.sa);
    const __m128i fresh = _mm_cmpeq_epi32(D.a, zero);  // Da = 0: the paint itself
    __m128i Ra = _mm_add_epi32(mul_shr16(_mm_sub_epi32(full, D.a), a), D.a);
    Ra = _mm_blendv_epi8(Ra, a, fresh);
    const __m128i divisor = _mm_max_epi32(Ra, _mm_set1_epi32(1));  // lanes with Ra = 0 are fresh
    const __m128d scale = _mm_set1_pd(65536.0);
    const __m128d invLo = _mm_div_pd(scale, _mm_cvtepi32_pd(divisor));
    const __m128d invHi = _mm_div_pd(scale, _mm_cvtepi32_pd(_mm_unpackhi_epi64(divisor, divisor)));
    const __m128i inva = _mm_sub_epi32(full, a);
    auto channel = [&](__m128i d, __m128i s) {
        const __m128i sum = _mm_add_epi32(mul_shr16(inva, mul_shr16(d, D.a)), mul_shr16(a, s));
        return _mm_blendv_epi8(quotient_quad(sum, invLo, invHi), s, fresh);
    };
    Quad R = D;
    if (!cx.colourLocked) {
        R.r = _mm_blendv_epi8(D.r, channel(D.r, c.sr), live);
        R.g = _mm_blendv_epi8(D.g, channel(D.g, c.sg), live);
        R.b = _mm_blendv_epi8(D.b, channel(D.b, c.sb), live);
    }
    if (cx.alpha.writable) {
        __m128i write = live;
        if (cx.alpha.blob) {
            const __m128i floor = _mm_set1_epi32(static_cast<int>(dab::kBlobFloor));
            write = _mm_and_si128(write, _mm_and_si128(_mm_cmpgt_epi32(D.a, floor), _mm_cmpgt_epi32(Ra, floor)));
        }
        const __m128i out = _mm_min_epi32(c.levelOn ? c.level : Ra, cap);
        R.a = _mm_blendv_epi8(D.a, out, write);
    }
    store_quad(p, R);
}

// Dab columns from j0 in groups of four; returns the first column left over.
template <bool Texture, MaskUse Mask>
int plain_quads(const DabContext& cx, const RowSpan& r, int j0, int j1)
{
    const QuadConstants c(cx);
    const bool identity = cx.identityTable;
    const __m128i noCap = _mm_set1_epi32(65535);
    int j = j0;
    for (; j + 4 <= j1; j += 4) {
        const int col = cx.sq.left + j;
        __m128i cap = noCap;
        const __m128i k = quad_coverage<Texture, Mask>(cx, c, shape_quad(cx, r, j, identity), r.at0 + col, cap);
        source_over_quad(cx, c, r.line + static_cast<std::size_t>(col) * 4, k, cap);
    }
    return j;
}

#else

template <bool, MaskUse>
int plain_quads(const DabContext&, const RowSpan&, int j0, int)
{
    return j0;
}

#endif

// Coverage and mask cap of one pixel: opacity, texture, then the Mask.
template <bool Texture, MaskUse Mask>
inline u32 pixel_coverage(const DabContext& cx, u32 shape, std::size_t at, u32& cap) noexcept
{
    u32 k = dab::opacity_coverage(shape, cx.alphaPercent, cx.alphaScaled);
    if (Texture) k = dab::texture_coverage(k, cx.texture[at]);
    if (Mask == MaskUse::Scale) k = dab::mask_coverage(k, cx.mask[at]);
    if (Mask == MaskUse::Cap) cap = cx.mask[at];
    return k;
}

// Pixels j0..j1-1 of a row, one at a time.
template <bool Texture, MaskUse Mask>
void plain_pixels(const DabContext& cx, const RowSpan& r, int j0, int j1)
{
    for (int j = j0; j < j1; ++j) {
        const int col = cx.sq.left + j;
        u32 cap = 65535;
        u32 k = pixel_coverage<Texture, Mask>(cx, r.shape[cx.table[j]], r.at0 + col, cap);
        if (k == 0) continue;
        if (cx.solid) k = 65535;
        std::uint16_t* p = r.line + static_cast<std::size_t>(col) * 4;
        const u32 Da = p[3];
        write_pixel(cx, p, source_over(cx.colour, p, k), Da, cap);
    }
}

template <bool Texture, MaskUse Mask>
void plain_row(const DabContext& cx, int row)
{
    const DabSquare& sq = cx.sq;
    if (row < 0 || row >= cx.H) return;
    const int j0 = std::max(0, -sq.left), j1 = std::min(sq.drawn, cx.W - sq.left);
    if (j0 >= j1) return;
    RowSpan r;
    r.shape = cx.shape + static_cast<std::size_t>(cx.table[row - sq.top]) * cx.M;
    r.line = cx.target + static_cast<std::size_t>(row) * cx.stride;
    r.at0 = static_cast<std::size_t>(row) * cx.W;
    const int j = plain_quads<Texture, Mask>(cx, r, j0, j1);
    plain_pixels<Texture, Mask>(cx, r, j, j1);
}

template <bool Texture>
RowKernel with_mask(MaskUse m)
{
    switch (m) {
    case MaskUse::Cap: return plain_row<Texture, MaskUse::Cap>;
    case MaskUse::Scale: return plain_row<Texture, MaskUse::Scale>;
    default: return plain_row<Texture, MaskUse::None>;
    }
}

}  // namespace

RowKernel plain_kernel(const DabContext& cx) noexcept
{
    if (cx.pickup || cx.erase || cx.low.code != 32 || cx.grit || cx.rotate || cx.colourTable || cx.lumTable)
        return nullptr;
    const MaskUse m = !cx.mask ? MaskUse::None : cx.maskMultiplies ? MaskUse::Scale : MaskUse::Cap;
    return cx.texture ? with_mask<true>(m) : with_mask<false>(m);
}

}  // namespace mve
