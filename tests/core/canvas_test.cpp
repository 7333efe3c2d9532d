// Canvas lifecycle, errors, memory functions and the random tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/memory.h"
#include "core/random.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

struct CanvasTest : ::testing::Test {
    void TearDown() override
    {
        test_hooks::fail_allocations_after(-1);
        MVE_DeleteImage();
    }
};

}  // namespace

TEST_F(CanvasTest, SizeClampsFallBackTo100)
{
    MVE_CreateImage(nullptr, -5, 20000, 8, 0);
    EXPECT_EQ(engine().canvas.width, 100);
    EXPECT_EQ(engine().canvas.height, 100);
    // 10000 is accepted; zero stays zero.
    MVE_CreateImage(nullptr, 10000, 0, 8, 0);
    EXPECT_EQ(engine().canvas.width, 10000);
    EXPECT_EQ(engine().canvas.height, 0);
    EXPECT_EQ(engine().canvas.rowBytes32, 40000);
}

TEST_F(CanvasTest, CreationBuildsPlanesAndResetsView)
{
    engine().view.scaleFactor = 4;
    engine().view.offsetX = 7;
    MVE_CreateImage(nullptr, 64, 48, 16, 3);
    const Engine& e = engine();
    EXPECT_EQ(e.canvas.maxBrushSize4, 64);
    EXPECT_EQ(e.canvas.creationOption, 3);
    EXPECT_EQ(e.view.scaleFactor, 1);
    EXPECT_EQ(e.view.offsetX, 0);
    ASSERT_EQ(e.mask.plane.size(), 64u * 48u);
    for (std::size_t i = 0; i < e.mask.plane.size(); ++i) ASSERT_EQ(e.mask.plane[i], 0xFFFF) << i;
    EXPECT_EQ(e.mask.enabled, 1);
    EXPECT_EQ(e.mask.strideBytes, 128);
    // Usage counts the UnderLayer: 64 * 48 * 10 / 1024 = 30 (integer division).
    EXPECT_EQ(e.undo.usageKB, 30);
    // Grit patterns are (16 + 25)^2 bytes, the brush shape 16^2 values.
    for (const auto& grit : e.paint.gritPatterns) EXPECT_EQ(grit.size(), 41u * 41u);
    EXPECT_EQ(e.paint.brushShape.size(), 256u);
    EXPECT_EQ(e.blend.count, 1);
    EXPECT_EQ(e.blend.records[0].stride, 64);
    EXPECT_EQ(e.undo.under.pixels.size(), 64u * 48u * 4u);
    EXPECT_EQ(e.random.toolA.length, kToolTableLength);
    EXPECT_EQ(e.random.toolA.modulus, 255);
    EXPECT_EQ(e.random.toolB.modulus, 254);
    EXPECT_EQ(e.layers.current, nullptr);
}

TEST_F(CanvasTest, NewSizeKeepsLayerBuffersAndDropsPaintLayer)
{
    MVE_CreateImage(nullptr, 8, 6, 4, 0);
    ASSERT_EQ(MVE_CreateLayer(2, 8, 6), 1);
    MVE_CreatePaintLayer(100, 100, "Normal");
    const std::uint16_t* before = engine().layers.table[2].pixels.data();
    MVE_NewSize(nullptr, 20, 10, 4, 0);
    const LayerRecord& layer = engine().layers.table[2];
    EXPECT_EQ(layer.pixels.data(), before);
    EXPECT_EQ(layer.width, 8);
    EXPECT_EQ(layer.height, 6);
    EXPECT_FALSE(engine().layers.paint.present());
    EXPECT_EQ(engine().mask.plane.size(), 200u);
    EXPECT_EQ(engine().undo.under.mask.size(), 200u);
    EXPECT_EQ(engine().blend.count, 1);
}

TEST_F(CanvasTest, DeleteImageFreesEveryLayer)
{
    MVE_CreateImage(nullptr, 4, 4, 4, 0);
    MVE_CreateLayer(0, 4, 4);
    MVE_CreateLayer(1, 4, 4);
    MVE_CreateLayer(271, 4, 4);
    EXPECT_EQ(MVE_GetLayerCount(), 3);
    MVE_DeleteImage();
    EXPECT_EQ(MVE_GetLayerCount(), 0);
    EXPECT_FALSE(engine().mask.plane);
    EXPECT_FALSE(engine().undo.under.pixels);
    EXPECT_EQ(engine().blend.count, 0);
}

TEST_F(CanvasTest, AllocationFailureStopsCreationWithItsText)
{
    MVE_SetLastError("");
    // The grit patterns come first; let three succeed and the fourth fail.
    test_hooks::fail_allocations_after(3);
    MVE_CreateImage(nullptr, 16, 16, 8, 0);
    test_hooks::fail_allocations_after(-1);
    EXPECT_STREQ(MVE_GetLastError(), "CreateImage Excpt");
    // It stopped at that step: the Mask was never allocated.
    EXPECT_FALSE(engine().mask.plane);

    MVE_SetLastError("");
    MVE_CreateImage(nullptr, 16, 16, 8, 0);
    test_hooks::fail_allocations_after(0);
    EXPECT_EQ(MVE_CreateLayer(3, 16, 16), 0);
    EXPECT_STREQ(MVE_GetLastError(), "CreateLayer Excpt");
    EXPECT_FALSE(engine().layers.table[3].present());

    test_hooks::fail_allocations_after(0);
    MVE_NewSize(nullptr, 8, 8, 8, 0);
    EXPECT_STREQ(MVE_GetLastError(), "NewSize Excpt");
}

