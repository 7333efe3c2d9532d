// The AVI writer read back by a small RIFF walker of the test's own, and by
// ffprobe / ffmpeg from outside.
#include "exchange/avi_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/run_command.h"

namespace {

using namespace mve::exchange;
using mve::test::run_command;

std::string temp_path(const char* name)
{
    return ::testing::TempDir() + "mve_avi_" + std::to_string(getpid()) + "_" + name;
}

std::vector<std::uint8_t> read_all(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}
std::string code(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::string(b.begin() + at, b.begin() + at + 4);
}

// Every chunk of the file by its code (lists are entered), with its offset.
struct Chunk {
    std::string id;
    std::size_t offset;  // of the chunk header
    std::uint32_t size;
};
void walk(const std::vector<std::uint8_t>& b, std::size_t begin, std::size_t end, std::vector<Chunk>& out)
{
    std::size_t at = begin;
    while (at + 8 <= end) {
        const std::string id = code(b, at);
        const std::uint32_t size = le32(b, at + 4);
        out.push_back({id, at, size});
        if (id == "RIFF" || id == "LIST") walk(b, at + 12, std::min<std::size_t>(end, at + 8 + size), out);
        at += 8 + size + (size & 1);
    }
}
std::vector<Chunk> chunks(const std::vector<std::uint8_t>& b)
{
    std::vector<Chunk> out;
    walk(b, 0, b.size(), out);
    return out;
}
std::size_t count(const std::vector<Chunk>& cs, const std::string& id)
{
    std::size_t n = 0;
    for (const Chunk& c : cs) n += c.id == id;
    return n;
}
const Chunk* find(const std::vector<Chunk>& cs, const std::string& id)
{
    for (const Chunk& c : cs)
        if (c.id == id) return &c;
    return nullptr;
}

// What ffprobe counts: "fields" of the video stream, frames read to the end.
std::string probe(const std::string& path, const std::string& fields)
{
    return run_command("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=" + fields +
                       " -of csv=p=0 " + path);
}

// Every frame ffmpeg decodes, as packed RGB24 one after the other.
std::vector<std::uint8_t> decode_all(const std::string& path)
{
    const std::string raw = path + ".rgb";
    if (run_command("ffmpeg -v error -y -i " + path + " -f rawvideo -pix_fmt rgb24 " + raw + "; echo $?") !=
        "0")
        return {};
    return read_all(raw);
}

// A 3 x 2 frame whose pixels say where they are: R = 10 x + frame, G = 100 + y, B = 200.
std::vector<std::uint8_t> small_frame(int frame)
{
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            rgb.insert(rgb.end(), {std::uint8_t(10 * x + frame), std::uint8_t(100 + y), 200});
    return rgb;
}

struct AviWriterTest : ::testing::Test {
    void TearDown() override
    {
        set_output_capacity_for_testing(-1);
        set_avi_riff_limit_for_testing(0);
    }
};

TEST_F(AviWriterTest, HeadersIndexAndDibRowsOfASmallFile)
{
    const std::string path = temp_path("dib.avi");
    AviWriter avi;
    ASSERT_TRUE(avi.open(path, 3, 2, 100, {AviCodec::Dib, 90}));
    for (int f = 0; f < 3; ++f) ASSERT_TRUE(avi.write_frame(small_frame(f).data()));
    ASSERT_TRUE(avi.close());

    const auto b = read_all(path);
    const auto cs = chunks(b);
    ASSERT_EQ(code(b, 0), "RIFF");
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    const Chunk* avih = find(cs, "avih");
    ASSERT_TRUE(avih);
    EXPECT_EQ(le32(b, avih->offset + 8), 100000u);  // microseconds a frame
    EXPECT_EQ(le32(b, avih->offset + 8 + 16), 3u);  // total frames
    EXPECT_EQ(le32(b, avih->offset + 8 + 32), 3u);  // width
    EXPECT_EQ(le32(b, avih->offset + 8 + 36), 2u);  // height
    const Chunk* strh = find(cs, "strh");
    ASSERT_TRUE(strh);
    EXPECT_EQ(code(b, strh->offset + 8), "vids");
    EXPECT_EQ(le32(b, strh->offset + 8 + 20), 100u);   // scale
    EXPECT_EQ(le32(b, strh->offset + 8 + 24), 1000u);  // rate
    EXPECT_EQ(le32(b, strh->offset + 8 + 32), 3u);     // length
    // A 3-pixel BGR row is 9 bytes, padded to 12; two rows.
    ASSERT_EQ(count(cs, "00db"), 3u);
    const Chunk* frame0 = find(cs, "00db");
    ASSERT_EQ(frame0->size, 24u);
    // Bottom-up: the file's first row is y = 1 (G 101); B, G, R per pixel.
    const std::uint8_t* px = &b[frame0->offset + 8];
    const std::uint8_t expected[24] = {200, 101, 0, 200, 101, 10, 200, 101, 20, 0, 0, 0,
                                       200, 100, 0, 200, 100, 10, 200, 100, 20, 0, 0, 0};
    EXPECT_EQ(std::memcmp(px, expected, 24), 0);
    // idx1: three key-frame entries pointing at the frame chunks.
    const Chunk* idx1 = find(cs, "idx1");
    const Chunk* movi = nullptr;
    for (const Chunk& c : cs)
        if (c.id == "LIST" && code(b, c.offset + 8) == "movi") movi = &c;
    ASSERT_TRUE(idx1 && movi);
    ASSERT_EQ(idx1->size, 48u);
    for (int i = 0; i < 3; ++i) {
        const std::size_t e = idx1->offset + 8 + 16 * i;
        EXPECT_EQ(code(b, e), "00db");
        EXPECT_EQ(le32(b, e + 4), 0x10u);
        EXPECT_EQ(code(b, movi->offset + 8 + le32(b, e + 8)), "00db");
        EXPECT_EQ(le32(b, e + 12), 24u);
    }
    EXPECT_EQ(count(cs, "indx"), 0u);  // a small file stays AVI 1.0
}

TEST_F(AviWriterTest, FfprobeReadsRateFramesAndSizeAndFfmpegDecodesDibExactly)
{
    const std::string path = temp_path("probe.avi");
    AviWriter avi;
    ASSERT_TRUE(avi.open(path, 3, 2, 40, {AviCodec::Dib, 90}));
    for (int f = 0; f < 5; ++f) ASSERT_TRUE(avi.write_frame(small_frame(f).data()));
    ASSERT_TRUE(avi.close());
    // 40 ms a frame: 1000 / 40 = 25 frames a second.
    EXPECT_EQ(probe(path, "width,height,r_frame_rate,nb_read_frames"), "3,2,25/1,5");
    const auto decoded = decode_all(path);
    ASSERT_EQ(decoded.size(), 5u * 18);
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(std::vector<std::uint8_t>(decoded.begin() + f * 18, decoded.begin() + (f + 1) * 18),
                  small_frame(f));
}

TEST_F(AviWriterTest, MjpegFramesDecodeWithinJpegTolerance)
{
    const std::string path = temp_path("mjpeg.avi");
    // 64 x 48: four flat quadrants, which JPEG keeps close.
    std::vector<std::uint8_t> rgb(64 * 48 * 3);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = &rgb[(y * 64 + x) * 3];
            p[0] = x < 32 ? 200 : 40, p[1] = y < 24 ? 180 : 60, p[2] = 90;
        }
    AviWriter avi;
    ASSERT_TRUE(avi.open(path, 64, 48, 100, {AviCodec::Mjpeg, 95}));
    for (int f = 0; f < 4; ++f) ASSERT_TRUE(avi.write_frame(rgb.data()));
    ASSERT_TRUE(avi.close());
    EXPECT_EQ(probe(path, "codec_name,width,height,r_frame_rate,nb_read_frames"), "mjpeg,64,48,10/1,4");
    const auto decoded = decode_all(path);
    ASSERT_EQ(decoded.size(), 4 * rgb.size());
    int worst = 0;
    // Away from the quadrant edges (chroma is subsampled 2 x 2).
    for (int f = 0; f < 4; ++f)
        for (int y = 4; y < 44; ++y)
            for (int x = 4; x < 60; ++x) {
                if (std::abs(x - 32) < 4 || std::abs(y - 24) < 4) continue;
                for (int c = 0; c < 3; ++c) {
                    const std::size_t i = (static_cast<std::size_t>(y) * 64 + x) * 3 + c;
                    worst = std::max(worst, std::abs(int(decoded[f * rgb.size() + i]) - int(rgb[i])));
                }
            }
    EXPECT_LE(worst, 6);
}

