// The plain-paint fast kernel against the general row kernel, and the exact
// quotient it divides with.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/runtime.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "paint/dab_pixel.h"
#include "paint/dab_plain.h"
#include "paint/dab_rasteriser.h"

using namespace mve;

namespace {

bool exact(std::uint32_t n, std::uint32_t d)
{
    return dab::quotient(n, dab::reciprocal(d)) == n / d;
}

}  // namespace

TEST(DabQuotient, EqualsIntegerDivisionAtEveryDivisor)
{
    // For each d the worst cases are an exact multiple (fraction 0, where a
    // product rounded down would lose one) and one below it (fraction
    // (d - 1) / d, the closest to the next integer), at small quotients and
    // at the largest quotient below 2^32.
    int failures = 0;
    for (std::uint32_t d = 1; d <= 65535 && failures < 10; ++d) {
        const std::uint32_t qMax = static_cast<std::uint32_t>(0xFFFFFFFFull / d);
        for (std::uint32_t q : {1u, 2u, 3u, 65535u, qMax / 2, qMax - 1, qMax}) {
            if (q == 0 || q > qMax) continue;
            const std::uint32_t n = q * d;
            if (!exact(n, d) || !exact(n - 1, d)) ++failures;
            if (n <= 0xFFFFFFFFu - (d - 1) && !exact(n + (d - 1), d)) ++failures;
        }
        if (!exact(0, d) || !exact(0xFFFFFFFFu, d) || !exact(d - 1, d)) ++failures;
    }
    EXPECT_EQ(failures, 0);
}

TEST(DabQuotient, EqualsIntegerDivisionOnRandomOperands)
{
    std::mt19937 rng(12345);
    int failures = 0;
    for (int i = 0; i < 2000000; ++i) {
        const std::uint32_t n = static_cast<std::uint32_t>(rng());
        const std::uint32_t d = 1 + static_cast<std::uint32_t>(rng() % 65535);
        if (!exact(n, d)) ++failures;
    }
    EXPECT_EQ(failures, 0);
}

namespace {

constexpr int W = 37, H = 29, M = 24;

// One randomised plain-paint set-up; both kernels draw the same dabs from
// the same planes and seed.
struct PlainCase {
    std::mt19937 rng;
    explicit PlainCase(unsigned seed) : rng(seed) {}
    int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

    std::uint16_t channel()
    {
        switch (pick(5)) {
            case 0:
                return 0;
            case 1:
                return 65535;
            case 2:
                return static_cast<std::uint16_t>(pick(300));
            default:
                return static_cast<std::uint16_t>(rng());
        }
    }
};

struct DabPlainTest : ::testing::Test {
    void SetUp() override
    {
        Engine& e = engine();
        e.brush = BrushSettings{};
        e.random.colourVaryAmount = e.random.lumVaryAmount = 0;
        e.mask.makerOn = 0;
        e.blend.current = 0;
        MVE_CreateImage(nullptr, W, H, M, 0);
        MVE_CreateLayer(1, W, H);
        MVE_CreateLayer(2, W, H);
        MVE_SetLayerOptions(1, 1, 0, 100, "Normal");
        MVE_SetLayerOptions(2, 1, 0, 100, "Normal");
        MVE_SetLayer(2);
        MVE_SetMixMode(32, 0);
    }
    void TearDown() override
    {
        set_fast_paths(true);
        MVE_DeleteImage();
        engine().brush = BrushSettings{};
    }

    // The settings of one case: target, planes, brush and locks.
    static void configure(PlainCase& c)
    {
        Engine& e = engine();
        const bool paintLayer = c.pick(3) != 0;
        if (c.pick(5) == 0) MVE_SetLayer(1);  // the background never takes alpha without a PaintLayer
        if (paintLayer) MVE_CreatePaintLayer(100, 100, "Normal");
        Plane16& shape = e.paint.brushShape;
        for (std::size_t i = 0; i < shape.size(); ++i) shape[i] = c.pick(4) == 0 ? 0 : c.channel();
        e.mask.enabled = static_cast<std::uint8_t>(c.pick(4) != 0);
        for (std::size_t i = 0; i < e.mask.plane.size(); ++i) e.mask.plane.begin_write()[i] = c.channel();
        if (c.pick(2) == 0) {
            ASSERT_TRUE(e.texture.plane.allocate(W * H));
            for (std::size_t i = 0; i < e.texture.plane.size(); ++i)
                e.texture.plane[i] = static_cast<std::uint8_t>(c.pick(3) == 0 ? 255 : c.pick(256));
        }
        MVE_SetSize(1 + c.pick(M));
        if (c.pick(3) == 0) MVE_SetScaleSize(1 + c.pick(e.brush.fullSize));
        MVE_SetAlpha(c.pick(2) == 0 ? 100 : 1 + c.pick(100));
        MVE_SetColorVary(c.pick(3) == 0 ? 1 + c.pick(120) : 0);
        MVE_SetSolidBrushMode(c.pick(6) == 0);
        MVE_SetColorLocked(c.pick(6) == 0);
        MVE_SetAlphaLocked(c.pick(6) == 0);
        MVE_SetBlobLocked(c.pick(5) == 0);
        MVE_SetAlphaLevel(c.pick(5) == 0 ? c.pick(70000) : 0);
        LayerRecord& target = paintLayer ? e.layers.paint : *e.layers.current;
        std::uint16_t* p = target.pixels.begin_write();
        for (std::size_t i = 0; i < target.pixels.size(); ++i) p[i] = c.channel();
    }

