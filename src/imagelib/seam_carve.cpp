// Our own seam carver for narrowing RGBA32 pictures. Energy is the gradient
// magnitude of the luminance (differences to the four neighbours); a guide value g adds g / 16 to it,
// so pixels where the guide is high (the host's selection) are carved last.
// Each seam is the cheapest 8-connected top-to-bottom path, found by dynamic
// programming; removing one seam costs O(width * height).
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "imagelib/resampling.h"

namespace mve::il {

namespace {

struct Carver {
    int width, height, current;
    std::vector<std::uint32_t> pixels;  // RGBA words, rows of `width` slots, `current` used
    std::vector<int> bias;              // from the guide, same layout
    std::vector<int> lum;
    std::vector<long long> cost;
    std::vector<int> seam;

    int luminance(std::uint32_t p) const
    {
        const int r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
        return (r * 77 + g * 150 + b * 29) >> 8;
    }

    void remove_one_seam()
    {
        const int w = current;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < w; ++x) lum[y * width + x] = luminance(pixels[y * width + x]);
        auto energy = [&](int x, int y) {
            const int* row = &lum[y * width];
            // Differences to both neighbours, so a one-pixel line has energy too.
            const int here = row[x];
            const int dx = std::abs(row[std::min(x + 1, w - 1)] - here) + std::abs(here - row[std::max(x - 1, 0)]);
            const int up = lum[std::max(y - 1, 0) * width + x], down = lum[std::min(y + 1, height - 1) * width + x];
            const int dy = std::abs(down - here) + std::abs(here - up);
            return static_cast<long long>(dx + dy + bias[y * width + x]);
        };
        for (int x = 0; x < w; ++x) cost[x] = energy(x, 0);
        for (int y = 1; y < height; ++y)
            for (int x = 0; x < w; ++x) {
                const long long* above = &cost[(y - 1) * width];
                long long best = above[x];
                if (x > 0) best = std::min(best, above[x - 1]);
                if (x + 1 < w) best = std::min(best, above[x + 1]);
                cost[y * width + x] = best + energy(x, y);
            }
        // Trace back from the cheapest end.
        const long long* last = &cost[(height - 1) * width];
        seam[height - 1] = static_cast<int>(std::min_element(last, last + w) - last);
        for (int y = height - 2; y >= 0; --y) {
            const int x = seam[y + 1];
            int best = x;
            const long long* row = &cost[y * width];
            if (x > 0 && row[x - 1] < row[best]) best = x - 1;
            if (x + 1 < w && row[x + 1] < row[best]) best = x + 1;
            seam[y] = best;
        }
        for (int y = 0; y < height; ++y) {
            const int x = seam[y];
            std::uint32_t* p = &pixels[y * width];
            int* g = &bias[y * width];
            std::memmove(p + x, p + x + 1, (w - x - 1) * sizeof *p);
            std::memmove(g + x, g + x + 1, (w - x - 1) * sizeof *g);
        }
        --current;
    }
};

}  // namespace

int seam_carve_rgba_own(const std::uint8_t* src, int width, int height, std::uint8_t* dst, int newWidth,
                        const std::uint16_t* guide, int guideWidth) noexcept
{
    if (!src || !dst || width <= 0 || height <= 0 || newWidth <= 0 || newWidth > width) return 0;
    try {
        const std::size_t n = static_cast<std::size_t>(width) * height;
        Carver c{width, height, width, std::vector<std::uint32_t>(n), std::vector<int>(n, 0), std::vector<int>(n),
                 std::vector<long long>(n), std::vector<int>(static_cast<std::size_t>(height))};
        std::memcpy(c.pixels.data(), src, n * 4);
        if (guide && guideWidth >= width)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) c.bias[y * width + x] = guide[static_cast<std::size_t>(y) * guideWidth + x] >> 4;
        while (c.current > newWidth) c.remove_one_seam();
        for (int y = 0; y < height; ++y)
            std::memcpy(dst + static_cast<std::size_t>(y) * newWidth * 4, &c.pixels[static_cast<std::size_t>(y) * width],
                        static_cast<std::size_t>(newWidth) * 4);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve::il
