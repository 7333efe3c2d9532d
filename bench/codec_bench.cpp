// Run-length lines and compressed layer blocks, beside zlib level 6 on the
// same data in the same run. Figures are bytes of uncompressed pixels per
// second (RGBA64 rows for the run-length codec, RGBA32 for the blocks).
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench_util.h"
#include "core/rle_codecs.h"
#include "engine/engine.h"
#include "morvane/morvane.h"

namespace {

constexpr int kRowWidth = 3840;
constexpr int kW = 3840, kH = 2160;

// One row of typical paint: flat runs of 20..400 pixels (with low-byte
// jitter that the codec ignores) alternating with noisy stretches where
// every pixel differs.
std::vector<std::uint16_t> paint_row(unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint16_t> row(4 * kRowWidth);
    int x = 0;
    bool flat = true;
    while (x < kRowWidth) {
        const int len = flat ? 20 + static_cast<int>(rng() % 380) : 10 + static_cast<int>(rng() % 90);
        const std::uint16_t base[3] = {static_cast<std::uint16_t>(rng() & 0xFF00),
                                       static_cast<std::uint16_t>(rng() & 0xFF00),
                                       static_cast<std::uint16_t>(rng() & 0xFF00)};
        for (int i = 0; i < len && x < kRowWidth; ++i, ++x) {
            for (int k = 0; k < 3; ++k)
                row[4 * x + k] = flat ? static_cast<std::uint16_t>(base[k] | (rng() & 0xFF))
                                      : static_cast<std::uint16_t>((base[k] + (rng() % 24 << 8)) & 0xFFFF);
            row[4 * x + 3] = 0xFF00;
        }
        flat = !flat;
    }
    return row;
}

void BM_RleEncodeRow(benchmark::State& state)
{
    const auto row = paint_row(7);
    std::vector<std::uint8_t> out(5 * kRowWidth);
    for (auto _ : state) benchmark::DoNotOptimize(mve::rle_encode_rgba(row.data(), out.data(), kRowWidth));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kRowWidth * 8);
    state.counters["bytes_out"] = mve::rle_encode_rgba(row.data(), out.data(), kRowWidth);
}
BENCHMARK(BM_RleEncodeRow);

void BM_RleDecodeRow(benchmark::State& state)
{
    const auto row = paint_row(7);
    std::vector<std::uint8_t> enc(5 * kRowWidth);
    const int n = mve::rle_encode_rgba(row.data(), enc.data(), kRowWidth);
    std::vector<std::uint16_t> out(4 * kRowWidth);
    for (auto _ : state) {
        mve::rle_decode_rgba(enc.data(), static_cast<std::size_t>(n), out.data(), kRowWidth);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kRowWidth * 8);
}
BENCHMARK(BM_RleDecodeRow);

// A 3840 x 2160 painting on layer 1: a banded sky, flat blobs and a strip of
// paper texture (a few levels of noise), so the block sees both long matches
// and literals.
struct Canvas {
    std::vector<std::uint8_t> rgba;  // the layer as RGBA32, for the zlib runs
    Canvas()
    {
        MVE_CreateImage(nullptr, kW, kH, 8, 0);
        MVE_CreateLayer(1, kW, kH);
        MVE_SetLayer(1);
        rgba.resize(static_cast<std::size_t>(kW) * kH * 4);
        std::mt19937 rng(11);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * kW + x) * 4];
                if (y < kH / 3) {
                    p[0] = static_cast<std::uint8_t>(90 + y / 16), p[1] = static_cast<std::uint8_t>(140 + y / 24);
                    p[2] = 230;
                } else if (y < 2 * kH / 3) {
                    const int cell = (x / 97) * 7 + (y / 61) * 3;
                    p[0] = static_cast<std::uint8_t>(cell * 37), p[1] = static_cast<std::uint8_t>(cell * 11);
                    p[2] = static_cast<std::uint8_t>(cell * 53);
                } else {
                    p[0] = static_cast<std::uint8_t>(120 + rng() % 6), p[1] = static_cast<std::uint8_t>(90 + rng() % 6);
                    p[2] = static_cast<std::uint8_t>(60 + rng() % 4);
                }
                p[3] = 255;
            }
        MVE_LoadRGBA32Layer(rgba.data(), kW * 4, 1, 0, 0, kW, kH, 0);
    }
};
Canvas& canvas()
{
    static Canvas c;
    return c;
}

void BM_BlockWrite(benchmark::State& state)
{
    Canvas& c = canvas();
    std::vector<std::uint8_t> out(c.rgba.size() + c.rgba.size() / 8 + 1024);
    const int level = static_cast<int>(state.range(0));
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = MVE_GetRGBA32LayerCompressed(out.data(), 0, static_cast<int>(out.size()), 1, level));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.rgba.size()));
    state.counters["ratio"] = static_cast<double>(c.rgba.size()) / n;
}
BENCHMARK(BM_BlockWrite)->Arg(1)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BlockRead(benchmark::State& state)
{
    Canvas& c = canvas();
    std::vector<std::uint8_t> out(c.rgba.size() + c.rgba.size() / 8 + 1024);
    const int n = MVE_GetRGBA32LayerCompressed(out.data(), 0, static_cast<int>(out.size()), 1, 6);
    for (auto _ : state) MVE_LoadRGBA32LayerCompressed(out.data(), 0, n, 1);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.rgba.size()));
}
BENCHMARK(BM_BlockRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// zlib level 6 on the layer's RGBA32 bytes (compress only, no read-out).
void BM_Zlib6Compress(benchmark::State& state)
{
    Canvas& c = canvas();
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(c.rgba.size())));
    uLongf n = 0;
    for (auto _ : state) {
        n = static_cast<uLongf>(out.size());
        compress2(out.data(), &n, c.rgba.data(), static_cast<uLong>(c.rgba.size()), 6);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.rgba.size()));
    state.counters["ratio"] = static_cast<double>(c.rgba.size()) / n;
}
BENCHMARK(BM_Zlib6Compress)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Zlib6Uncompress(benchmark::State& state)
{
    Canvas& c = canvas();
    std::vector<std::uint8_t> z(compressBound(static_cast<uLong>(c.rgba.size())));
    uLongf zn = static_cast<uLongf>(z.size());
    compress2(z.data(), &zn, c.rgba.data(), static_cast<uLong>(c.rgba.size()), 6);
    std::vector<std::uint8_t> out(c.rgba.size());
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        uncompress(out.data(), &n, z.data(), zn);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.rgba.size()));
}
BENCHMARK(BM_Zlib6Uncompress)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
