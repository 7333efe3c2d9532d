// The Gaussian blur at small sigma in fixed point: the sampled kernel as
// integer taps, run along the rows and then down the columns with exact
// integer sums, so every vector loop gives the same bytes as its plain loop.
//
// The taps T[0..r] (T[k] for offsets -k and +k) sum to kTapOne over the whole
// kernel. The row pass keeps value * 64 in 16 bits:
//   h[j] = (T[0] p[j] + sum_k T[k] (p[j - kC] + p[j + kC]) + 128) >> 8
// and the column pass rounds back to bytes:
//   out[j] = (T[0] h[y][j] + sum_k T[k] (h[y - k][j] + h[y + k][j]) + 2^19) >> 20.
// Pairs of mirrored samples are added before the multiply, which halves the
// multiplies and keeps every sum inside 32 bits.
#pragma once

#include <cstdint>

namespace mve::il::gauss {

constexpr int kTapOne = 1 << 14;
constexpr int kMaxFixedRadius = 24;

struct FixedKernel {
    int radius = 0;
    std::int32_t taps[kMaxFixedRadius + 1] = {};
};

// exp(-k^2 / 2 sigma^2) for k = -r..r, r = ceil(3 sigma) (at most
// kMaxFixedRadius), normalised and rounded to integer taps; the centre tap
// takes the rounding remainder so that the taps sum to exactly kTapOne and a
// flat picture stays flat.
FixedKernel fixed_kernel(double sigma) noexcept;

// The row pass over n values; p points at value 0 of a line that repeats
// its edge pixels r pixels (r * C values) beyond either end.
void fixed_row(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept;
void fixed_row_reference(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept;

// The column pass over n values: rows[t] is row y - r + t of the row pass.
void fixed_column(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out, int n) noexcept;
void fixed_column_reference(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out,
                            int n) noexcept;

// The AVX2 loops (gaussian_fixed_avx2.cpp), sixteen values at a time; they
// return how many values they did. Called only on processors with AVX2.
int fixed_row_avx2(const std::uint8_t* p, int C, const FixedKernel& k, std::int16_t* h, int n) noexcept;
int fixed_column_avx2(const std::int16_t* const* rows, const FixedKernel& k, std::uint8_t* out,
                      int n) noexcept;

// The whole blur of interleaved 8-bit pictures of C channels (src and dst
// must not overlap). Bands of rows run on the worker threads; each keeps the
// row-pass results of its last 2r + 1 rows in a ring, so every row is read
// once per band and the rows in flight stay in cache. Integer sums make the
// result independent of where the bands start.
void fixed_blur(const std::uint8_t* src, int width, int height, int C, int srcRowBytes, std::uint8_t* dst,
                int dstRowBytes, const FixedKernel& k);

}  // namespace mve::il::gauss
