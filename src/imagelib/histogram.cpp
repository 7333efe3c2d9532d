// Brightness histogram (see histogram.h).
#include "imagelib/histogram.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/parallel.h"

namespace mve::il {

int brightness_histogram(const std::uint8_t* picture, int width, int height, int bpp, int rowBytes,
                         std::uint32_t counts[256]) noexcept
{
    if (!picture || !counts || width <= 0 || height <= 0 || bpp < 1 || bpp > 4 || rowBytes < width * bpp)
        return 0;
    std::fill_n(counts, 256, 0u);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = picture + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += bpp) ++counts[bpp >= 3 ? (p[0] + p[1] + p[2]) / 3 : p[0]];
    }
    return 1;
}

void visible_histograms(const std::uint8_t* rgba, int width, int height, Histograms& h) noexcept
{
    std::memset(&h, 0, sizeof h);
    if (!rgba || width <= 0 || height <= 0) return;
    // One partial count per worker slot, added up at the end: sums do not
    // depend on which rows each thread took.
    std::vector<Histograms> partial;
    try {
        partial.resize(static_cast<std::size_t>(thread_count()));
    } catch (const std::bad_alloc&) {
        partial.clear();
    }
    const auto count_row = [&](Histograms& into, int y) {
        const std::uint8_t* p = rgba + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, p += 4) {
            if (p[3] == 0) continue;
            ++into.brightness[(p[0] + p[1] + p[2]) / 3];
            for (int c = 0; c < 3; ++c) ++into.channel[c][p[c]];
            ++into.visible;
        }
    };
    if (partial.empty()) {
        for (int y = 0; y < height; ++y) count_row(h, y);
        return;
    }
    for (Histograms& part : partial) std::memset(&part, 0, sizeof part);
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::size_t slot = std::min<std::size_t>(worker_slot(), partial.size() - 1);
        count_row(partial[slot], y);
    });
    for (const Histograms& part : partial) {
        for (int v = 0; v < 256; ++v) {
            h.brightness[v] += part.brightness[v];
            for (int c = 0; c < 3; ++c) h.channel[c][v] += part.channel[c][v];
        }
        h.visible += part.visible;
    }
}

}  // namespace mve::il
