// Packed RGBA32 <-> RGBA64: v << 8 one way, the high byte the other.
//
// Each conversion has a plain loop (the reference) and an SSE2 loop over
// 4 pixels at a time, chosen by the fast-path switch; both give the same bytes.
#include "core/pixel_convert.h"

#include <emmintrin.h>

#include <cstdint>

#include "core/runtime.h"

namespace mve {

namespace {

// The all-zero alpha test of the plain RGBA32 load: 0xFFFFFFFF for each of
// four pixels whose alpha byte is 0.
inline __m128i alpha_zero(__m128i px) noexcept
{
    return _mm_cmpeq_epi32(_mm_srli_epi32(px, 24), _mm_setzero_si128());
}

// Four RGBA32 pixels widened to RGBA64 (v << 8) at out[0..15].
inline void store_widened(std::uint16_t* out, __m128i px) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, px));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(zero, px));
}

}  // namespace

void rgba32_to_rgba64_reference(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept
{
    const std::size_t values = pixels * 4;
    for (std::size_t i = 0; i < values; ++i) out[i] = static_cast<std::uint16_t>(in[i] << 8);
}

void rgba64_to_rgba32_reference(const std::uint16_t* in, std::uint8_t* out, std::size_t pixels) noexcept
{
    const std::size_t values = pixels * 4;
    for (std::size_t i = 0; i < values; ++i) out[i] = static_cast<std::uint8_t>(in[i] >> 8);
}

void rgba32_to_rgba64(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept
{
    std::size_t i = 0;
    if (fast_paths_enabled())
        for (; i + 4 <= pixels; i += 4)
            store_widened(out + i * 4, _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 4)));
    rgba32_to_rgba64_reference(in + i * 4, out + i * 4, pixels - i);
}

void rgba64_to_rgba32(const std::uint16_t* in, std::uint8_t* out, std::size_t pixels) noexcept
{
    std::size_t i = 0;
    if (fast_paths_enabled())
        for (; i + 4 <= pixels; i += 4) {
            const __m128i lo = _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 4)), 8);
            const __m128i hi =
                _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 4 + 8)), 8);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4), _mm_packus_epi16(lo, hi));
        }
    rgba64_to_rgba32_reference(in + i * 4, out + i * 4, pixels - i);
}

void load_rgba32_plain_reference(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels,
                                 bool lockAlpha) noexcept
{
    for (std::size_t i = 0; i < pixels; ++i, in += 4, out += 4) {
        if (lockAlpha) {
            for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint16_t>(in[k] << 8);
        } else if (in[3] != 0) {
            for (int k = 0; k < 4; ++k) out[k] = static_cast<std::uint16_t>(in[k] << 8);
        } else {
            out[0] = out[1] = out[2] = out[3] = 0;
        }
    }
}

namespace {

// Widens pixels [0, end) of a row bound for a layer, four at a time, and
// returns where it stopped. A layer row being loaded is not read again soon:
// on aligned rows the stores bypass the cache, which saves reading the old
// row in first (half the memory traffic of the load). With hideTransparent
// a pixel of alpha 0 becomes (0, 0, 0, 0).
template <bool HideTransparent>
std::size_t widen_into_layer_row(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept
{
    const bool aligned = reinterpret_cast<std::uintptr_t>(out) % 16 == 0;
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 4 <= pixels; i += 4) {
        __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 4));
        if constexpr (HideTransparent) px = _mm_andnot_si128(alpha_zero(px), px);
        if (aligned) {
            auto* d = reinterpret_cast<__m128i*>(out + i * 4);
            _mm_stream_si128(d, _mm_unpacklo_epi8(zero, px));
            _mm_stream_si128(d + 1, _mm_unpackhi_epi8(zero, px));
        } else {
            store_widened(out + i * 4, px);
        }
    }
    if (aligned) _mm_sfence();
    return i;
}

}  // namespace

void rgba32_to_rgba64_layer_row(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels) noexcept
{
    const std::size_t i = fast_paths_enabled() ? widen_into_layer_row<false>(in, out, pixels) : 0;
    rgba32_to_rgba64_reference(in + i * 4, out + i * 4, pixels - i);
}

void load_rgba32_plain(const std::uint8_t* in, std::uint16_t* out, std::size_t pixels, bool lockAlpha) noexcept
{
    std::size_t i = 0;
    if (fast_paths_enabled()) {
        if (!lockAlpha) {
            i = widen_into_layer_row<true>(in, out, pixels);
        } else {
            // Colour widened, the layer's alpha words kept.
            const __m128i keepAlpha = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
            for (; i + 4 <= pixels; i += 4) {
                const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 4));
                const __m128i zero = _mm_setzero_si128();
                auto* d = reinterpret_cast<__m128i*>(out + i * 4);
                const __m128i lo = _mm_unpacklo_epi8(zero, px), hi = _mm_unpackhi_epi8(zero, px);
                const __m128i d0 = _mm_loadu_si128(d), d1 = _mm_loadu_si128(d + 1);
                _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(keepAlpha, d0), _mm_andnot_si128(keepAlpha, lo)));
                _mm_storeu_si128(d + 1,
                                 _mm_or_si128(_mm_and_si128(keepAlpha, d1), _mm_andnot_si128(keepAlpha, hi)));
            }
        }
    }
    load_rgba32_plain_reference(in + i * 4, out + i * 4, pixels - i, lockAlpha);
}

}  // namespace mve
