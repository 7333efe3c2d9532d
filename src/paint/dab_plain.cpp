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

// Eight pixels at a time in 16-bit lanes. Every product of the formulas is
// (x * y) >> 16 of two 16-bit values, which is what _mm_mulhi_epu16 gives,
// and the other steps (texture, opacity) are such a product with the factor
// shifted up; the selections mirror the branches of source_over and
// write_pixel lane by lane. The quotients by Ra are dab::quotient in double
// lanes.
struct Octet {
    __m128i r, g, b, a;  // eight channel values each
};

inline __m128i load4(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// Pixels p[0..7] (RGBA, 16 bits) into planar channels.
inline Octet load_octet(const std::uint16_t* p)
{
    const __m128i p0 = load4(p), p1 = load4(p + 8), p2 = load4(p + 16), p3 = load4(p + 24);
    const __m128i a0 = _mm_unpacklo_epi16(p0, p1), a1 = _mm_unpackhi_epi16(p0, p1);
    const __m128i a2 = _mm_unpacklo_epi16(p2, p3), a3 = _mm_unpackhi_epi16(p2, p3);
    const __m128i rg0 = _mm_unpacklo_epi16(a0, a1), ba0 = _mm_unpackhi_epi16(a0, a1);  // pixels 0..3
    const __m128i rg1 = _mm_unpacklo_epi16(a2, a3), ba1 = _mm_unpackhi_epi16(a2, a3);  // pixels 4..7
    return {_mm_unpacklo_epi64(rg0, rg1), _mm_unpackhi_epi64(rg0, rg1), _mm_unpacklo_epi64(ba0, ba1),
            _mm_unpackhi_epi64(ba0, ba1)};
}

inline void store_pair(std::uint16_t* p, __m128i rg, __m128i ba)
{
    const __m128i rb = _mm_unpacklo_epi16(rg, ba), ga = _mm_unpackhi_epi16(rg, ba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi16(rb, ga));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 8), _mm_unpackhi_epi16(rb, ga));
}

inline void store_octet(std::uint16_t* p, const Octet& q)
{
    store_pair(p, _mm_unpacklo_epi64(q.r, q.g), _mm_unpacklo_epi64(q.b, q.a));
    store_pair(p + 16, _mm_unpackhi_epi64(q.r, q.g), _mm_unpackhi_epi64(q.b, q.a));
}

// 65536 * dab::reciprocal(Ra) of two lanes, from 32-bit lanes 0 and 1 of v.
// The scaling by a power of two is exact, so it rounds as the scalar one.
inline __m128d scaled_reciprocal(__m128i v)
{
    return _mm_div_pd(_mm_set1_pd(65536.0 * dab::kQuotientLift), _mm_cvtepi32_pd(v));
}

// trunc(sum * inv) of two lanes: dab::quotient(sum << 16, reciprocal).
inline __m128i quotient_pair(__m128i sum32, __m128d inv)
{
    return _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(sum32), inv));
}

// min(65535, sum * 65536 / Ra) of eight lanes. A sum at or above Ra gives a
// quotient of at least 65536, so it is cut to Ra (quotient 65536 exactly)
// and the saturating pack makes it 65535.
inline __m128i quotient_octet(__m128i sum, __m128i Ra, const __m128d inv[4])
{
    sum = _mm_min_epu16(sum, Ra);
    const __m128i lo = _mm_cvtepu16_epi32(sum), hi = _mm_unpackhi_epi16(sum, _mm_setzero_si128());
    const __m128i q0 =
        _mm_unpacklo_epi64(quotient_pair(lo, inv[0]), quotient_pair(_mm_srli_si128(lo, 8), inv[1]));
    const __m128i q1 =
        _mm_unpacklo_epi64(quotient_pair(hi, inv[2]), quotient_pair(_mm_srli_si128(hi, 8), inv[3]));
    return _mm_packus_epi32(q0, q1);
}

