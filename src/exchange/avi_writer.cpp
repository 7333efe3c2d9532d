#include "exchange/avi_writer.h"

#include <algorithm>
#include <cstring>

namespace mve::exchange {

namespace {

std::uint64_t g_riffLimit = 1ull << 30;

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kIndexKeyFrame = 0x10;
constexpr std::uint32_t kIndxPayload = 24 + kAviMaxPieces * 16;
constexpr std::uint32_t kDmlhPayload = 248;
constexpr std::uint32_t kOdmlPayload = 4 + 8 + kDmlhPayload;  // 'odml' + the dmlh chunk

std::uint32_t u32(std::uint64_t v)
{
    return static_cast<std::uint32_t>(v);
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put_fourcc(std::vector<std::uint8_t>& b, const char* c)
{
    b.insert(b.end(), c, c + 4);
}

}  // namespace

std::uint64_t avi_riff_limit() noexcept
{
    return g_riffLimit;
}
void set_avi_riff_limit_for_testing(std::uint64_t bytes) noexcept
{
    g_riffLimit = bytes ? bytes : 1ull << 30;
}

AviWriter::~AviWriter()
{
    if (open_) close();
}

bool AviWriter::open(const std::string& path, int width, int height, int msPerFrame,
                     const AviOptions& options)
{
    if (width <= 0 || height <= 0 || msPerFrame <= 0) return false;
    width_ = width, height_ = height, msPerFrame_ = msPerFrame, codec_ = options.codec;
    encoder_ = codec_ == AviCodec::Dib ? make_dib_encoder(width, height)
                                       : make_mjpeg_encoder(width, height, options.quality);
    if (!encoder_ || !file_.create(path)) return false;
    open_ = true;
    if (!write_headers() || !start_riff(nullptr)) {
        failed_ = true;
        close();
        return false;
    }
    return true;
}

// The header list: main header, one stream list (header, format, room for
// the super index) and room for the OpenDML header, both as JUNK until used.
bool AviWriter::write_headers()
{
    const bool dib = codec_ == AviCodec::Dib;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width_) * 3 + 3) & ~3u;
    const std::uint32_t imageSize =
        dib ? rowBytes * static_cast<std::uint32_t>(height_)
            : static_cast<std::uint32_t>(width_) * static_cast<std::uint32_t>(height_) * 3;
    std::vector<std::uint8_t> h;
    put_fourcc(h, "RIFF"), put32(h, 0), put_fourcc(h, "AVI ");
    put_fourcc(h, "LIST");
    const std::size_t hdrlSize = h.size();
    put32(h, 0), put_fourcc(h, "hdrl");

    put_fourcc(h, "avih"), put32(h, 56);
    put32(h, static_cast<std::uint32_t>(msPerFrame_) * 1000);  // microseconds per frame
    avihBytesPerSec_ = h.size(), put32(h, 0);
    put32(h, 0);  // padding granularity
    avihFlags_ = h.size(), put32(h, kAvifIsInterleaved);
    avihFrames_ = h.size(), put32(h, 0);
    put32(h, 0);  // initial frames
    put32(h, 1);  // streams
    avihBuffer_ = h.size(), put32(h, imageSize);
    put32(h, static_cast<std::uint32_t>(width_)), put32(h, static_cast<std::uint32_t>(height_));
    for (int i = 0; i < 4; ++i) put32(h, 0);

    put_fourcc(h, "LIST");
    const std::size_t strlSize = h.size();
    put32(h, 0), put_fourcc(h, "strl");
    put_fourcc(h, "strh"), put32(h, 56);
    put_fourcc(h, "vids");
    if (dib)
        put32(h, 0);
    else
        put_fourcc(h, "MJPG");
    put32(h, 0);                                        // flags
    put16(h, 0), put16(h, 0);                           // priority, language
    put32(h, 0);                                        // initial frames
    put32(h, static_cast<std::uint32_t>(msPerFrame_));  // scale
    put32(h, 1000);                                     // rate: rate / scale = frames per second
    put32(h, 0);                                        // start
    strhLength_ = h.size(), put32(h, 0);
    strhBuffer_ = h.size(), put32(h, imageSize);
    put32(h, 0xFFFFFFFFu);  // quality: the codec's default
    put32(h, 0);            // sample size: frames vary
    put16(h, 0), put16(h, 0), put16(h, static_cast<std::uint16_t>(width_)),
        put16(h, static_cast<std::uint16_t>(height_));

