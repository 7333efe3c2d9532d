// Recording speed: frames a second for 1920 x 1080 frames written as AVI
// (MJPEG, uncompressed DIB) and animated GIF (whole frames, frame
// differencing), beside ffmpeg encoding the same frames to MJPEG and to GIF
// in the same run (a separate process fed raw RGB24 through a pipe, its
// start-up included, as a host would run it). One iteration is a whole
// recording of kFrames frames of a painting taking shape stroke by stroke;
// the "bytes" counter is the file's size.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "exchange/avi_writer.h"
#include "exchange/gif_writer.h"

namespace {

constexpr int kW = 1920, kH = 1080, kFrames = 24;
constexpr int kMsPerFrame = 100;

// Paper with a soft vertical gradient; each frame adds one round dab stroke.
const std::vector<std::vector<std::uint8_t>>& frames()
{
    static std::vector<std::vector<std::uint8_t>> all = [] {
        std::vector<std::vector<std::uint8_t>> f;
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kW) * kH * 3);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kW + x) * 3];
                p[0] = static_cast<std::uint8_t>(240 - y / 60),
                p[1] = static_cast<std::uint8_t>(232 - y / 50);
                p[2] = static_cast<std::uint8_t>(215 - x / 80);
            }
        f.push_back(rgb);
        for (int k = 1; k < kFrames; ++k) {
            const double y0 = 80 + (k * 37) % 900;
            const std::uint8_t colour[3] = {static_cast<std::uint8_t>(40 + k * 9),
                                            static_cast<std::uint8_t>(200 - k * 7),
                                            static_cast<std::uint8_t>(90 + k * 5)};
            for (int step = 0; step < 60; ++step) {
                const double cx = 100 + step * 28, cy = y0 + 40 * std::sin(step * 0.2 + k),
                             r = 22 + (step % 7);
                for (int y = std::max(0, int(cy - r)); y < std::min(kH, int(cy + r) + 1); ++y)
                    for (int x = std::max(0, int(cx - r)); x < std::min(kW, int(cx + r) + 1); ++x) {
                        const double d = std::hypot(x - cx, y - cy) / r;
                        if (d > 1) continue;
                        std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kW + x) * 3];
                        const double a = 0.85 * (1 - d * d);
                        for (int c = 0; c < 3; ++c)
                            p[c] = static_cast<std::uint8_t>(p[c] + (colour[c] - p[c]) * a);
                    }
            }
            f.push_back(rgb);
        }
        return f;
    }();
    return all;
}

std::string out_path(const char* name)
{
    return "/tmp/mve_output_bench_" + std::to_string(getpid()) + name;
}

double file_bytes(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0;
}

template <class Body>
void timed_recording(benchmark::State& state, const std::string& path, Body&& body)
{
    frames();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["fps"] =
        benchmark::Counter(double(kFrames) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes"] = file_bytes(path);
    std::remove(path.c_str());
}

void avi(benchmark::State& state, mve::exchange::AviCodec codec)
{
    const std::string path = out_path(".avi");
    timed_recording(state, path, [&] {
        mve::exchange::AviWriter w;
        w.open(path, kW, kH, kMsPerFrame, {codec, 90});
        for (const auto& f : frames()) w.write_frame(f.data());
        w.close();
    });
}

void gif(benchmark::State& state, bool differencing)
{
    const std::string path = out_path(".gif");
    timed_recording(state, path, [&] {
        mve::exchange::GifWriter w;
        w.open(path, kW, kH, kMsPerFrame / 10, nullptr, differencing);
        for (const auto& f : frames()) w.write_frame(f.data());
        w.close();
    });
}

void ffmpeg(benchmark::State& state, const std::string& output, const std::string& args)
{
    const std::string path = out_path(output.c_str());
    const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s " + std::to_string(kW) +
                                "x" + std::to_string(kH) + " -r 10 -i - " + args + " " + path;
    timed_recording(state, path, [&] {
        FILE* pipe = popen(command.c_str(), "w");
        if (!pipe) return;
        for (const auto& f : frames()) std::fwrite(f.data(), 1, f.size(), pipe);
        pclose(pipe);
    });
}

void BM_AviMjpeg(benchmark::State& s)
{
    avi(s, mve::exchange::AviCodec::Mjpeg);
}
void BM_AviDib(benchmark::State& s)
{
    avi(s, mve::exchange::AviCodec::Dib);
}
void BM_GifWhole(benchmark::State& s)
{
    gif(s, false);
}
void BM_GifDifferencing(benchmark::State& s)
{
    gif(s, true);
}
// Quality 3 on ffmpeg's scale is about libjpeg's 90.
void BM_FfmpegMjpeg(benchmark::State& s)
{
    ffmpeg(s, ".avi", "-c:v mjpeg -q:v 3");
}
void BM_FfmpegGif(benchmark::State& s)
{
    ffmpeg(s, ".gif", "-f gif");
}

#define RECORDING(fn) \
    BENCHMARK(fn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
RECORDING(BM_AviMjpeg);
RECORDING(BM_FfmpegMjpeg);
RECORDING(BM_AviDib);
RECORDING(BM_GifWhole);
RECORDING(BM_GifDifferencing);
RECORDING(BM_FfmpegGif);

}  // namespace

BENCHMARK_MAIN();