TEST_F(AviWriterTest, LongRecordingContinuesAsOpenDmlAndIsReadToTheEnd)
{
    const std::string path = temp_path("odml.avi");
    // Each DIB frame of 16 x 16 is 768 bytes + 8 of header. The first piece
    // starts with 4620 bytes of headers and keeps 32 + 8n (ix00) + 8 + 16n
    // (idx1) for its indexes: 4 frames fit in 8 KiB (7860), 5 do not (8660).
    // Later pieces start with 24 bytes: 10 frames fit (7896). 16 frames: 4 + 10 + 2.
    set_avi_riff_limit_for_testing(8192);
    std::vector<std::uint8_t> rgb(16 * 16 * 3);
    AviWriter avi;
    ASSERT_TRUE(avi.open(path, 16, 16, 100, {AviCodec::Dib, 90}));
    for (int f = 0; f < 16; ++f) {
        std::fill(rgb.begin(), rgb.end(), std::uint8_t(f * 15));
        ASSERT_TRUE(avi.write_frame(rgb.data()));
    }
    ASSERT_TRUE(avi.close());
    const auto b = read_all(path);
    const auto cs = chunks(b);
    EXPECT_EQ(count(cs, "RIFF"), 3u);
    EXPECT_EQ(count(cs, "RIFF"), count(cs, "ix00"));
    EXPECT_EQ(count(cs, "idx1"), 1u);
    for (const Chunk& c : cs) {
        if (c.id == "RIFF") {
            EXPECT_LE(c.size + 8, 8192u);
        }
    }
    const Chunk* indx = find(cs, "indx");
    ASSERT_TRUE(indx);
    EXPECT_EQ(le32(b, indx->offset + 8 + 4), count(cs, "RIFF"));  // entries in use
    const Chunk* dmlh = find(cs, "dmlh");
    ASSERT_TRUE(dmlh);
    EXPECT_EQ(le32(b, dmlh->offset + 8), 16u);
    EXPECT_EQ(count(cs, "00db"), 16u);
    // Frames per piece in the super index: 4, 10, 2; avih counts the first piece.
    EXPECT_EQ(le32(b, indx->offset + 8 + 24 + 12), 4u);
    EXPECT_EQ(le32(b, indx->offset + 8 + 40 + 12), 10u);
    EXPECT_EQ(le32(b, indx->offset + 8 + 56 + 12), 2u);
    EXPECT_EQ(le32(b, find(cs, "avih")->offset + 8 + 16), 4u);
    EXPECT_EQ(probe(path, "nb_read_frames"), "16");
    // The last frame decodes to its own grey (15 * 15).
    const auto decoded = decode_all(path);
    ASSERT_EQ(decoded.size(), 16u * 768);
    EXPECT_EQ(decoded[15 * 768], 225);
}

