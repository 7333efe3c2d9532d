// Contrast masking: the photographer's way of bringing back detail in
// shadows and highlights by laying a soft negative of the picture over it.
#pragma once

#include <cstdint>

namespace mve::il {

// In place on interleaved 8-bit pictures of 3 or 4 bytes per pixel (the
// fourth, alpha, is kept). With g the grey (R + G + B) / 3 of each pixel,
// b = the Gaussian blur of g of `sigma` (gaussian_blur.h) and the mask
// m = (255 - b) / 255, each colour channel a = c / 255 is soft-lit by m:
//     s  = (1 - 2m) a^2 + 2 m a
//     c' = round(c + strength * (255 s - c)), clamped to 0..255
// Where the surroundings are bright (m < 0.5) the channel darkens, where
// they are dark it lightens, and mid-grey surroundings leave it as it is.
// Non-zero on success; 0 for bad arguments or when the grey planes cannot
// be allocated (picture untouched).
int contrast_mask(std::uint8_t* picture, int width, int height, int bytesPerPixel, int rowBytes, double sigma,
                  double strength) noexcept;

}  // namespace mve::il
