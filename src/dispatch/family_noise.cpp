// Noise merged over the layer: the layer's copy in Src32 gets noise of
// amount trunc(f1 * 200) (scale amount / 100 levels; the low byte of i3
// chooses grey (0) or coloured noise), and the result is merged over the
// layer with blend mode i1 at opacity trunc(f2 * 2.559), through the Mask
// and texture. The seed makes the noise: a fixed seed reproduces it.
#include "dispatch/families.h"
#include "dispatch/steps.h"
#include "imagelib/noise.h"

namespace mve::dispatch {

namespace {

int noise_amount(const Frame& f) noexcept
{
    const double amount = static_cast<double>(f.a.f[0]) * 200;
    return amount <= 0 ? 0 : amount >= 1e9 ? 1000000000 : static_cast<int>(amount);
}

bool add_noise(Frame& f, il::NoiseKind kind)
{
    f.result = f.src32;
    f.mergeMode = f.a.i[0];
    f.mergeOpacity = opacity_from(f.a.f[1]);
    return il::add_noise(kind, f.src32, f.width, f.height, 4, f.row32(), noise_amount(f), f.a.i[2] & 0xFF,
                         static_cast<std::uint32_t>(f.a.seed)) != 0;
}

bool gaussian(Frame& f) { return add_noise(f, il::NoiseKind::Gaussian); }
bool negative_exponential(Frame& f) { return add_noise(f, il::NoiseKind::NegativeExponential); }
bool rayleigh(Frame& f) { return add_noise(f, il::NoiseKind::Rayleigh); }
bool uniform(Frame& f) { return add_noise(f, il::NoiseKind::Uniform); }

constexpr Entry kNoise[] = {
    {"Add Gaussian Noise", "noise", Pattern::M, gaussian},
    {"Add Negative Exponential Noise", "noise", Pattern::M, negative_exponential},
    {"Add Rayleigh Noise", "noise", Pattern::M, rayleigh},
    {"Add Uniform Noise", "noise", Pattern::M, uniform},
};

}  // namespace

std::span<const Entry> noise_family() noexcept
{
    return kNoise;
}

}  // namespace mve::dispatch
