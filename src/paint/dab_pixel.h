// The per-pixel steps of a dab, one small function per formula.
//
// Fixed-point contract: every channel is a 16-bit value (0..65535) held in an
// unsigned 32-bit integer; coverage k is 0..65535 (65535 = full); strengths
// (blend strength s, primary colour strength q, mix level t) are out of 256.
// All arithmetic is unsigned 32-bit with shifts; the bounds noted beside each
// product keep it inside 32 bits. Only the luminance variation works in float.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "paint/paint_mix.h"

namespace mve::dab {

using u32 = std::uint32_t;
using Px = std::array<u32, 4>;  // R, G, B, A

inline u32 clamp16(long long v) noexcept { return static_cast<u32>(std::clamp<long long>(v, 0, 65535)); }

// --- Coverage -------------------------------------------------------------

// Shape value scaled by the opacity: unscaled at 100 %, else (shape * a128) >> 7
// where a128 = trunc(percent * 1.28).
inline u32 opacity_coverage(u32 shape, int percent, int scaled128) noexcept
{
    return percent < 100 ? (shape * static_cast<u32>(scaled128)) >> 7 : shape;
}

// Paper texture byte t: 255 leaves k, else (t * k) >> 8.
inline u32 texture_coverage(u32 k, u32 t) noexcept { return t < 255 ? (t * k) >> 8 : k; }

// Mask value m scaling the coverage: 65535 leaves k, else (m * k) >> 16.
inline u32 mask_coverage(u32 k, u32 m) noexcept { return m < 65535 ? (m * k) >> 16 : k; }

// --- Source colour --------------------------------------------------------

// Per-pixel colour variation of amount n by table byte b:
// c + ((n & ~1) - 2 * (b % n)) * 128, clamped.
inline u32 vary_colour(u32 c, int n, u32 b) noexcept
{
    const long long d = (static_cast<long long>(n & ~1) - 2LL * (b % static_cast<u32>(n))) * 128;
    return clamp16(static_cast<long long>(c) + d);
}

// Luminance factor of amount n by table byte b: ((128 - n/2) + b % n) / 256.
inline float luminance_factor(int n, u32 b) noexcept
{
    return static_cast<float>((128 - (n >> 1)) + static_cast<int>(b % static_cast<u32>(n))) / 256.0f;
}

// Moves c toward white (f > 0.5) or toward black (f <= 0.5) by |f - 0.5| * 2.
inline u32 vary_luminance(u32 c, float f) noexcept
{
    const float cf = static_cast<float>(c);
    const float v = f > 0.5f ? cf + 2.0f * (f - 0.5f) * (65535.0f - cf) : cf - cf * 2.0f * (0.5f - f);
    return clamp16(static_cast<long long>(v));  // truncation toward zero
}

// The brush colour's pull on picked-up paint: (c * (256 - q) + P) >> 8, P = colour * q.
inline u32 primary_pull(u32 c, u32 q, u32 premultiplied) noexcept { return (c * (256 - q) + premultiplied) >> 8; }

// --- Division without a divide instruction --------------------------------

// n / d for n < 2^32 and 1 <= d <= 65535, from a reciprocal r that one
// pixel computes once for its three colours: trunc(n * r) with
// r = (1 + 2^-49) / d. Exact: the two roundings (of r and of the product)
// change n * r by a factor within 2^-52 of 1 + 2^-49, so an exact quotient
// is never rounded below itself, and the lift of at most n / d * 2^-48.8
// stays below 1 / d (as n < 2^32), the least distance from any other n / d to
// the next integer.
constexpr double kQuotientLift = 1.0 + 0x1p-49;
inline double reciprocal(u32 d) noexcept { return kQuotientLift / static_cast<double>(d); }
inline u32 quotient(u32 n, double r) noexcept
{
    return static_cast<u32>(static_cast<std::int64_t>(static_cast<double>(n) * r));
}

// --- Compose: codes below 34 (alpha-aware) --------------------------------

struct LowMode {
    bool pickup = false;
    bool erase = false;
    int code = 32;
};

// Result colour and alpha of the alpha-aware codes. D is the destination
// colour with alpha Da, S the source with alpha S[3], k the coverage (>= 1).
inline Px compose_low(const LowMode& m, const Px& S, const Px& D, u32 k) noexcept
{
    const u32 Sa = S[3], Da = D[3];
    Px r;
    if (Da == 0) {  // nothing below: the paint itself
        r = S;
        r[3] = (k * Sa) >> 16;
        return r;
    }
    if (m.pickup && m.code == 32) {  // wet mix: both colours and alphas blended by k
        r[3] = ((((65536 - k) * Da) >> 8) + ((k * Sa) >> 8)) >> 8;
        for (int c = 0; c < 3; ++c)
            r[c] = Sa != 0 ? ((((65536 - k) * D[c]) >> 8) + ((k * S[c]) >> 8)) >> 8 : D[c];
        return r;
    }
    if (m.erase) {  // alpha lowered by k, colour kept
        r = D;
        r[3] = ((65535 - k) * Da) >> 16;
        return r;
    }
    if (m.code == 32) {  // source over with straight colour
        const u32 a = (k * Sa) >> 16;
        r[3] = (((65535 - Da) * a) >> 16) + Da;  // >= Da > 0
        for (int c = 0; c < 3; ++c) {
            // Both terms keep their high halves; their sum is at most 65535^2.
            const u32 num = (((65535 - a) * ((D[c] * Da) >> 16)) & 0xFFFF0000u) + ((a * S[c]) & 0xFFFF0000u);
            r[c] = std::min<u32>(65535, num / r[3]);
        }
        return r;
    }
    // Multiply with alpha. s' <= a and d' <= Da keep the sum below Ra, so
    // the product with 65535 stays inside 32 bits.
    const u32 a = (k * Sa) / 65535;
    r[3] = ((65535 - Da) * a) / 65535 + Da;
    for (int c = 0; c < 3; ++c) {
        const u32 s1 = (a * S[c]) >> 16, d1 = (D[c] * Da) >> 16;
        const u32 sum = ((65535 - Da) * s1) / 65535 + (d1 * s1) / 65535 + ((65535 - a) * d1) / 65535;
        r[c] = std::min<u32>(65535, (sum * 65535) / r[3]);
    }
    return r;
}

// --- Compose: codes 34 and above ------------------------------------------

// Where the destination is thin it is pulled toward the paint first, so a
// blend against an almost empty pixel does not darken toward its old colour.
// Da = 0: D takes S's colour; Da < 65535: w = min(65535, (((65535 - Da) k) >> 16) * 3),
// D = ((((65535 - w) D) >> 8) + ((w S) >> 8)) >> 8.
inline void pull_destination(Px& D, const Px& S, u32 k) noexcept
{
    const u32 Da = D[3];
    if (Da == 0) {
        D[0] = S[0], D[1] = S[1], D[2] = S[2];
        return;
    }
    if (Da >= 65535) return;
    const u32 w = std::min<u32>(65535, (((65535 - Da) * k) >> 16) * 3);
    for (int c = 0; c < 3; ++c) D[c] = ((((65535 - w) * D[c]) >> 8) + ((w * S[c]) >> 8)) >> 8;
}

// Blend B (colour) with the result alpha Ra in B[3] of a code 34 or above,
// before the coverage blend; Ra starts as Sa (the caller zeroes Sa for an
// erase). D may change: code 340 greys it too.
inline Px blend_high(const PaintMixInputs& in, int t, const Px& S, Px& D) noexcept
{
    const Rgb32 s3 = {S[0], S[1], S[2]}, d3 = {D[0], D[1], D[2]};
    Px r;
    r[3] = S[3];
    if (in.code == 340) {  // grey paint with alpha from the paint's mean
        r = {32767, 32767, 32767, mean_of(s3)};
        D[0] = D[1] = D[2] = 32767;
        return r;
    }
    const PaintMixResult m = paint_mix(in, s3, d3);
    if (m.keepDestination) return D;
    for (int c = 0; c < 3; ++c) r[c] = m.lerp ? strength_lerp(S[c], m.b[c], t) : m.b[c];
    return r;
}

// Coverage blend of B (with alpha Ra in B[3]) over D by k:
// x = ((B k) >> 8) + (((65536 - k) D) >> 8), channel = min(65535, (x >> 8) + 1);
// Ra = (((Ra k) >> 8) + (((65536 - k) Da) >> 8)) >> 8. Full coverage keeps B.
inline Px coverage_blend(const Px& B, const Px& D, u32 k) noexcept
{
    if (k >= 65535) return B;
    Px r;
    for (int c = 0; c < 3; ++c) {
        const u32 x = ((B[c] * k) >> 8) + (((65536 - k) * D[c]) >> 8);
        r[c] = std::min<u32>(65535, (x >> 8) + 1);
    }
    r[3] = (((B[3] * k) >> 8) + (((65536 - k) * D[3]) >> 8)) >> 8;
    return r;
}

// --- Remix into the blend buffer ------------------------------------------

// New blend-buffer pixel from the paint S it gave and the destination D it
// met, weighted by blend strength s out of 256.
inline Px remix(const Px& S, const Px& D, u32 s) noexcept
{
    if (S[3] == 0) return {D[0], D[1], D[2], (D[3] * (256 - s)) >> 8};
    if (D[3] == 0) return {S[0], S[1], S[2], (S[3] * s) >> 8};
    Px r;
    for (int c = 0; c < 3; ++c) r[c] = std::min<u32>(65535, ((D[c] * (256 - s) + s * S[c]) >> 8) + 1);
    r[3] = (S[3] * s + D[3] * (256 - s)) >> 8;
    return r;
}

// --- Alpha write ----------------------------------------------------------

// Per-dab parts of the alpha-write rules.
struct AlphaRules {
    bool writable = false;  // PaintLayer, or an unlocked layer above the background
    bool blob = false;      // blob lock: only where both alphas are above 8191
    u32 level = 0;          // fixed alpha level when > 0
    bool erase = false;
};

constexpr u32 kBlobFloor = 8191;   // blob lock leaves alphas at or below this alone
constexpr u32 kBlobErase = 9216;   // and erases no lower than this

// The alpha to write for destination alpha Da and result Ra, capped at cap
// (65535 when no cap applies). False when the alpha stays as it is.
inline bool alpha_to_write(const AlphaRules& a, u32 Da, u32 Ra, u32 cap, u32& out) noexcept
{
    if (a.erase) {
        if (!a.blob) {
            out = Ra;
            return true;
        }
        if (Da <= kBlobFloor) return false;
        out = std::max(Ra, kBlobErase);
        return true;
    }
    if (!a.writable) return false;
    if (a.blob && !(Da > kBlobFloor && Ra > kBlobFloor)) return false;
    out = std::min(a.level > 0 ? a.level : Ra, cap);
    out = std::min<u32>(out, 65535);
    return true;
}

// --- Mask variant ---------------------------------------------------------

// Mask value m painted with v at coverage k: ((((65536 - k) m) >> 8) + ((k v) >> 8)) >> 8.
inline u32 mask_paint(u32 m, u32 v, u32 k) noexcept { return ((((65536 - k) * m) >> 8) + ((k * v) >> 8)) >> 8; }

// Blend-buffer value after remixing mask value m: min(65535, ((m (256 - s) + s v) >> 8) + 1).
inline u32 mask_remix(u32 m, u32 v, u32 s) noexcept { return std::min<u32>(65535, ((m * (256 - s) + s * v) >> 8) + 1); }

}  // namespace mve::dab
