// Colour matching of the paint bucket and the magic wand (see fill_region.h).
#include "ipl/fill_region.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include <emmintrin.h>

#include "core/parallel.h"
#include "core/runtime.h"

namespace mve::ipl {

double colour_tolerance(int tolerance) noexcept
{
    return std::clamp(tolerance, 0, kMaxTolerance) * 0.00002 * 195075.0;
}

int range_percent(int tolerance) noexcept
{
    return std::clamp(tolerance, 0, kMaxTolerance) / 500;
}

namespace {

// The squared distance is an integer, so "<= tol" is "<= floor(tol)".
struct Matcher {
    PixelView view;
    Rgb colour;
    long bound;

    bool operator()(int x, int y) const noexcept
    {
        const std::uint8_t* px = view.at(x, y);
        const long dr = px[0] - colour.r, dg = px[1] - colour.g, db = px[2] - colour.b;
        return dr * dr + dg * dg + db * db <= bound;
    }
};

Matcher make_matcher(const PixelView& view, Rgb colour, double tol) noexcept
{
    return Matcher{view, colour, static_cast<long>(std::floor(tol))};
}

struct Seed {
    int x, y;
};

}  // namespace

bool find_key_colour(const PixelView& view, Rgb* key)
{
    // One bit per 24-bit colour (2 MB). Bit index r + g * 256 + b * 65536, so
    // the first clear bit in index order is the first colour of the search
    // order: blue outermost, then green, red innermost.
    constexpr std::size_t kWords = (1u << 24) / 64;
    std::vector<std::uint64_t> seen(kWords, 0);
    for (int y = 0; y < view.height; ++y) {
        const std::uint8_t* px = view.at(0, y);
        for (int x = 0; x < view.width; ++x, px += view.channels) {
            const std::uint32_t c = px[0] | (px[1] << 8) | (static_cast<std::uint32_t>(px[2]) << 16);
            seen[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }
    for (std::size_t w = 0; w < kWords; ++w) {
        if (seen[w] == ~std::uint64_t{0}) continue;
        const std::uint32_t c = static_cast<std::uint32_t>(w * 64 + std::countr_one(seen[w]));
        *key = Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c >> 16)};
        return true;
    }
    return false;
}

namespace {

// The scanline fill itself, for any pixel test match(const uint8_t* px).
// Each popped seed grows into the whole span of open pixels on its row; the
// rows above and below push one seed per run of open pixels under the span.
// The stack lives on the heap, so a region of any size fits.
template <class Match>
std::size_t flood_spans(const PixelView& view, int x, int y, std::uint8_t* region, Match match)
{
    const int W = view.width, H = view.height, ch = view.channels;
    std::vector<Seed> stack;
    stack.push_back(Seed{x, y});
    std::size_t marked = 0;
    while (!stack.empty()) {
        const Seed seed = stack.back();
        stack.pop_back();
        std::uint8_t* reg = region + static_cast<std::size_t>(seed.y) * W;
        const std::uint8_t* px = view.at(0, seed.y);
        if (reg[seed.x] || !match(px + seed.x * ch)) continue;
        int left = seed.x, right = seed.x;
        while (left > 0 && !reg[left - 1] && match(px + (left - 1) * ch)) --left;
        while (right < W - 1 && !reg[right + 1] && match(px + (right + 1) * ch)) ++right;
        std::memset(reg + left, 1, right - left + 1);
        marked += right - left + 1;
        for (const int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= H) continue;
            const std::uint8_t* npx = view.at(0, ny);
            const std::uint8_t* nreg = region + static_cast<std::size_t>(ny) * W;
            bool inRun = false;
            for (int nx = left; nx <= right; ++nx) {
                const bool open = !nreg[nx] && match(npx + nx * ch);
                if (open && !inRun) stack.push_back(Seed{nx, ny});
                inRun = open;
            }
        }
    }
    return marked;
}

// The same fill for a 4-channel view and an exact colour, four pixels at a
// time: a pixel is open when its region byte is 0 and its R, G, B equal the
// key (alpha ignored). Bit i of a mask stands for pixel x + i.
struct ExactRgb4 {
    const PixelView& view;
    std::uint8_t* region;
    __m128i key;

    unsigned open4(const std::uint8_t* reg, const std::uint8_t* px) const noexcept
    {
        const __m128i rgb = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(px)),
                                          _mm_set1_epi32(0x00FFFFFF));
        const unsigned same = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(rgb, key))));
        std::uint32_t word;
        std::memcpy(&word, reg, 4);
        const unsigned unset =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_cvtsi32_si128(static_cast<int>(word)),
                                                                   _mm_setzero_si128()))) & 0xF;
        return same & unset;
    }
    bool open1(const std::uint8_t* reg, const std::uint8_t* px) const noexcept
    {
        const std::uint32_t k = static_cast<std::uint32_t>(_mm_cvtsi128_si32(key));
        return !*reg && px[0] == (k & 0xFF) && px[1] == ((k >> 8) & 0xFF) && px[2] == (k >> 16);
    }
};

