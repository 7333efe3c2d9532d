#include "exchange/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace mve::exchange {

namespace {

GifFileType* as_gif(void* p)
{
    return static_cast<GifFileType*>(p);
}

// giflib's colour maps hold a power of two of entries (2..256).
ColorMapObject* make_colour_map(const GifPalette& palette)
{
    int size = 2;
    while (size < palette.count) size *= 2;
    GifColorType colours[256] = {};
    for (int i = 0; i < palette.count; ++i)
        colours[i] = {palette.rgb[i * 3], palette.rgb[i * 3 + 1], palette.rgb[i * 3 + 2]};
    return GifMakeMapObject(size, colours);
}

// The application block that makes viewers loop the animation for ever.
bool put_loop_extension(GifFileType* gif)
{
    static const unsigned char kNetscape[11] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const unsigned char kLoopForever[3] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kNetscape, kNetscape) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

}  // namespace

int GifWriter::write_bytes(void* self, const unsigned char* bytes, int size)
{
    return static_cast<GifWriter*>(self)->file_.write(bytes, static_cast<std::size_t>(size)) ? size : 0;
}

namespace {

// giflib's output function: the writer is the file's user data.
int gif_output(GifFileType* gif, const GifByteType* bytes, int size)
{
    return GifWriter::write_bytes(gif->UserData, bytes, size);
}

}  // namespace

GifWriter::~GifWriter()
{
    if (gif_) close();
}

bool GifWriter::open(const std::string& path, int width, int height, int delayCs, const std::uint8_t* palette,
                     bool differencing)
{
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
    width_ = width, height_ = height, delayCs_ = std::clamp(delayCs, 0, 65535), differencing_ = differencing;
    fixedPalette_ = palette && std::any_of(palette, palette + 1024, [](std::uint8_t v) { return v != 0; });
    if (fixedPalette_) {
        global_.count = 256;
        for (int i = 0; i < 256; ++i)
            global_.rgb[i * 3] = palette[i * 4 + 2], global_.rgb[i * 3 + 1] = palette[i * 4 + 1],
                            global_.rgb[i * 3 + 2] = palette[i * 4];
        mapper_.reset(global_, nullptr);
    }
    if (!file_.create(path)) return false;
    int error = 0;
    GifFileType* gif = EGifOpen(this, gif_output, &error);
    if (!gif) return false;
    gif_ = gif;
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = fixedPalette_ ? make_colour_map(global_) : nullptr;
    const bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK && put_loop_extension(gif);
    GifFreeMapObject(map);
    indices_.resize(static_cast<std::size_t>(width) * height);
    lastGood_ = file_.position();
    if (!ok) fail();
    return ok;
}

// The bounding box of the pixels that differ from the previous frame
// (empty when nothing changed).
GifWriter::Rect GifWriter::changed_rect(const std::uint8_t* rgb) const
{
    const std::size_t stride = static_cast<std::size_t>(width_) * 3;
    Rect r;
    int y0 = 0, y1 = height_;
    while (y0 < y1 && std::memcmp(rgb + y0 * stride, previous_.data() + y0 * stride, stride) == 0) ++y0;
    while (y1 > y0 && std::memcmp(rgb + (y1 - 1) * stride, previous_.data() + (y1 - 1) * stride, stride) == 0)
        --y1;
    if (y0 == y1) return r;
    int x0 = width_, x1 = 0;
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* a = rgb + y * stride;
        const std::uint8_t* b = previous_.data() + y * stride;
        int left = 0, right = width_;
        while (left < x0 && std::memcmp(a + left * 3, b + left * 3, 3) == 0) ++left;
        while (right > std::max(x1, left) && std::memcmp(a + (right - 1) * 3, b + (right - 1) * 3, 3) == 0)
            --right;
        if (left < right) x0 = std::min(x0, left), x1 = std::max(x1, right);
    }
    r.x = x0, r.y = y0, r.w = x1 - x0, r.h = y1 - y0;
    return r;
}