    put_fourcc(h, "strf"), put32(h, 40);
    put32(h, 40), put32(h, static_cast<std::uint32_t>(width_)), put32(h, static_cast<std::uint32_t>(height_));
    put16(h, 1), put16(h, 24);
    if (dib)
        put32(h, 0);  // BI_RGB
    else
        put_fourcc(h, "MJPG");
    put32(h, imageSize);
    for (int i = 0; i < 4; ++i) put32(h, 0);

    indxJunk_ = h.size();
    put_fourcc(h, "JUNK"), put32(h, kIndxPayload), h.resize(h.size() + kIndxPayload, 0);
    const auto set = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    set(strlSize, u32(h.size() - strlSize - 4));

    odmlJunk_ = h.size();
    put_fourcc(h, "JUNK"), put32(h, kOdmlPayload), h.resize(h.size() + kOdmlPayload, 0);
    set(hdrlSize, u32(h.size() - hdrlSize - 4));
    return file_.write(h.data(), h.size());
}

// A RIFF piece with its movi list; nullptr: the first piece, whose RIFF
// header is already part of the file header.
bool AviWriter::start_riff(const char* form)
{
    if (form) {
        riffStart_ = file_.position();
        if (!file_.write_fourcc("RIFF") || !file_.write_u32(0) || !file_.write_fourcc(form)) return false;
    }
    moviStart_ = file_.position();
    if (!file_.write_fourcc("LIST") || !file_.write_u32(0) || !file_.write_fourcc("movi")) return false;
    lastGood_ = file_.position();
    riffOpen_ = true;
    return true;
}

// Bytes a piece must keep for its indexes: the chunk index, and in the
// first piece also idx1.
std::uint64_t AviWriter::riff_index_bytes(std::size_t frames) const noexcept
{
    std::uint64_t bytes = 32 + 8ull * frames;
    if (pieces_.empty()) bytes += 8 + 16ull * frames;
    return bytes;
}

bool AviWriter::write_frame(const std::uint8_t* rgb)
{
    if (!open_ || failed_ || !rgb) return false;
    if (!encoder_->encode(rgb, frame_)) {
        failed_ = true;
        return false;
    }
    return append_chunk(frame_);
}

bool AviWriter::append_chunk(const std::vector<std::uint8_t>& data)
{
    const std::uint64_t chunk = 8 + data.size() + (data.size() & 1);
    const std::uint64_t needed =
        file_.position() + chunk + riff_index_bytes(riffFrames_.size() + 1) - riffStart_;
    if (!riffFrames_.empty() && needed > avi_riff_limit()) {
        if (pieces_.size() + 1 >= kAviMaxPieces || !finish_riff(true) || !start_riff("AVIX")) {
            file_.rewind_to(lastGood_);
            failed_ = true;
            return false;
        }
    }
    const std::uint64_t at = file_.position();
    static const std::uint8_t pad = 0;
    bool ok = file_.write_fourcc(codec_ == AviCodec::Dib ? "00db" : "00dc") &&
              file_.write_u32(u32(data.size())) && file_.write(data.data(), data.size());
    if (ok && (data.size() & 1)) ok = file_.write(&pad, 1);
    if (!ok) {
        // A full disk: drop the torn chunk; the file ends with the last good frame.
        file_.rewind_to(lastGood_);
        failed_ = true;
        return false;
    }
    riffFrames_.push_back({at, u32(data.size())});
    lastGood_ = file_.position();
    ++totalFrames_;
    largestChunk_ = std::max(largestChunk_, u32(data.size()));
    return true;
}

// The 'ix00' chunk index of the piece's frames, inside its movi list.
bool AviWriter::write_chunk_index(SuperEntry& entry)
{
    std::vector<std::uint8_t> b;
    const std::uint32_t payload = u32(24 + 8 * riffFrames_.size());
    put_fourcc(b, "ix00"), put32(b, payload);
    put16(b, 2), b.push_back(0), b.push_back(1);  // 2 longs per entry, index of chunks
    put32(b, u32(riffFrames_.size()));
    put_fourcc(b, codec_ == AviCodec::Dib ? "00db" : "00dc");
    put32(b, u32(riffStart_)), put32(b, u32(riffStart_ >> 32));  // base offset
    put32(b, 0);
    for (const Entry& f : riffFrames_) {
        put32(b, u32(f.offset + 8 - riffStart_));  // of the frame data
        put32(b, f.size);                          // bit 31 clear: every frame is a key frame
    }
    entry = {file_.position(), u32(b.size()), u32(riffFrames_.size())};
    return file_.write(b.data(), b.size());
}

