// The engine's one Gaussian blur, used by every effect and tool that blurs
// with a Gaussian ("Gaussian Blur", the compositions, "blur more").
#pragma once

#include <cstdint>

namespace mve::il {

// Gaussian blur of standard deviation `sigma` pixels of interleaved 8-bit
// pictures of 1 to 4 channels, every channel alike; pixels beyond the edges
// repeat the edge pixel. Separable: a pass along the rows, then along the
// columns. Below sigma 8 each pass convolves with the sampled kernel (radius
// ceil(3 sigma), normalised) as integer taps in fixed point (gaussian_fixed.h);
// from 8 on it runs the third-order recursive filter of Young and van Vliet
// forward and backward, whose cost per pixel does not depend on sigma.
// sigma <= 0 copies. src and dst may be the same
// buffer. Non-zero on success; 0 for bad arguments or when the work buffer
// cannot be allocated (dst untouched).
int gaussian_blur(const std::uint8_t* src, int width, int height, int channels, int srcRowBytes,
                  std::uint8_t* dst, int dstRowBytes, double sigma) noexcept;

}  // namespace mve::il
