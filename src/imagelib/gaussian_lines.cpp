// The Gaussian blur's line filters (see gaussian_lines.h).
#include "imagelib/gaussian_lines.h"

#include <smmintrin.h>

#include <cstddef>

#include "core/runtime.h"

namespace mve::il::gauss {

namespace {

float* sample(float* v, int i, int k) noexcept { return v + static_cast<std::size_t>(i) * k; }

// One step of the recursive filter on lanes [j, j + 4): all four inputs are
// read before w is written (at the line's ends some of them are w itself).
inline void recursive_step4(float* w, const float* w1, const float* w2, const float* w3, __m128 B, __m128 c1,
                            __m128 c2, __m128 c3) noexcept
{
    __m128 r = _mm_add_ps(_mm_mul_ps(B, _mm_loadu_ps(w)), _mm_mul_ps(c1, _mm_loadu_ps(w1)));
    r = _mm_add_ps(r, _mm_mul_ps(c2, _mm_loadu_ps(w2)));
    r = _mm_add_ps(r, _mm_mul_ps(c3, _mm_loadu_ps(w3)));
    _mm_storeu_ps(w, r);
}

// The scalar step, for lanes past the last multiple of 4.
inline void recursive_step1(float* w, const float* w1, const float* w2, const float* w3,
                            const Recursive& c) noexcept
{
    *w = c.B * *w + c.c1 * *w1 + c.c2 * *w2 + c.c3 * *w3;
}

// Both runs over lanes: the forward run reads the samples before i (the first
// sample standing in for those before the line), the backward run those after.
template <class Step>
void recursive_runs(float* v, int n, int k, Step step) noexcept
{
    for (int i = 0; i < n; ++i) {
        float* w = sample(v, i, k);
        step(w, i >= 1 ? w - k : v, i >= 2 ? w - 2 * k : v, i >= 3 ? w - 3 * k : v);
    }
    float* last = sample(v, n - 1, k);
    for (int i = n - 1; i >= 0; --i) {
        float* w = sample(v, i, k);
        step(w, i <= n - 2 ? w + k : last, i <= n - 3 ? w + 2 * k : last, i <= n - 4 ? w + 3 * k : last);
    }
}

// The line less its first sample before filtering, and added back after.
void shift_lanes(float* v, int n, int k, const float* base, float sign) noexcept
{
    for (int i = 0; i < n; ++i) {
        float* w = sample(v, i, k);
        if (sign < 0)
            for (int j = 0; j < k; ++j) w[j] -= base[j];
        else
            for (int j = 0; j < k; ++j) w[j] += base[j];
    }
}

std::uint16_t fixed_of(float v) noexcept
{
    const float s = v * 256.0f;
    return static_cast<std::uint16_t>(s <= 0 ? 0 : s >= 65535 ? 65535 : static_cast<int>(s + 0.5f));
}

std::uint8_t byte_of(float v) noexcept
{
    return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5f));
}

// Four floats clamped to [0, top] and rounded half up, as int32: the clamped
// value plus 0.5, truncated, which is what the scalar rounding gives (at the
// top, top + 0.5 truncates to top).
inline __m128i rounded4(__m128 v, __m128 top) noexcept
{
    const __m128 clamped = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), top);
    return _mm_cvttps_epi32(_mm_add_ps(clamped, _mm_set1_ps(0.5f)));
}

}  // namespace

void recursive_line_reference(float* v, int n, int k, const Recursive& c) noexcept
{
    float base[kMaxLanes];
    for (int j = 0; j < k; ++j) base[j] = v[j];
    shift_lanes(v, n, k, base, -1);
    recursive_runs(v, n, k, [&](float* w, const float* w1, const float* w2, const float* w3) {
        for (int j = 0; j < k; ++j) recursive_step1(w + j, w1 + j, w2 + j, w3 + j, c);
    });
    shift_lanes(v, n, k, base, 1);
}

void recursive_line(float* v, int n, int k, const Recursive& c) noexcept
{
    if (!fast_paths_enabled()) return recursive_line_reference(v, n, k, c);
    float base[kMaxLanes];
    for (int j = 0; j < k; ++j) base[j] = v[j];
    shift_lanes(v, n, k, base, -1);
    const __m128 B = _mm_set1_ps(c.B), c1 = _mm_set1_ps(c.c1), c2 = _mm_set1_ps(c.c2), c3 = _mm_set1_ps(c.c3);
    const int k4 = k & ~3;
    recursive_runs(v, n, k, [&](float* w, const float* w1, const float* w2, const float* w3) {
        int j = 0;
        for (; j < k4; j += 4) recursive_step4(w + j, w1 + j, w2 + j, w3 + j, B, c1, c2, c3);
        for (; j < k; ++j) recursive_step1(w + j, w1 + j, w2 + j, w3 + j, c);
    });
    shift_lanes(v, n, k, base, 1);
}

void to_fixed_reference(const float* in, std::uint16_t* out, int count) noexcept
{
    for (int i = 0; i < count; ++i) out[i] = fixed_of(in[i]);
}

void to_fixed(const float* in, std::uint16_t* out, int count) noexcept
{
    int i = 0;
    if (fast_paths_enabled()) {
        const __m128 scale = _mm_set1_ps(256.0f), top = _mm_set1_ps(65535.0f);
        for (; i + 8 <= count; i += 8) {
            const __m128i lo = rounded4(_mm_mul_ps(_mm_loadu_ps(in + i), scale), top);
            const __m128i hi = rounded4(_mm_mul_ps(_mm_loadu_ps(in + i + 4), scale), top);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi32(lo, hi));
        }
    }
    to_fixed_reference(in + i, out + i, count - i);
}

void to_bytes_reference(const float* in, std::uint8_t* out, int count) noexcept
{
    for (int i = 0; i < count; ++i) out[i] = byte_of(in[i]);
}

void to_bytes(const float* in, std::uint8_t* out, int count) noexcept
{
    int i = 0;
    if (fast_paths_enabled()) {
        const __m128 top = _mm_set1_ps(255.0f);
        for (; i + 16 <= count; i += 16) {
            const __m128i a = _mm_packus_epi32(rounded4(_mm_loadu_ps(in + i), top), rounded4(_mm_loadu_ps(in + i + 4), top));
            const __m128i b =
                _mm_packus_epi32(rounded4(_mm_loadu_ps(in + i + 8), top), rounded4(_mm_loadu_ps(in + i + 12), top));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
        }
    }
    to_bytes_reference(in + i, out + i, count - i);
}

}  // namespace mve::il::gauss
