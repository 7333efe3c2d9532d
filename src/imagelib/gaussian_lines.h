// The line filters of the Gaussian blur: a padded line of n samples of k
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

// out[i] = sum over t of taps[t] * in[i + t] for n outputs, the sum started at
// 0 and taken in tap order; `in` holds n + count - 1 samples.
void convolve_line(const float* in, float* out, int n, int k, const float* taps, int count) noexcept;
void convolve_line_reference(const float* in, float* out, int n, int k, const float* taps,
                             int count) noexcept;

// The sampled kernel down the columns of whole rows, with no line to fill:
// out[j] = the byte of the sum over t of taps[t] * rows[t][j] for n values,
// the sum taken in tap order. The rows hold 16-bit fixed point (v * 256); the
// taps come already divided by 256, which, being a power of two, gives the
// same products as dividing the values.
constexpr int kMaxTaps = 32;  // count <= kMaxTaps
void convolve_rows(const std::uint16_t* const* rows, const float* taps, int count, std::uint8_t* out,
                   int n) noexcept;
void convolve_rows_reference(const std::uint16_t* const* rows, const float* taps, int count,
                             std::uint8_t* out, int n) noexcept;

// count floats rounded to 16-bit fixed point (v * 256) or to bytes, both
// clamped, half rounding up.
void to_fixed(const float* in, std::uint16_t* out, int count) noexcept;
void to_fixed_reference(const float* in, std::uint16_t* out, int count) noexcept;
void to_bytes(const float* in, std::uint8_t* out, int count) noexcept;
void to_bytes_reference(const float* in, std::uint8_t* out, int count) noexcept;

}  // namespace mve::il::gauss
