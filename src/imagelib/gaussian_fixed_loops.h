// The vector loops of the fixed-point Gaussian blur (gaussian_fixed.h),
// written once over a lane type L that holds L::kCount 16-bit values:
//   V bytes(const uint8_t*)   kCount bytes widened to 16 bits
//   V words(const int16_t*)   kCount 16-bit values
//   V add16(V, V), V zero(), V set32(int32_t)
//   void madd(V& lo, V& hi, V a, V b, V taps)  lo/hi += the pairs (a, b) times
//                                               the tap pair, as 32-bit sums
//   void store_words(int16_t*, V lo, V hi)     (sums >> 8) as 16-bit values
//   void store_bytes(uint8_t*, V lo, V hi)     (sums >> 20) as bytes
// Each loop returns how many values it did; the caller finishes the rest
// with the plain loop, which computes the same integers.
#pragma once

#include <cstdint>

#include "imagelib/gaussian_fixed.h"

namespace mve::il::gauss {

// The tap pairs (T[m], T[m + 1]) for m = 0, 2, 4, ... packed for L::madd.
template <class L>
void tap_pairs(const FixedKernel& k, typename L::V* pairs) noexcept
{
    for (int m = 0; m <= k.radius; m += 2) {
        const std::int32_t next = m + 1 <= k.radius ? k.taps[m + 1] : 0;
        pairs[m / 2] = L::set32(k.taps[m] | next << 16);
    }
}

template <class L>
int row_loop(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept
{
    using V = typename L::V;
    V pairs[kMaxFixedRadius / 2 + 1];
    tap_pairs<L>(k, pairs);
    const int r = k.radius;
    const auto term = [&](const std::uint8_t* q, int m) {
        return m == 0 ? L::bytes(q) : m > r ? L::zero() : L::add16(L::bytes(q - m * C), L::bytes(q + m * C));
    };
    int j = 0;
    for (; j + L::kCount <= n; j += L::kCount) {
        V lo = L::set32(128), hi = lo;
        for (int m = 0; m <= r; m += 2) L::madd(lo, hi, term(p + j, m), term(p + j, m + 1), pairs[m / 2]);
        L::store_words(h + j, lo, hi);
    }
    return j;
}

template <class L>
int column_loop(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out, int n) noexcept
{
    using V = typename L::V;
    V pairs[kMaxFixedRadius / 2 + 1];
    tap_pairs<L>(k, pairs);
    const int r = k.radius;
    const std::int16_t* const* centre = rows + r;
    const auto term = [&](int j, int m) {
        return m == 0  ? L::words(centre[0] + j)
               : m > r ? L::zero()
                       : L::add16(L::words(centre[-m] + j), L::words(centre[m] + j));
    };
    int j = 0;
    for (; j + L::kCount <= n; j += L::kCount) {
        V lo = L::set32(1 << 19), hi = lo;
        for (int m = 0; m <= r; m += 2) L::madd(lo, hi, term(j, m), term(j, m + 1), pairs[m / 2]);
        L::store_bytes(out + j, lo, hi);
    }
    return j;
}

}  // namespace mve::il::gauss
