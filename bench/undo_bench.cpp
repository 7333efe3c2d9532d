// Undo store throughput: MVE_SaveUndoBuffer and MVE_Undo for a 256 x 256
// dirty rectangle and for a whole 3840 x 2160 canvas, each beside a plain
// memcpy of the same bytes. GB/s counts the pixel and mask bytes moved:
//   save: UnderLayer -> slot and layer -> UnderLayer, 2 x (8 + 2) bytes a pixel;
//   undo: slot -> layer, UnderLayer -> slot, layer -> UnderLayer, 3 x (8 + 2).
#include <cstring>
#include <vector>

#include "bench_util.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "undo/undo_store.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;

void report_bytes(benchmark::State& state, double bytes)
{
    state.counters["GB/s"] =
        benchmark::Counter(bytes * static_cast<double>(state.iterations()) / 1e9, benchmark::Counter::kIsRate);
}

void set_up_canvas(int levels)
{
    MVE_CreateImage(nullptr, kWidth, kHeight, 8, 0);
    MVE_CreateLayer(1, kWidth, kHeight);
    MVE_SetLayer(1);
    MVE_SetUndoLevels(levels);
    MVE_SetUndoMB(4096);
}

void mark(int side)
{
    if (side == 0)
        MVE_InvalidateDirtyUndoCanvas();
    else
        mve::undo_widen_dirty(mve::engine(), 1000, 700, 1000 + side - 1, 700 + side - 1);
}

double pixels_of(int side) { return side == 0 ? double(kWidth) * kHeight : double(side) * side; }

// Arg: rectangle side (0 = whole canvas). Steady state: with 4 levels every
// save lets the oldest step fall off, as in a long session.
void BM_SaveUndoBuffer(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    set_up_canvas(4);
    for (int warm = 0; warm < 5; ++warm) {  // fill the levels: the oldest step falls off from now on
        mark(side);
        MVE_SaveUndoBuffer(1, 1);
    }
    for (auto _ : state) {
        mark(side);
        MVE_SaveUndoBuffer(1, 1);
    }
    report_bytes(state, pixels_of(side) * 20);
    MVE_DeleteImage();
}

// Undo and redo alternate on one step; each is one exchange of the rectangle.
void BM_Undo(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    set_up_canvas(4);
    mark(side);
    MVE_SaveUndoBuffer(1, 1);
    for (auto _ : state) {
        MVE_Undo();
        MVE_Redo();
    }
    state.SetItemsProcessed(state.iterations() * 2);
    report_bytes(state, pixels_of(side) * 30 * 2);
    MVE_DeleteImage();
}

// The same bytes with plain memcpy: rows of 8-byte pixels and of 2-byte mask
// values between canvas-sized planes and a packed block, `copies` times.
void BM_Memcpy(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const int copies = static_cast<int>(state.range(1));
    const int w = side == 0 ? kWidth : side, h = side == 0 ? kHeight : side;
    std::vector<std::uint16_t> plane(std::size_t(kWidth) * kHeight * 4, 1), block(std::size_t(w) * h * 4, 2);
    std::vector<std::uint16_t> mask(std::size_t(kWidth) * kHeight, 3), maskBlock(std::size_t(w) * h, 4);
    for (auto _ : state) {
        for (int c = 0; c < copies; ++c)
            for (int y = 0; y < h; ++y) {
                std::memcpy(&block[std::size_t(y) * w * 4], &plane[(std::size_t(y) * kWidth) * 4], std::size_t(w) * 8);
                std::memcpy(&maskBlock[std::size_t(y) * w], &mask[std::size_t(y) * kWidth], std::size_t(w) * 2);
            }
        benchmark::ClobberMemory();
    }
    report_bytes(state, pixels_of(side) * 10 * copies);
}

}  // namespace

BENCHMARK(BM_SaveUndoBuffer)->Arg(256)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Undo)->Arg(256)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();
// {side, copies}: 2 copies compare with a save, 6 with an undo plus redo.
BENCHMARK(BM_Memcpy)
    ->Args({256, 2})
    ->Args({0, 2})
    ->Args({256, 6})
    ->Args({0, 6})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_MAIN();