TEST_F(AviWriterTest, FullDiskEndsTheFileAfterTheLastCompleteFrame)
{
    const std::string path = temp_path("full.avi");
    std::vector<std::uint8_t> rgb(16 * 16 * 3, 77);
    AviWriter avi;
    ASSERT_TRUE(avi.open(path, 16, 16, 100, {AviCodec::Dib, 90}));
    // Room for the headers and two and a half frames of 776 bytes.
    const auto headerBytes = read_all(path).size();
    ASSERT_EQ(headerBytes, 4620u);  // the headers and the movi list's start, as counted above
    set_output_capacity_for_testing(static_cast<long long>(headerBytes + 776 * 2 + 400));
    EXPECT_TRUE(avi.write_frame(rgb.data()));
    EXPECT_TRUE(avi.write_frame(rgb.data()));
    EXPECT_FALSE(avi.write_frame(rgb.data()));
    EXPECT_TRUE(avi.failed());
    EXPECT_FALSE(avi.write_frame(rgb.data()));  // refused after the failure
    EXPECT_FALSE(avi.close());                  // the recording failed...
    // ...but the file is whole: two frames, their index, consistent sizes.
    const auto b = read_all(path);
    const auto cs = chunks(b);
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(count(cs, "00db"), 2u);
    const Chunk* idx1 = find(cs, "idx1");
    ASSERT_TRUE(idx1);
    EXPECT_EQ(idx1->size, 32u);
    EXPECT_EQ(probe(path, "nb_read_frames"), "2");
}

TEST_F(AviWriterTest, PathThatCannotBeCreatedOpensNothing)
{
    AviWriter avi;
    EXPECT_FALSE(avi.open("/nonexistent-dir/x.avi", 4, 4, 100, {}));
    EXPECT_FALSE(avi.write_frame(small_frame(0).data()));
}

}  // namespace
