// Photo pop: sharpen, hyper contrast and a saturation change of the current
// layer, each written back before the next reads it.
#pragma once

namespace mve::ipl {

// The saturation factor of a slider value 0..100: 0 gives -2 (colours turned
// to their complements and strengthened), 50 gives 1 (unchanged), 100 gives 3.
//     saturation > 50: (saturation - 50) x 0.02 x 2 + 1
//     otherwise:        saturation x 0.02 x 3 - 2
double photo_pop_saturation_factor(double saturation) noexcept;

// 1. The current layer's colour is sharpened (level 5, radius 7) through
//    Src24/Dst24 and loaded back (alpha kept); both RGB24 buffers are freed.
// 2. When the low byte of extraContrast is 1, "Hyper Contrast" with first
//    real 0.001 runs Src32 -> Dst32 and is loaded back; Src32 is refreshed.
// 3. "Hyper Contrast" with first real contrast x 0.001, the same way.
// 4. Src32 is read from the layer, its saturation changed by the factor
//    above, and loaded back. Returns non-zero when this last step ran; 0
//    without canvas-sized Src32 and Dst32. Layer writes go through the Mask
//    and texture. Records "IPLPhotoPop Excpt" on failure.
int photo_pop(int contrast, double saturation, int extraContrast) noexcept;

}  // namespace mve::ipl
