// The scribble effect (see scribble.h).
#include "imagelib/scribble.h"

#include <algorithm>
#include <cmath>

#include "core/random.h"

namespace mve::il {

int scribble(std::uint8_t* picture, int width, int height, int bpp, int rowBytes, int density, int length,
             int shade, std::uint32_t seed) noexcept
{
    if (!picture || width <= 0 || height <= 0 || (bpp != 3 && bpp != 4) || rowBytes < width * bpp) return 0;
    const long long pixels = static_cast<long long>(width) * height;
    const long long strokes = std::min(pixels * std::max(density, 0) / 1000, pixels * 4);
    const int longest = std::clamp(length, 1, 4 * std::max(width, height));
    const int ink = std::clamp(shade, 0, 255);
    CrtRandom rng;
    rng.seed(seed);
    for (long long s = 0; s < strokes; ++s) {
        const int x0 = static_cast<int>((static_cast<long long>(rng.next()) * 32768 + rng.next()) % width);
        const int y0 = static_cast<int>((static_cast<long long>(rng.next()) * 32768 + rng.next()) % height);
        const double angle = rng.next() / 32768.0 * 2 * 3.14159265358979323846;
        const int steps = 1 + rng.next() % longest;
        const std::uint8_t* start = picture + static_cast<std::size_t>(y0) * rowBytes + x0 * bpp;
        std::uint8_t colour[3];
        for (int c = 0; c < 3; ++c) colour[c] = static_cast<std::uint8_t>(start[c] * ink / 255);
        const double dx = std::cos(angle), dy = std::sin(angle);
        for (int k = 0; k < steps; ++k) {
            const int x = static_cast<int>(std::lround(x0 + k * dx)), y = static_cast<int>(std::lround(y0 + k * dy));
            if (x < 0 || y < 0 || x >= width || y >= height) break;
            std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes + x * bpp;
            for (int c = 0; c < 3; ++c) p[c] = colour[c];
        }
    }
    return 1;
}

}  // namespace mve::il
