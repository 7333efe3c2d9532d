// "Gaussian Blur": the engine's Gaussian of sigma 0.6 + 0.4 * f1 (or, when
// the low byte of i3 is set, a share of the canvas: f1 * 0.01 * 0.05 * the
// larger side), on premultiplied colour.
#include "dispatch/compositions.h"
#include "dispatch/families.h"

namespace mve::dispatch {

namespace {

bool gaussian_blur_effect(Frame& f) { return blur_for_composition(f, f.src32, f.dst32); }

constexpr Entry kGaussian[] = {
    {"Gaussian Blur", "blurs", Pattern::R1, gaussian_blur_effect},
};

}  // namespace

std::span<const Entry> gaussian_blur_family() noexcept { return kGaussian; }

}  // namespace mve::dispatch
