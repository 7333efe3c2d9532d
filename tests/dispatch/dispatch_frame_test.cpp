// The dispatcher's frame and its first families: the return values, exact
// names, the common end, the work buffers, the built-in effects through the
// filtered replace, and the Mask effects.
#include <cstring>

#include "core/runtime.h"
#include "dispatch/dispatch.h"
#include "dispatch_test_rig.h"
#include "engine/engine.h"
#include "undo/undo_store.h"

using namespace dispatch_test;

namespace {

using DispatchFrame = DispatchFixture;

bool whole_canvas_dirty(int w, int h)
{
    const auto& d = mve::engine().undo.dirty;
    return d.x0 == 0 && d.y0 == 0 && d.x1 == w - 1 && d.y1 == h - 1;
}

std::vector<std::uint8_t> ramp3x2()
{
    return {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 100, 110, 120, 255, 130, 140, 150, 200, 0, 0, 0, 0};
}

TEST_F(DispatchFrame, NeedsBothProcessingBuffers)
{
    make(2, 2);
    EXPECT_EQ(process("Box Blur"), 0);
    MVE_IPLAllocSrcBuffer32();
    EXPECT_EQ(process("Box Blur"), 0);
    MVE_IPLAllocDstBuffer32();
    EXPECT_EQ(process("Box Blur"), 1);
}

TEST_F(DispatchFrame, UnknownNamesChangeNothingButEndAsEveryCall)
{
    canvas(3, 2);
    const auto before = ramp3x2();
    set_layer(before);
    for (const char* name : {"blur", "box blur", "Box Blur ", "BOX BLUR", "", static_cast<const char*>(nullptr)}) {
        MVE_IPLAllocSrcBuffer24();
        MVE_IPLAllocDstBuffer24();
        mve::undo_reset_dirty(mve::engine());
        EXPECT_EQ(process(name), 1) << (name ? name : "(null)");
        EXPECT_EQ(layer32(), before);
        // The common end: RGB24 buffers freed, the whole canvas marked for undo.
        EXPECT_FALSE(mve::engine().ipl.src24);
        EXPECT_FALSE(mve::engine().ipl.dst24);
        EXPECT_TRUE(whole_canvas_dirty(w, h));
    }
}

TEST_F(DispatchFrame, RegistryNamesAreDistinctAndFoundExactly)
{
    const auto entries = mve::dispatch::registry();
    ASSERT_EQ(MVE_IPLEffectCount(), static_cast<int>(entries.size()));
    for (std::size_t a = 0; a < entries.size(); ++a) {
        for (std::size_t b = a + 1; b < entries.size(); ++b) EXPECT_STRNE(entries[a].name, entries[b].name);
        EXPECT_EQ(mve::dispatch::find_entry(entries[a].name), &entries[a]);
        const char *family = nullptr, *pattern = nullptr;
        EXPECT_STREQ(MVE_IPLEffectInfo(static_cast<int>(a), &family, &pattern), entries[a].name);
        EXPECT_STREQ(family, entries[a].family);
        EXPECT_STREQ(pattern, mve::dispatch::pattern_label(entries[a].pattern));
    }
    EXPECT_EQ(MVE_IPLEffectInfo(-1, nullptr, nullptr), nullptr);
    EXPECT_EQ(MVE_IPLEffectInfo(MVE_IPLEffectCount(), nullptr, nullptr), nullptr);
}

TEST_F(DispatchFrame, FailureInsideRecordsTheTextAndStillEnds)
{
    canvas(2, 2);
    MVE_SetLastError("");
    mve::undo_reset_dirty(mve::engine());
    // Work buffer 0 cannot be allocated: the block fails, the frame does not.
    mve::runtime().allocationsBeforeFailure = 0;
    const int result = process("Copy to Buffer", with_p({}, {0}));
    mve::runtime().allocationsBeforeFailure = -1;
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(MVE_GetLastError(), "IPLImageProc Excpt");
    EXPECT_TRUE(whole_canvas_dirty(w, h));
}

// Noise drawn from a seed of 0 differs from call to call (the frame draws a
// seed); a fixed seed draws the same noise again.
TEST_F(DispatchFrame, SeedZeroDrawsASeedAndAFixedSeedRepeats)
{
    canvas(4, 4);
    const auto grey = solid({128, 128, 128, 255});
    auto noisy = [&](int seed) {
        set_layer(grey);
        Call c = with_p({100, 1000}, {0, 0, 1});
        c.seed = seed;
        process("Add Gaussian Noise", c);
        return layer32();
    };
    const auto a = noisy(0), b = noisy(0), c = noisy(7), d = noisy(7);
    EXPECT_NE(a, grey);
    EXPECT_NE(a, b);
    EXPECT_EQ(c, d);
    EXPECT_NE(c, grey);
}

TEST_F(DispatchFrame, SwapWithBufferTwiceRestoresTheLayer)
{
    canvas(3, 2);
    const auto a = ramp3x2();
    const auto b = solid({7, 8, 9, 255});
    set_layer(b);
    EXPECT_EQ(process("Copy to Buffer", with_p({}, {2})), 1);
    set_layer(a);
    process("Swap with Buffer", with_p({}, {2}));
    EXPECT_EQ(layer32(), b);
    std::vector<std::uint8_t> stored(a.size());
    std::memcpy(stored.data(), mve::engine().ipl.work[2].data(), stored.size());
    EXPECT_EQ(stored, a);
    process("Swap with Buffer", with_p({}, {2}));
    EXPECT_EQ(layer32(), a);
    // "Load from Buffer" brings back what the buffer holds now (b).
    process("Load from Buffer", with_p({}, {2}));
    EXPECT_EQ(layer32(), b);
}

TEST_F(DispatchFrame, WorkBufferIndexOutsideTheFourDoesNothing)
{
    canvas(2, 1);
    const std::vector<std::uint8_t> a = {1, 2, 3, 255, 4, 5, 6, 255};
    set_layer(a);
    for (int index : {-1, 4, 1000000000}) {
        for (const char* name : {"Copy to Buffer", "Swap with Buffer", "Load from Buffer", "Merge from Buffer"})
            EXPECT_EQ(process(name, with_p({1000}, {index})), 1);
        EXPECT_EQ(layer32(), a);
        for (const auto& work : mve::engine().ipl.work) EXPECT_FALSE(work);
    }
}

// A fully opaque buffer merged with Normal over a transparent layer lands as
// it is, its alpha scaled by the opacity: 127 keeps 65280 * 128 >> 8 = 32640
// (high byte 127; 128 would give 32895, high byte 128). 255 is not scaled.
TEST_F(DispatchFrame, MergeFromBufferOpacityTruncates)
{
    canvas(2, 1);
    set_layer({200, 100, 50, 255, 200, 100, 50, 255});
    process("Copy to Buffer", with_p({}, {1}));
    set_layer({0, 0, 0, 0, 0, 0, 0, 0});
    process("Merge from Buffer", with_p({500}, {1, 0}));
    auto px = layer(1);
    EXPECT_EQ(px[0], 200 << 8);
    EXPECT_EQ(px[1], 100 << 8);
    EXPECT_EQ(px[2], 50 << 8);
    EXPECT_EQ(px[3], 32640);
    set_layer({0, 0, 0, 0, 0, 0, 0, 0});
    process("Merge from Buffer", with_p({1000}, {1, 0}));
    px = layer(1);
    EXPECT_EQ(px[3], 65280);
    EXPECT_EQ(px[7], 65280);
}

// Box blur of radius 1 along a 3 x 1 row, three rounds, windows cut at the
// ends: [0 90 180] -> [45 90 135] -> [67 90 112] -> [78 89 101].
TEST_F(DispatchFrame, BuiltinEffectRunsThroughTheFilteredReplace)
{
    canvas(3, 1);
    set_layer({0, 0, 0, 255, 90, 90, 90, 255, 180, 180, 180, 255});
    process("Box Blur");
    const auto out = layer32();
    EXPECT_EQ(out[0], 78);
    EXPECT_EQ(out[4], 89);
    EXPECT_EQ(out[8], 101);
    EXPECT_EQ(out[11], 255);
}

TEST_F(DispatchFrame, SmartBlurIsTheNoiseReduction)
{
    canvas(3, 2);
    const Call c = with_p({600, 400});
    set_layer(ramp3x2());
    process("Noise Reduction", c);
    const auto reduced = layer32();
    set_layer(ramp3x2());
    process("Smart Blur", c);
    EXPECT_EQ(layer32(), reduced);
    EXPECT_NE(reduced, ramp3x2());
}

// hi = trunc(0.5 * 255) = 127, lo = trunc(0.3 * 255) = 76: white gets
// (255 - 255) * 255 / 128 = 0, black 0 * 255 / 76 = 0, grey 100 lies between
// and keeps the cleared value (65535). The layer is not touched.
TEST_F(DispatchFrame, MaskHighLowStartsFromAClearedMask)
{
    canvas(3, 1);
    const std::vector<std::uint8_t> picture = {255, 255, 255, 255, 100, 100, 100, 255, 0, 0, 0, 255};
    set_layer(picture);
    const std::vector<unsigned short> before(3, 1234);
    MVE_SetMaskData16(before.data());
    process("Mask High Low", with_p({500, 300}));
    const auto m = mask();
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[1], 65535);
    EXPECT_EQ(m[2], 0);
    EXPECT_EQ(layer32(), picture);
}

}  // namespace