std::size_t flood_spans_exact4(const ExactRgb4& f, int x, int y)
{
    const int W = f.view.width, H = f.view.height;
    std::vector<Seed> stack;
    stack.push_back(Seed{x, y});
    std::size_t marked = 0;
    while (!stack.empty()) {
        const Seed seed = stack.back();
        stack.pop_back();
        std::uint8_t* reg = f.region + static_cast<std::size_t>(seed.y) * W;
        const std::uint8_t* px = f.view.at(0, seed.y);
        if (!f.open1(reg + seed.x, px + seed.x * 4)) continue;
        int left = seed.x, right = seed.x;
        while (left > 0 && f.open1(reg + left - 1, px + (left - 1) * 4)) --left;
        while (right + 4 < W) {
            const unsigned open = f.open4(reg + right + 1, px + (right + 1) * 4);
            right += std::countr_one(open);
            if (open != 0xF) break;
        }
        while (right < W - 1 && f.open1(reg + right + 1, px + (right + 1) * 4)) ++right;
        std::memset(reg + left, 1, right - left + 1);
        marked += right - left + 1;
        for (const int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= H) continue;
            const std::uint8_t* npx = f.view.at(0, ny);
            const std::uint8_t* nreg = f.region + static_cast<std::size_t>(ny) * W;
            // A seed at the first pixel of every run of open pixels.
            unsigned inRun = 0;
            int nx = left;
            for (; nx + 3 <= right; nx += 4) {
                const unsigned open = f.open4(nreg + nx, npx + nx * 4);
                for (unsigned starts = open & ~((open << 1) | inRun) & 0xF; starts; starts &= starts - 1)
                    stack.push_back(Seed{nx + std::countr_zero(starts), ny});
                inRun = (open >> 3) & 1;
            }
            for (; nx <= right; ++nx) {
                const unsigned open = f.open1(nreg + nx, npx + nx * 4) ? 1 : 0;
                if (open && !inRun) stack.push_back(Seed{nx, ny});
                inRun = open;
            }
        }
    }
    return marked;
}

}  // namespace

std::size_t flood_region(const PixelView& view, int x, int y, double tol, std::uint8_t* region)
{
    const int W = view.width, H = view.height;
    if (!region || W <= 0 || H <= 0) return 0;
    std::memset(region, 0, static_cast<std::size_t>(W) * H);
    if (x < 0 || y < 0 || x >= W || y >= H) return 0;
    const std::uint8_t* s = view.at(x, y);
    const Matcher m = make_matcher(view, Rgb{s[0], s[1], s[2]}, tol);
    if (m.bound < 1 && fast_paths_enabled()) {
        // Tolerance 0: the same three bytes (what the distance test gives
        // when the bound is below 1).
        const std::uint8_t r = s[0], g = s[1], b = s[2];
        if (view.channels == 4)
            return flood_spans_exact4(ExactRgb4{view, region, _mm_set1_epi32(r | g << 8 | b << 16)}, x, y);
        return flood_spans(view, x, y, region,
                           [=](const std::uint8_t* p) { return p[0] == r && p[1] == g && p[2] == b; });
    }
    return flood_spans(view, x, y, region, [&](const std::uint8_t* p) {
        const long dr = p[0] - m.colour.r, dg = p[1] - m.colour.g, db = p[2] - m.colour.b;
        return dr * dr + dg * dg + db * db <= m.bound;
    });
}

std::size_t match_region(const PixelView& view, Rgb colour, double tol, std::uint8_t* region)
{
    if (!region || view.width <= 0 || view.height <= 0) return 0;
    const Matcher match = make_matcher(view, colour, tol);
    std::vector<std::size_t> rowCounts(view.height, 0);
    for_each_plane_row(view.width, view.height, cost::kSimple, [&](int y) {
        std::uint8_t* out = region + static_cast<std::size_t>(y) * view.width;
        std::size_t n = 0;
        for (int x = 0; x < view.width; ++x) {
            out[x] = match(x, y) ? 1 : 0;
            n += out[x];
        }
        rowCounts[y] = n;
    });
    std::size_t total = 0;
    for (const std::size_t n : rowCounts) total += n;
    return total;
}

void paint_region(std::uint8_t* rgba, int width, int height, const std::uint8_t* region, Rgb colour,
                  int alpha) noexcept
{
    if (!rgba || !region) return;
    for_each_plane_row(width, height, cost::kSimple, [&](int y) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        std::uint8_t* px = rgba + row * 4;
        for (int x = 0; x < width; ++x, px += 4) {
            if (region[row + x] != 1) continue;
            px[0] = static_cast<std::uint8_t>(colour.r);
            px[1] = static_cast<std::uint8_t>(colour.g);
            px[2] = static_cast<std::uint8_t>(colour.b);
            if (alpha >= 0) px[3] = static_cast<std::uint8_t>(alpha);
        }
    });
}

}  // namespace mve::ipl
