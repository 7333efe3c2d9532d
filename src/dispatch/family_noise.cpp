// Noise merged over the layer: the layer's copy in Src32 gets noise of
// amount trunc(f1 * 200) (the low byte of i3 chooses grey or coloured
// noise), and the result is merged over the layer with blend mode i1 at
// opacity trunc(f2 * 2.559), through the Mask and texture.
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

bool add_gaussian_noise(Frame& f)
{
    f.result = f.src32;
    f.mergeMode = f.a.i[0];
    f.mergeOpacity = opacity_from(f.a.f[1]);
    return il::add_gaussian_noise(f.src32, f.width, f.height, 4, f.row32(), noise_amount(f), f.a.i[2] & 0xFF,
                                  static_cast<std::uint32_t>(f.a.seed)) != 0;
}

constexpr Entry kNoise[] = {
    {"Add Gaussian Noise", "noise", Pattern::M, add_gaussian_noise},
};

}  // namespace

std::span<const Entry> noise_family() noexcept { return kNoise; }

}  // namespace mve::dispatch
