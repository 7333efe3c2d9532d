// The runner: dispatch by exact name, the pixel access rules, the processing
// buffer entry with its flush into the current layer, and a walk over every
// registered effect.
#include <cstring>
#include <string>

#include "core/random.h"
#include "effects_test_rig.h"
#include "engine/engine.h"

using namespace effects_test;
using namespace mve::ipl;

namespace {

using EffectsRunner = EffectsTest;

const char* const kOrder[kNamedEffectCount] = {
    "Anti Alias", "Adaptive Blur", "Line Art Cleaner", "Basic Threshold", "Alpha Edge Color", "Adjust Lab",
    "Detail Blur", "Value Blur", "Noise Reduction", "Noise Reduction RGB", "Hyper Contrast", "Bas Relief",
    "Grayscale", "Invert", "Vignette", "Channel", "Reflection", "Mirror", "Gallery Wrap Mirror Auto", "Fader",
    "Adjust RGBA", "Borderize", "Clamp", "Mask Detail", "Mask High Low", "Box Blur"};

TEST_F(EffectsRunner, NamesMatchExactly)
{
    for (int i = 0; i < kNamedEffectCount; ++i) {
        EXPECT_STREQ(named_effect_name(i), kOrder[i]);
        EXPECT_NE(find_named_effect(kOrder[i]), nullptr);
    }
    EXPECT_EQ(named_effect_name(kNamedEffectCount), nullptr);
    EXPECT_EQ(find_named_effect("box blur"), nullptr);
    EXPECT_EQ(find_named_effect("Box Blur "), nullptr);
    EXPECT_EQ(find_named_effect("Noise"), nullptr);
    EXPECT_EQ(find_named_effect(nullptr), nullptr);
    // An unknown name does nothing beyond the initial copy.
    Img src(2, 1, {1, 2, 3, 4}), dst(2, 1, {9, 9, 9, 9});
    EXPECT_FALSE(run_named_effect_on("blur", src.data(), dst.data(), 2, 1, 0, args({})));
    EXPECT_EQ(dst.px, src.px);
}

TEST_F(EffectsRunner, AccessRules)
{
    // 2 x 2 source and destination followed by guard bytes.
    std::uint8_t src[2 * 2 * 4 + 8], dst[2 * 2 * 4 + 8];
    std::memset(src, 7, sizeof src);
    std::memset(dst, 0xAB, sizeof dst);
    EffectBlock b;
    b.src = src, b.dst = dst, b.width = 2, b.height = 2, b.stride = 8;
    EffectRun run(b, EffectServices{});
    // Reads outside the image are zeros, inside from the source (flag 0) or destination (1).
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
        const Px p = run.get(x, y);
        EXPECT_EQ(p.r + p.g + p.b + p.a, 0);
    }
    EXPECT_EQ(run.get(1, 1).r, 7);
    b.singleBuffer = 1;
    EXPECT_EQ(run.get(1, 1).r, 0xAB);
    // Writes outside are ignored, integers clamp, reals store trunc(v * 255).
    run.set(-1, 0, 1, 1, 1, 1);
    run.set(0, 2, 1, 1, 1, 1);
    run.set(2, 1, 1, 1, 1, 1);
    run.set(0, 0, 300, -5, 128, 255);
    run.set_real(1, 0, 1.5, -0.1, 0.5, 1.0);
    const std::uint8_t expected[8] = {255, 0, 128, 255, 255, 0, 127, 255};
    EXPECT_EQ(std::memcmp(dst, expected, 8), 0);
    for (int i = 8; i < static_cast<int>(sizeof dst); ++i) EXPECT_EQ(dst[i], 0xAB) << i;
    for (std::uint8_t v : src) EXPECT_EQ(v, 7);
    // Mask writes without a Mask do nothing (and do not crash).
    run.set_mask(0, 0, 1.0);
}