    // Draws the case's dabs with the fast kernels on or off from the same
    // starting plane; returns the target plane.
    static std::vector<std::uint16_t> draw(unsigned seed, bool fast, const std::vector<std::uint16_t>& start)
    {
        Engine& e = engine();
        LayerRecord& target = e.layers.paint.present() ? e.layers.paint : *e.layers.current;
        std::memcpy(target.pixels.begin_write(), start.data(), start.size() * 2);
        set_fast_paths(fast);
        MVE_SetRandomSeed(static_cast<int>(seed));
        PlainCase dabs(seed * 7 + 1);
        for (int i = 0; i < 6; ++i) {
            // Centres from well outside to well inside, so crossing dabs occur.
            const int x = dabs.pick(W + 20) - 10, y = dabs.pick(H + 20) - 10;
            MVE_DrawDabGrit(x, y, dabs.channel(), dabs.channel(), dabs.channel());
        }
        return {target.pixels.data(), target.pixels.data() + target.pixels.size()};
    }
};

}  // namespace

TEST_F(DabPlainTest, FastKernelMatchesGeneralKernel)
{
    // Any difference names its seed; rerun one case by putting it in `first`.
    constexpr unsigned first = 1, cases = 300;
    for (unsigned seed = first; seed < first + cases; ++seed) {
        if (seed != first) {  // a fresh canvas for every case
            TearDown();
            SetUp();
        }
        PlainCase c(seed);
        configure(c);
        Engine& e = engine();
        const LayerRecord& target = e.layers.paint.present() ? e.layers.paint : *e.layers.current;
        const std::vector<std::uint16_t> start(target.pixels.data(),
                                               target.pixels.data() + target.pixels.size());
        const auto fast = draw(seed, true, start);
        const auto general = draw(seed, false, start);
        ASSERT_EQ(fast, general) << "seed " << seed;
    }
}

TEST_F(DabPlainTest, ParallelRowsMatchGeneralKernel)
{
    // A 40-row dab (drawn on the workers) through the Mask cap and a texture.
    MVE_DeleteImage();
    constexpr int S = 64, N = 40;
    MVE_CreateImage(nullptr, S, S, N, 0);
    MVE_CreateLayer(2, S, S);
    MVE_SetLayer(2);
    MVE_CreatePaintLayer(100, 100, "Normal");
    MVE_SetSize(N);
    MVE_SetAlpha(100);
    Engine& e = engine();
    PlainCase c(99);
    for (std::size_t i = 0; i < e.paint.brushShape.size(); ++i) e.paint.brushShape[i] = c.channel();
    for (std::size_t i = 0; i < e.mask.plane.size(); ++i) e.mask.plane.begin_write()[i] = c.channel();
    ASSERT_TRUE(e.texture.plane.allocate(S * S));
    for (std::size_t i = 0; i < e.texture.plane.size(); ++i)
        e.texture.plane[i] = static_cast<std::uint8_t>(c.pick(256));
    auto run = [&](bool fast) {
        std::memset(e.layers.paint.pixels.begin_write(), 0, e.layers.paint.pixels.bytes());
        set_fast_paths(fast);
        for (int i = 0; i < 5; ++i) MVE_DrawDabGrit(20 + 4 * i, 30 - 3 * i, 0x8000, 0x4000, 0x2000);
        return std::vector<std::uint16_t>(e.layers.paint.pixels.data(),
                                          e.layers.paint.pixels.data() + e.layers.paint.pixels.size());
    };
    const auto fast = run(true), general = run(false);
    EXPECT_EQ(fast, general);
    // The dabs painted something through the cap.
    std::size_t painted = 0;
    for (std::size_t i = 3; i < fast.size(); i += 4) painted += fast[i] != 0;
    EXPECT_GT(painted, 1000u);
}

TEST_F(DabPlainTest, KernelChosenOnlyForPlainPaint)
{
    DabContext cx;
    cx.low.code = 32;
    EXPECT_NE(plain_kernel(cx), nullptr);
    const std::uint16_t mask = 0;
    cx.mask = &mask;  // the Mask, as cap or factor, stays on the fast kernel
    EXPECT_NE(plain_kernel(cx), nullptr);
    cx.maskMultiplies = false;
    EXPECT_NE(plain_kernel(cx), nullptr);
    const auto with = [&](auto change) {
        DabContext other = cx;
        change(other);
        return plain_kernel(other);
    };
    const std::uint8_t byte = 0;
    EXPECT_EQ(with([](DabContext& o) { o.pickup = true; }), nullptr);
    EXPECT_EQ(with([](DabContext& o) { o.erase = true; }), nullptr);
    EXPECT_EQ(with([](DabContext& o) { o.low.code = 33; }), nullptr);
    EXPECT_EQ(with([](DabContext& o) { o.low.code = 34; }), nullptr);
    EXPECT_EQ(with([&](DabContext& o) { o.grit = &byte; }), nullptr);
    EXPECT_EQ(with([](DabContext& o) { o.rotate = true; }), nullptr);
    EXPECT_EQ(with([&](DabContext& o) { o.colourTable = &byte; }), nullptr);
    EXPECT_EQ(with([&](DabContext& o) { o.lumTable = &byte; }), nullptr);
}