TEST_F(CanvasTest, LastErrorKeepsAtMost511Characters)
{
    const std::string text(600, 'x');
    MVE_SetLastError(text.c_str());
    EXPECT_EQ(std::strlen(MVE_GetLastError()), 511u);
    MVE_SetLastError("short");
    EXPECT_STREQ(MVE_GetLastError(), "short");
}

TEST(MemoryTest, FloorGoesOneLowerForNegatives)
{
    EXPECT_EQ(MVE_Floor(2.7f), 2.0f);
    EXPECT_EQ(MVE_Floor(0.0f), 0.0f);
    EXPECT_EQ(MVE_Floor(-2.5f), -3.0f);
    EXPECT_EQ(MVE_Floor(-2.0f), -3.0f);
}

TEST(MemoryTest, AllocMemcpyAndFree)
{
    auto* a = static_cast<unsigned char*>(MVE_Alloc(16));
    auto* b = static_cast<unsigned char*>(MVE_Alloc(16));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    std::memset(a, 0x5A, 16);
    std::memset(b, 0, 16);
    MVE_Memcpy(b, a, 16);
    EXPECT_EQ(b[15], 0x5A);
    MVE_Memcpy(nullptr, a, 16);  // ignored, no crash
    MVE_Memcpy(b, nullptr, 16);
    MVE_Free(a);
    MVE_Free(b);
    MVE_Free(nullptr);
    int x = 0;
    EXPECT_EQ(BankAdrs(&x), &x);
}

TEST(MemoryTest, UndoReducingAllocationFailsWithoutHistory)
{
    MVE_CreateImage(nullptr, 4, 4, 4, 0);
    test_hooks::fail_allocations_after(0);
    EXPECT_EQ(alloc_bytes_undo_reducing(100), nullptr);
    EXPECT_EQ(alloc_shorts_undo_reducing(100), nullptr);
    EXPECT_EQ(MVE_Alloc(100), nullptr);
    test_hooks::fail_allocations_after(-1);
    // A negative count is an impossible request.
    EXPECT_EQ(alloc_shorts_undo_reducing(-1), nullptr);
    MVE_DeleteImage();
}

TEST(RandomTest, GeneratorFollowsTheCrtSequence)
{
    // state = state * 214013 + 2531011, result = bits 16..30.
    // Seed 1: 1 * 214013 + 2531011 = 2745024, >> 16 = 41.
    // Next: 2745024 * 214013 + 2531011 = 587473352323, mod 2^32 = 3357800067, bits 16..30 = 18467.
    CrtRandom r;
    r.seed(1);
    EXPECT_EQ(r.next(), 41);
    EXPECT_EQ(r.next(), 18467);
    EXPECT_EQ(r.next(), 6334);
    EXPECT_EQ(r.next(), 26500);
    // Seed 0: 2531011 >> 16 = 38.
    r.seed(0);
    EXPECT_EQ(r.next(), 38);
    // Results never use bit 31 of the state.
    r.seed(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) ASSERT_LE(r.next(), 32767);
}

TEST(RandomTest, TablesRefillOnlyWhenSomethingChanged)
{
    RandomByteTable table;
    ASSERT_TRUE(fill_random_table(table, 255, 64, 1));
    // Byte 0 = 41 % 255, byte 1 = 18467 % 255 = 107.
    EXPECT_EQ(table.data[0], 41);
    EXPECT_EQ(table.data[1], 107);
    const std::uint8_t* data = table.data.data();
    ASSERT_TRUE(fill_random_table(table, 255, 64, 1));
    EXPECT_EQ(table.data.data(), data);  // same seed, modulus and length: untouched

    RandomByteTable again;
    ASSERT_TRUE(fill_random_table(again, 255, 64, 1));
    EXPECT_EQ(std::memcmp(again.data.data(), table.data.data(), 64), 0);

    ASSERT_TRUE(fill_random_table(table, 255, 64, 2));
    EXPECT_EQ(table.seed, 2u);
    EXPECT_NE(std::memcmp(again.data.data(), table.data.data(), 64), 0);
}

TEST(RandomTest, FailedFillLeavesTableUnrecorded)
{
    RandomByteTable table;
    MVE_SetLastError("");
    test_hooks::fail_allocations_after(0);
    EXPECT_FALSE(fill_random_table(table, 1000, 30, 5));
    test_hooks::fail_allocations_after(-1);
    EXPECT_STREQ(MVE_GetLastError(), "MakeRandArrayByte Excpt");
    EXPECT_EQ(table.length, 0);
    EXPECT_EQ(table.modulus, 0);
    EXPECT_FALSE(table.data);
}

TEST_F(CanvasTest, VariationAmountsFillTheirTables)
{
    MVE_CreateImage(nullptr, 8, 8, 10, 0);
    // Amounts of 0 or below leave whatever table there is (none, or an earlier one) alone.
    const std::uint8_t* before = engine().random.colourVariation.data.data();
    EXPECT_EQ(MVE_SetPixColorVary(0), 0);
    EXPECT_EQ(MVE_SetPixColorVary(-3), -3);
    EXPECT_EQ(engine().random.colourVariation.data.data(), before);
    // Length = maximum brush size * 3.
    EXPECT_EQ(MVE_SetPixColorVary(5), 30);
    EXPECT_EQ(engine().random.colourVariation.modulus, 1000);
    EXPECT_EQ(MVE_SetPixLumVary(2), 30);
    EXPECT_EQ(engine().random.lumVariation.modulus, 256);
    EXPECT_EQ(engine().random.lumVaryAmount, 2);
}