// x > v for unsigned 16-bit lanes.
inline __m128i above(__m128i x, std::uint16_t v)
{
    const __m128i next = _mm_set1_epi16(static_cast<short>(v + 1));
    return _mm_cmpeq_epi16(_mm_min_epu16(x, next), next);
}

inline __m128i splat16(u32 v)
{
    return _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(v)));
}

// The per-dab constants of the octet loop.
struct OctetConstants {
    __m128i sr, sg, sb, sa;
    __m128i opacity;  // trunc(percent * 1.28) << 9: (k * a128) >> 7 as a high product
    __m128i level;
    bool scale, levelOn;
    explicit OctetConstants(const DabContext& cx)
    {
        sr = splat16(cx.colour[0]), sg = splat16(cx.colour[1]), sb = splat16(cx.colour[2]);
        sa = splat16(cx.colour[3]);
        // Below 100 % the factor is at most 126, so factor << 9 fits 16 bits.
        scale = cx.alphaPercent < 100;
        opacity = splat16(static_cast<u32>(std::clamp(cx.alphaScaled, 0, 127)) << 9);
        levelOn = cx.alpha.level > 0;
        level = splat16(std::min<u32>(cx.alpha.level, 65535));
    }
};

// Shape values of dab columns j..j+7.
inline __m128i shape_octet(const DabContext& cx, const RowSpan& r, int j)
{
    if (cx.identityTable) return load4(r.shape + j);
    const int* t = cx.table + j;
    const std::uint16_t* s = r.shape;
    return _mm_setr_epi16(static_cast<short>(s[t[0]]), static_cast<short>(s[t[1]]),
                          static_cast<short>(s[t[2]]), static_cast<short>(s[t[3]]),
                          static_cast<short>(s[t[4]]), static_cast<short>(s[t[5]]),
                          static_cast<short>(s[t[6]]), static_cast<short>(s[t[7]]));
}

// Coverage of eight pixels (opacity, texture, Mask) and their alpha caps.
template <bool Texture, MaskUse Mask>
inline __m128i octet_coverage(const DabContext& cx, const OctetConstants& c, __m128i k, std::size_t at,
                              __m128i& cap)
{
    if (c.scale) k = _mm_mulhi_epu16(k, c.opacity);
    if (Texture) {
        // t < 255: (t * k) >> 8 = high product of k and t << 8; 255 leaves k.
        const __m128i t =
            _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cx.texture + at)));
        const __m128i kt = _mm_mulhi_epu16(k, _mm_slli_epi16(t, 8));
        k = _mm_blendv_epi8(kt, k, _mm_cmpeq_epi16(t, _mm_set1_epi16(255)));
    }
    if (Mask != MaskUse::None) {
        const __m128i m = load4(cx.mask + at);
        if (Mask == MaskUse::Cap)
            cap = m;
        else
            k = _mm_blendv_epi8(_mm_mulhi_epu16(m, k), k, _mm_cmpeq_epi16(m, _mm_set1_epi16(-1)));
    }
    return k;
}

