// The unit-test reset puts every piece of mutable state back: the runtime
// record (fast paths, generator, threads, codec options, failure injection) and the
// engine record (layers, brush, effect block, platform, image scripts).
#include <gtest/gtest.h>

#include "core/parallel.h"
#include "core/runtime.h"
#include "engine/engine.h"
#include "imagelib/transforms.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"

namespace mve {
namespace {

TEST(EngineReset, BringsRuntimeAndEngineRecordsBackToTheirStart)
{
    // The first values of the generator from its start state (seed 1):
    // 1 * 214013 + 2531011 = 2745024, bits 16..30 = 41; the next is 18467.
    reset_engine();
    EXPECT_EQ(crt_rand(), 41);
    EXPECT_EQ(crt_rand(), 18467);

    set_fast_paths(false);
    set_thread_count(3);
    il::set_jpg_dct(3);
    il::set_jpg_smoothing(40);
    crt_srand(12345);
    engine().ipl.effectBlock.width = 77;
    engine().platform.hiddenWindow.exists = false;
    engine().imageScripts.fileReads = 9;
    il::add_offset_transform(4, 4, 1.0, 0.0, 0);
    ASSERT_EQ(il::transform_count(), 1);
    MVE_CreateImage(nullptr, 4, 4, 8, 0);
    ASSERT_EQ(MVE_CreateLayer(2, 4, 4), 1);
    runtime().allocationsBeforeFailure.store(5);

    reset_engine();

    EXPECT_EQ(fast_paths_enabled(), fast_paths_from_environment());
    EXPECT_EQ(parallel_settings().threads, 0);  // chosen again by the next loop
    EXPECT_EQ(runtime().jpeg.dct, 1);
    EXPECT_EQ(runtime().jpeg.smoothing, 0);
    EXPECT_EQ(runtime().allocationsBeforeFailure.load(), -1);
    EXPECT_EQ(crt_rand(), 41);
    EXPECT_NE(runtime().reclaimMemory, nullptr);
    EXPECT_EQ(engine().ipl.effectBlock.width, 0);
    EXPECT_TRUE(engine().platform.hiddenWindow.exists);
    EXPECT_EQ(engine().imageScripts.fileReads, 0);
    EXPECT_EQ(il::transform_count(), 0);
    EXPECT_EQ(engine().canvas.width, 0);
    EXPECT_FALSE(engine().layers.table[2].present());
    EXPECT_FALSE(engine().mask.plane);
}

}  // namespace
}  // namespace mve
