// Gaussian noise (see noise.h): Box-Muller pairs from the engine's C-runtime
// style generator, one generator per row.
#include "imagelib/noise.h"

#include <algorithm>
#include <cmath>

#include "core/parallel.h"
#include "core/random.h"

namespace mve::il {

namespace {

// A standard normal value from two uniform draws in (0, 1].
double normal(CrtRandom& rng) noexcept
{
    const double u1 = (rng.next() + 1) / 32768.0, u2 = rng.next() / 32768.0;
    return std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
}

std::uint8_t add(std::uint8_t c, double n) noexcept
{
    return static_cast<std::uint8_t>(std::clamp(std::floor(c + n + 0.5), 0.0, 255.0));
}

}  // namespace

int add_gaussian_noise(std::uint8_t* picture, int width, int height, int bpp, int rowBytes, int amount, int channels,
                       std::uint32_t seed) noexcept
{
    if (!picture || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || rowBytes < width * bpp) return 0;
    const double deviation = std::max(amount, 0) / 100.0;
    for_each_plane_row(width, height, cost::kFilter, [&](int y) {
        CrtRandom rng;
        rng.seed(seed * 2654435761u + static_cast<std::uint32_t>(y) * 40503u + 1u);
        std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) {
            if (channels == 0) {
                const double n = deviation * normal(rng);
                for (int c = 0; c < 3; ++c) p[c] = add(p[c], n);
            } else {
                for (int c = 0; c < 3; ++c) p[c] = add(p[c], deviation * normal(rng));
            }
        }
    });
    return 1;
}

}  // namespace mve::il