bool GifWriter::write_frame(const std::uint8_t* rgb)
{
    if (!gif_ || failed_ || !rgb) return false;
    const std::size_t stride = static_cast<std::size_t>(width_) * 3;
    const bool diff = differencing_ && !previous_.empty();
    Rect r{0, 0, width_, height_};
    if (diff) {
        r = changed_rect(rgb);
        // Nothing changed: one transparent pixel keeps the frame's time.
        if (r.w == 0) r = {0, 0, 1, 1};
    }
    const std::uint8_t* prev = diff ? previous_.data() : nullptr;
    GifPalette palette = global_;
    if (!fixedPalette_) {
        histogram_.clear();
        histogram_.add(rgb, stride, r.x, r.y, r.w, r.h, prev);
        // One entry stays free for the transparent pixels of a difference frame.
        palette = histogram_.median_cut(diff ? 255 : 256);
        if (palette.count == 0) palette.count = 1;  // all pixels unchanged
        mapper_.reset(palette, &histogram_);
    }
    std::vector<bool> used(256, false);
    for (int y = 0; y < r.h; ++y) {
        const std::size_t at = static_cast<std::size_t>(r.y + y) * stride + static_cast<std::size_t>(r.x) * 3;
        const std::uint8_t* p = rgb + at;
        const std::uint8_t* q = prev ? prev + at : nullptr;
        std::uint8_t* out = indices_.data() + static_cast<std::size_t>(y) * r.w;
        for (int x = 0; x < r.w; ++x, p += 3) {
            if (q) {
                const bool same = q[0] == p[0] && q[1] == p[1] && q[2] == p[2];
                q += 3;
                if (same) {
                    out[x] = 0xFF;  // marked; replaced by the transparent index below
                    continue;
                }
            }
            out[x] = mapper_.index_of(p[0], p[1], p[2]);
            used[out[x]] = true;
        }
    }
    int transparent = -1;
    if (diff) {
        // The first entry no changed pixel uses; without one the rectangle is
        // written whole (every pixel takes its own colour again).
        for (int i = 0; i < 256 && transparent < 0; ++i)
            if (!used[i]) transparent = i;
        if (transparent >= palette.count) palette.count = transparent + 1;
        rewrite_unchanged(rgb, r, transparent);
    }
    if (!put_frame(r, palette, transparent)) {
        fail();
        return false;
    }
    if (differencing_) {
        if (previous_.empty()) previous_.resize(stride * height_);
        std::memcpy(previous_.data(), rgb, stride * height_);
    }
    ++frames_;
    lastGood_ = file_.position();
    return true;
}

// Unchanged pixels of a difference frame: the transparent index, or their
// own colour when the palette has no free entry.
void GifWriter::rewrite_unchanged(const std::uint8_t* rgb, const Rect& r, int transparent)
{
    const std::size_t stride = static_cast<std::size_t>(width_) * 3;
    for (int y = 0; y < r.h; ++y) {
        const std::size_t at = static_cast<std::size_t>(r.y + y) * stride + static_cast<std::size_t>(r.x) * 3;
        const std::uint8_t* p = rgb + at;
        const std::uint8_t* q = previous_.data() + at;
        std::uint8_t* out = indices_.data() + static_cast<std::size_t>(y) * r.w;
        for (int x = 0; x < r.w; ++x, p += 3, q += 3)
            if (q[0] == p[0] && q[1] == p[1] && q[2] == p[2])
                out[x] = transparent >= 0 ? static_cast<std::uint8_t>(transparent)
                                          : mapper_.index_of(p[0], p[1], p[2]);
    }
}

bool GifWriter::put_frame(const Rect& r, const GifPalette& palette, int transparent)
{
    GifFileType* gif = as_gif(gif_);
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = differencing_ ? DISPOSE_DO_NOT : DISPOSAL_UNSPECIFIED;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delayCs_;
    gcb.TransparentColor = transparent >= 0 ? transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&gcb, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK) return false;
    ColorMapObject* map = fixedPalette_ ? nullptr : make_colour_map(palette);
    const bool described = EGifPutImageDesc(gif, r.x, r.y, r.w, r.h, false, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!described) return false;
    for (int y = 0; y < r.h; ++y)
        if (EGifPutLine(gif, indices_.data() + static_cast<std::size_t>(y) * r.w, r.w) != GIF_OK)
            return false;
    return true;
}

// A failed write (a full disk): the torn frame is cut off, so the file ends
// with the last complete frame once the trailer is written at close.
void GifWriter::fail()
{
    failed_ = true;
    file_.rewind_to(lastGood_);
}

bool GifWriter::close()
{
    if (!gif_) return false;
    int error = 0;
    // Writes the trailer byte after the last complete frame and frees giflib's record.
    const bool ended = EGifCloseFile(as_gif(gif_), &error) == GIF_OK;
    gif_ = nullptr;
    const bool closed = file_.close();
    return ended && closed && !failed_;
}

}  // namespace mve::exchange
