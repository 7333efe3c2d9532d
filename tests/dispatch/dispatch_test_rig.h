// A canvas with its processing buffers and a short call of the dispatcher
// for the dispatcher's tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "morvane/morvane.h"
#include "support/canvas_fixture.h"

namespace dispatch_test {

struct Call {
    int seed = 1;
    std::array<int, 6> p{};
    std::array<int, 8> i{};
    int r = 0, g = 0, b = 0;
    const char* text = nullptr;
};

inline int process(const char* name, const Call& c = {})
{
    return MVE_IPLImageProcess(0, name, c.seed, c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], c.i[0], c.i[1],
                               c.i[2], c.i[3], c.i[4], c.i[5], c.i[6], c.i[7], c.r, c.g, c.b, c.text);
}

inline Call with_p(std::initializer_list<int> p, std::initializer_list<int> i = {})
{
    Call c;
    int k = 0;
    for (int v : p) c.p[k++] = v;
    k = 0;
    for (int v : i) c.i[k++] = v;
    return c;
}

// A canvas of `layers` transparent layers with Src32 and Dst32 allocated;
// pixels are set and read as RGBA32 bytes of the current layer.
struct DispatchFixture : mve_test::CanvasFixture {
    void canvas(int width, int height, int layers = 1)
    {
        make(width, height, layers);
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
    }
    void set_layer(const std::vector<std::uint8_t>& rgba) { MVE_LoadRGBA32(rgba.data(), w * 4, 0); }
    std::vector<std::uint8_t> layer32() const
    {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h * 4);
        MVE_GetRGBA32(out.data(), w * 4);
        return out;
    }
    // Every pixel the same RGBA32 colour.
    std::vector<std::uint8_t> solid(std::array<int, 4> c) const
    {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h * 4);
        for (std::size_t k = 0; k < out.size(); ++k) out[k] = static_cast<std::uint8_t>(c[k % 4]);
        return out;
    }
};

}  // namespace dispatch_test
