// The scanner through SANE: the scanner library is started for each call
// and stopped after it, so a device plugged in later is found and nothing
// stays open between calls. One acquisition reads one picture (all frames of
// a three-pass scanner) and converts it to the staging image with alpha 255.
#include "exchange/exchange.h"

#include <cstring>
#include <vector>

#include "core/guard.h"
#include "imagelib/library.h"
#include "morvane/morvane.h"

#if MVE_WITH_SANE
#include <sane/sane.h>
#endif

namespace mve::exchange {

#if MVE_WITH_SANE

namespace {

// sane_init on construction, sane_exit on destruction.
struct SaneSession {
    bool ok = false;
    SaneSession() { ok = sane_init(nullptr, nullptr) == SANE_STATUS_GOOD; }
    ~SaneSession()
    {
        if (ok) sane_exit();
    }
};

struct DeviceHandle {
    SANE_Handle handle = nullptr;
    ~DeviceHandle()
    {
        if (handle) {
            sane_cancel(handle);
            sane_close(handle);
        }
    }
};

std::string first_device()
{
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0]) return {};
    return list[0]->name ? list[0]->name : "";
}

// One frame: its parameters and its bytes (lines * bytes_per_line when the
// line count is known beforehand, else whatever arrived).
struct Frame {
    SANE_Parameters params{};
    std::vector<std::uint8_t> bytes;
};

bool read_frame(SANE_Handle h, Frame& f)
{
    if (sane_start(h) != SANE_STATUS_GOOD) return false;
    if (sane_get_parameters(h, &f.params) != SANE_STATUS_GOOD) return false;
    const SANE_Parameters& p = f.params;
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0) return false;
    if (p.lines > 0 && !il::acceptable_size(p.pixels_per_line, p.lines)) return false;
    if (p.lines > 0) f.bytes.reserve(static_cast<std::size_t>(p.bytes_per_line) * p.lines);
    std::uint8_t chunk[65536];
    for (;;) {
        SANE_Int n = 0;
        const SANE_Status st = sane_read(h, chunk, sizeof chunk, &n);
        if (st == SANE_STATUS_EOF) break;
        if (st != SANE_STATUS_GOOD) return false;
        f.bytes.insert(f.bytes.end(), chunk, chunk + n);
        if (!il::acceptable_size(p.pixels_per_line,
                                 static_cast<long long>(f.bytes.size() / p.bytes_per_line)))
            return false;
    }
    return f.bytes.size() >= static_cast<std::size_t>(p.bytes_per_line);
}

// Sample c (0..samples-1) of pixel x of a line as 8 bits.
std::uint8_t sample(const std::uint8_t* line, const SANE_Parameters& p, int x, int c, int samples)
{
    const int i = x * samples + c;
    if (p.depth == 8) return line[i];
    if (p.depth == 16) {
        std::uint16_t v;
        std::memcpy(&v, line + i * 2, 2);  // host byte order
        return static_cast<std::uint8_t>(v >> 8);
    }
    // Line art: a set bit is black.
    return (line[i / 8] & (0x80 >> (i % 8))) ? 0 : 255;
}

// Writes the frame's channels into the RGBA32 staging picture.
void put_frame(const Frame& f, StagingImage& s)
{
    const SANE_Parameters& p = f.params;
    const int samples = p.format == SANE_FRAME_RGB ? 3 : 1;
    for (int y = 0; y < s.height; ++y) {
        const std::uint8_t* line = f.bytes.data() + static_cast<std::size_t>(y) * p.bytes_per_line;
        std::uint8_t* out = s.pixels.data() + static_cast<std::size_t>(y) * s.width * 4;
        for (int x = 0; x < s.width; ++x, out += 4) {
            switch (p.format) {
                case SANE_FRAME_RGB:
                    for (int c = 0; c < 3; ++c) out[c] = sample(line, p, x, c, samples);
                    break;
                case SANE_FRAME_GRAY:
                    out[0] = out[1] = out[2] = sample(line, p, x, 0, 1);
                    break;
                case SANE_FRAME_RED:
                    out[0] = sample(line, p, x, 0, 1);
                    break;
                case SANE_FRAME_GREEN:
                    out[1] = sample(line, p, x, 0, 1);
                    break;
                case SANE_FRAME_BLUE:
                    out[2] = sample(line, p, x, 0, 1);
                    break;
                default:
                    break;
            }
            out[3] = 255;
        }
    }
}

bool supported(const SANE_Parameters& p)
{
    const bool format = p.format == SANE_FRAME_RGB || p.format == SANE_FRAME_GRAY ||
                        p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN ||
                        p.format == SANE_FRAME_BLUE;
    const int samples = p.format == SANE_FRAME_RGB ? 3 : 1;
    const long long needBits = static_cast<long long>(p.pixels_per_line) * samples * p.depth;
    return format && (p.depth == 1 || p.depth == 8 || p.depth == 16) && needBits <= p.bytes_per_line * 8LL;
}

}  // namespace

bool scanner_available() noexcept
{
    SaneSession session;
    return session.ok;
}

bool select_scanner(ScannerState& scanner)
{
    SaneSession session;
    if (!session.ok) return false;
    std::string name = first_device();
    if (name.empty()) return false;
    scanner.device = std::move(name);
    return true;
}

bool acquire_scan(ScannerState& scanner, StagingImage& s)
{
    SaneSession session;
    if (!session.ok) return false;
    const std::string name = scanner.device.empty() ? first_device() : scanner.device;
    DeviceHandle device;
    if (name.empty() || sane_open(name.c_str(), &device.handle) != SANE_STATUS_GOOD) {
        device.handle = nullptr;
        return false;
    }
    // Frames until the last one; every frame must have the picture's size.
    std::vector<Frame> frames;
    do {
        frames.emplace_back();
        if (!read_frame(device.handle, frames.back()) || !supported(frames.back().params)) return false;
        if (frames.size() > 3) return false;
    } while (!frames.back().params.last_frame);
    const int width = frames[0].params.pixels_per_line;
    const int lines = static_cast<int>(frames[0].bytes.size() / frames[0].params.bytes_per_line);
    for (const Frame& f : frames)
        if (f.params.pixels_per_line != width ||
            f.bytes.size() / f.params.bytes_per_line < static_cast<std::size_t>(lines))
            return false;
    if (!create_staging(s, width, lines)) return false;
    std::memset(s.pixels.data(), 0, s.pixels.size());
    for (const Frame& f : frames) put_frame(f, s);
    return true;
}

#else

bool scanner_available() noexcept
{
    return false;
}
bool select_scanner(ScannerState&)
{
    return false;
}
bool acquire_scan(ScannerState&, StagingImage&)
{
    return false;
}

#endif

}  // namespace mve::exchange

extern "C" {

MVE_API int MVE_IsTwain(void)
{
    return mve::exchange::scanner_available() ? 1 : 0;
}

MVE_API int MVE_TwainSelectSource(void)
{
    return mve::guarded("TwainSelectSource Excpt", 0, [] {
        return mve::exchange::select_scanner(mve::exchange::exchange_state().scanner) ? 1 : 0;
    });
}

MVE_API int MVE_TwainAcquire(void)
{
    return mve::guarded("TwainAcquire Excpt", 0, [] {
        auto& state = mve::exchange::exchange_state();
        return mve::exchange::acquire_scan(state.scanner, state.staging) ? 1 : 0;
    });
}

}  // extern "C"
