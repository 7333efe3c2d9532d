// Our own RIFF AVI writer. One video stream ("vids") at rate 1000 and scale
// msPerFrame, so the frame period is exactly msPerFrame milliseconds (which a
// general muxer would reduce to a fraction of its own). A file stays AVI 1.0
// with an idx1 index while its RIFF is under 1 GiB; a longer recording goes on
// in further RIFF 'AVIX' pieces with OpenDML indexes (a super index 'indx' in
// the stream header and an 'ix00' chunk index per piece), so players read it
// to the end. Frames are uncompressed DIBs (bottom-up BGR rows padded to four
// bytes) or MJPEG through libjpeg-turbo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exchange/output_file.h"

namespace mve::exchange {

enum class AviCodec { Mjpeg = 0, Dib = 1 };

struct AviOptions {
    AviCodec codec = AviCodec::Mjpeg;
    int quality = 90;  // MJPEG quality 1..100
};

// One frame encoded for the file: the chunk bytes of the codec.
class AviFrameEncoder {
public:
    virtual ~AviFrameEncoder() = default;
    // Encodes packed top-down RGB24 of the writer's size into `out`; false on failure.
    virtual bool encode(const std::uint8_t* rgb, std::vector<std::uint8_t>& out) = 0;
};
std::unique_ptr<AviFrameEncoder> make_dib_encoder(int width, int height);
std::unique_ptr<AviFrameEncoder> make_mjpeg_encoder(int width, int height, int quality);

class AviWriter {
public:
    ~AviWriter();
    // Creates the file and writes its headers; false when it cannot be created.
    bool open(const std::string& path, int width, int height, int msPerFrame, const AviOptions& options);
    // Appends one frame of packed top-down RGB24 rows. false when the frame was
    // not written (the writer is then failed and refuses every later frame).
    bool write_frame(const std::uint8_t* rgb);
    // Writes the indexes and the final sizes and closes the file. After a
    // failure the file ends with the last frame that was written completely.
    bool close();

    bool failed() const noexcept { return failed_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    std::uint32_t frames() const noexcept { return totalFrames_; }

private:
    struct Entry {
        std::uint64_t offset;  // of the chunk header
        std::uint32_t size;    // of the chunk data
    };
    struct SuperEntry {
        std::uint64_t offset;  // of the ix00 chunk
        std::uint32_t size;    // of the ix00 chunk, header included
        std::uint32_t frames;
    };

    bool write_headers();
    bool start_riff(const char* form);
    bool append_chunk(const std::vector<std::uint8_t>& data);
    bool finish_riff(bool chunkIndex);
    bool write_chunk_index(SuperEntry& entry);
    bool write_idx1();
    void patch_totals();
    void write_odml_headers();
    std::uint64_t riff_index_bytes(std::size_t frames) const noexcept;

    OutputFile file_;
    std::unique_ptr<AviFrameEncoder> encoder_;
    std::vector<std::uint8_t> frame_;
    int width_ = 0, height_ = 0, msPerFrame_ = 0;
    AviCodec codec_ = AviCodec::Mjpeg;
    bool open_ = false, failed_ = false, riffOpen_ = false, hasIdx1_ = false;

    // Offsets of the fields patched at the end.
    std::uint64_t avihFlags_ = 0, avihFrames_ = 0, avihBuffer_ = 0, avihBytesPerSec_ = 0, strhLength_ = 0,
                  strhBuffer_ = 0;
    std::uint64_t indxJunk_ = 0, odmlJunk_ = 0;

    // The RIFF piece being written.
    std::uint64_t riffStart_ = 0, moviStart_ = 0;
    std::vector<Entry> riffFrames_;
    std::uint64_t lastGood_ = 0;  // end of the last complete frame
    std::uint32_t firstRiffFrames_ = 0;
    std::uint32_t totalFrames_ = 0;
    std::uint32_t largestChunk_ = 0;
    std::vector<SuperEntry> pieces_;  // closed RIFF pieces with their chunk index
};

// Pieces a file may have (the super index space reserved in the header).
inline constexpr std::size_t kAviMaxPieces = 256;

// The RIFF size at which a new piece starts; 1 GiB unless a test lowers it.
std::uint64_t avi_riff_limit() noexcept;
void set_avi_riff_limit_for_testing(std::uint64_t bytes) noexcept;

}  // namespace mve::exchange
