// Reading and writing a 3840x2160 picture as PNG (RGBA, default compression)
// and JPEG (quality 90) on one thread, beside libvips and ImageMagick in the
// same run. The engine is measured twice: the codec on memory (what the
// image-library layer does) and the whole export on a file (reading into the
// staging image; writing through the temporary, flushed to disk, and rename).
// Every peer reads and writes files in /tmp; bytes_out is the file size.
#include <unistd.h>
#include <vips/vips.h>
#include <wand/MagickWand.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "imagelib/library.h"
#include "imagelib/reading.h"
#include "imagelib/sources.h"
#include "imagelib/writing.h"
#include "morvane/morvane.h"

namespace {

constexpr int kW = 3840, kH = 2160;
constexpr int kJpegQuality = 90;

const std::vector<unsigned char>& picture()
{
    static const std::vector<unsigned char> rgba = photo_like_picture(kW, kH, 11);
    return rgba;
}

std::vector<unsigned char> rgb_picture()
{
    const auto& p = picture();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kW) * kH * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(kW) * kH; i < n; ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = p[i * 4 + c];
    return rgb;
}

std::string temp(const char* name)
{
    return "/tmp/mve_files_bench_" + std::to_string(getpid()) + "_" + name;
}

long file_size(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
}

// CPU time of the whole process (every thread): libvips decodes on a worker
// thread of its own, which the per-thread CPU column does not see, and on a
// busy machine real time mostly measures the queue for the cores.
double process_cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void report_process_cpu(benchmark::State& state, double start)
{
    const double perRun = (process_cpu_seconds() - start) / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["process_cpu_ms"] = perRun * 1000;
}

void one_thread()
{
    static const bool once = [] {
        vips_init("files_bench");
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        MagickWandGenesis();
        SetMagickResourceLimit(ThreadResource, 1);
        mve::il::initialize();
        return true;
    }();
    (void)once;
}

// Files every reader reads: written once by the engine.
const std::string& input(bool png)
{
    static const std::string pngPath = [] {
        const std::string p = temp("in.png");
        MVE_WriteToFileRGBA32(picture().data(), kW, kH, p.c_str(), ".png", 72);
        return p;
    }();
    static const std::string jpgPath = [] {
        const std::string p = temp("in.jpg");
        MVE_SetWriteJPGQuality(kJpegQuality);
        MVE_WriteToFileRGB24(rgb_picture().data(), kW, kH, p.c_str(), ".jpg", 72);
        MVE_SetWriteJPGQuality(0);
        return p;
    }();
    return png ? pngPath : jpgPath;
}

// ---- writing ----

void BM_WriteMorvaneCodec(benchmark::State& state, bool png)
{
    one_thread();
    ThreadScope threads(1);
    const auto rgb = rgb_picture();
    std::size_t bytes = 0;
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        mve::il::ImageDest* d = mve::il::open_memory_dest();
        const int ok = png ? mve::il::write_png(d, picture().data(), kW, kH, kW * 4, 8, 6, 2834, 2834, 1)
                           : mve::il::write_jpg(d, rgb.data(), kW, kH, kW * 3, kJpegQuality, 24, 72, 72, 1);
        if (!ok) state.SkipWithError("write failed");
        bytes = d->bytes.size();
        mve::il::close_dest(d);
    }
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
    state.counters["bytes_out"] = static_cast<double>(bytes);
}

void BM_WriteMorvaneExport(benchmark::State& state, bool png)
{
    one_thread();
    ThreadScope threads(1);
    const auto rgb = rgb_picture();
    const std::string path = temp(png ? "out.png" : "out.jpg");
    MVE_SetWriteJPGQuality(kJpegQuality);
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        const int ok = png ? MVE_WriteToFileRGBA32(picture().data(), kW, kH, path.c_str(), ".png", 72)
                           : MVE_WriteToFileRGB24(rgb.data(), kW, kH, path.c_str(), ".jpg", 72);
        if (!ok) state.SkipWithError("write failed");
    }
    MVE_SetWriteJPGQuality(0);
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
    state.counters["bytes_out"] = static_cast<double>(file_size(path));
    std::remove(path.c_str());
}

