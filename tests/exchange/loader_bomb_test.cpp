// Tiny files that claim huge pictures: every loader refuses them from the
// header, in well under a second and without growing the process by more than
// 100 MB. Each load runs in a forked child, whose peak resident size before
// and after the call gives the memory it cost (a bomb decoded for real would
// touch a gigabyte).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imagelib/compression.h"
#include "morvane/morvane.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Cost {
    bool finished = false;
    double seconds = 0;
    long peakKb = 0;  // growth of the peak resident size during the call
};

long peak_rss_kb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Runs `setup`, then `load` in a child process; the child reports the time
// and peak growth of the load alone.
Cost cost_in_child(const std::function<void()>& setup, const std::function<void()>& load)
{
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        alarm(60);  // a load that hangs ends the child; the parent sees no report
        setup();
        const long before = peak_rss_kb();
        const auto start = std::chrono::steady_clock::now();
        load();
        Cost c;
        c.finished = true;
        c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        c.peakKb = peak_rss_kb() - before;
        const ssize_t n = write(fds[1], &c, sizeof c);
        _exit(n == static_cast<ssize_t>(sizeof c) ? 0 : 1);
    }
    close(fds[1]);
    Cost c;
    if (pid < 0 || read(fds[0], &c, sizeof c) != static_cast<ssize_t>(sizeof c)) c = Cost{};
    close(fds[0]);
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    return c;
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(Bytes& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void chunk(Bytes& png, const char* type, const Bytes& data)
{
    put32(png, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    put32(png, crc32(body.data(), body.size()));
}

Bytes png_start(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colour)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put32(ihdr, width);
    put32(ihdr, height);
    ihdr.insert(ihdr.end(), {depth, colour, 0, 0, 0});
    chunk(png, "IHDR", ihdr);
    return png;
}

// A complete, valid 16384 x 16384 one-bit grey PNG: 33.6 MB of zero rows
// deflate to a few dozen KB, and decode to 1 GB of RGBA.
Bytes png_bomb()
{
    const std::size_t rowBytes = 1 + 16384 / 8, raw = rowBytes * 16384;
    const Bytes zeros(raw, 0);
    Bytes z(raw / 500 + 4096);
    const std::size_t n = mve::z_deflate_buffer(zeros.data(), raw, z.data(), z.size(), 9);
    EXPECT_GT(n, 0u);
    z.resize(n);
    Bytes png = png_start(16384, 16384, 1, 0);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    return png;
}

// 44 bytes: a header, then a chunk claiming 0x7FFFFFFF bytes.
Bytes png_huge_chunk()
{
    Bytes png = png_start(8, 8, 8, 6);
    put32(png, 0x7FFFFFFF);
    png.insert(png.end(), {'z', 'T', 'X', 't', 'a', 'b', 'c'});
    return png;
}

std::string write_file(const std::string& name, const Bytes& bytes)
{
    const std::string path = ::testing::TempDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

Bytes read_file(const std::string& path)
{
    Bytes out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return out;
}

// An 8 x 8 JPEG whose frame header is patched to claim 16384 x 16384.
Bytes jpeg_bomb()
{
    const std::string path = ::testing::TempDir() + "/mve_small.jpg";
    std::vector<unsigned char> rgb(8 * 8 * 3, 128);
    EXPECT_EQ(MVE_WriteToFileRGB24(rgb.data(), 8, 8, path.c_str(), ".jpg", 72), 1);
    Bytes jpg = read_file(path);
    std::remove(path.c_str());
    for (std::size_t i = 0; i + 9 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && (jpg[i + 1] == 0xC0 || jpg[i + 1] == 0xC2)) {
            // FF C0, length (2), precision (1), height (2), width (2).
            jpg[i + 5] = 0x40, jpg[i + 6] = 0x00, jpg[i + 7] = 0x40, jpg[i + 8] = 0x00;
            return jpg;
        }
    ADD_FAILURE() << "no frame header in the written JPEG";
    return jpg;
}

// Every loader the host can hand a file to.
void expect_every_loader_refuses(const std::string& path)
{
    const char* p = path.c_str();
    const std::vector<std::pair<const char*, std::function<void()>>> loaders = {
        {"MVE_LoadImageBrush", [p] { MVE_LoadImageBrush(p); }},
        {"MVE_LoadImageBrushArray", [p] { MVE_LoadImageBrushArray(p); }},
        {"MVE_ReadFromFile", [p] { EXPECT_EQ(MVE_ReadFromFile(p), 0); }},
        {"MVE_ReadFromFileRGBA32",
         [p] {
             std::vector<unsigned char> buffer(64 * 64 * 4);
             EXPECT_EQ(MVE_ReadFromFileRGBA32(buffer.data(), 64, 64, p), 0);
         }},
        {"MVE_SetBrushShape", [p] { MVE_SetBrushShape(p, 0); }},
        {"MVE_SetTool grit", [p] { MVE_SetTool(1.0f, 0, 128, 128, 0, 0, 10, 0, 0, 0, 0, 0, 0, p, nullptr, 0); }},
    };
    for (const auto& [name, load] : loaders) {
        const Cost c = cost_in_child([] { MVE_CreateImage(nullptr, 16, 16, 32, 0); }, load);
        ASSERT_TRUE(c.finished) << name << " did not finish";
        EXPECT_LT(c.seconds, 1.0) << name;
        EXPECT_LT(c.peakKb, 100 * 1024) << name;
    }
}

TEST(LoaderBombs, HugeClaimedPicturesAreRefusedFromTheHeader)
{
    const std::string png = write_file("mve_bomb.png", png_bomb());
    ASSERT_FALSE(png.empty());
    expect_every_loader_refuses(png);
    const std::string jpg = write_file("mve_bomb.jpg", jpeg_bomb());
    ASSERT_FALSE(jpg.empty());
    expect_every_loader_refuses(jpg);
    std::remove(png.c_str());
    std::remove(jpg.c_str());
}

TEST(LoaderBombs, AChunkClaimingTwoGigabytesIsRefused)
{
    const Bytes bytes = png_huge_chunk();
    EXPECT_EQ(bytes.size(), 44u);
    const std::string png = write_file("mve_chunk.png", bytes);
    expect_every_loader_refuses(png);
    std::remove(png.c_str());
}

TEST(LoaderBombs, ALayerBlockInflatesOnlyToTheLayerSize)
{
    // 8 MB of zeros offered to a 16 x 16 layer (1 KB of RGBA32): inflation
    // stops at the layer's size, the block is refused and the layer keeps
    // its pixels.
    const Bytes zeros(8 << 20, 0);
    Bytes z(64 << 10);
    const std::size_t n = mve::z_deflate_buffer(zeros.data(), zeros.size(), z.data(), z.size(), 9);
    ASSERT_GT(n, 0u);
    const auto setup = [] {
        MVE_CreateImage(nullptr, 16, 16, 8, 0);
        if (MVE_CreateLayer(1, 16, 16) != 1) _exit(2);
        MVE_SetLastError("");
    };
    const Cost c = cost_in_child(setup, [&] {
        MVE_LoadRGBA32LayerCompressed(z.data(), 0, static_cast<int>(n), 1);
        if (std::strcmp(MVE_GetLastError(), "LoadRGBA32LayerCompressed Excpt") != 0) _exit(3);
        // Layer 1 starts opaque white and stays so.
        if (MVE_GetRGBAAtLayer(3, 3, 1) != 0xFFFFFFFFu) _exit(4);
        // A block cut to one byte is refused the same way.
        MVE_SetLastError("");
        MVE_LoadRGBA32LayerCompressed(z.data(), 0, 1, 1);
        if (std::strcmp(MVE_GetLastError(), "LoadRGBA32LayerCompressed Excpt") != 0) _exit(5);
    });
    ASSERT_TRUE(c.finished);
    EXPECT_LT(c.seconds, 1.0);
    EXPECT_LT(c.peakKb, 100 * 1024);
}

}  // namespace