bool AviWriter::write_idx1()
{
    std::vector<std::uint8_t> b;
    put_fourcc(b, "idx1"), put32(b, u32(16 * riffFrames_.size()));
    for (const Entry& f : riffFrames_) {
        put_fourcc(b, codec_ == AviCodec::Dib ? "00db" : "00dc");
        put32(b, kIndexKeyFrame);
        put32(b, u32(f.offset - (moviStart_ + 8)));  // from the 'movi' code
        put32(b, f.size);
    }
    return file_.write(b.data(), b.size());
}

// Ends the piece: its chunk index (OpenDML files), the movi size, idx1 in the
// first piece and the RIFF size. An index that does not fit on the disk is
// left out; the frames stay readable in order.
bool AviWriter::finish_riff(bool chunkIndex)
{
    riffOpen_ = false;
    const bool first = pieces_.empty() && riffStart_ == 0;
    if (first) firstRiffFrames_ = u32(riffFrames_.size());
    bool ok = true;
    if (chunkIndex) {
        SuperEntry entry{};
        if (write_chunk_index(entry)) {
            pieces_.push_back(entry);
        } else {
            file_.rewind_to(lastGood_);
            ok = false;
        }
    }
    file_.patch_u32(moviStart_ + 4, u32(file_.position() - moviStart_ - 8));
    if (first) {
        const std::uint64_t moviEnd = file_.position();
        if (write_idx1()) {
            hasIdx1_ = true;
        } else {
            file_.rewind_to(moviEnd);
            ok = false;
        }
    }
    file_.patch_u32(riffStart_ + 4, u32(file_.position() - riffStart_ - 8));
    riffFrames_.clear();
    lastGood_ = file_.position();
    return ok;
}

void AviWriter::patch_totals()
{
    const std::uint32_t firstFrames = pieces_.empty() ? totalFrames_ : firstRiffFrames_;
    file_.patch_u32(avihFrames_, firstFrames);
    file_.patch_u32(strhLength_, totalFrames_);
    file_.patch_u32(avihFlags_, kAvifIsInterleaved | (hasIdx1_ ? kAvifHasIndex : 0));
    if (largestChunk_) {
        file_.patch_u32(avihBuffer_, largestChunk_);
        file_.patch_u32(strhBuffer_, largestChunk_);
        const std::uint64_t perSecond = std::uint64_t(largestChunk_) * 1000 / std::uint64_t(msPerFrame_);
        file_.patch_u32(avihBytesPerSec_, u32(std::min<std::uint64_t>(perSecond, 0xFFFFFFFFu)));
    }
}

// Turns the reserved JUNK into the super index and the OpenDML header.
void AviWriter::write_odml_headers()
{
    std::vector<std::uint8_t> b;
    put_fourcc(b, "indx"), put32(b, kIndxPayload);
    put16(b, 4), b.push_back(0), b.push_back(0);  // 4 longs per entry, index of indexes
    put32(b, u32(pieces_.size()));
    put_fourcc(b, codec_ == AviCodec::Dib ? "00db" : "00dc");
    for (int i = 0; i < 3; ++i) put32(b, 0);
    for (const SuperEntry& p : pieces_) {
        put32(b, u32(p.offset)), put32(b, u32(p.offset >> 32));
        put32(b, p.size), put32(b, p.frames);
    }
    b.resize(8 + kIndxPayload, 0);
    file_.patch(indxJunk_, b.data(), b.size());

    b.clear();
    put_fourcc(b, "LIST"), put32(b, kOdmlPayload), put_fourcc(b, "odml");
    put_fourcc(b, "dmlh"), put32(b, kDmlhPayload), put32(b, totalFrames_);
    b.resize(8 + kOdmlPayload, 0);
    file_.patch(odmlJunk_, b.data(), b.size());
}

bool AviWriter::close()
{
    if (!open_) return false;
    open_ = false;
    if (riffOpen_) finish_riff(!pieces_.empty());
    patch_totals();
    if (!pieces_.empty()) write_odml_headers();
    const bool closed = file_.close();
    return closed && !failed_;
}

}  // namespace mve::exchange