void BM_WriteVips(benchmark::State& state, bool png)
{
    one_thread();
    const auto rgb = rgb_picture();
    const std::string path = temp(png ? "vips.png" : "vips.jpg");
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        VipsImage* im =
            png ? vips_image_new_from_memory(picture().data(), picture().size(), kW, kH, 4, VIPS_FORMAT_UCHAR)
                : vips_image_new_from_memory(rgb.data(), rgb.size(), kW, kH, 3, VIPS_FORMAT_UCHAR);
        const int rc = png ? vips_image_write_to_file(im, path.c_str(), nullptr)
                           : vips_image_write_to_file(im, path.c_str(), "Q", kJpegQuality, nullptr);
        g_object_unref(im);
        if (rc != 0) state.SkipWithError("vips write failed");
    }
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
    state.counters["bytes_out"] = static_cast<double>(file_size(path));
    std::remove(path.c_str());
}

void BM_WriteMagick(benchmark::State& state, bool png)
{
    one_thread();
    const auto rgb = rgb_picture();
    const std::string path = temp(png ? "magick.png" : "magick.jpg");
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        MagickWand* w = NewMagickWand();
        const bool ok = png ? MagickConstituteImage(w, kW, kH, "RGBA", CharPixel, picture().data())
                            : MagickConstituteImage(w, kW, kH, "RGB", CharPixel, rgb.data());
        if (!png) MagickSetImageCompressionQuality(w, kJpegQuality);
        if (!ok || !MagickWriteImage(w, path.c_str())) state.SkipWithError("magick write failed");
        DestroyMagickWand(w);
    }
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
    state.counters["bytes_out"] = static_cast<double>(file_size(path));
    std::remove(path.c_str());
}

// ---- reading ----

void BM_ReadMorvaneCodec(benchmark::State& state, bool png)
{
    one_thread();
    ThreadScope threads(1);
    mve::il::ImageSource* s = mve::il::open_file_source(input(png).c_str());
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        int w = 0, h = 0;
        std::uint8_t* px = png ? mve::il::decode_png(s->bytes.data(), s->bytes.size(), &w, &h)
                               : mve::il::decode_jpeg(s->bytes.data(), s->bytes.size(), &w, &h);
        if (!px) state.SkipWithError("decode failed");
        mve::il::release_block(px);
    }
    mve::il::close_source(s);
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_ReadMorvaneExport(benchmark::State& state, bool png)
{
    one_thread();
    ThreadScope threads(1);
    const std::string& path = input(png);
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state)
        if (!MVE_ReadFromFile(path.c_str())) state.SkipWithError("read failed");
    MVE_DeleteNewRGBA();
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_ReadVips(benchmark::State& state, bool png)
{
    one_thread();
    const std::string& path = input(png);
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        // libvips decodes lazily: ask for the pixels so the whole picture is decoded.
        VipsImage* im = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
        std::size_t n = 0;
        void* mem = im ? vips_image_write_to_memory(im, &n) : nullptr;
        if (!mem) state.SkipWithError("vips read failed");
        g_free(mem);
        if (im) g_object_unref(im);
    }
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

void BM_ReadMagick(benchmark::State& state, bool png)
{
    one_thread();
    const std::string& path = input(png);
    std::vector<unsigned char> out(static_cast<std::size_t>(kW) * kH * 4);
    const double cpuStart = process_cpu_seconds();
    for (auto _ : state) {
        MagickWand* w = NewMagickWand();
        if (!MagickReadImage(w, path.c_str()) ||
            !MagickExportImagePixels(w, 0, 0, kW, kH, "RGBA", CharPixel, out.data()))
            state.SkipWithError("magick read failed");
        DestroyMagickWand(w);
    }
    report_process_cpu(state, cpuStart);
    report_mpixels(state, static_cast<double>(kW) * kH);
}

#define FILES_BENCH(fn)                                                             \
    BENCHMARK_CAPTURE(fn, png, true)->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK_CAPTURE(fn, jpeg, false)->Unit(benchmark::kMillisecond)->UseRealTime()

FILES_BENCH(BM_ReadMorvaneCodec);
FILES_BENCH(BM_ReadMorvaneExport);
FILES_BENCH(BM_ReadVips);
FILES_BENCH(BM_ReadMagick);
FILES_BENCH(BM_WriteMorvaneCodec);
FILES_BENCH(BM_WriteMorvaneExport);
FILES_BENCH(BM_WriteVips);
FILES_BENCH(BM_WriteMagick);

}  // namespace
BENCHMARK_MAIN();
