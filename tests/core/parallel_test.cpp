// The row loops and the thread-count setting: every row runs once, small
// loops stay on the calling thread, the host and MVE_THREADS choose the
// count, and a dab, a view render and "Box Blur" give the same bytes on 1, 2
// and 7 threads.
#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "core/parallel.h"
#include "ipl/effect_runner.h"
#include "morvane/morvane.h"
#include "support/worker_threads.h"

namespace mve {
namespace {

int cores()
{
    cpu_set_t set;
    sched_getaffinity(0, sizeof set, &set);
    return CPU_COUNT(&set);
}

TEST(RowLoops, EveryRowRunsOnceAndSmallLoopsStayOnTheCaller)
{
    {
        WorkerThreads threads(7);
        std::vector<std::atomic<int>> runs(1000);
        for_each_row(0, 1000, 5.0, [&](int y) { runs[y].fetch_add(1); });
        for (int y = 0; y < 1000; ++y) ASSERT_EQ(runs[y].load(), 1) << "row " << y;
    }
    // With the real chunk size, 10 rows of 3 us (30 us in all) are one
    // chunk, and a loop that states no cost never leaves the caller.
    WorkerThreads threads(7, kChunkNs);
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> elsewhere = 0;
    for_each_row(0, 10, 3000.0, [&](int) { elsewhere += std::this_thread::get_id() != caller; });
    for_each_row(0, 100000, 0.0, [&](int) { elsewhere += std::this_thread::get_id() != caller; });
    EXPECT_EQ(elsewhere.load(), 0);
}

TEST(ThreadCount, HostAndEnvironmentChooseIt)
{
    const int saved = thread_count();
    EXPECT_EQ(MVE_SetThreadCount(3), 3);
    EXPECT_EQ(MVE_GetThreadCount(), 3);
    EXPECT_EQ(MVE_SetThreadCount(0), cores());
    EXPECT_EQ(MVE_SetThreadCount(-4), cores());
    // MVE_THREADS is read when the count is first needed; forgetting the
    // count makes the next loop start over as a new process would.
    setenv("MVE_THREADS", "5", 1);
    parallel_settings().threads = 0;
    EXPECT_EQ(MVE_GetThreadCount(), 5);
    EXPECT_EQ(MVE_SetThreadCount(2), 2);  // the host's choice overrides it
    setenv("MVE_THREADS", "5 threads", 1);
    parallel_settings().threads = 0;
    EXPECT_EQ(MVE_GetThreadCount(), cores());
    unsetenv("MVE_THREADS");
    set_thread_count(saved);
}

// Seeded 16-bit values for layer planes.
std::vector<std::uint16_t> noise_plane(int w, int h, std::uint32_t seed, bool opaque)
{
    std::vector<std::uint16_t> plane(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < plane.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        plane[i] = static_cast<std::uint16_t>(seed >> 16);
        if (opaque && i % 4 == 3) plane[i] = 65535;
    }
    return plane;
}

// A soft 56-pixel dab with per-pixel colour and luminance variation on a
// noisy layer of a 64 x 64 canvas; the layer's pixels after it.
std::vector<std::uint16_t> dab_pixels()
{
    constexpr int S = 64;
    MVE_SetPixColorVary(0);
    MVE_SetPixLumVary(0);
    MVE_CreateImage(nullptr, S, S, S, 0);
    MVE_CreateLayer(2, S, S);
    std::vector<std::uint16_t> plane = noise_plane(S, S, 3, true);
    MVE_SetLayerData(plane.data(), 2);
    MVE_SetLayer(2);
    MVE_SetColor(40, 90, 200);
    MVE_SetMixMode(32, 128);
    MVE_SetAlpha(100);
    MVE_SetDensity(200);
    MVE_SetSize(56);
    MVE_SetTool(1.0f, 0, 110, 210, 128, 0, 12, 0, 0, 0, 0, 0, 0, "", "", 0);
    MVE_SetRandomSeed(11);  // the variation tables are drawn from the generator too
    MVE_SetPixColorVary(30);
    MVE_SetPixLumVary(40);
    MVE_DrawDabGrit(32, 30, 0x8000, 0x4000, 0x2000);
    MVE_GetLayerData(plane.data(), 2);
    MVE_DeleteImage();
    return plane;
}

// Three noisy layers (Normal, Multiply, "Alpha Normal") over an opaque one,
// rendered 1:1 and reduced.
std::vector<unsigned char> render_bytes()
{
    constexpr int W = 80, H = 60;
    MVE_CreateImage(nullptr, W, H, 16, 0);
    const char* modes[] = {"Normal", "Normal", "Multiply", "Alpha Normal"};
    for (int k = 1; k <= 4; ++k) {
        MVE_CreateLayer(k, W, H);
        const std::vector<std::uint16_t> plane = noise_plane(W, H, 100 + k, k == 1);
        MVE_SetLayerData(plane.data(), k);
        MVE_SetLayerOptions(k, 1, 0, 90, modes[k - 1]);
    }
    MVE_SetLayer(3);
    MVE_SetViewSize(W, H);
    std::vector<unsigned char> out(static_cast<std::size_t>(W) * H * 3 * 2);
    MVE_SetScale(1, 1.0f);
    MVE_Render(out.data(), W * 3, 0, 0, W, H);
    MVE_SetScale(1, 1.5f);
    MVE_Render(out.data() + out.size() / 2, W * 3, 0, 0, W, H);
    MVE_DeleteImage();
    return out;
}

// A noisy 640 x 64 RGBA32 picture.
std::vector<std::uint8_t> noise_picture()
{
    std::vector<std::uint8_t> px(640 * 64 * 4);
    std::uint32_t s = 7;
    for (std::uint8_t& b : px) b = static_cast<std::uint8_t>((s = s * 1664525u + 1013904223u) >> 24);
    return px;
}

// "Box Blur" of radius 5 (P1 = 0.04) over the noisy picture.
std::vector<std::uint8_t> box_blur_bytes()
{
    std::vector<std::uint8_t> src = noise_picture(), dst(src.size());
    ipl::EffectArgs a;
    a.p[0] = 40;
    EXPECT_TRUE(ipl::run_named_effect_on("Box Blur", src.data(), dst.data(), 640, 64, 0, a));
    return dst;
}

TEST(ThreadCount, DabRenderAndBoxBlurGiveTheSameBytesOnOneTwoOrSevenThreads)
{
    std::vector<std::uint16_t> dab[3];
    std::vector<unsigned char> view[3];
    std::vector<std::uint8_t> blur[3];
    const int counts[] = {1, 2, 7};
    // Brush state left by earlier tests reaches the first dab of the
    // process; one dab beforehand makes every run below start alike.
    dab_pixels();
    for (int i = 0; i < 3; ++i) {
        WorkerThreads threads(counts[i]);
        ASSERT_EQ(MVE_GetThreadCount(), counts[i]);
        dab[i] = dab_pixels();
        view[i] = render_bytes();
        blur[i] = box_blur_bytes();
    }
    // Each result did something: the dab and the blur changed their input.
    EXPECT_NE(dab[0], noise_plane(64, 64, 3, true));
    EXPECT_NE(blur[0], noise_picture());
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(dab[i], dab[0]) << counts[i] << " threads";
        EXPECT_EQ(view[i], view[0]) << counts[i] << " threads";
        EXPECT_EQ(blur[i], blur[0]) << counts[i] << " threads";
    }
}

}  // namespace
}  // namespace mve
