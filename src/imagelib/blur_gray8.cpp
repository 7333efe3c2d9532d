#include <algorithm>
#include <vector>

#include "imagelib/filters.h"

namespace mve {

namespace {

// One box pass of radius r along a line of n samples with stride `step`,
// edges repeated; a running sum keeps it O(1) per sample.
void box_line(const std::uint8_t* in, std::uint8_t* out, int n, int step, int r, std::vector<int>& line)
{
    line.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) line[i] = in[static_cast<std::size_t>(i) * step];
    const int window = 2 * r + 1;
    int sum = 0;
    for (int k = -r; k <= r; ++k) sum += line[std::clamp(k, 0, n - 1)];
    for (int i = 0; i < n; ++i) {
        out[static_cast<std::size_t>(i) * step] = static_cast<std::uint8_t>((sum + window / 2) / window);
        sum += line[std::min(i + r + 1, n - 1)] - line[std::max(i - r, 0)];
    }
}

}  // namespace

int blur_gray8(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength) noexcept
{
    if (!in || !out || width <= 0 || height <= 0) return 0;
    try {
        const int radius = std::max(1, strength / 33);
        std::vector<std::uint8_t> work(in, in + static_cast<std::size_t>(width) * height);
        std::vector<int> line;
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < height; ++y)
                box_line(&work[static_cast<std::size_t>(y) * width], &work[static_cast<std::size_t>(y) * width],
                         width, 1, radius, line);
            for (int x = 0; x < width; ++x) box_line(&work[x], &work[x], height, width, radius, line);
        }
        std::copy(work.begin(), work.end(), out);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace mve
