// Pixel transfer on a 3840 x 2160 canvas: RGBA64 layer to RGBA32 and RGBA32
// into the layer (plain and through a Mask), one thread and all cores.
// libvips' shift-and-cast of the same 16-bit plane is measured beside the read-out.
#include <vips/vips.h>

#include <vector>

#include "bench_util.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr double kPixels = static_cast<double>(kWidth) * kHeight;

// One canvas with layer 2 current and a half-selected Mask, built once.
void ensure_canvas()
{
    static bool made = false;
    if (made) return;
    made = true;
    MVE_CreateImage(nullptr, kWidth, kHeight, 16, 0);
    MVE_CreateLayer(1, kWidth, kHeight);
    MVE_CreateLayer(2, kWidth, kHeight);
    MVE_SetLayer(2);
    std::vector<unsigned char> fill(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (std::size_t i = 0; i < fill.size(); ++i) fill[i] = static_cast<unsigned char>(i * 7 + (i >> 12));
    MVE_LoadRGBA32(fill.data(), kWidth * 4, 0);
    // A Mask with every value from blocked to full, so each coverage branch is taken.
    std::uint16_t* mask = mve::engine().mask.plane.begin_write();
    for (std::size_t i = 0; i < mve::engine().mask.plane.size(); ++i)
        mask[i] = static_cast<std::uint16_t>(i * 131);
}

std::vector<unsigned char>& rgba32()
{
    static std::vector<unsigned char> buffer = [] {
        std::vector<unsigned char> b(static_cast<std::size_t>(kWidth) * kHeight * 4);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 13 + (i >> 10));
        return b;
    }();
    return buffer;
}

void BM_GetRGBA32Layer(benchmark::State& state)
{
    ensure_canvas();
    ThreadScope threads(static_cast<int>(state.range(0)));
    std::vector<unsigned char>& out = rgba32();
    for (auto _ : state) {
        MVE_GetRGBA32Layer(out.data(), kWidth * 4, 2);
        benchmark::DoNotOptimize(out.data());
    }
    report_mpixels(state, kPixels);
}

void load(benchmark::State& state, int maskEnabled)
{
    ensure_canvas();
    ThreadScope threads(static_cast<int>(state.range(0)));
    MVE_EnableMask(maskEnabled);
    const std::vector<unsigned char>& in = rgba32();
    for (auto _ : state) {
        MVE_LoadRGBA32Layer(in.data(), kWidth * 4, 2, 0, 0, kWidth, kHeight, 1);
        benchmark::ClobberMemory();
    }
    report_mpixels(state, kPixels);
}

void BM_LoadRGBA32Layer_Unmasked(benchmark::State& state) { load(state, 0); }
void BM_LoadRGBA32Layer_Masked(benchmark::State& state) { load(state, 1); }

// The same read-out with libvips: shift each 16-bit value right by 8, cast
// to bytes, write to memory.
void BM_Vips_RGBA64ToRGBA32(benchmark::State& state)
{
    ensure_canvas();
    static const bool started = VIPS_INIT("transfer_bench") == 0;
    if (!started) {
        state.SkipWithError("vips_init failed");
        return;
    }
    vips_concurrency_set(state.range(0) == 0 ? 0 : static_cast<int>(state.range(0)));
    std::vector<unsigned short> plane(static_cast<std::size_t>(kWidth) * kHeight * 4);
    MVE_GetLayerData(plane.data(), 2);
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(plane.data(), plane.size() * 2, kWidth, kHeight, 4,
                                                   VIPS_FORMAT_USHORT);
        VipsImage *shifted = nullptr, *bytes = nullptr;
        std::size_t size = 0;
        void* out = nullptr;
        if (in && vips_rshift_const1(in, &shifted, 8, nullptr) == 0 &&
            vips_cast_uchar(shifted, &bytes, nullptr) == 0)
            out = vips_image_write_to_memory(bytes, &size);
        benchmark::DoNotOptimize(out);
        g_free(out);
        if (bytes) g_object_unref(bytes);
        if (shifted) g_object_unref(shifted);
        if (in) g_object_unref(in);
    }
    report_mpixels(state, kPixels);
}

}  // namespace

// Argument: engine threads, 1 = single-threaded, 0 = all cores.
BENCHMARK(BM_GetRGBA32Layer)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRGBA32Layer_Unmasked)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRGBA32Layer_Masked)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Vips_RGBA64ToRGBA32)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