TEST_F(EffectsRunner, ProcessingBuffersAndFlush)
{
    // A 1 x 4 canvas; layer 1 is the current layer. Src32 rows red 0, 10, 20, 30.
    MVE_CreateImage(nullptr, 1, 4, 16, 0);
    ASSERT_EQ(MVE_CreateLayer(1, 1, 4), 1);
    MVE_SetLayer(1);
    mve::Engine& e = mve::engine();
    EXPECT_FALSE(run_named_effect("Invert", 0, args({})));  // no Src32 / Dst32 yet
    ASSERT_TRUE(e.ipl.src32.allocate(16));
    ASSERT_TRUE(e.ipl.dst32.write().allocate(16));
    for (int y = 0; y < 4; ++y) {
        const std::uint8_t px[4] = {static_cast<std::uint8_t>(10 * y), 0, 0, 255};
        std::memcpy(e.ipl.src32.data() + y * 4, px, 4);
    }
    // Invert writes only the destination; the layer stays as created (white).
    ASSERT_TRUE(run_named_effect("Invert", 0, args({})));
    EXPECT_EQ(e.ipl.dst32.read()[4], 245);
    EXPECT_EQ(e.ipl.src32[4], 10);
    EXPECT_EQ(e.layers.table[1].row(3)[0], 0xFFFF);
    // Mirror flushes: H/2 = 2, P1 = 1: d = 2, row 3 takes row 1 (red 10), and the
    // flush loads the destination into the layer (10 * 256) and into the source.
    ASSERT_TRUE(run_named_effect("Mirror", 0, args({1000})));
    EXPECT_EQ(e.ipl.dst32.read()[12], 10);
    EXPECT_EQ(e.ipl.src32[12], 10);
    EXPECT_EQ(e.layers.table[1].row(3)[0], 10 * 256);
    EXPECT_EQ(e.layers.table[1].row(0)[0], 0);
    EXPECT_EQ(e.layers.table[1].row(0)[3], 255 * 256);
    // The block describes the last run.
    const EffectBlock& b = named_effect_block();
    EXPECT_EQ(b.width, 1);
    EXPECT_EQ(b.bounds[3], 3);
    EXPECT_DOUBLE_EQ(b.P[1], 1.0);
    e.ipl.dst32.write().reset();
    EXPECT_FALSE(run_named_effect("Invert", 0, args({})));
    MVE_DeleteImage();
}

// Parameters for each name that make it change something on the walk's image.
struct WalkCase {
    const char* name;
    EffectArgs a;
    bool mask;  // changes the Mask instead of the pixels
};

