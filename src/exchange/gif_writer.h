// Animated GIF output on giflib. Frames arrive as packed RGB24 of the size at
// creation; each is reduced to a palette of its own by our median-cut
// quantiser (or mapped onto the palette given at creation) and written with a
// graphics control block carrying the delay. With frame differencing on,
// only the rectangle that changed since the previous frame is written, and
// its unchanged pixels are transparent (disposal "leave in place").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/output_file.h"

namespace mve::exchange {

// A palette of up to 256 RGB colours.
struct GifPalette {
    int count = 0;
    std::uint8_t rgb[256 * 3] = {};
};

// A colour histogram on 5 bits a channel (32768 cells), with the exact sums
// of the colours in each cell so that palette colours are true means.
class ColourHistogram {
public:
    ColourHistogram();
    void clear();
    // Counts the pixels of a rectangle of packed RGB24 rows (stride in bytes);
    // with `previous` (same layout), pixels equal to it are left out.
    void add(const std::uint8_t* rgb, std::size_t stride, int x0, int y0, int width, int height,
             const std::uint8_t* previous = nullptr);
    std::uint64_t total() const noexcept { return total_; }

    // Median cut: splits the colour cells into at most maxColours boxes
    // (always the box with the widest population-weighted range, at the
    // median of its longest side) and returns the mean colour of each.
    GifPalette median_cut(int maxColours) const;

    static int cell(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept
    {
        return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    }

private:
    friend class ColourMapper;
    std::vector<std::uint32_t> count_;
    std::vector<std::uint64_t> sum_;  // r, g, b sums per cell
    std::uint64_t total_ = 0;
};

// Maps colours to their nearest palette entry (squared RGB distance) through
// a cache per histogram cell, filled on first use with the cell's mean colour.
class ColourMapper {
public:
    void reset(const GifPalette& palette, const ColourHistogram* means);
    std::uint8_t index_of(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept;
    // Nearest entry by plain search (the reference the cache is filled from).
    static std::uint8_t nearest(const GifPalette& palette, int r, int g, int b) noexcept;

private:
    GifPalette palette_;
    const ColourHistogram* means_ = nullptr;
    std::vector<std::int16_t> cache_;  // -1: not yet looked up
};

class GifWriter {
public:
    ~GifWriter();
    // palette: 256 entries of B, G, R, unused (the layout of a Windows palette
    // record); null or all zero: every frame gets a palette of its own.
    bool open(const std::string& path, int width, int height, int delayCs, const std::uint8_t* palette,
              bool differencing);
    // Appends a frame of packed top-down RGB24; false when nothing was written
    // (the writer is then failed and refuses later frames).
    bool write_frame(const std::uint8_t* rgb);
    // Ends the file; after a failure it ends after the last complete frame.
    bool close();

    bool failed() const noexcept { return failed_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    int frames() const noexcept { return frames_; }

    // Appends giflib's output to the file (self: the writer); bytes written.
    static int write_bytes(void* self, const unsigned char* bytes, int size);

private:
    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
    };
    Rect changed_rect(const std::uint8_t* rgb) const;
    bool put_frame(const Rect& r, const GifPalette& palette, int transparent);
    void rewrite_unchanged(const std::uint8_t* rgb, const Rect& r, int transparent);
    void fail();

    OutputFile file_;
    void* gif_ = nullptr;  // GifFileType*
    int width_ = 0, height_ = 0, delayCs_ = 0, frames_ = 0;
    bool differencing_ = false, failed_ = false;
    bool fixedPalette_ = false;
    GifPalette global_;
    ColourHistogram histogram_;
    ColourMapper mapper_;
    std::vector<std::uint8_t> previous_;  // the last frame's RGB24 (differencing)
    std::vector<std::uint8_t> indices_;
    std::uint64_t lastGood_ = 0;
};

}  // namespace mve::exchange
