// The resampling kernels and the fixed-point weight tables built from them.
#pragma once

#include <cstdint>
#include <vector>

namespace mve::il {

struct Kernel {
    double support;          // half-width at scale 1, in source pixels
    double (*weight)(double);
    bool widenWhenShrinking;  // false: pure interpolation (bilinear)
};

// The kernel of a convolution filter code (area average and nearest
// neighbour are handled separately); unknown codes give Lanczos3.
const Kernel& kernel_for(int code) noexcept;

// Weights are 14-bit fixed point; each output's weights sum to exactly 1 << 14,
// so a constant picture stays constant.
constexpr int kWeightBits = 14;

// For every output sample: the first source index and its taps. Every output
// has `taps` weights (zero-padded), and first + taps never passes the input size.
struct WeightTable {
    int taps = 0;
    std::vector<int> first;
    std::vector<std::int16_t> weights;  // outputs * taps
};

// Weights mapping `in` samples onto `out` samples with a kernel, or with the
// exact overlap of pixel areas when `area` is true. The tap count is rounded
// up to a multiple of `align` (zero weights) while the input is long enough,
// so vector loops can take several taps per step.
WeightTable make_weights(int in, int out, const Kernel& kernel, bool area, int align = 1);

}  // namespace mve::il