TEST_F(EffectsRunner, EveryEffectRunsAndChangesWhatItShould)
{
    const WalkCase cases[] = {
        {"Anti Alias", args({500, 500, 1000, 1000}), false},
        {"Adaptive Blur", args({1000, 500, 500}), false},
        {"Line Art Cleaner", args({500, 200}), false},
        {"Basic Threshold", args({500}), false},
        {"Alpha Edge Color", args({1000, 0, 0, 200, 800}), false},
        {"Adjust Lab", args({700, 500, 500}), false},
        {"Detail Blur", args({0}), false},
        {"Value Blur", args({300, 300}), false},
        {"Noise Reduction", args({1000, 1000}), false},
        {"Noise Reduction RGB", args({1000, 1000, 1000, 1000, 1000, 1000}), false},
        {"Hyper Contrast", args({500}), false},
        {"Bas Relief", args({500}, {0}), false},
        {"Grayscale", args({}), false},
        {"Invert", args({}), false},
        {"Vignette", args({0, 0, 0, 0, 250}, {0, 0, 0, 1, 2, 1}), false},
        {"Channel", args({}, {0, 0, 1}), false},
        {"Reflection", args({500, 1000, 0, 250}, {0, 0, 0, 1}), false},
        {"Mirror", args({1000}), false},
        {"Gallery Wrap Mirror Auto", args({}), false},
        {"Fader", args({0, 1000, 500, 500}, {0, 0, 0, 0, 0, 1}), false},
        {"Adjust RGBA", args({0, 500, 500, 500}), false},
        {"Borderize", args({0, 1000}), false},
        {"Clamp", args({500, 0, 1000, 1000}, {0, 0, 1}), false},
        {"Mask Detail", args({0, 0}), true},
        {"Mask High Low", args({500, 500}), true},
        {"Box Blur", args({0}), false},
    };
    static_assert(sizeof cases / sizeof cases[0] == kNamedEffectCount);
    ASSERT_EQ(named_effects().size(), std::size(cases));
    // 8 x 8: a transparent one-pixel frame around seeded random opaque pixels.
    const int W = 8, H = 8;
    Img in(W, H);
    mve::CrtRandom rng;
    rng.seed(12345);
    for (int y = 1; y < H - 1; ++y)
        for (int x = 1; x < W - 1; ++x)
            in.set(x, y, {rng.next() & 0xFF, rng.next() & 0xFF, rng.next() & 0xFF, 128 + (rng.next() & 0x7F)});
    MVE_CreateImage(nullptr, W, H, 16, 0);
    ASSERT_EQ(MVE_CreateLayer(1, W, H), 1);
    MVE_SetLayer(1);
    mve::Engine& e = mve::engine();
    for (int k = 0; k < kNamedEffectCount; ++k) {
        const WalkCase& c = cases[k];
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.name, kOrder[k]);
        // The registry's entry says what the run shows: its name finds it
        // first, and a Mask write-back is exactly an effect that writes the Mask.
        const NamedEffect& entry = named_effects()[static_cast<std::size_t>(k)];
        EXPECT_EQ(find_named_effect_entry(c.name), &entry);
        EXPECT_EQ(entry.writeBack == WriteBack::Mask, c.mask);
        std::memset(e.mask.plane.begin_write(), 0, e.mask.plane.bytes());
        Img out = run(c.name, in, c.a);
        bool maskChanged = false;
        for (std::size_t i = 0; i < e.mask.plane.size(); ++i) maskChanged |= e.mask.plane[i] != 0;
        EXPECT_EQ(maskChanged, c.mask);
        if (c.mask)
            EXPECT_EQ(out.px, in.px);
        else
            EXPECT_NE(out.px, in.px);
        // Chained, on one shared buffer, and on degenerate sizes: no crash, no
        // stray write (the sanitizer builds check the bounds).
        Img chained = in, same = in, tiny(1, 1, {9, 8, 7, 6}), row(2, 1, {200, 100, 50, 255});
        run_named_effect_on(c.name, chained.data(), out.data(), W, H, 1, c.a);
        run_named_effect_on(c.name, same.data(), same.data(), W, H, 0, c.a);
        Img tinyDst = tiny, rowDst = row;
        run_named_effect_on(c.name, tiny.data(), tinyDst.data(), 1, 1, 0, c.a);
        run_named_effect_on(c.name, row.data(), rowDst.data(), 2, 1, 0, c.a);
    }
    MVE_DeleteImage();
}

TEST_F(EffectsRunner, DirectExportOnACallerBuffer)
{
    unsigned char px[8] = {30, 60, 90, 128, 0, 0, 0, 0};
    EXPECT_EQ(MVE_IPLRunBuiltinEffect("Grayscale", px, 2, 1, 0, 0, 0, 0), 1);
    EXPECT_EQ(px[0], 60);
    EXPECT_EQ(px[2], 60);
    EXPECT_EQ(px[3], 128);
    // The reals go to P1..P4 as given: threshold trunc(0.25 * 255) = 63 on lum 60 -> black.
    EXPECT_EQ(MVE_IPLRunBuiltinEffect("Basic Threshold", px, 2, 1, 0.25, 0, 0, 0), 1);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(MVE_IPLRunBuiltinEffect("Nothing", px, 2, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(MVE_IPLRunBuiltinEffect("Invert", nullptr, 2, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(MVE_IPLRunBuiltinEffect("Invert", px, 0, 1, 0, 0, 0, 0), 0);
}

}  // namespace
