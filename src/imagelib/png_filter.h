// The five PNG row filters, their inverses and the per-row choice the PNG
// writer makes. A filtered row predicts each byte from its left neighbour
// (bpp bytes back), the byte above and the byte above-left, and stores the
// difference modulo 256. Callers pass a row of zeros as the row above the
// first one, as the format defines it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mve::il {

enum PngFilter : std::uint8_t {
    kPngFilterNone = 0,
    kPngFilterSub = 1,
    kPngFilterUp = 2,
    kPngFilterAverage = 3,
    kPngFilterPaeth = 4,
};

// The Paeth predictor: whichever of left, above and above-left is closest to
// left + above - above-left, ties going in that order.
inline std::uint8_t paeth_predictor(int left, int above, int aboveLeft) noexcept
{
    const int p = left + above - aboveLeft;
    const int pa = p > left ? p - left : left - p;
    const int pb = p > above ? p - above : above - p;
    const int pc = p > aboveLeft ? p - aboveLeft : aboveLeft - p;
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(pb <= pc ? above : aboveLeft);
}

// Writes the residuals of `row` (n bytes, bpp bytes per pixel) under filter
// `type` into `out`. `above` is the previous row of the picture.
void png_filter_row(int type, const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                    std::uint8_t* out) noexcept;

// Turns residuals back into pixels in place. False for an unknown filter type.
bool png_unfilter_row(int type, std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp) noexcept;

// Filters `row` with the filter whose residuals, read as signed bytes, have
// the least sum of absolute values (the usual measure of how well a row
// will compress), writing the filter type and then the n residuals to `out`
// (n + 1 bytes). `scratch` holds 4 * n bytes. Returns the filter chosen.
int png_filter_row_best(const std::uint8_t* row, const std::uint8_t* above, std::size_t n, int bpp,
                        std::uint8_t* out, std::uint8_t* scratch) noexcept;

}  // namespace mve::il
