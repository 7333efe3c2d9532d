// Colour reduction for the GIF writer: a histogram on 5 bits a channel, a
// median cut over its cells and a nearest-colour mapper with a cell cache.
#include <algorithm>
#include <numeric>

#include "exchange/gif_writer.h"

namespace mve::exchange {

namespace {

constexpr int kCells = 1 << 15;

int axis_value(int cell, int axis) noexcept
{
    return (cell >> (10 - 5 * axis)) & 31;
}

struct Box {
    int begin = 0, end = 0;  // range of cells in the shared list
    std::uint64_t population = 0;
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};

    int longest_axis() const noexcept
    {
        int best = 0;
        for (int a = 1; a < 3; ++a)
            if (hi[a] - lo[a] > hi[best] - lo[best]) best = a;
        return best;
    }
    double score() const noexcept
    {
        const int a = longest_axis();
        return end - begin < 2 ? -1.0 : static_cast<double>(population) * (hi[a] - lo[a]);
    }
};

Box make_box(const std::vector<int>& cells, const std::vector<std::uint32_t>& count, int begin, int end)
{
    Box b;
    b.begin = begin, b.end = end;
    for (int i = begin; i < end; ++i) {
        const int c = cells[i];
        b.population += count[c];
        for (int a = 0; a < 3; ++a) {
            b.lo[a] = std::min(b.lo[a], axis_value(c, a));
            b.hi[a] = std::max(b.hi[a], axis_value(c, a));
        }
    }
    return b;
}

}  // namespace

ColourHistogram::ColourHistogram() : count_(kCells, 0), sum_(kCells * 3, 0) {}

void ColourHistogram::clear()
{
    std::fill(count_.begin(), count_.end(), 0u);
    std::fill(sum_.begin(), sum_.end(), 0ull);
    total_ = 0;
}

void ColourHistogram::add(const std::uint8_t* rgb, std::size_t stride, int x0, int y0, int width, int height,
                          const std::uint8_t* previous)
{
    for (int y = y0; y < y0 + height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * 3;
        const std::uint8_t* p = rgb + rowStart;
        const std::uint8_t* q = previous ? previous + rowStart : nullptr;
        for (int x = 0; x < width; ++x, p += 3) {
            if (q) {
                const bool same = q[0] == p[0] && q[1] == p[1] && q[2] == p[2];
                q += 3;
                if (same) continue;
            }
            const int c = cell(p[0], p[1], p[2]);
            ++count_[c];
            sum_[c * 3] += p[0], sum_[c * 3 + 1] += p[1], sum_[c * 3 + 2] += p[2];
            ++total_;
        }
    }
}

GifPalette ColourHistogram::median_cut(int maxColours) const
{
    GifPalette palette;
    std::vector<int> cells;
    for (int c = 0; c < kCells; ++c)
        if (count_[c]) cells.push_back(c);
    if (cells.empty() || maxColours < 1) return palette;
    std::vector<Box> boxes{make_box(cells, count_, 0, static_cast<int>(cells.size()))};
    while (static_cast<int>(boxes.size()) < std::min(maxColours, 256)) {
        const auto widest = std::max_element(
            boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.score() < b.score(); });
        if (widest->score() < 0) break;  // every box is a single cell
        const Box box = *widest;
        const int axis = box.longest_axis();
        std::sort(cells.begin() + box.begin, cells.begin() + box.end,
                  [&](int a, int b) { return axis_value(a, axis) < axis_value(b, axis); });
        // The median by population, keeping at least one cell on each side.
        std::uint64_t below = 0;
        int split = box.begin + 1;
        for (int i = box.begin; i < box.end - 1; ++i) {
            below += count_[cells[i]];
            split = i + 1;
            if (below * 2 >= box.population) break;
        }
        *widest = make_box(cells, count_, box.begin, split);
        boxes.push_back(make_box(cells, count_, split, box.end));
    }
    for (const Box& b : boxes) {
        std::uint64_t s[3] = {0, 0, 0};
        for (int i = b.begin; i < b.end; ++i)
            for (int k = 0; k < 3; ++k) s[k] += sum_[cells[i] * 3 + k];
        for (int k = 0; k < 3; ++k)
            palette.rgb[palette.count * 3 + k] =
                static_cast<std::uint8_t>((s[k] + b.population / 2) / b.population);
        ++palette.count;
    }
    return palette;
}

void ColourMapper::reset(const GifPalette& palette, const ColourHistogram* means)
{
    palette_ = palette;
    means_ = means;
    cache_.assign(kCells, -1);
}

std::uint8_t ColourMapper::nearest(const GifPalette& palette, int r, int g, int b) noexcept
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < palette.count; ++i) {
        const int dr = palette.rgb[i * 3] - r, dg = palette.rgb[i * 3 + 1] - g,
                  db = palette.rgb[i * 3 + 2] - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return static_cast<std::uint8_t>(best);
}

std::uint8_t ColourMapper::index_of(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept
{
    const int c = ColourHistogram::cell(r, g, b);
    if (cache_[c] >= 0) return static_cast<std::uint8_t>(cache_[c]);
    // The cell stands for the mean of its pixels, or its centre when unseen.
    int mr = (r & 0xF8) | 4, mg = (g & 0xF8) | 4, mb = (b & 0xF8) | 4;
    if (means_ && means_->count_[c]) {
        const std::uint64_t n = means_->count_[c];
        mr = static_cast<int>(means_->sum_[c * 3] / n);
        mg = static_cast<int>(means_->sum_[c * 3 + 1] / n);
        mb = static_cast<int>(means_->sum_[c * 3 + 2] / n);
    }
    cache_[c] = nearest(palette_, mr, mg, mb);
    return static_cast<std::uint8_t>(cache_[c]);
}

}  // namespace mve::exchange