// Source over of eight pixels at p by coverages k, written by the alpha rules.
[[gnu::always_inline]] inline void source_over_octet(const DabContext& cx, const OctetConstants& c,
                                                     std::uint16_t* p, __m128i k, __m128i cap)
{
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(-1);
    const __m128i skip = _mm_cmpeq_epi16(k, zero);
    if (_mm_movemask_epi8(skip) == 0xFFFF) return;  // the round shape's empty corners
    if (cx.solid) k = _mm_andnot_si128(skip, full);
    const Octet D = load_octet(p);
    const __m128i a = _mm_mulhi_epu16(k, c.sa);
    const __m128i fresh = _mm_cmpeq_epi16(D.a, zero);  // Da = 0: the paint itself
    const __m128i over = _mm_add_epi16(_mm_mulhi_epu16(_mm_xor_si128(D.a, full), a), D.a);
    const __m128i Ra = _mm_blendv_epi8(over, a, fresh);
    Octet R = D;
    if (!cx.colourLocked) {
        // Fresh lanes with Ra = 0 divide by 1; their quotients are not used.
        const __m128i divisor = _mm_max_epu16(Ra, _mm_set1_epi16(1));
        const __m128i lo = _mm_cvtepu16_epi32(divisor), hi = _mm_unpackhi_epi16(divisor, zero);
        const __m128d inv[4] = {scaled_reciprocal(lo), scaled_reciprocal(_mm_srli_si128(lo, 8)),
                                scaled_reciprocal(hi), scaled_reciprocal(_mm_srli_si128(hi, 8))};
        const __m128i inva = _mm_xor_si128(a, full);  // 65535 - a
        auto channel = [&](__m128i d, __m128i s) {
            const __m128i sum =
                _mm_add_epi16(_mm_mulhi_epu16(inva, _mm_mulhi_epu16(d, D.a)), _mm_mulhi_epu16(a, s));
            const __m128i painted = _mm_blendv_epi8(quotient_octet(sum, Ra, inv), s, fresh);
            return _mm_blendv_epi8(painted, d, skip);
        };
        R.r = channel(D.r, c.sr);
        R.g = channel(D.g, c.sg);
        R.b = channel(D.b, c.sb);
    }
    if (cx.alpha.writable) {
        __m128i keep = skip;
        if (cx.alpha.blob) {  // only where both alphas are above the floor
            const __m128i both = _mm_and_si128(above(D.a, dab::kBlobFloor), above(Ra, dab::kBlobFloor));
            keep = _mm_or_si128(keep, _mm_xor_si128(both, full));
        }
        R.a = _mm_blendv_epi8(_mm_min_epu16(c.levelOn ? c.level : Ra, cap), D.a, keep);
    }
    store_octet(p, R);
}

// Dab columns from j0 in groups of eight; returns the first column left over.
template <bool Texture, MaskUse Mask>
int plain_octets(const DabContext& cx, const RowSpan& r, int j0, int j1)
{
    const OctetConstants c(cx);
    const __m128i noCap = _mm_set1_epi16(-1);
    int j = j0;
    for (; j + 8 <= j1; j += 8) {
        const int col = cx.sq.left + j;
        __m128i cap = noCap;
        const __m128i k = octet_coverage<Texture, Mask>(cx, c, shape_octet(cx, r, j), r.at0 + col, cap);
        source_over_octet(cx, c, r.line + static_cast<std::size_t>(col) * 4, k, cap);
    }
    return j;
}

#else

template <bool, MaskUse>
int plain_octets(const DabContext&, const RowSpan&, int j0, int)
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
    const int j = plain_octets<Texture, Mask>(cx, r, j0, j1);
    plain_pixels<Texture, Mask>(cx, r, j, j1);
}

template <bool Texture>
RowKernel with_mask(MaskUse m)
{
    switch (m) {
        case MaskUse::Cap:
            return plain_row<Texture, MaskUse::Cap>;
        case MaskUse::Scale:
            return plain_row<Texture, MaskUse::Scale>;
        default:
            return plain_row<Texture, MaskUse::None>;
    }
}

}  // namespace

RowKernel plain_kernel(const DabContext& cx) noexcept
{
    if (cx.pickup || cx.erase || cx.low.code != 32 || cx.grit || cx.rotate || cx.colourTable || cx.lumTable)
        return nullptr;
    // An opacity factor outside 0..127 (a percent set below 0) keeps the
    // general kernel's unsigned wrap-around.
    if (cx.alphaPercent < 100 && (cx.alphaScaled < 0 || cx.alphaScaled > 127)) return nullptr;
    const MaskUse m = !cx.mask ? MaskUse::None : cx.maskMultiplies ? MaskUse::Scale : MaskUse::Cap;
    return cx.texture ? with_mask<true>(m) : with_mask<false>(m);
}

}  // namespace mve
