// The recursive Gaussian blur's line filters: a padded line of n samples of k
// floats each (k interleaved channels, or channels of several rows or
// columns side by side), filtered along its samples. Every lane is filtered
// on its own, so the width k changes nothing in any lane's result.
//
// Each filter has a plain loop (the reference) and an SSE loop that keeps
// four lanes per register and its sums in registers; the fast-path switch
// chooses, and both do the same float operations in the same order, so their
// results are the same bits.
#pragma once

#include <cstdint>

namespace mve::il::gauss {

// The recursive filter w[n] = B x[n] + c1 w[n-1] + c2 w[n-2] + c3 w[n-3].
struct Recursive {
    float B, c1, c2, c3;
};

// Filters n samples in place forward then backward, each run starting in the
// steady state of its first sample, on the samples less the first one (so a
// flat line stays exactly flat). k <= kMaxLanes.
constexpr int kMaxLanes = 512;
void recursive_line(float* v, int n, int k, const Recursive& c) noexcept;
void recursive_line_reference(float* v, int n, int k, const Recursive& c) noexcept;

// count floats rounded to 16-bit fixed point (v * 256) or to bytes, both
// clamped, half rounding up.
void to_fixed(const float* in, std::uint16_t* out, int count) noexcept;
void to_fixed_reference(const float* in, std::uint16_t* out, int count) noexcept;
void to_bytes(const float* in, std::uint8_t* out, int count) noexcept;
void to_bytes_reference(const float* in, std::uint8_t* out, int count) noexcept;

}  // namespace mve::il::gauss
