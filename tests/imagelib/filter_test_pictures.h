// Small RGBA32 pictures for the filter tests.
#pragma once

#include <cstdint>
#include <vector>

namespace filter_test {

using Pixels = std::vector<std::uint8_t>;

// A w x h picture of grey pixels (v, v, v, 255) with v taken from `values` row by row.
inline Pixels grey(int w, int h, const std::vector<int>& values)
{
    Pixels p(static_cast<std::size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i) {
        for (int c = 0; c < 3; ++c) p[i * 4 + c] = static_cast<std::uint8_t>(values[i]);
        p[i * 4 + 3] = 255;
    }
    return p;
}

// Channel 0 of every pixel, row by row.
inline std::vector<int> reds(const Pixels& p)
{
    std::vector<int> out;
    for (std::size_t i = 0; i < p.size(); i += 4) out.push_back(p[i]);
    return out;
}

inline Pixels uniform(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    Pixels p(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < p.size(); i += 4) p[i] = r, p[i + 1] = g, p[i + 2] = b, p[i + 3] = a;
    return p;
}

// Every channel of every pixel different: a seeded pattern.
inline Pixels varied(int w, int h, std::uint32_t seed = 7)
{
    Pixels p(static_cast<std::size_t>(w) * h * 4);
    for (auto& v : p) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<std::uint8_t>(seed >> 24);
    }
    return p;
}

}  // namespace filter_test
