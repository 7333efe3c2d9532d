// Clean-up of packed RGBA32 pictures (rows of width * 4 bytes) in place:
// isolated specks and the comb of interlaced video. Alpha is never changed.
// Non-zero on success; 0 for a null picture or an empty size (untouched).
#pragma once

#include <cstdint>

namespace mve::il {

// Each colour channel of each pixel that differs from the median of its
// 3 x 3 neighbourhood (edge pixels repeated) by more than `tolerance` takes
// that median; tolerance 0 gives the plain 3 x 3 median. `scratch` is a
// picture-sized RGBA32 buffer the medians are computed into.
int despeckle(std::uint8_t* rgba, std::uint8_t* scratch, int width, int height, int tolerance) noexcept;

// Rebuilds every other row from its neighbours: the odd rows (1, 3, ...) when
// `evenRows` is false, the even rows otherwise; a rebuilt row is the rounded
// mean of the rows above and below, or a copy of its one neighbour at the
// top or bottom edge. A picture of one row is left as it is.
int deinterlace(std::uint8_t* rgba, int width, int height, bool evenRows) noexcept;

}  // namespace mve::il
