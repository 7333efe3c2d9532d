// Shared machinery of the neighbourhood filters (blurs_local, rank_filters,
// glows): square windows of (2r + 1) x (2r + 1) pixels over packed RGBA32
// pictures, with the edge pixels repeated outside the picture.
//
// A radius beyond the picture only repeats edge pixels more often, so callers
// clamp it to the picture's larger side (window_radius) to keep the work
// bounded for absurd parameters.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/parallel.h"

namespace mve::il::win {

inline int clamp_index(int v, int n) { return v < 0 ? 0 : v >= n ? n - 1 : v; }

// A usable radius: negative becomes 0, anything beyond the larger side of the picture becomes that side.
inline int window_radius(long long r, int width, int height)
{
    return static_cast<int>(std::clamp<long long>(r, 0, std::max(width, height)));
}

inline bool valid_rgba(const std::uint8_t* src, const std::uint8_t* dst, int width, int height)
{
    return src && dst && width > 0 && height > 0 && static_cast<long long>(width) * height <= (1LL << 31) / 4;
}

inline std::size_t pixel_count(int width, int height) { return static_cast<std::size_t>(width) * height; }

// When an operation reads neighbours it cannot write over its source: the
// source is copied first when both are the same buffer.
struct StableSource {
    std::vector<std::uint8_t> copy;
    const std::uint8_t* pixels;
    StableSource(const std::uint8_t* src, const std::uint8_t* dst, int width, int height) : pixels(src)
    {
        if (src == dst) {
            copy.assign(src, src + pixel_count(width, height) * 4);
            pixels = copy.data();
        }
    }
};

// Sums over every window of a picture. value(px, k) is quantity k (0..K-1)
// of the pixel at px (4 bytes); emit(y, sums) receives width * K sums for
// row y, sums[x * K + k] the total of quantity k over the window centred on
// (x, y). The picture is cut into bands of rows; each band starts its column
// totals afresh and slides them down, so the result does not depend on how
// bands are shared between threads.
template <int K, class Value, class Emit>
void window_sums(const std::uint8_t* src, int width, int height, int r, Value value, Emit emit)
{
    const std::size_t n = static_cast<std::size_t>(width) * K;
    const int band = std::max(64, 2 * r + 1);
    const int bands = (height + band - 1) / band;
    // Horizontal window totals of source row sy.
    auto row_sums = [&](int sy, std::vector<std::int64_t>& vals, std::vector<std::int64_t>& out) {
        const std::uint8_t* row = src + static_cast<std::size_t>(sy) * width * 4;
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < K; ++k) vals[static_cast<std::size_t>(x) * K + k] = value(row + x * 4, k);
        std::int64_t s[K] = {};
        for (int i = -r; i <= r; ++i)
            for (int k = 0; k < K; ++k) s[k] += vals[static_cast<std::size_t>(clamp_index(i, width)) * K + k];
        for (int x = 0; x < width; ++x) {
            const std::size_t add = static_cast<std::size_t>(clamp_index(x + r + 1, width)) * K;
            const std::size_t sub = static_cast<std::size_t>(clamp_index(x - r, width)) * K;
            for (int k = 0; k < K; ++k) {
                out[static_cast<std::size_t>(x) * K + k] = s[k];
                s[k] += vals[add + k] - vals[sub + k];
            }
        }
    };
    const double bandNs = static_cast<double>(band + 2 * r) * width * K * 2.0;
    for_each_row(0, bands, bandNs, [&](int b) {
        std::vector<std::int64_t> vals(n), h(n), col(n, 0);
        const int y0 = b * band, y1 = std::min(height, y0 + band);
        for (int i = y0 - r; i <= y0 + r; ++i) {
            row_sums(clamp_index(i, height), vals, h);
            for (std::size_t j = 0; j < n; ++j) col[j] += h[j];
        }
        for (int y = y0; y < y1; ++y) {
            emit(y, col.data());
            if (y + 1 == y1) break;
            row_sums(clamp_index(y + r + 1, height), vals, h);
            for (std::size_t j = 0; j < n; ++j) col[j] += h[j];
            row_sums(clamp_index(y - r, height), vals, h);
            for (std::size_t j = 0; j < n; ++j) col[j] -= h[j];
        }
    });
}

}  // namespace mve::il::win
