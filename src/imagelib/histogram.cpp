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

namespace {

// One worker's counts. Neighbouring pixels of a photo mostly share a level:
// alternate pixels count brightness into two tables so each increment need
// not wait for the one before it.
struct PartialCounts {
    Histograms h;
    std::uint32_t oddBrightness[256];

    void count_row(const std::uint8_t* p, int width, bool withChannels) noexcept
    {
        for (int x = 0; x < width; ++x, p += 4) {
            if (p[3] == 0) continue;
            ++((x & 1) ? oddBrightness : h.brightness)[(p[0] + p[1] + p[2]) / 3];
            if (withChannels)
                for (int c = 0; c < 3; ++c) ++h.channel[c][p[c]];
            ++h.visible;
        }
    }
    void add_to(Histograms& total) const noexcept
    {
        for (int v = 0; v < 256; ++v) {
            total.brightness[v] += h.brightness[v] + oddBrightness[v];
            for (int c = 0; c < 3; ++c) total.channel[c][v] += h.channel[c][v];
        }
        total.visible += h.visible;
    }
};

}  // namespace

void visible_histograms(const std::uint8_t* rgba, int width, int height, Histograms& h, bool withChannels) noexcept
{
    std::memset(&h, 0, sizeof h);
    if (!rgba || width <= 0 || height <= 0) return;
    const auto row = [&](int y) { return rgba + static_cast<std::size_t>(y) * width * 4; };
    // One partial count per worker slot, added up at the end: sums do not
    // depend on which rows each thread took.
    std::vector<PartialCounts> partial;
    try {
        partial.resize(static_cast<std::size_t>(std::max(thread_count(), 1)));
    } catch (const std::bad_alloc&) {
        PartialCounts alone{};
        for (int y = 0; y < height; ++y) alone.count_row(row(y), width, withChannels);
        alone.add_to(h);
        return;
    }
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::size_t slot = std::min<std::size_t>(worker_slot(), partial.size() - 1);
        partial[slot].count_row(row(y), width, withChannels);
    });
    for (const PartialCounts& part : partial) part.add_to(h);
}

}  // namespace mve::il
