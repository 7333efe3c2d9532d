// The packed RGBA32 <-> RGBA64 conversions and the plain RGBA32 row load:
// values worked by hand on a few pixels (an odd count, so the vector loop and
// its scalar tail both run), and the vector paths against the plain loops on
// seeded random rows of odd lengths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/pixel_convert.h"
#include "core/runtime.h"

using namespace mve;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint16_t>;

unsigned next(unsigned& seed)
{
    return (seed = seed * 1103515245u + 12345u) >> 16;
}

TEST(PixelConvert, LoadRowWorkedByHand)
{
    // Five pixels: the fourth has alpha 0 and so loads as all zeros.
    const Bytes in = {1, 2, 3, 4, 255, 128, 0, 255, 9, 9, 9, 1, 10, 20, 30, 0, 7, 8, 9, 10};
    Words out(20, 777);
    load_rgba32_plain(in.data(), out.data(), 5, false);
    EXPECT_EQ(out, (Words{256, 512, 768, 1024, 65280, 32768, 0, 65280, 2304, 2304, 2304, 256, 0, 0, 0, 0, 1792,
                          2048, 2304, 2560}));
    // Lock alpha: colours widened (even under alpha 0), the layer's alpha 777 kept.
    out.assign(20, 777);
    load_rgba32_plain(in.data(), out.data(), 5, true);
    EXPECT_EQ(out, (Words{256, 512, 768, 777, 65280, 32768, 0, 777, 2304, 2304, 2304, 777, 2560, 5120, 7680, 777,
                          1792, 2048, 2304, 777}));
    // Back to bytes: the high byte (0xABCD -> 0xAB, 0x00FF -> 0).
    const Words wide = {0xABCD, 0x00FF, 0xFF00, 0x0100, 1, 2, 3, 4, 0x8000, 0x7FFF, 0xFFFF, 0, 5, 6, 7, 8, 0x1234, 0, 0, 0};
    Bytes narrow(20, 9);
    rgba64_to_rgba32(wide.data(), narrow.data(), 5);
    EXPECT_EQ(narrow, (Bytes{0xAB, 0, 0xFF, 1, 0, 0, 0, 0, 0x80, 0x7F, 0xFF, 0, 0, 0, 0, 0, 0x12, 0, 0, 0}));
}

TEST(PixelConvert, VectorPathsMatchThePlainLoops)
{
    for (unsigned start = 1; start <= 40; ++start) {
        unsigned seed = start;
        const std::size_t pixels = 2 * (next(seed) % 40) + 1;
        Bytes bytes(pixels * 4);
        // Every fourth value is an alpha: make a third of them 0.
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i % 4 == 3 && next(seed) % 3 == 0 ? 0 : next(seed));
        Words layer(pixels * 4);
        for (auto& w : layer) w = static_cast<std::uint16_t>(next(seed));
        for (bool lock : {false, true}) {
            Words fast = layer, slow = layer;
            load_rgba32_plain(bytes.data(), fast.data(), pixels, lock);
            load_rgba32_plain_reference(bytes.data(), slow.data(), pixels, lock);
            EXPECT_EQ(fast, slow) << "seed " << start << " lock " << lock;
        }
        Words fastWide(pixels * 4), slowWide(pixels * 4);
        rgba32_to_rgba64(bytes.data(), fastWide.data(), pixels);
        rgba32_to_rgba64_reference(bytes.data(), slowWide.data(), pixels);
        EXPECT_EQ(fastWide, slowWide) << "seed " << start;
        // The layer-row form streams on 16-byte aligned rows only: both an
        // aligned and a misaligned destination.
        for (std::size_t shift : {0, 1}) {
            Words streamed(pixels * 4 + 4, 7);
            rgba32_to_rgba64_layer_row(bytes.data(), streamed.data() + shift * 4, pixels);
            EXPECT_TRUE(std::equal(slowWide.begin(), slowWide.end(), streamed.begin() + shift * 4))
                << "seed " << start << " shift " << shift;
        }
        Bytes fastNarrow(pixels * 4), slowNarrow(pixels * 4);
        rgba64_to_rgba32(layer.data(), fastNarrow.data(), pixels);
        rgba64_to_rgba32_reference(layer.data(), slowNarrow.data(), pixels);
        EXPECT_EQ(fastNarrow, slowNarrow) << "seed " << start;
    }
}

}  // namespace
