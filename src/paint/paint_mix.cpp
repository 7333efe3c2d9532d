#include "paint/paint_mix.h"

#include <algorithm>
#include <cmath>

namespace mve {

namespace {

using u32 = std::uint32_t;
using i64 = long long;

// One separable channel formula of codes 34..48, 261 and 262.
u32 separable(int code, u32 d, u32 s)
{
    switch (code) {
    case 34:  // screen: 65535 - ((65535-D)(65535-S) >> 16)
        return 65535 - (((65535 - d) * (65535 - s)) >> 16);
    case 35: return std::min(d, s);
    case 36: return std::max(d, s);
    case 37: return d > s ? d - s : s - d;
    case 38: {  // 65535 - |65535 - D - S|
        const i64 v = 65535 - static_cast<i64>(d) - s;
        return static_cast<u32>(65535 - (v < 0 ? -v : v));
    }
    case 39: {  // D + S - (D*S >> 15), kept in 32 bits as the engine always has
        return d + s - static_cast<u32>((static_cast<std::uint64_t>(d) * s) >> 15);
    }
    case 40:  // overlay by D
        return d < 32767 ? static_cast<u32>((static_cast<std::uint64_t>(d) * s) >> 15)
                         : 65535 - static_cast<u32>((static_cast<std::uint64_t>(65535 - d) * (65535 - s)) >> 15);
    case 41:  // hard light: the same choice made by S
        return s < 32767 ? static_cast<u32>((static_cast<std::uint64_t>(d) * s) >> 15)
                         : 65535 - static_cast<u32>((static_cast<std::uint64_t>(65535 - d) * (65535 - s)) >> 15);
    case 42: {  // soft light in floating point, rounded to nearest
        const double sf = s / 65535.0, df = d / 65535.0;
        const double r = sf >= 0.5 ? (2 * sf - 1) * std::sqrt(df) + 2 * df * (1 - sf) : df * ((1 - 2 * sf) * df + 2 * sf);
        return static_cast<u32>(std::lround(r * 65535.0));
    }
    case 43:  // dodge: min(65535, (D << 16) / (65535 - S))
        return s < 65535 ? static_cast<u32>(std::min<i64>(65535, (static_cast<i64>(d) << 16) / (65535 - s))) : 65535;
    case 44:  // burn: max(0, 65535 - ((65535 - D) << 16) / S)
        return s == 0 ? 0 : static_cast<u32>(std::max<i64>(0, 65535 - (static_cast<i64>(65535 - d) << 16) / s));
    case 45:  // reflect: min(65535, D*D / (65535 - S))
        return s < 65535 ? static_cast<u32>(std::min<i64>(65535, static_cast<i64>(d) * d / (65535 - s))) : 65535;
    case 46:  // glow: min(65535, S*S / (65535 - D))
        return d < 65535 ? static_cast<u32>(std::min<i64>(65535, static_cast<i64>(s) * s / (65535 - d))) : 65535;
    case 47: return std::min<u32>(65535, d + s);
    case 48: return d + s > 65535 ? d + s - 65535 : 0;
    case 261:  // posterise to four levels
        return s < 10922 ? 0 : s < 32767 ? 21845 : s < 54613 ? 43690 : 65535;
    case 262:  // posterise to three levels
        return s < 21845 ? 0 : s < 43690 ? 32767 : 65535;
    default: return s;
    }
}

// Mixes two bank colours by u/256.
Rgb32 bank_mix(const Rgb32& a, const Rgb32& b, u32 u)
{
    Rgb32 r;
    for (int c = 0; c < 3; ++c) r[c] = (a[c] * (256 - u) + b[c] * u) >> 8;
    return r;
}

}  // namespace

bool paint_mix_has_entry(int code)
{
    return (code >= 34 && code <= 48) || (code >= 249 && code <= 262) || code == 295 || code == 340 ||
           code == 387 || code == 388 || code == 425;
}

PaintMixResult paint_mix(const PaintMixInputs& in, const Rgb32& S, const Rgb32& D)
{
    PaintMixResult r;
    r.lerp = true;
    const u32 L = mean_of(S);
    const auto& bank = in.banks;
    auto take = [&r](const Rgb32& c) { r.b = c; };
    auto keep = [&r, &D] {
        r.b = D;
        r.keepDestination = true;
        r.lerp = false;
    };
    switch (in.code) {
    case 249: take(L < 32767 ? bank[0] : bank[1]); break;
    case 250: take(L < 21845 ? bank[0] : L < 43690 ? bank[1] : bank[2]); break;
    case 251: take(L < 16383 ? bank[0] : L < 32767 ? bank[1] : L < 49151 ? bank[2] : bank[3]); break;
    case 252:  // two-segment gradient through banks 0, 1, 2
        if (L < 32767) take(bank_mix(bank[0], bank[1], (2 * L) >> 8));
        else take(bank_mix(bank[1], bank[2], (2 * L - 65534) >> 8));
        break;
    case 253: take(L < 32767 ? bank[0] : D); break;
    case 254: take(L > 32767 ? bank[0] : D); break;
    case 255: take(L < 20479 ? bank[0] : L < 49152 ? S : bank[1]); break;
    case 256: if (L < 20479) keep(); else take(S); break;
    case 257: if (L < 49152) take(S); else keep(); break;
    case 258: if (L >= 20479 && L < 49152) take(S); else keep(); break;
    case 259: if (L > 12287) keep(); else take(bank[0]); break;
    case 260: if (L > 57342) take(bank[0]); else keep(); break;
    case 295:  // drops the low bits of the paint
        for (int c = 0; c < 3; ++c) {
            const unsigned k = static_cast<unsigned>(in.shift) & 31u;
            r.b[c] = (S[c] >> k) << k;
        }
        r.lerp = false;
        break;
    case 340:  // grey paint; the caller takes alpha from L
        r.b = {32767, 32767, 32767};
        r.lerp = false;
        break;
    case 387: take(weighted_luma(D) < weighted_luma(S) ? D : S); break;
    case 388: take(weighted_luma(D) > weighted_luma(S) ? D : S); break;
    case 425:  // tints the brush colour itself by the paint's lightness
        if (L < 32767) {
            const u32 u = (2 * L) >> 8;
            for (int c = 0; c < 3; ++c) r.b[c] = (in.brush[c] * u) >> 8;
        } else {
            // At L = 32767 the offset would be -1; it is held at 0 so the
            // result cannot wrap below black.
            const i64 u = std::max<i64>(0, (2 * static_cast<i64>(L) - 65536) >> 8);
            for (int c = 0; c < 3; ++c)
                r.b[c] = static_cast<u32>((in.brush[c] * (256 - u) + u * 65535) >> 8);
        }
        break;
    default:
        if ((in.code >= 34 && in.code <= 48) || in.code == 261 || in.code == 262) {
            for (int c = 0; c < 3; ++c) r.b[c] = separable(in.code, D[c], S[c]);
        } else {
            take(S);
            r.lerp = false;
        }
        break;
    }
    return r;
}

}  // namespace mve
